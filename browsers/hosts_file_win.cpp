#include <windows.h>

#include "browsers/hosts_file.h"
#include "core/windows_version.h"
#include "platform/files.h"
#include "platform/module_path.h"

namespace browsers {
namespace {

// Replaces the hosts file with content, with the attributes of a write around it.
bool WriteHostsFile(const std::string& path, const std::string& content) {
    SetHostsAttributes(path, false);
    bool written = platform::ReplaceFileContent(path, content);
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

bool HostsContains(const std::string& name) {
    std::string content;
    if (platform::ReadWholeFile(GetHostsPath(), kMaxHostsFileSize, &content) !=
        platform::FileRead::kRead)
        return false;
    return HostsTextContains(content, name);
}

bool AddHostsEntry(const std::string& address, const std::string& host) {
    const std::string path = GetHostsPath();
    std::string content;
    platform::FileRead read = platform::ReadWholeFile(path, kMaxHostsFileSize, &content);
    if (read == platform::FileRead::kUnreadable) return false;
    if (read == platform::FileRead::kRead && HostsTextContains(content, host)) return true;
    WriteHostsFile(path, AppendHostsEntry(content, address, host));
    return HostsContains(host);
}

bool BackupHosts() {
    std::string content;
    platform::FileRead read = platform::ReadWholeFile(GetHostsPath(), kMaxHostsFileSize, &content);
    const std::string backup = platform::ModuleFilePath("mHosts");
    bool backupExists = GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (read == platform::FileRead::kUnreadable) return false;
    if (backupExists && content.empty()) return false;
    return platform::ReplaceFileContent(backup, content);
}

bool RemoveProgramHostsEntries(const std::string& programFolder, const std::string& proxyHost) {
    const std::string path = GetHostsPath();
    const std::string backupPath = programFolder + "\\mHosts";
    std::string current;
    platform::FileRead hosts = platform::ReadWholeFile(path, kMaxHostsFileSize, &current);
    if (hosts == platform::FileRead::kUnreadable) return false;
    // The prepared files count only beside a readable (or absent) backup: without the user's
    // earlier lines to spare, only the proxy's entry goes. Then "mHosts" is kept as well.
    std::string backup;
    const bool backupUsable =
        !programFolder.empty() && platform::ReadWholeFile(backupPath, kMaxHostsFileSize, &backup) !=
                                      platform::FileRead::kUnreadable;
    if (hosts == platform::FileRead::kRead) {
        std::vector<std::string> prepared(2);
        if (backupUsable) {
            platform::ReadWholeFile(programFolder + "\\hostse", kMaxHostsFileSize, &prepared[0]);
            platform::ReadWholeFile(programFolder + "\\hostsd", kMaxHostsFileSize, &prepared[1]);
        }
        const std::string cleaned = RemoveProgramHostsLines(current, backup, prepared, proxyHost);
        if (cleaned != current) {
            if (!WriteHostsFile(path, cleaned)) return false;
        } else {
            SetHostsAttributes(path, true);
        }
    }
    if (backupUsable) {
        SetFileAttributesA(backupPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(backupPath.c_str());
    }
    return true;
}

bool ApplyAdBlockHostsFile(bool enabled) {
    const std::string path = GetHostsPath();
    std::string current, target, other;
    platform::FileRead hosts = platform::ReadWholeFile(path, kMaxHostsFileSize, &current);
    if (hosts == platform::FileRead::kUnreadable) return false;
    bool prepared =
        platform::ReadWholeFile(platform::ModuleFilePath(enabled ? "hostse" : "hostsd"),
                                kMaxHostsFileSize, &target) == platform::FileRead::kRead &&
        platform::ReadWholeFile(platform::ModuleFilePath(enabled ? "hostsd" : "hostse"),
                                kMaxHostsFileSize, &other) != platform::FileRead::kUnreadable;
    const std::string switched = prepared ? SwitchPreparedHosts(current, target, other) : current;
    if (switched == current) {
        if (hosts == platform::FileRead::kRead) SetHostsAttributes(path, true);
        return prepared;
    }
    return WriteHostsFile(path, switched);
}

}  // namespace browsers
