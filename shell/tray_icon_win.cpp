#include <windows.h>
// The headers below need windows.h first.

#include <shellapi.h>

#include "shell/tray_icon_win.h"

namespace shell {
namespace {

// The id of the shell's icon of ours.
constexpr UINT kTrayIconId = 1;
// NOTIFYICONDATAA as the shell of Windows 2000 and later reads it.
constexpr DWORD kTrayIconDataSize = 488;

NOTIFYICONDATAA IconData(HWND owner, UINT flags) {
    NOTIFYICONDATAA data = {};
    data.cbSize = kTrayIconDataSize;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    return data;
}

// At the system's small icon size, which the notification area uses and which grows with the
// DPI.
HICON IconImage(int resourceId) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

}  // namespace

UINT TrayIcon::CallbackMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarMsg");
    return message;
}

UINT TrayIcon::TaskbarCreatedMessage() {
    // Broadcast by the shell whenever the taskbar is (re)created.
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

bool TrayIcon::Add(HWND owner, int iconId) {
    if (added_) return true;
    owner_ = owner;
    iconId_ = iconId;
    NOTIFYICONDATAA data = IconData(owner, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.hIcon = IconImage(iconId);
    data.uCallbackMessage = CallbackMessage();
    added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    return added_;
}

bool TrayIcon::AddAgain(HWND owner, int iconId) {
    added_ = false;
    return Add(owner, iconId);
}

void TrayIcon::SetIcon(int iconId) {
    if (!added_ || iconId == iconId_) return;
    NOTIFYICONDATAA data = IconData(owner_, NIF_ICON);
    data.hIcon = IconImage(iconId);
    Shell_NotifyIconA(NIM_MODIFY, &data);
    iconId_ = iconId;
}

void TrayIcon::SetTip(const std::string& tip) const {
    NOTIFYICONDATAA data = IconData(owner_, NIF_TIP);
    lstrcpynA(data.szTip, tip.c_str(), sizeof data.szTip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIcon::Delete() {
    NOTIFYICONDATAA data = IconData(owner_, 0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

}  // namespace shell
