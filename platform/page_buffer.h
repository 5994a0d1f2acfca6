// A large buffer taken straight from the system and given back whole, so that a released buffer
// never stays resident inside the allocator's heap. Pages no write reaches are never resident.
#pragma once

#include <cstddef>

namespace platform {

class PageBuffer {
  public:
    PageBuffer() = default;
    ~PageBuffer() { Release(); }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    // The buffer of size bytes, taken when not held yet; nullptr when the system has no memory.
    char* Take(size_t size);
    void Release();
    bool Held() const { return data_ != nullptr; }

  private:
    char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace platform
