#include "browsers/proxy_setting_sheet_rules.h"

#include <algorithm>

namespace browsers {
namespace {

// An installed version counts when its configured flag is what the mode works on: not yet
// configured for set, configured for reset.
bool VersionChoosable(std::int32_t installed, std::int32_t configured, bool setMode) {
    return installed != 0 && (configured != 0) != setMode;
}

}  // namespace

BrowserChoices ChooseBrowsers(const BrowserConfigState& config, bool setMode) {
    BrowserChoices choices;
    const bool ieConfigured =
        config.lanIsConfigured || config.dialUpIsConfigured || config.ieUsesProxy;
    choices.ieEnabled = ieConfigured != setMode;
    choices.netscapeEnabled = setMode ? config.mozillaInstalled && !config.netscapeIsConfigured
                                      : config.netscapeIsConfigured != 0;
    choices.operaEnabled =
        VersionChoosable(config.opera6Installed, config.opera6IsConfigured, setMode) ||
        VersionChoosable(config.opera7Installed, config.opera7IsConfigured, setMode);
    choices.showNote = !choices.ieEnabled || !choices.netscapeEnabled || !choices.operaEnabled;
    choices.finishOnly = !setMode && NothingConfigured(config);
    return choices;
}

bool BrowsersNextEnabled(const WizardState& wizard) {
    return wizard.ieChosen || wizard.operaChosen || wizard.netscapeChosen;
}

ConnectionChoices ChooseConnections(const WizardState& wizard, const BrowserConfigState& config) {
    const bool setMode = wizard.setMode != 0;
    ConnectionChoices choices;
    if (wizard.operaChosen) {
        choices.showOpera = true;
        choices.opera6Enabled =
            VersionChoosable(config.opera6Installed, config.opera6IsConfigured, setMode);
        choices.opera7Enabled =
            VersionChoosable(config.opera7Installed, config.opera7IsConfigured, setMode);
    }
    if (wizard.ieChosen) {
        const InternetExplorerConnections& list = wizard.ieConnections;
        choices.showConnections = true;
        choices.showGreyNote = list.disabledCount != 0;
        choices.dialUpEnabled = list.disabledCount != static_cast<int>(list.connectionCount);
    }
    choices.showNote = (choices.showOpera && (!choices.opera6Enabled || !choices.opera7Enabled)) ||
                       (choices.showConnections && !choices.dialUpEnabled);
    return choices;
}

bool ConnectionsNextEnabled(const WizardState& wizard, int checkedCount) {
    const bool ieOk = wizard.lanChosen || (wizard.dialUpChosen && checkedCount != 0);
    const bool operaOk = wizard.opera6Chosen || wizard.opera7Chosen;
    return (wizard.ieChosen || wizard.operaChosen) && (!wizard.ieChosen || ieOk) &&
           (!wizard.operaChosen || operaOk);
}

bool AnyProfileChoosable(const NetscapeProfiles& profiles) {
    return CountChoosable(profiles.disabledFlags) != 0;
}

WizardPage PageAfterBrowsers(const WizardState& wizard) {
    return wizard.ieChosen || wizard.operaChosen ? WizardPage::kConnections : WizardPage::kProfiles;
}

WizardPage PageAfterConnections(const WizardState& wizard) {
    return wizard.netscapeChosen ? WizardPage::kProfiles : WizardPage::kFinish;
}

WizardPage PageBeforeProfiles(const WizardState& wizard) {
    return wizard.ieChosen || wizard.operaChosen ? WizardPage::kConnections : WizardPage::kBrowsers;
}

WizardPage PageBeforeFinish(const WizardState& wizard) {
    return wizard.netscapeChosen ? WizardPage::kProfiles : WizardPage::kConnections;
}

int CountChoosable(const std::vector<int>& disabledFlags) {
    return static_cast<int>(std::count(disabledFlags.begin(), disabledFlags.end(), 0));
}

NetscapeResult NetscapeResultMessage(bool netscapeIsConfigured, bool onlyFirefox) {
    namespace texts = core::texts;
    if (netscapeIsConfigured) {
        return onlyFirefox
                   ? NetscapeResult{texts::kFirefoxSetCaption, texts::kFirefoxSetDone, true}
                   : NetscapeResult{texts::kNetscapeSetCaption, texts::kNetscapeSetDone, true};
    }
    return onlyFirefox
               ? NetscapeResult{texts::kFirefoxResetCaption, texts::kFirefoxResetDone, false}
               : NetscapeResult{texts::kNetscapeResetCaption, texts::kNetscapeResetDone, false};
}

}  // namespace browsers
