#include <unistd.h>

#include <mutex>

#include "platform/module_path.h"

namespace platform {
namespace {

std::mutex overrideLock;
std::string overrideDirectory;

}  // namespace

std::string ProgramDirectory() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (!overrideDirectory.empty()) return overrideDirectory;
    }
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "./";
    std::string full(path, static_cast<size_t>(n));
    return full.substr(0, full.rfind('/') + 1);
}

void OverrideProgramDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(overrideLock);
    overrideDirectory = directory;
    if (!overrideDirectory.empty() && overrideDirectory.back() != '/') overrideDirectory += '/';
}

}  // namespace platform
