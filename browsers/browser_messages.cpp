#include "browsers/browser_messages.h"

namespace browsers {

std::string FillPlaceholders(const std::string& text, const Placeholders& values) {
    std::string filled;
    std::size_t at = 0;
    while (at < text.size()) {
        bool replaced = false;
        for (const auto& [placeholder, value] : values) {
            if (!placeholder.empty() && text.compare(at, placeholder.size(), placeholder) == 0) {
                filled += value;
                at += placeholder.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) filled += text[at++];
    }
    return filled;
}

}  // namespace browsers
