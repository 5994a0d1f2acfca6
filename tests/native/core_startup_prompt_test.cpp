#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/startup_prompt.h"

namespace {

browsers::BrowserConfigState State(int lan, int dialUp, int opera6Installed, int opera6Configured,
                                   int opera7Installed, int opera7Configured, int mozillaInstalled,
                                   int netscapeConfigured) {
    browsers::BrowserConfigState state;
    state.lanIsConfigured = lan;
    state.dialUpIsConfigured = dialUp;
    state.opera6Installed = opera6Installed;
    state.opera6IsConfigured = opera6Configured;
    state.opera7Installed = opera7Installed;
    state.opera7IsConfigured = opera7Configured;
    state.mozillaInstalled = mozillaInstalled;
    state.netscapeIsConfigured = netscapeConfigured;
    return state;
}

TEST(CoreStartupPrompt, CodeCountsOnlyInstalledUnconfiguredBrowsers) {
    struct Case {
        browsers::BrowserConfigState state;
        int code;
    } cases[] = {
        {State(0, 0, 0, 0, 0, 0, 0, 0), 1},  // Internet Explorer always counts
        {State(1, 0, 0, 0, 0, 0, 0, 0), 0},  // LAN configured
        {State(0, 1, 0, 0, 0, 0, 0, 0), 0},  // a dial-up connection configured
        {State(0, 0, 1, 1, 0, 0, 0, 0), 1},  // Opera 6 configured, IE not
        {State(0, 0, 0, 1, 0, 0, 0, 0), 1},  // a flag without the browser counts nothing
        {State(1, 0, 1, 0, 1, 0, 1, 0), 14}, {State(0, 0, 1, 0, 1, 0, 0, 0), 7},
        {State(0, 0, 1, 0, 1, 0, 1, 0), 15}, {State(1, 1, 1, 1, 1, 1, 1, 1), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(core::StartupPromptCode(c.state), c.code);
}

TEST(CoreStartupPrompt, EveryCodeHasItsOwnText) {
    EXPECT_EQ(core::StartupPromptText(0, false).id, nullptr);
    EXPECT_EQ(core::StartupPromptText(16, true).id, nullptr);
    std::set<std::string> ids;
    for (int code = 1; code <= 15; ++code) {
        const core::LanguageText text = core::StartupPromptText(code, false);
        ASSERT_NE(text.id, nullptr) << code;
        ids.insert(text.id);
    }
    EXPECT_EQ(ids.size(), 15u);
    EXPECT_STREQ(core::StartupPromptText(9, false).id, "19006");
    EXPECT_STREQ(core::StartupPromptText(7, false).id, "19017");
    EXPECT_NE(
        std::string(core::StartupPromptText(7, false).defaultText).find("Opera 6 and Opera 7"),
        std::string::npos);
}

// A Firefox user is asked the same questions with Firefox named where the others say netscape;
// the questions without a Mozilla browser stay as they are.
TEST(CoreStartupPrompt, FirefoxTakesNetscapesPlaceInTheQuestion) {
    std::set<std::string> ids;
    for (int code = 1; code <= 15; ++code) {
        const core::LanguageText netscape = core::StartupPromptText(code, false);
        const core::LanguageText firefox = core::StartupPromptText(code, true);
        ASSERT_NE(firefox.id, nullptr) << code;
        ids.insert(firefox.id);
        ids.insert(netscape.id);
        std::string expected = netscape.defaultText;
        const size_t at = expected.find("netscape");
        EXPECT_EQ(at != std::string::npos, code >= 8) << code;
        if (at != std::string::npos) expected.replace(at, 8, "Firefox");
        EXPECT_EQ(firefox.defaultText, expected) << code;
    }
    EXPECT_EQ(ids.size(), 23u);  // seven shared, eight of Firefox's own
    EXPECT_EQ(core::StartupPromptText(0, true).id, nullptr);
}

}  // namespace
