// The one way the program shows a message box. Tests replace the handler to answer boxes
// without a window; everything else calls ShowMessageBox.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Same contract as MessageBoxA: type is the MB_* flags, the result the button id.
using MessageBoxHandler = int (*)(HWND owner, const std::string& text, const std::string& caption,
                                  UINT type);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Routes every later ShowMessageBox to handler; nullptr restores the real MessageBoxA.
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
