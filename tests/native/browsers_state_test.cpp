#include <gtest/gtest.h>

#include <string>

#include "browsers/browser_messages.h"
#include "browsers/browser_state.h"
#include "browsers/text_lines.h"

namespace browsers {
namespace {

TEST(BrowsersState, NothingConfiguredLooksAtEveryConfigurationFlag) {
    std::int32_t BrowserConfigState::*flags[] = {
        &BrowserConfigState::lanIsConfigured,      &BrowserConfigState::dialUpIsConfigured,
        &BrowserConfigState::netscapeIsConfigured, &BrowserConfigState::opera6IsConfigured,
        &BrowserConfigState::opera7IsConfigured,   &BrowserConfigState::ieUsesProxy};
    BrowserConfigState installedOnly;
    installedOnly.opera6Installed = installedOnly.opera7Installed = 1;
    installedOnly.mozillaInstalled = 1;
    EXPECT_TRUE(NothingConfigured(installedOnly));
    for (auto flag : flags) {
        BrowserConfigState state;
        state.*flag = 1;
        EXPECT_FALSE(NothingConfigured(state));
    }
}

TEST(BrowsersState, TextLinesGiveTheContentBackUnchanged) {
    const std::string samples[] = {"", "a", "a\n", "a\r\nb\nc", "\r\n\r\n", "a\rb\n", "\n"};
    for (const std::string& sample : samples) {
        EXPECT_EQ(JoinLines(SplitLines(sample)), sample);
    }
    std::vector<TextLine> lines = SplitLines("x\r\ny\nz");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "x");
    EXPECT_EQ(lines[0].ending, "\r\n");
    EXPECT_EQ(lines[1].ending, "\n");
    EXPECT_EQ(lines[2].ending, "");
    EXPECT_EQ(LineEndingOf("a\nb\r\n", "\r\n"), "\n");
    EXPECT_EQ(LineEndingOf("a\r\nb\n", "\n"), "\r\n");
    EXPECT_EQ(LineEndingOf("ab", "\r\n"), "\r\n");
}

TEST(BrowsersState, PlaceholdersAreFilledOnce) {
    const Placeholders both = {{"%s1", "C:\\a%s2"}, {"%s2", "D:\\b"}};
    EXPECT_EQ(FillPlaceholders("because %s1 and %s2 don't exist.", both),
              "because C:\\a%s2 and D:\\b don't exist.");
    EXPECT_EQ(FillPlaceholders("file %s is missing", {{"%s", "x.ini"}}), "file x.ini is missing");
    EXPECT_EQ(FillPlaceholders("no placeholder %", {{"%s", "x"}}), "no placeholder %");
}

}  // namespace
}  // namespace browsers
