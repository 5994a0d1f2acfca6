// The zone page's policy mapping: what a stored number checks, and what a group's buttons write.
#include <gtest/gtest.h>

#include "pages/zone_policy.h"

namespace pages {
namespace {

TEST(PagesZonePolicy, StoredPolicyChoosesAButton) {
    struct Case {
        std::uint32_t policy;
        bool hasAdminApproved;
        ZoneChoice expected;
    };
    const Case cases[] = {
        {0, false, ZoneChoice::Enable},
        {1, false, ZoneChoice::Prompt},
        {3, false, ZoneChoice::Disable},
        {0, true, ZoneChoice::Enable},
        {1, true, ZoneChoice::Prompt},
        {3, true, ZoneChoice::Disable},
        // Numbers the buttons cannot show: only the run group has a place for them.
        {2, false, ZoneChoice::None},
        {2, true, ZoneChoice::AdminApproved},
        {0x10000, true, ZoneChoice::AdminApproved},
        {0x10000, false, ZoneChoice::None},
        {0xFFFFFFFF, true, ZoneChoice::AdminApproved},
        {4, false, ZoneChoice::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChoiceForPolicy(c.policy, c.hasAdminApproved), c.expected)
            << c.policy << " admin " << c.hasAdminApproved;
    }
}

TEST(PagesZonePolicy, ButtonsWriteTheirPolicyAndNoButtonWritesNothing) {
    EXPECT_EQ(PolicyForChoice(ZoneChoice::Enable), 0u);
    EXPECT_EQ(PolicyForChoice(ZoneChoice::Disable), 3u);
    EXPECT_EQ(PolicyForChoice(ZoneChoice::Prompt), 1u);
    EXPECT_EQ(PolicyForChoice(ZoneChoice::AdminApproved), 65536u);
    EXPECT_FALSE(PolicyForChoice(ZoneChoice::None).has_value());
    // Every policy a button can show is written back as it was read.
    for (std::uint32_t policy : {0u, 1u, 3u, 65536u}) {
        EXPECT_EQ(PolicyForChoice(ChoiceForPolicy(policy, true)), policy);
    }
}

}  // namespace
}  // namespace pages
