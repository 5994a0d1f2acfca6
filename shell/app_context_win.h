// AppContext: what the tray program's windows share, handed down from the application object to
// the main window, its pages, the dialogs and the wizard. The application object owns it and
// everything it refers to; no window reaches the application itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "browsers/browser_state.h"
#include "browsers/hosts_file.h"
#include "core/app_state.h"
#include "proxy/listener.h"
#include "proxy/settings.h"
#include "shell/popup_count_dlg_win.h"
#include "shell/skin_control_win.h"
#include "shell/tray_hint_dlg_win.h"

namespace shell {

// What a window asks of the application.
class AppServices {
  public:
    // The settings file read again, the blocker script found and prepared again (Cancel).
    virtual void ReloadSettings() = 0;
    // The settings file written and the blocker script prepared from it (Apply).
    virtual void SaveSettings() = 0;
    // Closes the single-instance mutex and creates it again, owned, under the title of the
    // current language (text 9999). False when a mutex of that name already exists or cannot
    // be created; the program then has to end.
    virtual bool RecreateInstanceMutex() = 0;
    // Has the program's own elevated run (with the system's consent prompt) do a hosts file
    // change the user may not make. True when it was done.
    virtual bool ChangeHostsAsAdministrator(browsers::HostsCommand command) = 0;

  protected:
    ~AppServices() = default;
};

struct AppContext {
    AppContext(core::AppState& appState, proxy::AppSettings& appSettings,
               proxy::ProxyListener& proxyListener, AppServices& services)
        : state(appState), settings(appSettings), listener(proxyListener), app(services) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Loads the skins from the installation folder (state.installPath): "KorvoSkn.skn" for the
    // main window, pages, wizard, tray hint and About, "popup.skn" for the counter window. A
    // missing or damaged file leaves the windows of that skin plain.
    void LoadSkins();
    // The looks the windows are given; null before LoadSkins.
    platform::Look* MainLook() const { return mainSkin.get(); }
    platform::Look* CounterLook() const { return counterSkin.get(); }

    // The registry-backed application state and the settings record.
    core::AppState& state;
    proxy::AppSettings& settings;
    proxy::ProxyListener& listener;
    AppServices& app;

    browsers::BrowserConfigState browserConfig;
    // Program title, caption of the message boxes: text 99990.
    std::string appTitle;
    // 1 when the user answered Yes to the start-up prompt: the Popups page opens the wizard.
    std::int32_t startWizard = 0;
    std::shared_ptr<SkinControl> mainSkin;
    std::shared_ptr<SkinControl> counterSkin;
    CTrayHintDlg trayHint{*this};
    // Made at start; its window is created and destroyed by the main window.
    std::unique_ptr<CPopupCountDlg> counterDialog;
    // The hidden window other programs find by its title (text 9999); null outside the run.
    HWND instanceWindow = nullptr;
};

}  // namespace shell
