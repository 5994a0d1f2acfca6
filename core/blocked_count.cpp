#include "core/blocked_count.h"

#include <cctype>

namespace core {

std::string NextBlockedCount(const std::string& count) {
    size_t digits = 0;
    while (digits < count.size() && std::isdigit(static_cast<unsigned char>(count[digits]))) {
        ++digits;
    }
    size_t firstSignificant = 0;
    while (firstSignificant < digits && count[firstSignificant] == '0') ++firstSignificant;
    std::string number = count.substr(firstSignificant, digits - firstSignificant);
    if (number.empty()) return "1";
    for (size_t i = number.size(); i-- > 0;) {
        if (number[i] != '9') {
            ++number[i];
            return number;
        }
        number[i] = '0';
    }
    return "1" + number;
}

}  // namespace core
