#include "platform/win/window.h"

namespace platform {

std::string Window::Text() const {
    const int length = GetWindowTextLengthA(hwnd_);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd_, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

}  // namespace platform
