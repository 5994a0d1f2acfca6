// CPopupKillerApp: the application object of KorvoPop, owned by WinMain. Its start-up routine
// runs the program's whole life: single-instance check, application state, the start-up prompt,
// the hosts entry, the settings and the skins, then the main window run modally. It owns the
// windows' shared context and answers what they ask of the application.
#pragma once

#include <windows.h>

#include <optional>

#include "core/app_state.h"
#include "proxy/listener.h"
#include "proxy/settings.h"
#include "shell/app_context_win.h"

namespace core {

class CPopupKillerApp final : public shell::AppServices {
  public:
    // The browser code's error boxes take their texts from the object's state while it lives.
    CPopupKillerApp();
    // Gives up the single-instance mutex and the error boxes' texts.
    ~CPopupKillerApp();
    CPopupKillerApp(const CPopupKillerApp&) = delete;
    CPopupKillerApp& operator=(const CPopupKillerApp&) = delete;

    // Runs start-up, the main window and shut-down; returns the process exit code (0).
    int Run();
    // Releases the skin objects and stops the proxy; the end of Run.
    void ExitInstance();

    // What the windows are handed.
    shell::AppContext& Context() { return context_; }

    // LoadSettings, ResolveScriptFile and PrepareBlockerScript, in this order. The settings file
    // is the one of Files().
    void ReloadSettings() override;
    // SaveSettings to Files()'s settings file, then PrepareBlockerScript.
    void SaveSettings() override;
    bool RecreateInstanceMutex() override;
    // Runs KorvoPop.exe of the program folder elevated with the command (at most 60 s). False
    // when there is no such program, the user declined or the change failed.
    bool ChangeHostsAsAdministrator(browsers::HostsCommand command) override;

    // Where the run-time files are kept: decided at the start of Run for the program's folder
    // and this user; before that (an object tests drive without Run), the program folder.
    proxy::RunTimeFiles Files() const;

  private:
    static LRESULT CALLBACK InstanceWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam);
    HWND CreateInstanceWindow(const std::string& title);
    // Another program asked the program to end (the browser helper, the uninstaller).
    void OnQuitRequest();
    // With secure pages on, makes the proxy ready for them once: the root, made at first use and
    // put into the user's store, and the exclusion list. A failure goes to the log and, in a
    // build with secure connections, to the user in a message; the proxy then tunnels secure
    // pages as before.
    void PrepareSecurePagesWhenWanted();

    AppState state_;
    proxy::AppSettings settings_;
    // The proxy serves settings_; it stops before they go.
    proxy::ProxyListener listener_{settings_};
    shell::AppContext context_;
    std::optional<proxy::RunTimeFiles> runTimeFiles_;
    HANDLE instanceMutex_ = nullptr;
    // Set when the program is asked to end before its main window runs (during the splash or
    // the tray hint): the main window is then not started at all.
    bool quitRequested_ = false;
    // PrepareSecurePagesWhenWanted ran: the root is opened once per run, whatever came of it.
    bool securePagesTried_ = false;
};

}  // namespace core
