// Arithmetic on the pop-up count, which is kept as decimal text ("Blocked Popups").
#pragma once

#include <string>

namespace core {

// The count after one more caught pop-up: the text's leading decimal digits taken as a number
// (none counts as 0) plus one, as decimal text without leading zeros. Works on the digits
// themselves, so a count of any length never overflows.
std::string NextBlockedCount(const std::string& count);

}  // namespace core
