#pragma once
#include <windows.h>
namespace shell {
inline void OpenHelp(HWND) {}
}  // namespace shell
