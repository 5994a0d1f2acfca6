#include <windows.h>

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
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    return full.substr(0, full.rfind('\\') + 1);
}

void OverrideProgramDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(overrideLock);
    overrideDirectory = directory;
    if (!overrideDirectory.empty() && overrideDirectory.back() != '\\') overrideDirectory += '\\';
}

}  // namespace platform
