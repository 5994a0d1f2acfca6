#include "platform/win/message_box.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<MessageBoxHandler> replacement{nullptr};

}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    MessageBoxHandler handler = replacement.load();
    if (handler != nullptr) return handler(owner, text, caption, type);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { replacement.store(handler); }

}  // namespace platform
