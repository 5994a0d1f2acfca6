#include "shell/hosted_control_win.h"

#include "res/resource.h"
#include "shell/skin_control_win.h"
#include "shell/splash_control_win.h"

namespace shell {
namespace {

ATOM skinClassAtom = 0;
ATOM splashClassAtom = 0;

}  // namespace

std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

std::string AnsiPath(const std::wstring& path) {
    const int length =
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(length) - 1);
    return ansi;
}

void RegisterHostedControlClasses() {
    if (skinClassAtom != 0) return;
    WNDCLASSA control = {};
    // A global class, so dialogs of any module in the process can host the controls.
    control.style = CS_GLOBALCLASS;
    control.lpfnWndProc = HostedControlProc<SkinControl>;
    control.hInstance = GetModuleHandleA(nullptr);
    control.lpszClassName = SKIN_CONTROL_CLASS;
    skinClassAtom = RegisterClassA(&control);
    control.lpfnWndProc = HostedControlProc<SplashControl>;
    control.lpszClassName = SPLASH_CONTROL_CLASS;
    splashClassAtom = RegisterClassA(&control);
}

ATOM SkinClassAtom() { return skinClassAtom; }
ATOM SplashClassAtom() { return splashClassAtom; }

}  // namespace shell
