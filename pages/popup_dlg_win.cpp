#include "core/app_state.h"
#include "core/language_dialog.h"
#include "core/popup_killer_app.h"
#include "pages/popup_dlg.h"
#include "proxy/settings.h"
#include "res/resource.h"

namespace pages {

bool CPopupDlg::OnInit() {
    isInitialised = true;
    ApplyPageTexts();
    RefreshPageControls();
    // This page loads the main skin; the sheet, the other pages and the dialogs reuse it.
    core::theApp.mainSkin = shell::SkinControl::FromDialogItem(hwnd_, IDC_SKIN);
    if (core::theApp.mainSkin) {
        core::theApp.mainSkin->LoadSkin(
            shell::WidePath(core::appState.installPath + "\\KorvoSkn.skn"));
        core::theApp.mainSkin->ApplySkin(Sheet());
        core::theApp.mainSkin->ApplySkin(hwnd_);
    }
    return true;
}

LRESULT CPopupDlg::OnSetActive() {
    ApplyPageTexts();
    return 0;
}

void CPopupDlg::Activate() {
    if (isInitialised) OnSetActive();
}

void CPopupDlg::ApplyPageTexts() {
    if (hwnd_ == nullptr) return;
    // Keys 1002 and 1003 name no control.
    core::ApplyControlTexts(hwnd_, 1001, {IDC_CATCH_POPUPS});
    core::ApplyControlTexts(hwnd_, 1004,
                            {IDC_SOUND_ALERT, IDC_BANNER_BLOCK, IDC_NOT_CONFIGURED_WARNING,
                             IDC_SET_PROXY, IDC_RESET_PROXY, IDC_CONFIGURE_GROUP});
}

void CPopupDlg::RefreshPageControls() {
    if (hwnd_ == nullptr) return;
    ShowCatching(proxy::appSettings.PopupCheckEnabled != 0);
    ShowBannerBlock(proxy::appSettings.BannerBlock == 1);
    if (proxy::appSettings.PlayWave != 0) CheckItem(IDC_SOUND_ALERT, true);
    if (core::appState.languageChanged) ApplyPageTexts();
}

void CPopupDlg::ShowCatching(bool catching) {
    if (hwnd_ == nullptr) return;
    CheckItem(IDC_CATCH_POPUPS, catching);
    EnableItem(IDC_SOUND_ALERT, catching);
}

void CPopupDlg::ShowBannerBlock(bool blocking) {
    if (hwnd_ != nullptr) CheckItem(IDC_BANNER_BLOCK, blocking);
}

void CPopupDlg::StartCacheCleaning() {}

}  // namespace pages
