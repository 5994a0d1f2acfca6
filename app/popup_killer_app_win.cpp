#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include "app/popup_killer_app_win.h"
#include "app/startup_prompt.h"
#include "browsers/browser_messages.h"
#include "browsers/hosts_file.h"
#include "core/app_state.h"
#include "core/instance_window.h"
#include "core/language.h"
#include "core/secure_page_texts.h"
#include "core/secure_root_folder.h"
#include "platform/folders.h"
#include "platform/module_path.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "platform/win/elevation.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "proxy/blocker.h"
#include "proxy/diagnostics.h"
#include "proxy/secure_setup.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/main_page_win.h"
#include "shell/skin_control_win.h"
#include "shell/splash_dlg_win.h"

namespace core {
namespace {

constexpr char kInstanceWindowClass[] = "KorvoPopupKillerInstance";

// Offers the configuration wizard while some installed browser does not use the proxy.
// Returns 1 when the user wants the wizard; asks only once (wizardMessage becomes "N").
std::int32_t AskStartupPrompt(const browsers::BrowserConfigState& config, AppState& state) {
    const int code = StartupPromptCode(config);
    state.wizardMessage = "N";
    if (code == 0) return 0;
    const LanguageText first = StartupPromptText(code, config.firefoxInstalled != 0);
    std::string text = first.id != nullptr ? GetLanguageString(state, first) : "";
    text += GetLanguageString(state, texts::kPromptNote);
    text += GetLanguageString(state, texts::kPromptButtons);
    const std::string caption = AppTitle(state);
    if (platform::ShowMessageBox(nullptr, text, caption, MB_YESNO | MB_ICONINFORMATION) == IDYES)
        return 1;
    platform::ShowMessageBox(nullptr, GetLanguageString(state, texts::kPromptWarning), caption,
                             MB_OK | MB_ICONWARNING);
    return 0;
}

}  // namespace

CPopupKillerApp::CPopupKillerApp() : context_(state_, settings_, listener_, *this) {
    // The browser code's error boxes speak the program's language.
    browsers::SetBrowserMessageTexts(
        {[this](const LanguageText& text) { return GetLanguageString(state_, text); },
         [this] { return AppTitle(state_); }});
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
}

CPopupKillerApp::~CPopupKillerApp() {
    browsers::SetBrowserMessageTexts({});
    if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

// The instance window hands what other programs post to it to the main window.
LRESULT CALLBACK CPopupKillerApp::InstanceWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrA(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    if (message == kMsgQuitQuietly || message == kMsgUninstalling) {
        auto* app = reinterpret_cast<CPopupKillerApp*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        try {
            if (app != nullptr) app->OnQuitRequest();
        } catch (...) {
            OutputDebugStringA("KorvoPop: ending on request failed\n");
        }
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void CPopupKillerApp::OnQuitRequest() {
    if (shell::CMainPage* mainPage = shell::RunningMainPage()) {
        mainPage->QuitQuietly();
        return;
    }
    // The tray hint waits for the user; the program ends without its answer.
    quitRequested_ = true;
    if (context_.trayHint.Handle() != nullptr) context_.trayHint.End(IDCANCEL);
}

HWND CPopupKillerApp::CreateInstanceWindow(const std::string& title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = InstanceWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kInstanceWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOOLWINDOW, kInstanceWindowClass, title.c_str(), 0, 0, 0, 0, 0,
                           nullptr, nullptr, GetModuleHandleA(nullptr), this);
}

bool CPopupKillerApp::RecreateInstanceMutex() {
    if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
    const std::string mutexName = InstanceWindowTitle(LanguageFilePath(state_));
    instanceMutex_ = CreateMutexA(nullptr, TRUE, mutexName.c_str());
    return instanceMutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

int CPopupKillerApp::Run() {
    const std::string mutexName = InstanceWindowTitle(LanguageFilePath(state_));
    instanceMutex_ = CreateMutexA(nullptr, TRUE, mutexName.c_str());
    const DWORD mutexError = GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS || mutexError == ERROR_INVALID_HANDLE) return 0;

    AppState& state = context_.state;
    proxy::AppSettings& settings = context_.settings;
    runTimeFiles_ = RunTimeFilesFor(platform::ProgramDirectory());
    MakeUserKeyFromDefaults();
    platform::RegKey appKey;
    appKey.Open(HKEY_CURRENT_USER, kAppKeyPath);
    // A missing "FirstRun" counts as an ordinary start, a missing "ShowAtStart" as shown.
    DWORD value = 0;
    state.firstRun = appKey.QueryDword("FirstRun", &value) == ERROR_SUCCESS && value != 0;
    appKey.SetDword("FirstRun", 0);
    value = 1;
    appKey.QueryDword("ShowAtStart", &value);
    state.showAtStart = value != 0;
    appKey.Close();

    context_.appTitle = AppTitle(state);
    browsers::RefreshBrowserConfigState(context_.browserConfig, settings);
    if (!LoadAppState(state)) return 0;
    ApplySecurePageTexts(state, listener_.context().securePageTexts);
    if (state.firstRun) browsers::BackupHosts(*runTimeFiles_);
    if (state.wizardMessage == "A") {
        context_.startWizard = AskStartupPrompt(context_.browserConfig, state);
    }

    const std::string instanceTitle = InstanceWindowTitle(LanguageFilePath(state_));
    settings.PopupIP.Set(browsers::kProxyHost);
    if (!platform::InitSockets()) {
        char text[256] = "";
        LoadStringA(GetModuleHandleA(nullptr), IDS_SOCKETS_INIT_FAILED, text, sizeof text);
        platform::ShowMessageBox(nullptr, text, context_.appTitle, MB_OK);
        return 0;
    }
    shell::SkinControl::RegisterClasses();
    context_.instanceWindow = CreateInstanceWindow(instanceTitle);
    if (context_.instanceWindow == nullptr) return 0;

    shell::CSplashDlg splash(context_);
    splash.RunModal(IDD_SPLASH, nullptr);

    const std::string hostsMessage = browsers::HostsManualInstructions(
        [&state](const LanguageText& text) { return GetLanguageString(state, text); });
    if (!browsers::AddHostsEntry("127.0.0.1", settings.PopupIP.Get()) &&
        !ChangeHostsAsAdministrator(browsers::HostsCommand::kAddEntry)) {
        platform::ShowMessageBox(nullptr, hostsMessage, context_.appTitle,
                                 MB_OK | MB_ICONINFORMATION);
    }
    context_.counterDialog = std::make_unique<shell::CPopupCountDlg>(context_);
    ReloadSettings();
    if (state.firstRun) SaveRunValue(state.installPath, settings.Startup);
    context_.LoadSkins();
    platform::Dialog::SetDialogColours(RGB(207, 224, 215), RGB(0, 0, 0));
    if (!state.firstRun && state.showAtStart && !quitRequested_) context_.trayHint.Run();
    if (!quitRequested_) {
        shell::CMainPage mainPage(context_);
        mainPage.Run();
    }
    ExitInstance();
    return 0;
}

bool CPopupKillerApp::ChangeHostsAsAdministrator(browsers::HostsCommand command) {
    constexpr unsigned kElevatedRunLimitMs = 60000;
    const std::string program = platform::ModuleFilePath("KorvoPop.exe");
    if (!platform::FileExists(program)) return false;
    return platform::RunElevatedAndWait(program, browsers::HostsCommandArguments(command),
                                        kElevatedRunLimitMs) == 0;
}

proxy::RunTimeFiles CPopupKillerApp::Files() const {
    return runTimeFiles_ ? *runTimeFiles_ : proxy::RunTimeFiles::InProgramFolder();
}

void CPopupKillerApp::ReloadSettings() {
    proxy::LoadSettings(settings_, Files());
    proxy::ResolveScriptFile(listener_.context());
    proxy::PrepareBlockerScript(listener_.context());
    PrepareSecurePagesWhenWanted();
}

void CPopupKillerApp::SaveSettings() {
    proxy::SaveSettings(settings_, Files());
    proxy::PrepareBlockerScript(listener_.context());
    PrepareSecurePagesWhenWanted();
}

void CPopupKillerApp::PrepareSecurePagesWhenWanted() {
    proxy::ProxyContext& proxyContext = listener_.context();
    if (settings_.FilterSecurePages.load() == 0 || securePagesTried_) return;
    securePagesTried_ = true;
    std::string error;
    if (proxy::PrepareSecurePages(proxyContext, core::SecureRootFolder(), error)) return;
    proxy::ReportDiagnostic("Secure pages are tunnelled unfiltered: " + error);
    // The switch shows on; the user is told once that the pages are not filtered after all.
    if (!platform::TlsBuilt()) return;
    std::string text = GetLanguageString(state_, core::texts::kSecureRootFailed);
    const size_t reason = text.find("%s");
    if (reason != std::string::npos) text.replace(reason, 2, error);
    platform::ShowMessageBox(nullptr, text, context_.appTitle, MB_OK | MB_ICONWARNING);
}

void CPopupKillerApp::ExitInstance() {
    DestroyWindow(context_.instanceWindow);
    context_.instanceWindow = nullptr;
    context_.mainSkin.reset();
    context_.counterSkin.reset();
    // The proxy's threads end before the process's objects are destroyed.
    listener_.StopListener();
}

}  // namespace core
