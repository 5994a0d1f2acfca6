// The ActiveX zones page's decisions: which radio button of a group a stored URL policy checks,
// and which policy a group's buttons stand for when the page writes them.
#pragma once

#include <cstdint>
#include <optional>

namespace pages {

// Internet Explorer's URL policy numbers.
constexpr std::uint32_t kPolicyEnable = 0;
constexpr std::uint32_t kPolicyPrompt = 1;
constexpr std::uint32_t kPolicyDisable = 3;
constexpr std::uint32_t kPolicyAdminApproved = 0x10000;  // only "Run ActiveX controls"

// The buttons of one group. None: no button is checked, or (for a load) leave the buttons as
// they are.
enum class ZoneChoice { None, Enable, Disable, Prompt, AdminApproved };

// The button a stored policy checks. 0, 1 and 3 check Enable, Prompt and Disable. Any other
// number checks Administrator Approved in the group that has that button, and None (the
// buttons stay as they were) in the others.
ZoneChoice ChoiceForPolicy(std::uint32_t policy, bool hasAdminApproved);

// The policy to write for a group's checked button; nothing for None, so that a policy the page
// does not know survives an Apply unchanged.
std::optional<std::uint32_t> PolicyForChoice(ZoneChoice choice);

}  // namespace pages
