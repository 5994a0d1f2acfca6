// Browser.ini keeps Internet Explorer's former binary "ProxyEnable" value as text: hexadecimal
// byte values separated by single characters, e.g. "01 00 00 00".
#pragma once

#include <string>
#include <vector>

namespace helper {

// The bytes of such a text. From the start, each step reads a hexadecimal number (leading white
// space, a sign and a "0x" prefix allowed, as strtoul reads it), keeps its low byte, and then
// skips the one character that ended the number. A character that cannot start a number gives
// a 0 byte and is skipped itself. So "01 00 00 00" gives 1,0,0,0, "1,,2" gives 1,0,2 and the
// empty text gives no bytes; never more bytes than the text has characters.
std::vector<unsigned char> DecodeProxyEnableText(const std::string& text);

}  // namespace helper
