// CPopupKillerApp: the one application object of KorvoPop. Its start-up routine runs the
// program's whole life: single-instance check, application state, the start-up prompt, the
// hosts entry and the settings, then the main window run modally. The registry-backed state and
// the proxy settings are the process-wide core::appState and proxy::appSettings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "browsers/browser_state.h"
#include "proxy/listener.h"
#include "shell/popup_count_dlg_win.h"
#include "shell/skin_control_win.h"
#include "shell/tray_hint_dlg_win.h"

namespace core {

class CPopupKillerApp {
  public:
    CPopupKillerApp();
    ~CPopupKillerApp();
    CPopupKillerApp(const CPopupKillerApp&) = delete;
    CPopupKillerApp& operator=(const CPopupKillerApp&) = delete;

    // Runs start-up, the main window and shut-down; returns the process exit code (0).
    int Run();
    // LoadSettings, ResolveScriptFile and PrepareBlockerScript, in this order.
    void ReloadSettings();
    // Releases the skin objects; the end of Run.
    void ExitInstance();
    // Closes the single-instance mutex and creates it again, owned, under the title of the
    // current language (text 9999). False when a mutex of that name already exists or cannot
    // be created; the program then has to end.
    bool RecreateInstanceMutex();

    // 1 when the user answered Yes to the start-up prompt: the Popups page opens the wizard.
    std::int32_t startWizard = 0;
    // Program title, caption of the message boxes: text 99990.
    std::string appTitle;
    browsers::BrowserConfigState browserConfig;
    shell::CTrayHintDlg trayHint;
    // Created by start-up; its window is created and destroyed by the main window.
    std::unique_ptr<shell::CPopupCountDlg> counterDialog;
    // The skin of the main window, pages, wizard, tray hint and About ("KorvoSkn.skn"), and the
    // counter window's ("popup.skn"). Either may be null: the windows are then plain.
    std::shared_ptr<shell::SkinControl> mainSkin;
    std::shared_ptr<shell::SkinControl> counterSkin;
    proxy::ProxyListener listener{proxy::appSettings};
    // The hidden window other programs find by its title (text 9999); null outside Run.
    HWND instanceWindow = nullptr;

  private:
    HANDLE instanceMutex_ = nullptr;
};

// The one application object.
extern CPopupKillerApp theApp;

}  // namespace core
