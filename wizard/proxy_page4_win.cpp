#include "wizard/proxy_page4_win.h"

#include "browsers/internet_explorer.h"
#include "browsers/netscape.h"
#include "browsers/opera.h"
#include "core/language.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "res/resource.h"

namespace browsers {

void RunWizardFinish(WizardContext& context, HWND owner) {
    WizardState& wizard = context.wizard;
    BrowserConfigState& config = context.config;
    const bool set = wizard.setMode != 0;
    // The flags' key exists from here on, whatever the operations below manage to do.
    platform::RegKey flags;
    flags.Create(HKEY_CURRENT_USER, kProxySettingKey);

    if (wizard.ieChosen) {
        if (set) {
            SetInternetExplorerProxy(wizard, config);
        } else {
            ResetInternetExplorerProxy(wizard, config);
        }
    }
    if (wizard.netscapeChosen) {
        NetscapeProfiles& profiles = wizard.netscapeProfiles;
        if (set) {
            profiles.SetNetscapeProxy(kProxyHost, kProxyPort, wizard.filterSecurePages != 0,
                                      config);
        } else {
            profiles.ResetNetscapeProxy(config);
        }
        if (profiles.anyProfileWritten) {
            const NetscapeResult message = NetscapeResultMessage(config.netscapeIsConfigured != 0,
                                                                 profiles.OnlyFirefoxChecked());
            platform::ShowMessageBox(owner, core::GetLanguageString(context.appState, message.text),
                                     core::GetLanguageString(context.appState, message.caption),
                                     MB_OK | (message.information ? MB_ICONINFORMATION : 0));
        }
    }
    if (wizard.operaChosen) {
        OperaSettings opera(wizard.opera6Chosen != 0, wizard.opera7Chosen != 0);
        if (set) {
            opera.SetOperaProxy(kProxyHost, kProxyPort, wizard.filterSecurePages != 0, config);
        } else {
            opera.ResetOperaProxy(config);
        }
    }
}

bool CMyPropertyPage4::OnInit() {
    SetText(IDC_FINISH_TEXT, core::texts::kFinishText);
    return true;
}

LRESULT CMyPropertyPage4::OnSetActive() {
    ShowPage(core::texts::kFinishPageTitle);
    SetButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return 0;
}

bool CMyPropertyPage4::OnKillActive() {
    SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return true;
}

LRESULT CMyPropertyPage4::OnWizardBack() { return PageDialogId(PageBeforeFinish(context_.wizard)); }

bool CMyPropertyPage4::OnWizardFinish() {
    RunWizardFinish(context_, Sheet());
    return true;
}

}  // namespace browsers
