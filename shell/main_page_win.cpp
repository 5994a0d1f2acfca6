#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include "app/popup_killer_app_win.h"
#include "browsers/browser_state.h"
#include "browsers/hosts_file.h"
#include "core/app_messages.h"
#include "core/app_state.h"
#include "core/language.h"
#include "platform/win/message_box.h"
#include "proxy/blocker.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/about_dlg_win.h"
#include "shell/help_win.h"
#include "shell/main_page_win.h"
#include "shell/popup_catcher.h"

namespace shell {
namespace {

// The id of the shell's icon of ours, and the sheet's Apply button.
constexpr UINT kTrayIconId = 1;
constexpr int kApplyButton = 12321;
// NOTIFYICONDATAA as the shell of Windows 2000 and later reads it.
constexpr DWORD kTrayIconDataSize = 488;

const UINT MsgTaskbarCallback = RegisterWindowMessageA("TaskbarMsg");
// Broadcast by the shell whenever the taskbar is (re)created.
const UINT MsgTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

// The icon last put into the tray, so it is replaced only when it changes.
int lastTrayIconId = 0;

CMainPage* runningMainPage = nullptr;

bool CatchingOn() { return proxy::appSettings.PopupCheckEnabled != 0; }

HICON TrayIconImage(int resourceId) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                         IMAGE_ICON, 16, 16, LR_SHARED));
}

std::string LoadResourceString(int id) {
    char text[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

// Replaces an item's text only: its default (bold) and check states stay.
void SetMenuText(HMENU menu, UINT command, const core::LanguageText& languageText) {
    std::string text = core::GetLanguageString(languageText);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = &text[0];
    SetMenuItemInfoA(menu, command, FALSE, &item);
}

}  // namespace

CMainPage* RunningMainPage() { return runningMainPage; }

CMainPage::CMainPage() {
    bigIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
    AddPage(popupsPage_, IDD_POPUPS_PAGE, PSP_HASHELP);
    AddPage(activeXPage_, IDD_ACTIVEX_PAGE, PSP_HASHELP);
    AddPage(optionsPage_, IDD_OPTIONS_PAGE, PSP_HASHELP);
    createHidden_ = true;
}

CMainPage::~CMainPage() {
    if (menuResource_ != nullptr) DestroyMenu(menuResource_);
}

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
    Post(MsgTaskbarCreated);
    isVisible_ = false;
    PrepareSystemMenu();
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(bigIcon_));

    menuResource_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    trayMenu_ = GetSubMenu(menuResource_, 0);
    SetMenuDefaultItem(trayMenu_, 0, TRUE);

    SetTimer(hwnd_, kCatcherTimer, kCatcherPeriodMs, nullptr);

    CPopupCountDlg* counter = core::theApp.counterDialog.get();
    if (counter != nullptr && counter->Create() && CatchingOn() &&
        core::appState.blockedPopups != "0" && !core::appState.firstRun) {
        counter->ShowCounter();
    }
    languageSnapshot_ = core::appState.language;
    enabledTip_ = core::GetLanguageString(core::texts::kTrayTipEnabled);
    disabledTip_ = core::GetLanguageString(core::texts::kTrayTipDisabled);
    UpdateTrayMenuTexts();
    LocalizeMainWindow();
    quietExit_ = false;
    core::theApp.listener.StartListener();
}

void CMainPage::PrepareSystemMenu() {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (menu == nullptr) return;
    // A dialog's system menu holds Move and Close; a system that gives the full window menu
    // already has the others, which then only need their states.
    if (GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND) == static_cast<UINT>(-1)) {
        InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_RESTORE, "Restore");
        InsertMenuA(menu, 2, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_SIZE, "Size");
        InsertMenuA(menu, 3, MF_BYPOSITION | MF_STRING, SC_MINIMIZE, "Minimize");
        InsertMenuA(menu, 4, MF_BYPOSITION | MF_STRING | MF_GRAYED, SC_MAXIMIZE, "Maximize");
        InsertMenuA(menu, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    } else {
        for (UINT command : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE}) {
            EnableMenuItem(menu, command, MF_BYCOMMAND | MF_GRAYED);
        }
        EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
    }
    const std::string about = LoadResourceString(IDS_ABOUT_ITEM);
    if (!about.empty()) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_SYSTEM_ABOUT, about.c_str());
    }
}

bool CMainPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == MsgTaskbarCallback) {
        OnTrayCallback(lParam);
        return true;
    }
    if (message == MsgTaskbarCreated) {
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
        case WM_TIMER:
            if (wParam == kCatcherTimer) ScanForCaughtPopup();
            return false;
        case WM_HELP:
            OpenHelp(hwnd_);
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
            if (core::theApp.counterDialog) core::theApp.counterDialog->ShowCounter();
            return true;
        case IDM_CLEAR_COUNTER:
            ClearPopupCounter();
            return true;
        case IDM_HELP:  // also the sheet's Help button
            OpenHelp(hwnd_);
            return true;
        case IDM_ABOUT: {
            CAboutDlg about;
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
        CAboutDlg about;
        about.Run(hwnd_);
    }
    if (command == SC_CLOSE || command == SC_MINIMIZE) {
        // Closing the window never ends the program: it goes back to the tray.
        HideToTray();
        return true;
    }
    return (command & 0xFFF0) == IDM_SYSTEM_ABOUT;
}

void CMainPage::HideToTray() {
    Show(SW_HIDE);
    isVisible_ = false;
    UpdateTrayMenuTexts();
}

void CMainPage::OnTaskbarCreated() {
    // The first start after installation shows the window; every other start, and every
    // restart of the shell, leaves it in the tray.
    if (core::appState.firstRun) {
        Show(SW_SHOW);
        isVisible_ = true;
    } else {
        Show(SW_HIDE);
        isVisible_ = false;
    }
    SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, 0);
    UpdateTrayMenuTexts();
    // Explorer has been restarted, so the icon will have been lost.
    trayIconAdded_ = 0;
    AddTrayIcon();
}

void CMainPage::AddTrayIcon() {
    if (trayIconAdded_) return;
    trayIcon_ = {};
    trayIcon_.cbSize = kTrayIconDataSize;
    trayIcon_.hWnd = hwnd_;
    trayIcon_.uID = kTrayIconId;
    lastTrayIconId = CatchingOn() ? IDI_CATCHING_ON : IDI_CATCHING_OFF;
    trayIcon_.hIcon = TrayIconImage(lastTrayIconId);
    trayIcon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon_.uCallbackMessage = MsgTaskbarCallback;
    trayIconAdded_ = Shell_NotifyIconA(NIM_ADD, &trayIcon_) ? 1 : 0;
}

void CMainPage::OnTrayCallback(LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_MOUSEMOVE: {
            // The tip always tells the current state.
            NOTIFYICONDATAA tip = {};
            tip.cbSize = kTrayIconDataSize;
            tip.hWnd = hwnd_;
            tip.uID = kTrayIconId;
            tip.uFlags = NIF_TIP;
            lstrcpynA(tip.szTip, (CatchingOn() ? enabledTip_ : disabledTip_).c_str(),
                      sizeof tip.szTip);
            Shell_NotifyIconA(NIM_MODIFY, &tip);
            break;
        }
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
    POINT cursor;
    GetCursorPos(&cursor);
    // Without the foreground and the WM_NULL after it, the menu would not close when the user
    // clicks elsewhere.
    SetForegroundWindow(hwnd_);
    menuOpen_ = true;
    TrackPopupMenu(trayMenu_, 0, cursor.x, cursor.y, 0, hwnd_, nullptr);
    menuOpen_ = false;
    Post(WM_NULL);
    if (exitAfterMenu_) {
        exitAfterMenu_ = false;
        ExitProgram();
    }
}

void CMainPage::UpdateTrayIcon() {
    if (!trayIconAdded_) return;
    const int wanted = CatchingOn() ? IDI_CATCHING_ON : IDI_CATCHING_OFF;
    if (wanted == lastTrayIconId) return;
    trayIcon_.uFlags = NIF_ICON;
    trayIcon_.hIcon = TrayIconImage(wanted);
    Shell_NotifyIconA(NIM_MODIFY, &trayIcon_);
    lastTrayIconId = wanted;
}

void CMainPage::UpdateTrayMenuTexts() {
    if (trayMenu_ == nullptr) return;
    if (isVisible_) {
        SetMenuText(trayMenu_, IDM_TOGGLE_WINDOW, core::texts::kMenuHideWindow);
    } else {
        SetMenuText(trayMenu_, IDM_TOGGLE_WINDOW, core::texts::kMenuShowWindow);
    }
    if (CatchingOn()) {
        SetMenuText(trayMenu_, IDM_TOGGLE_CATCHING, core::texts::kMenuDisableCatching);
    } else {
        SetMenuText(trayMenu_, IDM_TOGGLE_CATCHING, core::texts::kMenuEnableCatching);
    }
    SetMenuText(trayMenu_, IDM_SHOW_COUNTER, core::texts::kMenuShowCounter);
    SetMenuText(trayMenu_, IDM_EXIT, core::texts::kMenuExit);
    SetMenuText(trayMenu_, IDM_CLEAR_COUNTER, core::texts::kMenuClearCounter);
    SetMenuText(trayMenu_, IDM_BLOCK_ADS, core::texts::kMenuBlockAds);
    SetMenuText(trayMenu_, IDM_HELP, core::texts::kHelp);
    CheckMenuItem(trayMenu_, IDM_BLOCK_ADS,
                  MF_BYCOMMAND | (proxy::appSettings.BannerBlock == 1 ? MF_CHECKED : MF_UNCHECKED));
}

void CMainPage::LocalizeMainWindow() {
    SetText(core::GetLanguageString(core::texts::kAppTitle));
    SetItemText(IDOK, core::GetLanguageString(core::texts::kOkButton));
    SetItemText(IDCANCEL, core::GetLanguageString(core::texts::kCancelButton));
    SetItemText(kApplyButton, core::GetLanguageString(core::texts::kApplyButton));
    SetItemText(IDHELP, core::GetLanguageString(core::texts::kHelp));
    // The tab labels come only from the language file.
    HWND tabs = TabControl();
    const int count = TabCtrl_GetItemCount(tabs);
    for (int i = 0; i < count; ++i) {
        const std::string id = std::to_string(core::texts::kTabLabels.firstId + i);
        std::string label = core::GetLanguageString({id.c_str(), "Error"});
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
        SetTopmost(proxy::appSettings.DisplayOnTop == 1);
    } else {
        Show(SW_HIDE);
    }
    UpdateTrayMenuTexts();
}

void CMainPage::ToggleCatching() {
    browsers::RefreshBrowserConfigState(core::theApp.browserConfig, proxy::appSettings);
    popupsPage_.StartCacheCleaning();
    const browsers::BrowserConfigState& config = core::theApp.browserConfig;
    if (CatchingOn()) {
        proxy::appSettings.PopupCheckEnabled = 0;
    } else if (!browsers::NothingConfigured(config)) {
        proxy::appSettings.PopupCheckEnabled = 1;
    } else {
        platform::ShowMessageBox(hwnd_,
                                 core::GetLanguageString(core::texts::kConfigureBrowsersFirst),
                                 core::theApp.appTitle, MB_ICONINFORMATION);
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

void CMainPage::ToggleBlockAds() {
    const bool blocking = proxy::appSettings.BannerBlock == 0;
    proxy::appSettings.BannerBlock = blocking ? 1 : 0;
    popupsPage_.ShowBannerBlock(blocking);
    CheckMenuItem(trayMenu_, IDM_BLOCK_ADS, MF_BYCOMMAND | (blocking ? MF_CHECKED : MF_UNCHECKED));
    browsers::ApplyAdBlockHostsFile(blocking);
    popupsPage_.SetModified(true);
}

void CMainPage::ClearPopupCounter() {
    core::appState.blockedPopups = "0";
    if (core::theApp.counterDialog) core::theApp.counterDialog->SetCount("0");
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
            enabledTip_ = core::GetLanguageString(core::texts::kTrayTipEnabled);
            disabledTip_ = core::GetLanguageString(core::texts::kTrayTipDisabled);
            UpdateTrayMenuTexts();
            break;
        case kMsgTopmostChanged:
            SetTopmost(proxy::appSettings.DisplayOnTop == 1);
            break;
        case kMsgBannerChanged:
            CheckMenuItem(
                trayMenu_, IDM_BLOCK_ADS,
                MF_BYCOMMAND | (proxy::appSettings.BannerBlock == 1 ? MF_CHECKED : MF_UNCHECKED));
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
    core::SaveAppState(core::appState, proxy::appSettings.Startup);
    proxy::SaveSettings(proxy::appSettings);
    proxy::PrepareBlockerScript(core::theApp.listener.context());
    if (activeXPage_.isInitialised) activeXPage_.ApplyZoneSettings();
    SetPagesUnmodified();
    languageSnapshot_ = core::appState.language;
}

void CMainPage::CancelChanges() {
    core::theApp.ReloadSettings();
    core::appState.language = languageSnapshot_;
    SetPagesUnmodified();
    if (popupsPage_.isInitialised) popupsPage_.RefreshPageControls();
    if (optionsPage_.isInitialised) optionsPage_.RefreshPageControls();
    if (activeXPage_.isInitialised) activeXPage_.RefreshPageControls();
    if (core::appState.closeToTray == 1) {
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
            hwnd_, core::GetLanguageString(core::texts::kExitQuestion),
            core::GetLanguageString(core::texts::kExitCaption), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) return;  // the settings are saved all the same
    }
    NOTIFYICONDATAA removal = {};
    removal.cbSize = kTrayIconDataSize;
    removal.hWnd = hwnd_;
    removal.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &removal);
    trayIconAdded_ = 0;
    if (core::theApp.counterDialog) core::theApp.counterDialog->Destroy();
    KillTimer(hwnd_, kCatcherTimer);
    // Destroying the window ends the sheet's own message loop, once the loop looks: when this
    // runs inside a message another thread sent (the tray's callback), the loop still waits
    // for a posted message, and the one posted to the window is gone with it.
    DestroyWindow(hwnd_);
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

}  // namespace shell
