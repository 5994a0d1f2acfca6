#include <sys/mman.h>

#include "platform/page_buffer.h"

namespace platform {

char* PageBuffer::Take(size_t size) {
    if (data_ != nullptr) return data_;
    void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) return nullptr;
    data_ = static_cast<char*>(pages);
    size_ = size;
    return data_;
}

void PageBuffer::Release() {
    if (data_ == nullptr) return;
    ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace platform
