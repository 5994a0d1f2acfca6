#include "wizard/proxy_setting_sheet_win.h"

#include <string>

#include "browsers/windows_family.h"
#include "core/app_state.h"
#include "core/language_dialog_win.h"
#include "res/resource.h"

namespace browsers {
namespace {

// The wizard's own buttons (comctl32's control ids).
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

CProxySettingSheet* runningSheet = nullptr;

}  // namespace

CProxySettingSheet::CProxySettingSheet(bool setMode, BrowserConfigState& config,
                                       core::AppState& state, platform::Look* look)
    : context_(config, state, look) {
    context_.wizard.setMode = setMode ? 1 : 0;
    AddPage(browsersPage_, IDD_WIZARD_BROWSERS);
    AddPage(connectionsPage_, IDD_WIZARD_CONNECTIONS);
    AddPage(profilesPage_, IDD_WIZARD_PROFILES);
    AddPage(finishPage_, IDD_WIZARD_FINISH);
}

CProxySettingSheet::CProxySettingSheet(bool setMode, shell::AppContext& app)
    : CProxySettingSheet(setMode, app.browserConfig, app.state, app.MainLook()) {
    context_.wizard.filterSecurePages = app.settings.FilterSecurePages != 0 ? 1 : 0;
    context_.wizard.ieTarget = IeProxyTargetFor(app.settings, RunningWindowsFamily());
}

INT_PTR CProxySettingSheet::Run(HWND owner) {
    char caption[256] = "";
    LoadStringA(platform::Dialog::ResourceModule(), IDS_MAIN_CAPTION, caption, sizeof caption);
    context_.cancelled = false;
    CProxySettingSheet* outer = runningSheet;
    runningSheet = this;
    const INT_PTR result = RunModal(owner, caption, true);
    runningSheet = outer;
    // The start-up prompt comes again, since the browsers may still be unconfigured.
    if (context_.cancelled) context_.appState.wizardMessage = "A";
    return result;
}

void CProxySettingSheet::OnInitialized() {
    core::SetWizardItemText(context_.appState, hwnd_, kBackButton, core::texts::kWizardBack);
    core::SetWizardItemText(context_.appState, hwnd_, kNextButton, core::texts::kWizardNext);
    core::SetWizardItemText(context_.appState, hwnd_, IDCANCEL, core::texts::kWizardCancel);
    // The last page's text asks for the button by the page's title.
    core::SetWizardItemText(context_.appState, hwnd_, kFinishButton, core::texts::kFinishPageTitle);
}

CProxySettingSheet* RunningProxySettingSheet() { return runningSheet; }

}  // namespace browsers
