#include "helper/proxy_enable_text.h"

#include <cstdlib>

namespace helper {

std::vector<unsigned char> DecodeProxyEnableText(const std::string& text) {
    std::vector<unsigned char> bytes;
    const char* position = text.c_str();
    const char* const end = position + text.size();
    while (position < end) {
        char* stop = nullptr;
        const unsigned long number = std::strtoul(position, &stop, 16);
        bytes.push_back(static_cast<unsigned char>(number & 0xFF));
        // A text with a zero byte inside ends there, as the C string it is read as.
        if (*stop == '\0') break;
        position = stop + 1;
    }
    return bytes;
}

}  // namespace helper
