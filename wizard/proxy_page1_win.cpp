#include "wizard/proxy_page1_win.h"

#include "browsers/system_browsers.h"
#include "res/resource.h"

namespace browsers {

bool CMyPropertyPage1::OnInit() {
    DetectInstalledBrowsers(context_.config);
    const bool set = SetMode();
    const BrowserChoices choices = ChooseBrowsers(context_.config, set);
    finishOnly_ = choices.finishOnly;
    if (set) {
        SetText(IDC_BROWSERS_INSTRUCTION, core::texts::kBrowsersSetInstruction);
        SetText(IDC_BROWSERS_NOTE, core::texts::kBrowsersSetNote);
    } else {
        if (finishOnly_) {
            SetText(IDC_BROWSERS_INSTRUCTION, core::texts::kBrowsersNoneToReset);
        } else {
            SetText(IDC_BROWSERS_INSTRUCTION, core::texts::kBrowsersResetInstruction);
        }
        SetText(IDC_BROWSERS_NOTE, core::texts::kBrowsersResetNote);
    }
    SetText(IDC_BROWSERS_IE, core::texts::kBrowsersIe);
    SetText(IDC_BROWSERS_NETSCAPE, context_.config.firefoxInstalled
                                       ? core::texts::kBrowsersFirefox
                                       : core::texts::kBrowsersNetscape);
    SetText(IDC_BROWSERS_OPERA, core::texts::kBrowsersOpera);
    EnableItem(IDC_BROWSERS_IE, choices.ieEnabled);
    EnableItem(IDC_BROWSERS_NETSCAPE, choices.netscapeEnabled);
    EnableItem(IDC_BROWSERS_OPERA, choices.operaEnabled);
    ShowItem(IDC_BROWSERS_NOTE, choices.showNote);
    const core::LanguageText systemNote = SystemSettingsNote(context_.config);
    if (systemNote.id != nullptr) SetText(IDC_BROWSERS_SYSTEM_NOTE, systemNote);
    ShowItem(IDC_BROWSERS_SYSTEM_NOTE, systemNote.id != nullptr);
    return true;
}

LRESULT CMyPropertyPage1::OnSetActive() {
    ShowPage(core::texts::kBrowsersPageTitle);
    UpdateButtons();
    return 0;
}

bool CMyPropertyPage1::OnCommand(int code, int id) {
    if (code != BN_CLICKED) return false;
    WizardState& wizard = context_.wizard;
    const int checked = IsItemChecked(id) ? 1 : 0;
    switch (id) {
        case IDC_BROWSERS_IE:
            wizard.ieChosen = checked;
            break;
        case IDC_BROWSERS_NETSCAPE:
            wizard.netscapeChosen = checked;
            break;
        case IDC_BROWSERS_OPERA:
            wizard.operaChosen = checked;
            break;
        default:
            return false;
    }
    UpdateButtons();
    return true;
}

LRESULT CMyPropertyPage1::OnWizardNext() {
    return PageDialogId(PageAfterBrowsers(context_.wizard));
}

void CMyPropertyPage1::UpdateButtons() const {
    if (finishOnly_) {
        SetButtons(PSWIZB_FINISH);
    } else {
        SetButtons(BrowsersNextEnabled(context_.wizard) ? PSWIZB_NEXT : 0);
    }
}

}  // namespace browsers
