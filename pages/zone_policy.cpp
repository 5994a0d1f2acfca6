#include "pages/zone_policy.h"

namespace pages {

ZoneChoice ChoiceForPolicy(std::uint32_t policy, bool hasAdminApproved) {
    switch (policy) {
        case kPolicyEnable:
            return ZoneChoice::Enable;
        case kPolicyPrompt:
            return ZoneChoice::Prompt;
        case kPolicyDisable:
            return ZoneChoice::Disable;
        default:
            return hasAdminApproved ? ZoneChoice::AdminApproved : ZoneChoice::None;
    }
}

std::optional<std::uint32_t> PolicyForChoice(ZoneChoice choice) {
    switch (choice) {
        case ZoneChoice::Enable:
            return kPolicyEnable;
        case ZoneChoice::Disable:
            return kPolicyDisable;
        case ZoneChoice::Prompt:
            return kPolicyPrompt;
        case ZoneChoice::AdminApproved:
            return kPolicyAdminApproved;
        case ZoneChoice::None:
            break;
    }
    return std::nullopt;
}

}  // namespace pages
