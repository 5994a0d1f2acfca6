// The wizard's decisions: which browsers and items can be chosen, when Next is allowed and which
// page follows which.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browsers/proxy_setting_sheet_rules.h"

namespace browsers {
namespace {

// Flags written as a string of nine digits, in the field order of BrowserConfigState: lan,
// dialUp, netscape, opera6, opera7 configured; opera6, opera7, mozilla installed; ieUsesProxy.
BrowserConfigState Config(const std::string& digits) {
    BrowserConfigState config;
    std::int32_t* flags[] = {
        &config.lanIsConfigured,    &config.dialUpIsConfigured, &config.netscapeIsConfigured,
        &config.opera6IsConfigured, &config.opera7IsConfigured, &config.opera6Installed,
        &config.opera7Installed,    &config.mozillaInstalled,   &config.ieUsesProxy};
    for (int i = 0; i < 9; ++i) *flags[i] = digits[i] - '0';
    return config;
}

// The enabled browsers as "INO" (Internet Explorer, Netscape, Opera), "-" for disabled.
std::string Enabled(const BrowserChoices& choices) {
    return std::string(choices.ieEnabled ? "I" : "-") + (choices.netscapeEnabled ? "N" : "-") +
           (choices.operaEnabled ? "O" : "-");
}

TEST(BrowsersWizardRules, BrowsersPageOffersWhatTheModeCanChange) {
    struct Case {
        const char* config;
        bool setMode;
        const char* enabled;
        bool note;
        bool finishOnly;
    };
    const Case cases[] = {
        {"000000000", true, "I--", true, false},   // nothing installed but Internet Explorer
        {"000001110", true, "INO", false, false},  // everything installed, nothing configured
        {"000000001", true, "---", true, false},   // Internet Explorer uses a proxy already
        {"100000000", true, "---", true, false},   // its LAN flag alone counts too
        {"001001110", true, "I-O", true, false},   // Netscape configured
        {"000101110", true, "INO", false, false},  // Opera 6 configured, Opera 7 still open
        {"000111110", true, "IN-", true, false},   // both Opera versions configured
        {"000101010", true, "IN-", true, false},   // Opera 6 configured, Opera 7 missing
        {"000000000", false, "---", true, true},   // reset with nothing configured
        {"010000000", false, "I--", true, false},  // a dial-up connection configured
        {"001000000", false, "-N-", true, false},  // Netscape flag, even without Mozilla
        {"000010100", false, "--O", true, false},  // Opera 7 configured
        {"000100010", false, "---", true, false},  // Opera 6's flag without Opera 6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.config) + (c.setMode ? " set" : " reset"));
        const BrowserChoices choices = ChooseBrowsers(Config(c.config), c.setMode);
        EXPECT_EQ(Enabled(choices), c.enabled);
        EXPECT_EQ(choices.showNote, c.note);
        EXPECT_EQ(choices.finishOnly, c.finishOnly);
    }
}

WizardState Chosen(const std::string& browsers, const std::string& items = "") {
    WizardState wizard;
    wizard.ieChosen = browsers.find('I') != std::string::npos;
    wizard.netscapeChosen = browsers.find('N') != std::string::npos;
    wizard.operaChosen = browsers.find('O') != std::string::npos;
    wizard.lanChosen = items.find('L') != std::string::npos;
    wizard.dialUpChosen = items.find('D') != std::string::npos;
    wizard.opera6Chosen = items.find('6') != std::string::npos;
    wizard.opera7Chosen = items.find('7') != std::string::npos;
    return wizard;
}

TEST(BrowsersWizardRules, PagesFollowTheChosenBrowsers) {
    struct Case {
        const char* browsers;
        WizardPage afterBrowsers, afterConnections, beforeProfiles, beforeFinish;
    };
    using P = WizardPage;
    const Case cases[] = {
        {"N", P::kProfiles, P::kProfiles, P::kBrowsers, P::kProfiles},
        {"I", P::kConnections, P::kFinish, P::kConnections, P::kConnections},
        {"O", P::kConnections, P::kFinish, P::kConnections, P::kConnections},
        {"IN", P::kConnections, P::kProfiles, P::kConnections, P::kProfiles},
        {"NO", P::kConnections, P::kProfiles, P::kConnections, P::kProfiles},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.browsers);
        const WizardState wizard = Chosen(c.browsers);
        EXPECT_EQ(PageAfterBrowsers(wizard), c.afterBrowsers);
        EXPECT_EQ(PageAfterConnections(wizard), c.afterConnections);
        EXPECT_EQ(PageBeforeProfiles(wizard), c.beforeProfiles);
        EXPECT_EQ(PageBeforeFinish(wizard), c.beforeFinish);
    }
    EXPECT_FALSE(BrowsersNextEnabled(Chosen("")));
    EXPECT_TRUE(BrowsersNextEnabled(Chosen("N")));
}

TEST(BrowsersWizardRules, ConnectionsNextNeedsSomethingForEveryChosenBrowser) {
    struct Case {
        const char* browsers;
        const char* items;
        int checkedConnections;
        bool next;
    };
    const Case cases[] = {
        {"I", "", 0, false},    {"I", "L", 0, true},   {"I", "D", 0, false},  {"I", "D", 2, true},
        {"I", "6", 0, false},   {"O", "", 0, false},   {"O", "7", 0, true},   {"O", "L", 0, false},
        {"IO", "L", 0, false},  {"IO", "D6", 1, true}, {"IO", "7", 0, false}, {"N", "L6", 1, false},
        {"INO", "L6", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.browsers) + " " + c.items);
        EXPECT_EQ(ConnectionsNextEnabled(Chosen(c.browsers, c.items), c.checkedConnections),
                  c.next);
    }
}

TEST(BrowsersWizardRules, ConnectionsPageShowsTheChosenGroups) {
    WizardState wizard = Chosen("IO");
    wizard.setMode = 1;
    wizard.ieConnections.Fill({{"A", false}, {"B", true}}, ListMode::kSet);
    ConnectionChoices choices = ChooseConnections(wizard, Config("000101100"));
    EXPECT_TRUE(choices.showOpera && choices.showConnections);
    EXPECT_FALSE(choices.opera6Enabled);  // configured before
    EXPECT_TRUE(choices.opera7Enabled);
    EXPECT_TRUE(choices.showGreyNote);
    EXPECT_TRUE(choices.dialUpEnabled);
    EXPECT_TRUE(choices.showNote);

    // Every connection grey, or none at all: Dial-up cannot be chosen.
    wizard.ieConnections.Fill({{"B", true}}, ListMode::kSet);
    EXPECT_FALSE(ChooseConnections(wizard, Config("000001100")).dialUpEnabled);
    wizard.ieConnections.Fill({}, ListMode::kSet);
    choices = ChooseConnections(wizard, Config("000001100"));
    EXPECT_FALSE(choices.dialUpEnabled || choices.showGreyNote);
    EXPECT_TRUE(choices.showNote);

    // Reset mode: the configured versions can be chosen; hidden groups never count.
    wizard = Chosen("O");
    choices = ChooseConnections(wizard, Config("000010110"));
    EXPECT_FALSE(choices.showConnections);
    EXPECT_EQ(std::string(choices.opera6Enabled ? "6" : "-") + (choices.opera7Enabled ? "7" : "-"),
              "-7");
    wizard = Chosen("I");
    wizard.ieConnections.Fill({{"A", true}}, ListMode::kReset);
    choices = ChooseConnections(wizard, Config("000000000"));
    EXPECT_FALSE(choices.showOpera || choices.showNote || choices.showGreyNote);
}

TEST(BrowsersWizardRules, CheckListsAndProfiles) {
    EXPECT_EQ(CountChoosable({}), 0);
    EXPECT_EQ(CountChoosable({0, 1, 0, 1}), 2);
    NetscapeProfiles profiles;
    EXPECT_FALSE(AnyProfileChoosable(profiles));  // none found
    profiles.profiles = {{"a", 0, 0}, {"b", 0, 0}};
    profiles.profiles[0].isDisabled = 1;
    profiles.disabledFlags = {1, 1};
    EXPECT_FALSE(AnyProfileChoosable(profiles));
    profiles.disabledFlags = {1, 0};
    EXPECT_TRUE(AnyProfileChoosable(profiles));

    EXPECT_STREQ(NetscapeResultMessage(true, false).text.id, "2240");
    EXPECT_TRUE(NetscapeResultMessage(true, false).information);
    EXPECT_STREQ(NetscapeResultMessage(false, false).caption.id, "2258");
    EXPECT_FALSE(NetscapeResultMessage(false, false).information);
    EXPECT_STREQ(NetscapeResultMessage(true, true).text.id, "19027");
    EXPECT_STREQ(NetscapeResultMessage(false, true).caption.id, "19029");
}

// The result names Firefox only when every ticked profile is one of Firefox's.
TEST(BrowsersWizardRules, ResultNamesFirefoxOnlyForFirefoxProfilesAlone) {
    NetscapeProfiles profiles;
    profiles.profiles = {{"Netscape", 0, 0, 1}, {"Firefox: default", 0, 0, 1}};
    profiles.profiles[1].firefox = true;
    EXPECT_FALSE(profiles.OnlyFirefoxChecked()) << "a Netscape profile is ticked too";
    profiles.profiles[0].isChecked = 0;
    EXPECT_TRUE(profiles.OnlyFirefoxChecked());
    profiles.profiles[1].isChecked = 0;
    EXPECT_FALSE(profiles.OnlyFirefoxChecked()) << "nothing ticked";
}

}  // namespace
}  // namespace browsers
