#include "core/popup_killer_app.h"
#include "pages/activex_page.h"

namespace pages {

bool CActiveXPage::OnInit() {
    isInitialised = true;
    if (core::theApp.mainSkin) core::theApp.mainSkin->ApplySkin(hwnd_);
    return true;
}

void CActiveXPage::ApplyZoneSettings() {}

void CActiveXPage::RefreshPageControls() {}

}  // namespace pages
