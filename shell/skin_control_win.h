// The skin control and the splash control: in-process window classes that the dialog resources
// host as controls (1034, 1040, 1068 for skins, 1057 for the splash). A dialog asks its control
// for the object behind it; objects are shared, so the application can keep one after the
// dialog that hosted it is gone. A missing or damaged file leaves a window plain and never stops
// a window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace shell {

struct SkinFile;
struct SplashFile;

// A path for the controls: the ANSI text converted to a wide string in the ANSI code page.
std::wstring WidePath(const std::string& path);

class SkinControl {
  public:
    // Registers the window classes SKIN_CONTROL_CLASS and SPLASH_CONTROL_CLASS. Must run once
    // before any dialog that hosts them is created; later calls do nothing.
    static void RegisterClasses();

    // The object of the skin control with id controlId in dialog, or null when the dialog has
    // no such control (the window then goes on without a skin).
    static std::shared_ptr<SkinControl> FromDialogItem(HWND dialog, int controlId);

    // Loads a skin file. Returns false when the file is missing or damaged; windows skinned
    // from then on stay plain.
    bool LoadSkin(const std::wstring& path);
    // Skins window and its controls with the skin loaded at this moment, from now on.
    void ApplySkin(HWND window);
    // Redraws window and its children with their skin (after texts changed).
    void RefreshSkin(HWND window);

    // True while a skin is loaded (the last LoadSkin succeeded).
    bool IsLoaded() const { return skin_ != nullptr; }

  private:
    std::shared_ptr<const SkinFile> skin_;
};

class SplashControl {
  public:
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
    // Set when the user clicks the splash or presses a key: it ends early.
    bool dismissed_ = false;
};

}  // namespace shell
