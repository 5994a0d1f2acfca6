#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include "app/popup_killer_app_win.h"
#include "app/startup_prompt.h"
#include "browsers/hosts_file.h"
#include "core/app_state.h"
#include "core/instance_window.h"
#include "core/language.h"
#include "platform/socket.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "proxy/blocker.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/main_page_win.h"
#include "shell/splash_dlg_win.h"

namespace core {
namespace {

constexpr char kInstanceWindowClass[] = "KorvoPopupKillerInstance";

// Set when the program is asked to end before its main window runs (during the splash or
// the tray hint): the main window is then not started at all.
bool quitRequested = false;

// The instance window hands what other programs post to it to the main window.
LRESULT CALLBACK InstanceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgQuitQuietly || message == kMsgUninstalling) {
        try {
            if (shell::CMainPage* mainPage = shell::RunningMainPage()) {
                mainPage->QuitQuietly();
            } else {
                // The tray hint waits for the user; the program ends without its answer.
                quitRequested = true;
                if (theApp.trayHint.Handle() != nullptr) theApp.trayHint.End(IDCANCEL);
            }
        } catch (...) {
            OutputDebugStringA("KorvoPop: ending on request failed\n");
        }
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateInstanceWindow(const std::string& title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = InstanceWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kInstanceWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOOLWINDOW, kInstanceWindowClass, title.c_str(), 0, 0, 0, 0, 0,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Offers the configuration wizard while some installed browser does not use the proxy.
// Returns 1 when the user wants the wizard; asks only once (wizardMessage becomes "N").
std::int32_t AskStartupPrompt(const browsers::BrowserConfigState& config) {
    const int code = StartupPromptCode(config);
    appState.wizardMessage = "N";
    if (code == 0) return 0;
    const LanguageText first = StartupPromptText(code);
    std::string text = first.id != nullptr ? GetLanguageString(first) : "";
    text += GetLanguageString(texts::kPromptNote);
    text += GetLanguageString(texts::kPromptButtons);
    const std::string caption = AppTitle();
    if (platform::ShowMessageBox(nullptr, text, caption, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        return 1;
    platform::ShowMessageBox(nullptr, GetLanguageString(texts::kPromptWarning), caption,
                             MB_OK | MB_ICONWARNING);
    return 0;
}

}  // namespace

CPopupKillerApp theApp;

CPopupKillerApp::CPopupKillerApp() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
}

CPopupKillerApp::~CPopupKillerApp() = default;

bool CPopupKillerApp::RecreateInstanceMutex() {
    if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
    const std::string mutexName = InstanceWindowTitle(CurrentLanguageFilePath());
    instanceMutex_ = CreateMutexA(nullptr, TRUE, mutexName.c_str());
    return instanceMutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

int CPopupKillerApp::Run() {
    const std::string mutexName = InstanceWindowTitle(CurrentLanguageFilePath());
    instanceMutex_ = CreateMutexA(nullptr, TRUE, mutexName.c_str());
    const DWORD mutexError = GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS || mutexError == ERROR_INVALID_HANDLE) return 0;

    platform::RegKey appKey;
    appKey.Open(HKEY_CURRENT_USER, kAppKeyPath);
    // A missing "FirstRun" counts as an ordinary start, a missing "ShowAtStart" as shown.
    DWORD value = 0;
    appState.firstRun = appKey.QueryDword("FirstRun", &value) == ERROR_SUCCESS && value != 0;
    appKey.SetDword("FirstRun", 0);
    value = 1;
    appKey.QueryDword("ShowAtStart", &value);
    appState.showAtStart = value != 0;
    appKey.Close();

    appTitle = AppTitle();
    browsers::RefreshBrowserConfigState(browserConfig, proxy::appSettings);
    if (!LoadAppState(appState)) return 0;
    if (appState.firstRun) browsers::BackupHosts();
    if (appState.wizardMessage == "A") startWizard = AskStartupPrompt(browserConfig);

    const std::string instanceTitle = InstanceWindowTitle(CurrentLanguageFilePath());
    proxy::appSettings.PopupIP.Set(browsers::kProxyHost);
    if (!platform::InitSockets()) {
        char text[256] = "";
        LoadStringA(GetModuleHandleA(nullptr), IDS_SOCKETS_INIT_FAILED, text, sizeof text);
        platform::ShowMessageBox(nullptr, text, appTitle, MB_OK);
        return 0;
    }
    shell::SkinControl::RegisterClasses();
    instanceWindow = CreateInstanceWindow(instanceTitle);
    if (instanceWindow == nullptr) return 0;

    shell::CSplashDlg splash;
    splash.RunModal(IDD_SPLASH, nullptr);

    const std::string hostsMessage = browsers::HostsManualInstructions(GetLanguageString);
    if (!browsers::AddHostsEntry("127.0.0.1", proxy::appSettings.PopupIP.Get())) {
        platform::ShowMessageBox(nullptr, hostsMessage, appTitle, MB_OK | MB_ICONINFORMATION);
    }
    counterDialog = std::make_unique<shell::CPopupCountDlg>();
    ReloadSettings();
    platform::Dialog::SetDialogColours(RGB(207, 224, 215), RGB(0, 0, 0));
    if (!appState.firstRun && appState.showAtStart && !quitRequested) {
        trayHint.RunModal(IDD_TRAY_HINT, nullptr);
    }
    if (!quitRequested) {
        shell::CMainPage mainPage;
        mainPage.Run();
    }
    ExitInstance();
    return 0;
}

void CPopupKillerApp::ReloadSettings() {
    proxy::LoadSettings(proxy::appSettings);
    proxy::ResolveScriptFile(listener.context());
    proxy::PrepareBlockerScript(listener.context());
}

void CPopupKillerApp::ExitInstance() {
    DestroyWindow(instanceWindow);
    instanceWindow = nullptr;
    mainSkin.reset();
    counterSkin.reset();
    // The proxy's threads end before the process's objects are destroyed.
    listener.StopListener();
}

}  // namespace core
