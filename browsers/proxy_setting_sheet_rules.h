// The proxy configuration wizard's decisions, apart from its windows: which browsers and items
// can be chosen, when Next is allowed, and which page follows which.
#pragma once

#include <vector>

#include "browsers/browser_state.h"
#include "browsers/wizard_state.h"
#include "core/language_texts.h"

namespace browsers {

// The wizard's pages in their order.
enum class WizardPage { kBrowsers = 1, kConnections, kProfiles, kFinish };

// The browsers page: which check boxes may be ticked.
struct BrowserChoices {
    bool ieEnabled = false;
    bool netscapeEnabled = false;
    bool operaEnabled = false;
    bool showNote = false;    // some browser cannot be chosen
    bool finishOnly = false;  // reset mode with nothing configured: nothing to choose at all
};

// Set mode offers what is installed and not yet configured, reset mode what is configured;
// Opera when either version qualifies.
BrowserChoices ChooseBrowsers(const BrowserConfigState& config, bool setMode);

// Next on the browsers page: some browser is chosen.
bool BrowsersNextEnabled(const WizardState& wizard);

// The connections page: which groups are shown and which boxes may be ticked.
struct ConnectionChoices {
    bool showOpera = false;
    bool opera6Enabled = false;
    bool opera7Enabled = false;
    bool showConnections = false;
    bool showGreyNote = false;  // some dial-up connection is grey
    bool dialUpEnabled = false;
    bool showNote = false;  // the Opera 6, Opera 7 or Dial-up box is disabled
};

// Uses the choices of the browsers page and ieConnections as loaded for the wizard's mode.
ConnectionChoices ChooseConnections(const WizardState& wizard, const BrowserConfigState& config);

// Next on the connections page: every chosen browser has something to configure, with
// checkedCount dial-up connections ticked.
bool ConnectionsNextEnabled(const WizardState& wizard, int checkedCount);

// Whether any profile of the list can be ticked; without one the profiles page offers only
// Finish.
bool AnyProfileChoosable(const NetscapeProfiles& profiles);

// Where Next and Back go from each page, skipping the pages the chosen browsers do not need.
WizardPage PageAfterBrowsers(const WizardState& wizard);
WizardPage PageAfterConnections(const WizardState& wizard);
WizardPage PageBeforeProfiles(const WizardState& wizard);
WizardPage PageBeforeFinish(const WizardState& wizard);

// Items of a check list that may be ticked: those whose disabled flag is 0.
int CountChoosable(const std::vector<int>& disabledFlags);

// The message shown after Finish wrote some Netscape profile: the set message while Netscape
// is configured, the reset message otherwise; Firefox's own when only Firefox profiles were
// written.
struct NetscapeResult {
    core::LanguageText caption;
    core::LanguageText text;
    bool information;  // the information icon; no icon otherwise
};
NetscapeResult NetscapeResultMessage(bool netscapeIsConfigured, bool onlyFirefox);

}  // namespace browsers
