// CPopupDlg: the Popups page (dialog 106): pop-up catching, the sound alert, banner blocking and
// the filtering of secure pages, and the proxy wizard. Catching can only be on while some browser
// points at the proxy; while none does, a warning blinks. Every switch of catching starts a run of
// the cache cleaner, so that pages cached before the browsers used the proxy are fetched again
// through it. The main window reaches the page only through the public operations.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "browsers/browser_state.h"
#include "cleaner/internet_cleaner.h"
#include "core/language_dialog_win.h"
#include "platform/win/property_sheet.h"
#include "res/resource.h"
#include "shell/app_context_win.h"

namespace pages {

class CPopupDlg : public platform::PropertyPage {
  public:
    // Works on app's settings and browser state, with its main look.
    explicit CPopupDlg(shell::AppContext& app);
    // Waits for a cleaning run that is still going: it works on this page's objects.
    ~CPopupDlg() override;

    // Set by the main window when its own window exists; the page posts its messages there.
    HWND mainWindow = nullptr;
    bool isInitialised = false;

    // Texts of the controls from the language file (keys 1001 and 1004 to 1010).
    void ApplyPageTexts();
    // Check boxes and their enabled states from the settings; with catching on, the catching
    // click runs once (it refreshes the browser state and starts a cleaning run).
    void RefreshPageControls();
    // What the page does each time it is shown (also when the main window is shown).
    void Activate();
    // The catching check box 1000 and the sound alert 1001 follow catching being on or off.
    void ShowCatching(bool catching);
    // The banner blocking check box 1030.
    void ShowBannerBlock(bool blocking);
    // Starts a cache cleaning run for the browsers configured now. Runs never overlap: asked for
    // while one goes, one more run follows it, with the flags of the latest request.
    void StartCacheCleaning();

    // Blocks until no cleaning run goes or timeoutMs has passed; true when none goes.
    bool WaitForCleaning(unsigned timeoutMs);
    // Cleaning runs completed so far.
    int CompletedCleaningRuns();

  protected:
    bool OnInit() override;
    LRESULT OnSetActive() override;
    bool OnCommand(int code, int id) override;
    bool OnTimer(UINT_PTR timerId) override;
    // Runs the wizard the start-up prompt's Yes asked for, once the sheet shows.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnDestroy() override;

  private:
    core::ControlTexts catchTexts_{core::texts::kCatchPopupsTexts, {IDC_CATCH_POPUPS}};
    core::ControlTexts otherTexts_{
        core::texts::kPopupsPageTexts,
        {IDC_SOUND_ALERT, IDC_BANNER_BLOCK, IDC_NOT_CONFIGURED_WARNING, IDC_SET_PROXY,
         IDC_RESET_PROXY, IDC_CONFIGURE_GROUP, IDC_FILTER_SECURE}};

    bool CatchingOn() const { return app_.settings.PopupCheckEnabled != 0; }
    void SetCatching(bool on) { app_.settings.PopupCheckEnabled = on ? 1 : 0; }
    browsers::BrowserConfigState& Config() { return app_.browserConfig; }
    void RefreshConfig();
    bool AnyBrowserConfigured();
    // The reset's test: Internet Explorer's live proxy use alone does not count, since the
    // reset has just taken the browsers the user chose off the proxy.
    bool AnyBrowserStillConfigured();

    void OnCatchClicked();
    void OnSoundClicked();
    void OnBannerClicked();
    void OnFilterSecureClicked();
    void OnSetProxy();
    void RunSetProxyWizard();
    void OnResetProxy();

    // blinkPhase 0 and the warning timer (re)started; blinkPhase -1, timer stopped and the
    // warning hidden.
    void StartBlinking();
    void StopBlinking();
    // Catching switched off because no browser is configured (any more): message 2253 when it
    // was on, then the controls and the main window follow.
    void CatchingOffWithoutBrowser(bool wasCatching);
    void PostToMainWindow(UINT message) const;
    int ShowMessage(const core::LanguageText& text, UINT type) const;

    // The cleaning thread's body: runs until no further run is asked for.
    static void CacheCleaningThread(void* page);
    void CleanCaches(const browsers::BrowserConfigState& flags);

    shell::AppContext& app_;
    // The cleaner's objects, used only by the cleaning thread while a run goes.
    std::unique_ptr<cleaner::CInternetCleanerParamters> cleanerParameters;
    std::unique_ptr<cleaner::CInternetCleanerModule> cleanerModule;
    // -1: the warning does not blink; 0: the next tick shows it; 1: the next tick hides it.
    int blinkPhase = -1;

    // The run state, guarded by cleaningLock_.
    std::mutex cleaningLock_;
    std::condition_variable cleaningIdle_;
    bool cleaningRunning_ = false;
    bool cleaningPending_ = false;
    int cleaningRuns_ = 0;
    // The browser flags for the next run, copied at the request on the user-interface thread.
    browsers::BrowserConfigState cleaningFlags_;
};

}  // namespace pages
