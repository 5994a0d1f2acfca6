// The splash control: an in-process window class that the splash dialog's resource hosts as a
// hidden control (1057). The object behind it reads a splash file and shows the splash window
// for its time. A missing or damaged file shows nothing and never stops the program.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "shell/hosted_control_win.h"

namespace shell {

class SplashControl {
  public:
    // The object of the splash control with id controlId in dialog, or null when the dialog has
    // no such control. The class is registered by SkinControl::RegisterClasses.
    static std::shared_ptr<SplashControl> FromDialogItem(HWND dialog, int controlId);

    // Loads the splash file. Returns false when it is missing or damaged.
    bool LoadSplash(const std::wstring& path);
    // Shows the splash and returns when its time is over; 0 = the time the file names.
    void ShowSplash(int milliseconds);
    // Takes the splash window down; the argument is reserved and 0.
    void CloseSplash(int reserved);

    SplashControl() = default;
    SplashControl(const SplashControl&) = delete;
    SplashControl& operator=(const SplashControl&) = delete;
    // Takes down a splash window still shown.
    ~SplashControl();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateSplashWindow();

    std::shared_ptr<const SplashFile> splash_;
    HWND window_ = nullptr;
    // The screen's DPI when the window was made; its size and drawing scale with it.
    int dpi_ = 96;
    // Set when the user clicks the splash or presses a key: it ends early.
    bool dismissed_ = false;
};

}  // namespace shell
