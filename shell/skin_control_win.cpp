#include "shell/skin_control.h"

namespace shell {

std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

}  // namespace shell

namespace shell {

void SkinControl::RegisterClasses() {}
std::shared_ptr<SkinControl> SkinControl::FromDialogItem(HWND, int) { return nullptr; }
bool SkinControl::LoadSkin(const std::wstring&) { return false; }
void SkinControl::ApplySkin(HWND) {}
void SkinControl::RefreshSkin(HWND) {}

}  // namespace shell
