#include "wizard/proxy_page1_win.h"

#include "res/resource.h"

namespace browsers {

bool CMyPropertyPage1::OnInit() {
    DetectInstalledBrowsers(context_.config);
    const bool set = SetMode();
    const BrowserChoices choices = ChooseBrowsers(context_.config, set);
    finishOnly_ = choices.finishOnly;
    if (set) {
        SetText(IDC_BROWSERS_INSTRUCTION, "2901",
                "Choose the browsers you want to set their proxy server.");
        SetText(IDC_BROWSERS_NOTE, "2905",
                "The disabled browsers are either not installed in your system or their proxy "
                "settings were set before.");
    } else {
        if (finishOnly_) {
            SetText(IDC_BROWSERS_INSTRUCTION, "2907",
                    "You haven't any configured browser to reset it.");
        } else {
            SetText(IDC_BROWSERS_INSTRUCTION, "2906",
                    "Choose the browsers you want to reset their proxy server.");
        }
        SetText(IDC_BROWSERS_NOTE, "2908",
                "The disabled browsers are either not installed in your system or their proxy "
                "settings aren't set.");
    }
    SetText(IDC_BROWSERS_IE, "2904", "&Internet Explorer or AOL or Both.");
    SetText(IDC_BROWSERS_NETSCAPE, "2902", "&Netscape 7.0 or higher.");
    SetText(IDC_BROWSERS_OPERA, "2903", "&Opera.");
    EnableItem(IDC_BROWSERS_IE, choices.ieEnabled);
    EnableItem(IDC_BROWSERS_NETSCAPE, choices.netscapeEnabled);
    EnableItem(IDC_BROWSERS_OPERA, choices.operaEnabled);
    ShowItem(IDC_BROWSERS_NOTE, choices.showNote);
    return true;
}

LRESULT CMyPropertyPage1::OnSetActive() {
    ShowPage("2900");
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
