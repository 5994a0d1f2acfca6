// A private folder under the Windows temporary folder for one test, and whole-file reads and
// writes.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace test_folder {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Removes a folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A new empty folder, removed with its content when the object goes.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        static int serial = 0;
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp, n) + "korvo-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial) + "\\";
        RemoveTree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TemporaryFolder() { RemoveTree(path_); }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Full path with a trailing backslash.
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace test_folder
