#include "core/app_state.h"
#include "core/language_dialog.h"
#include "core/popup_killer_app.h"
#include "pages/options_page.h"
#include "proxy/settings.h"
#include "res/resource.h"

namespace pages {

bool COptionsPage::OnInit() {
    isInitialised = true;
    RefreshPageControls();
    ApplyPageTexts();
    CheckItem(IDC_CLOSE_TO_TRAY, core::appState.closeToTray == 1);
    if (core::theApp.mainSkin) core::theApp.mainSkin->ApplySkin(hwnd_);
    return true;
}

void COptionsPage::ApplyPageTexts() {
    if (hwnd_ == nullptr) return;
    core::ApplyControlTexts(
        hwnd_, 9001,
        {IDC_STARTUP_GROUP, IDC_STARTUP_WINDOWS, IDC_STARTUP_MANUAL, IDC_STARTUP_IE,
         IDC_LANGUAGE_GROUP, IDC_GENERAL_GROUP, IDC_ALWAYS_ON_TOP, IDC_SOUND_GROUP,
         IDC_CHANGE_SOUND_LABEL, IDC_TEST_SOUND, IDC_CURRENT_SOUND_LABEL, IDC_CLOSE_TO_TRAY});
}

void COptionsPage::RefreshPageControls() {
    if (hwnd_ == nullptr) return;
    const int mode = proxy::appSettings.Startup;
    if (mode == 2 || mode == 0 || mode == 1) {
        CheckItem(IDC_STARTUP_WINDOWS, mode == 2);
        CheckItem(IDC_STARTUP_MANUAL, mode == 0);
        CheckItem(IDC_STARTUP_IE, mode == 1);
    }
    if (proxy::appSettings.DisplayOnTop == 1) CheckItem(IDC_ALWAYS_ON_TOP, true);
    if (core::appState.languageChanged) ApplyPageTexts();
}

}  // namespace pages
