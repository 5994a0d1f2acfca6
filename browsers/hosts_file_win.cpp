#include <windows.h>

#include "browsers/hosts_file.h"
#include "core/windows_version.h"
#include "proxy/settings.h"

namespace browsers {
namespace {

enum class ReadResult { kMissing, kUnreadable, kRead };

ReadResult ReadWholeFile(const std::string& path, std::string* content) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? ReadResult::kMissing : ReadResult::kUnreadable;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ReadResult::kUnreadable;
    ReadResult result = ReadResult::kUnreadable;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(kMaxHostsFileSize)) {
        std::string data(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (data.empty() ||
            (ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &got, nullptr) &&
             got == data.size())) {
            *content = std::move(data);
            result = ReadResult::kRead;
        }
    }
    CloseHandle(file);
    return result;
}

// Writes content to a temporary file beside path and moves it over path in one step, so the
// file is either the old or the new one, never half-written. False when any step fails; the
// temporary file is then removed again.
bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".korvo-new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool complete =
        content.empty() ||
        (WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size());
    complete = FlushFileBuffers(file) && complete;
    CloseHandle(file);
    if (complete) {
        complete = MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!complete) DeleteFileA(temporary.c_str());
    return complete;
}

// Replaces the hosts file with content, with the attributes of a write around it.
bool WriteHostsFile(const std::string& path, const std::string& content) {
    SetHostsAttributes(path, false);
    bool written = ReplaceFileContent(path, content);
    SetHostsAttributes(path, true);
    return written;
}

}  // namespace

std::string GetHostsPath() {
    char directory[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(directory, MAX_PATH);
    if (n >= MAX_PATH) n = 0;
    return HostsPathFor(std::string(directory, n), core::WindowsVersion().Version().platformId);
}

bool SetHostsAttributes(const std::string& path, bool readOnly) {
    return SetFileAttributesA(path.c_str(), readOnly ? kHostsReadOnlyAttributes
                                                     : kHostsWritableAttributes) != FALSE;
}

int HostsContains(const std::string& name) {
    std::string content;
    if (ReadWholeFile(GetHostsPath(), &content) != ReadResult::kRead) return 0;
    return HostsTextContains(content, name) ? 1 : 0;
}

int AddHostsEntry(const std::string& address, const std::string& host) {
    const std::string path = GetHostsPath();
    std::string content;
    ReadResult read = ReadWholeFile(path, &content);
    if (read == ReadResult::kUnreadable) return 0;
    if (read == ReadResult::kRead && HostsTextContains(content, host)) return 1;
    WriteHostsFile(path, AppendHostsEntry(content, address, host));
    return HostsContains(host);
}

bool BackupHosts() {
    std::string content;
    ReadResult read = ReadWholeFile(GetHostsPath(), &content);
    const std::string backup = proxy::ModuleFilePath("mHosts");
    bool backupExists = GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (read == ReadResult::kUnreadable) return false;
    if (backupExists && content.empty()) return false;
    return ReplaceFileContent(backup, content);
}

bool ApplyAdBlockHostsFile(bool enabled) {
    const std::string path = GetHostsPath();
    std::string current, target, other;
    ReadResult hosts = ReadWholeFile(path, &current);
    if (hosts == ReadResult::kUnreadable) return false;
    bool prepared = ReadWholeFile(proxy::ModuleFilePath(enabled ? "hostse" : "hostsd"), &target) ==
                        ReadResult::kRead &&
                    ReadWholeFile(proxy::ModuleFilePath(enabled ? "hostsd" : "hostse"), &other) !=
                        ReadResult::kUnreadable;
    const std::string switched = prepared ? SwitchPreparedHosts(current, target, other) : current;
    if (switched == current) {
        if (hosts == ReadResult::kRead) SetHostsAttributes(path, true);
        return prepared;
    }
    return WriteHostsFile(path, switched);
}

}  // namespace browsers
