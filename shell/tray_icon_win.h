// TrayIcon: the program's icon in the taskbar's notification area. Its mouse messages come to
// the owner window as CallbackMessage(), with the mouse message in lParam. The shell forgets
// every icon when the taskbar is created again (Explorer restarted): the owner then receives
// TaskbarCreatedMessage() and adds the icon again.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

class TrayIcon {
  public:
    // The registered messages "TaskbarMsg" and "TaskbarCreated".
    static UINT CallbackMessage();
    static UINT TaskbarCreatedMessage();

    // Adds the icon (resource iconId) for owner, with an empty tip. Does nothing while it is
    // added. Returns whether the icon is in the tray.
    bool Add(HWND owner, int iconId);
    // After TaskbarCreatedMessage(): the icon is gone from the tray and is added anew.
    bool AddAgain(HWND owner, int iconId);
    // Replaces the image when the icon is added and iconId is not the image shown.
    void SetIcon(int iconId);
    // Replaces the tip; a longer text is cut to what the shell's record holds.
    void SetTip(const std::string& tip) const;
    // Takes the icon out of the tray.
    void Delete();

    bool IsAdded() const { return added_; }

  private:
    HWND owner_ = nullptr;
    bool added_ = false;
    int iconId_ = 0;
};

}  // namespace shell
