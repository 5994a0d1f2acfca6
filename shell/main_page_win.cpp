#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include "browsers/browser_state.h"
#include "browsers/hosts_file.h"
#include "core/app_messages.h"
#include "core/app_state.h"
#include "core/language.h"
#include "core/secure_page_texts.h"
#include "platform/win/message_box.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/about_dlg_win.h"
#include "shell/help_win.h"
#include "shell/main_page_win.h"
#include "shell/popup_catcher_win.h"
#include "shell/system_menu_win.h"

namespace shell {
namespace {

// The sheet's Apply button.
constexpr int kApplyButton = 12321;

CMainPage* runningMainPage = nullptr;

std::string LoadResourceString(int id) {
    char text[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

}  // namespace

CMainPage* RunningMainPage() { return runningMainPage; }

CMainPage::CMainPage(AppContext& app)
    : app_(app), popupsPage_(app), activeXPage_(app.MainLook(), app.state), optionsPage_(app) {
    SetLook(app.MainLook());
    bigIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
    AddPage(popupsPage_, IDD_POPUPS_PAGE, PSP_HASHELP);
    AddPage(activeXPage_, IDD_ACTIVEX_PAGE, PSP_HASHELP);
    AddPage(optionsPage_, IDD_OPTIONS_PAGE, PSP_HASHELP);
    createHidden_ = true;
}

CMainPage::~CMainPage() = default;

void CMainPage::Run() {
    const std::string caption = LoadResourceString(IDS_MAIN_CAPTION);
    RunModal(nullptr, caption.c_str(), false, PSH_HASHELP);
    runningMainPage = nullptr;
}

void CMainPage::OnInitialized() {
    runningMainPage = this;
    // Hidden without being activated; a minimize box for the system menu's Minimize.
    const LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
    SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~WS_VISIBLE) | WS_MINIMIZEBOX);
    SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, 0);
    popupsPage_.mainWindow = hwnd_;
    optionsPage_.mainWindow = hwnd_;
    // The tray icon is added by this message's handler once the message loop runs.
    Post(TrayIcon::TaskbarCreatedMessage());
    isVisible_ = false;
    PrepareSystemMenu(hwnd_);
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(bigIcon_));

    trayMenu_.Load();

    titleChanges_ = std::make_unique<platform::TitleChangeHook>(
        [this](HWND window) { CatchInTitleOf(app_, window); });
    // The timer catches what the hook does not hear of; without the hook it is the catcher.
    SetTimer(hwnd_, kCatcherTimer,
             titleChanges_->Active() ? kCatcherPeriodMs : kCatcherFastPeriodMs, nullptr);

    CPopupCountDlg* counter = app_.counterDialog.get();
    if (counter != nullptr && counter->Create() && CatchingOn() &&
        app_.state.blockedPopups != "0" && !app_.state.firstRun) {
        counter->ShowCounter();
    }
    languageSnapshot_ = app_.state.language;
    enabledTip_ = core::GetLanguageString(app_.state, core::texts::kTrayTipEnabled);
    disabledTip_ = core::GetLanguageString(app_.state, core::texts::kTrayTipDisabled);
    UpdateTrayMenuTexts();
    LocalizeMainWindow();
    quietExit_ = false;
    app_.listener.StartListener();
}

bool CMainPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == TrayIcon::CallbackMessage()) {
        OnTrayCallback(lParam);
        return true;
    }
    if (message == TrayIcon::TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return true;
    }
    switch (message) {
        case kMsgCatchingChanged:
        case kMsgLanguageChanged:
        case kMsgTopmostChanged:
        case kMsgBannerChanged:
            OnPrivateMessage(message);
            return false;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam));
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case PSM_PRESSBUTTON:
            // comctl32 would end the sheet itself for OK, Cancel and Finish.
            if (!OnPressButton(static_cast<int>(wParam))) return false;
            *result = TRUE;
            return true;
        case WM_CLOSE:
            // The sheet's own answer would be Cancel ending it: closing goes back to the tray.
            HideToTray();
            return true;
        case WM_TIMER:
            if (wParam == kCatcherTimer) ScanForCaughtPopup(app_);
            return false;
        case WM_HELP:
            OpenHelp(hwnd_, app_.state.installPath);
            return false;
        default:
            (void)result;
            return false;
    }
}

bool CMainPage::OnCommand(int id) {
    switch (id) {
        case IDM_TOGGLE_WINDOW:
            ToggleMainWindow();
            return true;
        case IDM_TOGGLE_CATCHING:
            ToggleCatching();
            return true;
        case IDM_BLOCK_ADS:
            ToggleBlockAds();
            return true;
        case IDM_SHOW_COUNTER:
            if (app_.counterDialog) app_.counterDialog->ShowCounter();
            return true;
        case IDM_CLEAR_COUNTER:
            ClearPopupCounter();
            return true;
        case IDM_HELP:  // also the sheet's Help button
            OpenHelp(hwnd_, app_.state.installPath);
            return true;
        case IDM_ABOUT: {
            CAboutDlg about(app_);
            about.Run(hwnd_);
            return true;
        }
        case IDM_EXIT:
            ExitProgram();
            return true;
        case IDOK:
            ApplyAll();
            HideToTray();
            return true;
        case IDCANCEL:
            CancelChanges();
            return true;
        case kApplyButton:
            ApplyAll();
            return true;
        default:
            return false;
    }
}

bool CMainPage::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) == IDM_SYSTEM_ABOUT) {
        CAboutDlg about(app_);
        about.Run(hwnd_);
    }
    if (command == SC_CLOSE || command == SC_MINIMIZE) {
        // Closing the window never ends the program: it goes back to the tray.
        HideToTray();
        return true;
    }
    return (command & 0xFFF0) == IDM_SYSTEM_ABOUT;
}

bool CMainPage::OnPressButton(int button) {
    int id = 0;
    switch (button) {
        case PSBTN_OK:
            id = IDOK;
            break;
        case PSBTN_APPLYNOW:
            id = kApplyButton;
            break;
        case PSBTN_CANCEL:
            id = IDCANCEL;
            break;
        case PSBTN_BACK:
        case PSBTN_NEXT:
        case PSBTN_FINISH:
            return true;  // the wizard's buttons: this sheet has none
        default:
            return false;
    }
    // A button that cannot be clicked (Apply with nothing changed) cannot be pressed either.
    if (IsItemEnabled(id)) OnCommand(id);
    return true;
}

void CMainPage::HideToTray() {
    Show(SW_HIDE);
    isVisible_ = false;
    UpdateTrayMenuTexts();
}

void CMainPage::OnTaskbarCreated() {
    // The first start after installation shows the window; every other start, and every
    // restart of the shell, leaves it in the tray.
    if (app_.state.firstRun) {
        Show(SW_SHOW);
        isVisible_ = true;
    } else {
        Show(SW_HIDE);
        isVisible_ = false;
    }
    SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, 0);
    UpdateTrayMenuTexts();
    // Explorer has been restarted, so the icon will have been lost.
    trayIcon_.AddAgain(hwnd_, CatchingIcon());
}

int CMainPage::CatchingIcon() const { return CatchingOn() ? IDI_CATCHING_ON : IDI_CATCHING_OFF; }

void CMainPage::OnTrayCallback(LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_MOUSEMOVE:
            // The tip always tells the current state.
            trayIcon_.SetTip(CatchingOn() ? enabledTip_ : disabledTip_);
            break;
        case WM_LBUTTONDBLCLK:
            ToggleMainWindow();
            break;
        case WM_RBUTTONUP:
            ShowTrayMenu();
            break;
        default:
            break;
    }
}

void CMainPage::ShowTrayMenu() {
    // Without the foreground and the WM_NULL after it, the menu would not close when the user
    // clicks elsewhere.
    SetForegroundWindow(hwnd_);
    menuOpen_ = true;
    trayMenu_.Track(hwnd_);
    menuOpen_ = false;
    Post(WM_NULL);
    if (exitAfterMenu_) {
        exitAfterMenu_ = false;
        ExitProgram();
    }
}

void CMainPage::UpdateTrayIcon() { trayIcon_.SetIcon(CatchingIcon()); }

void CMainPage::UpdateTrayMenuTexts() {
    trayMenu_.UpdateTexts(app_.state, isVisible_, CatchingOn(), app_.settings.BannerBlock == 1);
}

void CMainPage::LocalizeMainWindow() {
    SetText(core::GetLanguageString(app_.state, core::texts::kAppTitle));
    SetItemText(IDOK, core::GetLanguageString(app_.state, core::texts::kOkButton));
    SetItemText(IDCANCEL, core::GetLanguageString(app_.state, core::texts::kCancelButton));
    SetItemText(kApplyButton, core::GetLanguageString(app_.state, core::texts::kApplyButton));
    SetItemText(IDHELP, core::GetLanguageString(app_.state, core::texts::kHelp));
    // The tab labels come only from the language file.
    HWND tabs = TabControl();
    const int count = TabCtrl_GetItemCount(tabs);
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(core::texts::kTabLabels.firstId + i);
        std::string label = core::GetLanguageString(app_.state, {id.c_str(), "Error"});
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = &label[0];
        SendMessageA(tabs, TCM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

void CMainPage::ToggleMainWindow() {
    isVisible_ = !isVisible_;
    if (isVisible_) {
        Show(SW_SHOW);
        SetForegroundWindow(hwnd_);
        popupsPage_.Activate();
        SetTopmost(app_.settings.DisplayOnTop == 1);
    } else {
        Show(SW_HIDE);
    }
    UpdateTrayMenuTexts();
}

void CMainPage::ToggleCatching() {
    browsers::RefreshBrowserConfigState(app_.browserConfig, app_.settings);
    popupsPage_.StartCacheCleaning();
    const browsers::BrowserConfigState& config = app_.browserConfig;
    if (CatchingOn()) {
        app_.settings.PopupCheckEnabled = 0;
    } else if (!browsers::NothingConfigured(config)) {
        app_.settings.PopupCheckEnabled = 1;
    } else {
        platform::ShowMessageBox(
            hwnd_, core::GetLanguageString(app_.state, core::texts::kConfigureBrowsersFirst),
            app_.appTitle, MB_ICONINFORMATION);
        return;
    }
    UpdateTrayIcon();
    popupsPage_.ShowCatching(CatchingOn());
    popupsPage_.SetModified(true);
    UpdateTrayMenuTexts();
}

void CMainPage::OnCatchingChanged() {
    UpdateTrayMenuTexts();
    UpdateTrayIcon();
    popupsPage_.ShowCatching(CatchingOn());
}

// As the Popups page's check box: a hosts file only an administrator may write goes to the
// program's elevated run; declined or failed, the setting, the menu item and the check box
// stay as they were.
void CMainPage::ToggleBlockAds() {
    const bool blocking = app_.settings.BannerBlock == 0;
    using browsers::HostsCommand;
    if (browsers::ApplyAdBlockHostsFile(blocking) == browsers::HostsSwitch::kNotWritten &&
        !app_.app.ChangeHostsAsAdministrator(blocking ? HostsCommand::kAdsOn
                                                      : HostsCommand::kAdsOff)) {
        platform::ShowMessageBox(
            hwnd_, core::GetLanguageString(app_.state, core::texts::kBannerNeedsAdministrator),
            app_.appTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    app_.settings.BannerBlock = blocking ? 1 : 0;
    popupsPage_.ShowBannerBlock(blocking);
    trayMenu_.CheckBlockAds(blocking);
    popupsPage_.SetModified(true);
}

void CMainPage::ClearPopupCounter() {
    app_.state.blockedPopups = "0";
    if (app_.counterDialog) app_.counterDialog->SetCount("0");
    // Apply then writes the count.
    popupsPage_.SetModified(true);
}

void CMainPage::OnPrivateMessage(UINT message) {
    switch (message) {
        case kMsgCatchingChanged:
            OnCatchingChanged();
            break;
        case kMsgLanguageChanged:
            LocalizeMainWindow();
            popupsPage_.ApplyPageTexts();
            optionsPage_.ApplyPageTexts();
            enabledTip_ = core::GetLanguageString(app_.state, core::texts::kTrayTipEnabled);
            disabledTip_ = core::GetLanguageString(app_.state, core::texts::kTrayTipDisabled);
            UpdateTrayMenuTexts();
            break;
        case kMsgTopmostChanged:
            SetTopmost(app_.settings.DisplayOnTop == 1);
            break;
        case kMsgBannerChanged:
            trayMenu_.CheckBlockAds(app_.settings.BannerBlock == 1);
            break;
        default:
            break;
    }
}

void CMainPage::SetPagesUnmodified() {
    popupsPage_.SetModified(false);
    activeXPage_.SetModified(false);
    optionsPage_.SetModified(false);
}

void CMainPage::ApplyAll() {
    core::SaveAppState(app_.state, app_.settings.Startup);
    app_.app.SaveSettings();
    if (activeXPage_.isInitialised) activeXPage_.ApplyZoneSettings();
    SetPagesUnmodified();
    languageSnapshot_ = app_.state.language;
}

void CMainPage::CancelChanges() {
    app_.app.ReloadSettings();
    app_.state.language = languageSnapshot_;
    core::ApplySecurePageTexts(app_.state, app_.listener.context().securePageTexts);
    SetPagesUnmodified();
    if (popupsPage_.isInitialised) popupsPage_.RefreshPageControls();
    if (optionsPage_.isInitialised) optionsPage_.RefreshPageControls();
    if (activeXPage_.isInitialised) activeXPage_.RefreshPageControls();
    if (app_.state.closeToTray == 1) {
        HideToTray();
    } else {
        ExitProgram();
    }
}

void CMainPage::QuitQuietly() {
    quietExit_ = true;
    // Destroying the window under an open menu would leave the menu's loop running for ever.
    if (menuOpen_) {
        exitAfterMenu_ = true;
        EndMenu();
        return;
    }
    ExitProgram();
}

void CMainPage::ExitProgram() {
    ApplyAll();
    if (!quietExit_) {
        const int answer = platform::ShowMessageBox(
            hwnd_, core::GetLanguageString(app_.state, core::texts::kExitQuestion),
            core::GetLanguageString(app_.state, core::texts::kExitCaption),
            MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) return;  // the settings are saved all the same
    }
    trayIcon_.Delete();
    if (app_.counterDialog) app_.counterDialog->Destroy();
    KillTimer(hwnd_, kCatcherTimer);
    titleChanges_.reset();
    // Destroying the window ends the sheet's own message loop, once the loop looks: when this
    // runs inside a message another thread sent (the tray's callback), the loop still waits
    // for a posted message, and the one posted to the window is gone with it.
    DestroyWindow(hwnd_);
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

}  // namespace shell
