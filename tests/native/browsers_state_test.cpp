#include <gtest/gtest.h>

#include "browsers/browser_messages.h"

namespace browsers {
namespace {

TEST(BrowsersState, PlaceholdersAreFilledInOnePass) {
    EXPECT_EQ(FillPlaceholders("because %s1 and %s2 don't exist.",
                               {{"%s1", "C:\\a%s2"}, {"%s2", "D:\\b"}}),
              "because C:\\a%s2 and D:\\b don't exist.");
    EXPECT_EQ(FillPlaceholders("%s is missing, 100%", {{"%s", "x.ini"}}), "x.ini is missing, 100%");
}

}  // namespace
}  // namespace browsers
