// CMainPage: the main window, a property sheet with the Popups, ActiveX and Options pages, run
// modally for the program's whole life and hidden most of it. The user reaches it, and the rest
// of the program, through the tray icon and its menu. It drives the pop-up catcher's timer and
// starts the proxy. The sheet ends only through ExitProgram: its OK, Apply and Cancel, clicked
// or pressed by message (PSM_PRESSBUTTON), and WM_CLOSE never end it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "pages/activex_page_win.h"
#include "pages/options_page_win.h"
#include "pages/popup_dlg_win.h"
#include "platform/win/property_sheet.h"
#include "platform/win/title_change_hook.h"
#include "shell/app_context_win.h"
#include "shell/tray_icon_win.h"
#include "shell/tray_menu_win.h"

namespace shell {

class CMainPage : public platform::PropertySheet {
  public:
    // Works on app: its state, settings, counter window, listener and main look.
    explicit CMainPage(AppContext& app);
    ~CMainPage() override;

    // Runs the sheet until ExitProgram ends it.
    void Run();

    void UpdateTrayIcon();
    void UpdateTrayMenuTexts();
    void LocalizeMainWindow();
    // Apply: application state, settings file, blocker script and zone settings.
    void ApplyAll();
    // Applies, asks unless quiet, and ends the sheet; the program then ends.
    void ExitProgram();
    // Ends the program without a question (the browser helper and the uninstaller ask for it).
    void QuitQuietly();
    void ToggleMainWindow();
    void ToggleCatching();
    void ToggleBlockAds();
    void ClearPopupCounter();
    void OnCatchingChanged();

    bool IsTrayIconAdded() const { return trayIcon_.IsAdded(); }

  protected:
    void OnInitialized() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    bool OnCommand(int id);
    bool OnSysCommand(WPARAM command);
    // PSM_PRESSBUTTON: OK, Apply and Cancel act as if clicked, the wizard's buttons (this sheet
    // has none) do nothing. Returns false for Help, which comctl32 handles itself.
    bool OnPressButton(int button);
    void OnTaskbarCreated();
    void OnTrayCallback(LPARAM mouseMessage);
    void OnPrivateMessage(UINT message);
    void ShowTrayMenu();
    void HideToTray();
    void CancelChanges();
    void SetPagesUnmodified();
    bool CatchingOn() const { return app_.settings.PopupCheckEnabled != 0; }
    int CatchingIcon() const;

    AppContext& app_;
    HICON bigIcon_ = nullptr;
    pages::CPopupDlg popupsPage_;
    pages::CActiveXPage activeXPage_;
    pages::COptionsPage optionsPage_;
    TrayIcon trayIcon_;
    TrayMenu trayMenu_;
    // Hears of every title change, so a marked title is caught as it appears; null when the
    // main window does not run.
    std::unique_ptr<platform::TitleChangeHook> titleChanges_;
    std::string enabledTip_;
    std::string disabledTip_;
    std::string languageSnapshot_;
    bool quietExit_ = false;
    bool isVisible_ = false;
    // The tray menu runs its own loop; an exit asked for meanwhile waits until it has closed.
    bool menuOpen_ = false;
    bool exitAfterMenu_ = false;
};

// The running main window, or null outside its life: the instance window hands it the
// messages other programs post.
CMainPage* RunningMainPage();

}  // namespace shell
