// The skin control: an in-process window class that the dialog resources host as a hidden control
// (1034, 1040, 1068). The object behind it reads a small skin file and colours windows with it;
// it is the program's look (platform::Look). A missing or damaged file leaves a window plain and
// never stops a window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/win/dialog.h"
#include "shell/hosted_control_win.h"

namespace shell {

class SkinControl final : public platform::Look {
  public:
    // Registers the window classes SKIN_CONTROL_CLASS and SPLASH_CONTROL_CLASS. Must run once
    // before any dialog that hosts them is created; later calls do nothing.
    static void RegisterClasses();

    // The object of the skin control with id controlId in dialog, or null when the dialog has
    // no such control.
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

    // The look of the dialogs and sheets given this skin: ApplySkin and RefreshSkin.
    void Apply(HWND window) override;
    void Refresh(HWND window) override;

  private:
    std::shared_ptr<const SkinFile> skin_;
};

}  // namespace shell
