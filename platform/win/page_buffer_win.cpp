#include <windows.h>

#include "platform/page_buffer.h"

namespace platform {

char* PageBuffer::Take(size_t size) {
    if (data_ != nullptr) return data_;
    data_ =
        static_cast<char*>(::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    size_ = data_ != nullptr ? size : 0;
    return data_;
}

void PageBuffer::Release() {
    if (data_ == nullptr) return;
    ::VirtualFree(data_, 0, MEM_RELEASE);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace platform
