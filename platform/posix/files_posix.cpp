#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/files.h"

namespace platform {

FileRead ReadWholeFile(const std::string& path, std::size_t maxSize, std::string* content) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileRead::kMissing : FileRead::kUnreadable;
    }
    if (static_cast<std::size_t>(status.st_size) > maxSize) return FileRead::kUnreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileRead::kUnreadable;
    std::ostringstream data;
    data << in.rdbuf();
    if (in.bad()) return FileRead::kUnreadable;
    *content = data.str();
    return FileRead::kRead;
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".korvo-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
