#include "wizard/proxy_setting_sheet_page_win.h"

#include "core/language.h"
#include "core/language_dialog_win.h"
#include "res/resource.h"

namespace browsers {

int PageDialogId(WizardPage page) {
    switch (page) {
        case WizardPage::kBrowsers:
            return IDD_WIZARD_BROWSERS;
        case WizardPage::kConnections:
            return IDD_WIZARD_CONNECTIONS;
        case WizardPage::kProfiles:
            return IDD_WIZARD_PROFILES;
        case WizardPage::kFinish:
            return IDD_WIZARD_FINISH;
    }
    return 0;
}

void CWizardPage::SetText(int controlId, const core::LanguageText& text) const {
    core::SetWizardItemText(context_.appState, hwnd_, controlId, text);
}

namespace {

// Posted to a page that has just been shown: comctl32 gives the wizard its page's resource
// caption once the page is active, after PSN_SETACTIVE, so the title is set again from here.
constexpr UINT kShowTitleMessage = WM_APP + 1;

}  // namespace

void CWizardPage::ShowPage(const core::LanguageText& title) {
    ApplyLook();
    title_ = core::GetWizardString(context_.appState, title);
    PropSheet_SetTitle(Sheet(), 0, title_.c_str());
    PostMessageA(hwnd_, kShowTitleMessage, 0, 0);
}

bool CWizardPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != kShowTitleMessage) {
        return platform::PropertyPage::OnMessage(message, wParam, lParam, result);
    }
    PropSheet_SetTitle(Sheet(), 0, title_.c_str());
    *result = 0;
    return true;
}

// ---- ProxyCheckListCtrl ----

void ProxyCheckListCtrl::Fill(const std::string& columnTitle, const std::vector<std::string>& names,
                              const std::vector<int>& disabledFlags) {
    disabled_ = disabledFlags;
    Prepare(columnTitle);
    for (const std::string& name : names) Add(name);
    FitColumn();
    checkedCount = 0;
}

bool ProxyCheckListCtrl::HandleNotify(const NMHDR& header, LRESULT* result, bool* ticksChanged) {
    *ticksChanged = false;
    if (header.code == NM_CUSTOMDRAW) {
        auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
            *result = CDRF_NOTIFYITEMDRAW;
        } else {
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
                IsDisabled(static_cast<int>(draw.nmcd.dwItemSpec))) {
                draw.clrText = RGB(192, 192, 192);
            }
            *result = CDRF_DODEFAULT;
        }
        return true;
    }
    if (!IsTickChange(header)) return false;
    const int item = reinterpret_cast<const NMLISTVIEW&>(header).iItem;
    // A tick on a grey entry, by mouse or space bar, is taken away at once.
    if (IsDisabled(item) && IsChecked(item)) SetChecked(item, false);
    const int checked = CheckedCount();
    *ticksChanged = checked != checkedCount;
    checkedCount = checked;
    *result = 0;
    return true;
}

void ProxyCheckListCtrl::CheckAll() {
    for (int i = 0; i < Count(); ++i) SetChecked(i, !IsDisabled(i));
    checkedCount = CheckedCount();
}

void ProxyCheckListCtrl::UncheckAll() {
    for (int i = 0; i < Count(); ++i) SetChecked(i, false);
    checkedCount = 0;
}

}  // namespace browsers
