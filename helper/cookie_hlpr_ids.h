// The helper's COM identifiers. They are the ones in cookie_hlpr.idl, from which the embedded
// type library is compiled; the tests compare the two.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <oaidl.h>

namespace helper {

// {CA0DE373-11DC-41D4-9664-F5A89BBE13FE}: class CookieHlprObj.
constexpr GUID kClsidCookieHlprObj = {
    0xCA0DE373, 0x11DC, 0x41D4, {0x96, 0x64, 0xF5, 0xA8, 0x9B, 0xBE, 0x13, 0xFE}};
// {D9F2911A-17A4-48DD-8ECA-5AD7EC97879E}: interface ICookieHlpr.
constexpr IID kIidCookieHlpr = {
    0xD9F2911A, 0x17A4, 0x48DD, {0x8E, 0xCA, 0x5A, 0xD7, 0xEC, 0x97, 0x87, 0x9E}};
// {7E0CCEEE-DA9E-4335-8FB1-52348AA706EC}: type library COOKIEHLPRLib 1.0.
constexpr GUID kLibidCookieHlpr = {
    0x7E0CCEEE, 0xDA9E, 0x4335, {0x8F, 0xB1, 0x52, 0x34, 0x8A, 0xA7, 0x06, 0xEC}};

// The dual interface: IDispatch with no methods of its own.
struct ICookieHlpr : public IDispatch {};

}  // namespace helper
