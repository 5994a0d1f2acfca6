#include "wizard/proxy_page3_win.h"

#include "core/language.h"
#include "res/resource.h"
#include "wizard/proxy_page4_win.h"

namespace browsers {

bool CMyPropertyPage3::OnInit() {
    NetscapeProfiles& profiles = context_.wizard.netscapeProfiles;
    profiles.LoadProfiles(SetMode());
    std::vector<std::string> names;
    for (const NetscapeProfileEntry& profile : profiles.profiles) names.push_back(profile.name);
    list_.Attach(Item(IDC_PROFILES_LIST));
    list_.Fill(core::GetWizardString(context_.appState, core::texts::kProfileNameColumn), names,
               profiles.disabledFlags);
    finishOnly_ = !AnyProfileChoosable(profiles);

    SetText(IDC_PROFILES_GROUP, core::texts::kProfilesGroup);
    SetText(IDC_PROFILES_CHECK_ALL, core::texts::kProfilesCheckAll);
    SetText(IDC_PROFILES_UNCHECK_ALL, core::texts::kProfilesUncheckAll);
    if (SetMode()) {
        SetText(IDC_PROFILES_GREY_NOTE, core::texts::kProfilesSetGreyNote);
    } else {
        SetText(IDC_PROFILES_GREY_NOTE, core::texts::kProfilesResetGreyNote);
    }
    return true;
}

LRESULT CMyPropertyPage3::OnSetActive() {
    ShowPage(context_.config.firefoxInstalled ? core::texts::kProfilesPageTitleFirefox
                                              : core::texts::kProfilesPageTitle);
    ShowItem(IDC_PROFILES_GREY_NOTE, context_.wizard.netscapeProfiles.disabledCount != 0);
    UpdateButtons();
    return 0;
}

bool CMyPropertyPage3::OnCommand(int code, int id) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_PROFILES_CHECK_ALL) {
        list_.CheckAll();
    } else if (id == IDC_PROFILES_UNCHECK_ALL) {
        list_.UncheckAll();
    } else {
        return false;
    }
    UpdateButtons();
    return true;
}

bool CMyPropertyPage3::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.hwndFrom != list_.Handle()) return false;
    bool ticksChanged = false;
    const bool handled = list_.HandleNotify(header, result, &ticksChanged);
    if (ticksChanged) UpdateButtons();
    return handled;
}

LRESULT CMyPropertyPage3::OnWizardNext() {
    list_.StoreTicks(context_.wizard.netscapeProfiles.profiles);
    return PageDialogId(WizardPage::kFinish);
}

LRESULT CMyPropertyPage3::OnWizardBack() {
    return PageDialogId(PageBeforeProfiles(context_.wizard));
}

bool CMyPropertyPage3::OnWizardFinish() {
    list_.StoreTicks(context_.wizard.netscapeProfiles.profiles);
    RunWizardFinish(context_, Sheet());
    return true;
}

void CMyPropertyPage3::UpdateButtons() const {
    if (finishOnly_) {
        SetButtons(PSWIZB_FINISH);
    } else {
        SetButtons(PSWIZB_BACK | (list_.checkedCount != 0 ? PSWIZB_NEXT : 0));
    }
}

}  // namespace browsers
