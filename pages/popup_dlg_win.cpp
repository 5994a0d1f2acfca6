#include "pages/popup_dlg_win.h"

#include <chrono>

#include "browsers/hosts_file.h"
#include "core/app_messages.h"
#include "core/app_state.h"
#include "core/language.h"
#include "core/language_dialog_win.h"
#include "platform/threads.h"
#include "platform/win/message_box.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "wizard/proxy_setting_sheet_win.h"

namespace pages {

namespace {

// The warning's blink timer: shown for one period, hidden for the next.
constexpr UINT_PTR kBlinkTimer = 0;
constexpr UINT kBlinkPeriodMs = 1000;

}  // namespace

CPopupDlg::CPopupDlg(shell::AppContext& app)
    : app_(app),
      cleanerParameters(std::make_unique<cleaner::CInternetCleanerParamters>()),
      cleanerModule(std::make_unique<cleaner::CInternetCleanerModule>()) {
    SetLook(app.MainLook());
}

CPopupDlg::~CPopupDlg() {
    std::unique_lock<std::mutex> guard(cleaningLock_);
    cleaningPending_ = false;
    cleaningIdle_.wait(guard, [this] { return !cleaningRunning_; });
}

void CPopupDlg::RefreshConfig() { browsers::RefreshBrowserConfigState(Config(), app_.settings); }

bool CPopupDlg::AnyBrowserConfigured() { return !browsers::NothingConfigured(Config()); }

bool CPopupDlg::AnyBrowserStillConfigured() {
    const browsers::BrowserConfigState& c = Config();
    return c.netscapeIsConfigured || c.dialUpIsConfigured || c.lanIsConfigured ||
           c.opera6IsConfigured || c.opera7IsConfigured;
}

// Refreshes the browser state and, when the user asked for it at the start-up prompt, runs the
// wizard.
bool CPopupDlg::OnInit() {
    RefreshConfig();
    isInitialised = true;
    catchTexts_.Capture(hwnd_);
    otherTexts_.Capture(hwnd_);
    ApplyPageTexts();
    RefreshPageControls();
    // Once the sheet has come up and shows: the wizard then stands in front of it.
    if (app_.startWizard) PostMessageA(hwnd_, shell::kMsgRunStartupWizard, 0, 0);
    return true;
}

bool CPopupDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != shell::kMsgRunStartupWizard) {
        return PropertyPage::OnMessage(message, wParam, lParam, result);
    }
    RunSetProxyWizard();
    return true;
}

LRESULT CPopupDlg::OnSetActive() {
    // Taken before the refresh, which itself switches catching off when no browser is
    // configured: the user is told that catching went off.
    const bool wasCatching = CatchingOn();
    RefreshConfig();
    ApplyPageTexts();
    if (!AnyBrowserConfigured()) {
        if (blinkPhase == -1) StartBlinking();
        CatchingOffWithoutBrowser(wasCatching);
    }
    return 0;
}

void CPopupDlg::Activate() {
    if (isInitialised) OnSetActive();
}

bool CPopupDlg::OnCommand(int code, int id) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case IDC_CATCH_POPUPS:
            OnCatchClicked();
            return true;
        case IDC_SOUND_ALERT:
            OnSoundClicked();
            return true;
        case IDC_SET_PROXY:
            OnSetProxy();
            return true;
        case IDC_RESET_PROXY:
            OnResetProxy();
            return true;
        case IDC_BANNER_BLOCK:
            OnBannerClicked();
            return true;
        case IDC_FILTER_SECURE:
            OnFilterSecureClicked();
            return true;
        default:
            return false;
    }
}

bool CPopupDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != kBlinkTimer || blinkPhase == -1) return false;
    ShowItem(IDC_NOT_CONFIGURED_WARNING, blinkPhase == 0);
    blinkPhase = (blinkPhase + 1) % 2;
    return true;
}

void CPopupDlg::OnDestroy() {
    KillTimer(hwnd_, kBlinkTimer);
    blinkPhase = -1;
}

void CPopupDlg::ApplyPageTexts() {
    if (hwnd_ == nullptr) return;
    catchTexts_.Apply(app_.state, hwnd_);
    otherTexts_.Apply(app_.state, hwnd_);
}

void CPopupDlg::RefreshPageControls() {
    if (hwnd_ == nullptr) return;
    if (CatchingOn()) {
        CheckItem(IDC_CATCH_POPUPS, true);
        OnCatchClicked();
    } else {
        CheckItem(IDC_CATCH_POPUPS, false);
    }
    CheckItem(IDC_BANNER_BLOCK, app_.settings.BannerBlock == 1);
    CheckItem(IDC_FILTER_SECURE, app_.settings.FilterSecurePages != 0);
    EnableItem(IDC_SOUND_ALERT, CatchingOn());
    // Both ways: settings reloaded by Cancel may have switched the sound off.
    CheckItem(IDC_SOUND_ALERT, app_.settings.PlayWave != 0);
    if (app_.state.languageChanged) ApplyPageTexts();
}

void CPopupDlg::ShowCatching(bool catching) {
    if (hwnd_ == nullptr) return;
    CheckItem(IDC_CATCH_POPUPS, catching);
    EnableItem(IDC_SOUND_ALERT, catching);
}

void CPopupDlg::ShowBannerBlock(bool blocking) {
    if (hwnd_ != nullptr) CheckItem(IDC_BANNER_BLOCK, blocking);
}

// Catching may only go on while a browser is configured; otherwise the click is undone and
// message 2252 explains why. Every click that is not undone starts a cleaning run.
void CPopupDlg::OnCatchClicked() {
    RefreshConfig();
    if (AnyBrowserConfigured()) {
        if (blinkPhase != -1) StopBlinking();
    } else {
        SetCatching(false);
        if (blinkPhase == -1) StartBlinking();
        if (IsItemChecked(IDC_CATCH_POPUPS)) {
            CheckItem(IDC_CATCH_POPUPS, false);
            ShowMessage(core::texts::kConfigureBrowsersFirst, MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    SetCatching(IsItemChecked(IDC_CATCH_POPUPS));
    EnableItem(IDC_SOUND_ALERT, CatchingOn());
    StartCacheCleaning();
    SetModified(true);
    PostToMainWindow(shell::kMsgCatchingChanged);
}

void CPopupDlg::OnSoundClicked() {
    // The auto check box has already switched; the setting follows it.
    app_.settings.PlayWave = IsItemChecked(IDC_SOUND_ALERT) ? 1 : 0;
    SetModified(true);
}

// The hosts file switches at once; Cancel does not undo it. When the user may not write it,
// the program's elevated run is asked to; when that is declined or fails, the setting and the
// check box stay as they were.
void CPopupDlg::OnBannerClicked() {
    const bool blocking = IsItemChecked(IDC_BANNER_BLOCK);
    using browsers::HostsCommand;
    if (browsers::ApplyAdBlockHostsFile(blocking) == browsers::HostsSwitch::kNotWritten &&
        !app_.app.ChangeHostsAsAdministrator(blocking ? HostsCommand::kAdsOn
                                                      : HostsCommand::kAdsOff)) {
        CheckItem(IDC_BANNER_BLOCK, !blocking);
        ShowMessage(core::texts::kBannerNeedsAdministrator, MB_OK | MB_ICONWARNING);
        return;
    }
    app_.settings.BannerBlock = blocking ? 1 : 0;
    PostToMainWindow(shell::kMsgBannerChanged);
    SetModified(true);
}

// The proxy reads the setting at each new secure connection; Apply saves it, Cancel takes it back.
// The wizard's next Set Proxy points https at the proxy, or not, as it says then.
void CPopupDlg::OnFilterSecureClicked() {
    app_.settings.FilterSecurePages = IsItemChecked(IDC_FILTER_SECURE) ? 1 : 0;
    SetModified(true);
}

void CPopupDlg::OnSetProxy() { RunSetProxyWizard(); }

// When the wizard configured the first browser, the warning stops and the user is offered to
// switch catching on: from "Set Proxy" and from the start-up prompt's Yes alike.
void CPopupDlg::RunSetProxyWizard() {
    const bool noneBefore = !AnyBrowserConfigured();
    browsers::CProxySettingSheet(true, app_).Run(Sheet());
    if (!noneBefore || !AnyBrowserConfigured()) return;
    if (blinkPhase != -1) StopBlinking();
    if (ShowMessage(core::texts::kEnableCatchingQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    SetCatching(true);
    ShowCatching(true);
    PostToMainWindow(shell::kMsgCatchingChanged);
}

void CPopupDlg::OnResetProxy() {
    browsers::CProxySettingSheet(false, app_).Run(Sheet());
    if (AnyBrowserStillConfigured()) return;
    StartBlinking();
    CatchingOffWithoutBrowser(CatchingOn());
}

void CPopupDlg::StartBlinking() {
    blinkPhase = 0;
    SetTimer(hwnd_, kBlinkTimer, kBlinkPeriodMs, nullptr);
}

void CPopupDlg::StopBlinking() {
    KillTimer(hwnd_, kBlinkTimer);
    ShowItem(IDC_NOT_CONFIGURED_WARNING, false);
    blinkPhase = -1;
}

void CPopupDlg::CatchingOffWithoutBrowser(bool wasCatching) {
    if (wasCatching) {
        ShowMessage(core::texts::kCatchingOffNoBrowser, MB_OK | MB_ICONINFORMATION);
        ShowCatching(false);
        PostToMainWindow(shell::kMsgCatchingChanged);
    }
    SetCatching(false);
}

void CPopupDlg::PostToMainWindow(UINT message) const {
    if (mainWindow != nullptr) PostMessageA(mainWindow, message, 0, 0);
}

int CPopupDlg::ShowMessage(const core::LanguageText& text, UINT type) const {
    return platform::ShowMessageBox(Sheet(), core::GetLanguageString(app_.state, text),
                                    app_.appTitle, type);
}

// ---- Cache cleaning ----

void CPopupDlg::StartCacheCleaning() {
    std::lock_guard<std::mutex> guard(cleaningLock_);
    cleaningFlags_ = Config();
    if (cleaningRunning_) {
        // The running thread owns the cleaner's objects; it starts one more run when done.
        cleaningPending_ = true;
        return;
    }
    cleanerParameters->deleteEntries = 1;
    cleanerParameters->includeSubfolders = 1;
    cleanerParameters->clearReadOnly = 1;
    cleaningRunning_ = platform::StartDetachedThread(CacheCleaningThread, this, false);
}

void CPopupDlg::CacheCleaningThread(void* raw) {
    auto* page = static_cast<CPopupDlg*>(raw);
    browsers::BrowserConfigState flags;
    {
        std::lock_guard<std::mutex> guard(page->cleaningLock_);
        flags = page->cleaningFlags_;
    }
    for (;;) {
        try {
            page->CleanCaches(flags);
        } catch (...) {
            // The cleaner reports nothing; a failed run is simply over.
        }
        std::lock_guard<std::mutex> guard(page->cleaningLock_);
        ++page->cleaningRuns_;
        if (!page->cleaningPending_) {
            page->cleaningRunning_ = false;
            page->cleaningIdle_.notify_all();
            return;
        }
        page->cleaningPending_ = false;
        flags = page->cleaningFlags_;
    }
}

void CPopupDlg::CleanCaches(const browsers::BrowserConfigState& flags) {
    cleaner::CInternetCleanerParamters& parameters = *cleanerParameters;
    cleanerModule->parameters = &parameters;
    cleanerModule->Scan();
    if (flags.lanIsConfigured || flags.dialUpIsConfigured) {
        parameters.browserKind = cleaner::kInternetExplorer;
        cleanerModule->DeleteReduandantEntries();
    }
    if (flags.netscapeIsConfigured) {
        for (std::int32_t kind : {cleaner::kMozillaDefaultProfiles, cleaner::kMozillaOtherProfiles,
                                  cleaner::kMozillaLocalCaches}) {
            parameters.browserKind = kind;
            cleanerModule->DeleteReduandantEntries();
        }
    }
    if (flags.opera6IsConfigured || flags.opera7IsConfigured) {
        parameters.browserKind = cleaner::kOpera;
        cleanerModule->DeleteOperaRedundantEntries();
    }
}

bool CPopupDlg::WaitForCleaning(unsigned timeoutMs) {
    std::unique_lock<std::mutex> guard(cleaningLock_);
    return cleaningIdle_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                  [this] { return !cleaningRunning_; });
}

int CPopupDlg::CompletedCleaningRuns() {
    std::lock_guard<std::mutex> guard(cleaningLock_);
    return cleaningRuns_;
}

}  // namespace pages
