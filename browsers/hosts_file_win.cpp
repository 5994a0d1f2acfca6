#include <windows.h>

#include "browsers/browser_state.h"
#include "browsers/hosts_file.h"
#include "core/windows_version.h"
#include "platform/files.h"
#include "platform/folders.h"
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

bool BackupHosts(const proxy::RunTimeFiles& files) {
    std::string content;
    platform::FileRead read = platform::ReadWholeFile(GetHostsPath(), kMaxHostsFileSize, &content);
    const std::string backup = files.WritePath(kHostsBackupName);
    bool backupExists = GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (read == platform::FileRead::kUnreadable) return false;
    if (backupExists && content.empty()) return false;
    return platform::ReplaceFileContent(backup, content);
}

bool RemoveProgramHostsEntries(const std::string& programFolder, const std::string& userFolder,
                               const std::string& proxyHost) {
    const std::string path = GetHostsPath();
    std::string current;
    platform::FileRead hosts = platform::ReadWholeFile(path, kMaxHostsFileSize, &current);
    if (hosts == platform::FileRead::kUnreadable) return false;
    auto inFolder = [](const std::string& folder, const char* name) {
        return folder.empty() ? std::string() : folder + "\\" + name;
    };
    const std::string programBackup = inFolder(programFolder, kHostsBackupName);
    const std::string userBackup = inFolder(userFolder, kHostsBackupName);
    const std::string backupPath =
        !userBackup.empty() && platform::FileExists(userBackup) ? userBackup : programBackup;
    // The prepared files count only beside a readable (or absent) backup: without the user's
    // earlier lines to spare, only the proxy's entry goes. Then "mHosts" is kept as well.
    std::string backup;
    const bool backupUsable =
        !backupPath.empty() && platform::ReadWholeFile(backupPath, kMaxHostsFileSize, &backup) !=
                                   platform::FileRead::kUnreadable;
    if (hosts == platform::FileRead::kRead) {
        std::vector<std::string> prepared(2);
        if (backupUsable && !programFolder.empty()) {
            platform::ReadWholeFile(inFolder(programFolder, "hostse"), kMaxHostsFileSize,
                                    &prepared[0]);
            platform::ReadWholeFile(inFolder(programFolder, "hostsd"), kMaxHostsFileSize,
                                    &prepared[1]);
        }
        const std::string cleaned = RemoveProgramHostsLines(current, backup, prepared, proxyHost);
        if (cleaned != current) {
            if (!WriteHostsFile(path, cleaned)) return false;
        } else {
            SetHostsAttributes(path, true);
        }
    }
    if (backupUsable) {
        // A copy left in the other folder (the program folder became writable or stopped being
        // so between runs) is as stale as the one used.
        for (const std::string& copy : {programBackup, userBackup}) {
            if (copy.empty()) continue;
            SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(copy.c_str());
        }
    }
    return true;
}

HostsSwitch ApplyAdBlockHostsFile(bool enabled) {
    const std::string path = GetHostsPath();
    std::string current, target, other;
    platform::FileRead hosts = platform::ReadWholeFile(path, kMaxHostsFileSize, &current);
    if (hosts == platform::FileRead::kUnreadable) return HostsSwitch::kNoPreparedFile;
    bool prepared =
        platform::ReadWholeFile(platform::ModuleFilePath(enabled ? "hostse" : "hostsd"),
                                kMaxHostsFileSize, &target) == platform::FileRead::kRead &&
        platform::ReadWholeFile(platform::ModuleFilePath(enabled ? "hostsd" : "hostse"),
                                kMaxHostsFileSize, &other) != platform::FileRead::kUnreadable;
    const std::string switched = prepared ? SwitchPreparedHosts(current, target, other) : current;
    if (switched == current) {
        if (hosts == platform::FileRead::kRead) SetHostsAttributes(path, true);
        return prepared ? HostsSwitch::kSwitched : HostsSwitch::kNoPreparedFile;
    }
    return WriteHostsFile(path, switched) ? HostsSwitch::kSwitched : HostsSwitch::kNotWritten;
}

int RunHostsCommand(HostsCommand command) {
    switch (command) {
        case HostsCommand::kAddEntry:
            return AddHostsEntry("127.0.0.1", kProxyHost) ? 0 : 1;
        case HostsCommand::kAdsOn:
        case HostsCommand::kAdsOff:
            return ApplyAdBlockHostsFile(command == HostsCommand::kAdsOn) == HostsSwitch::kSwitched
                       ? 0
                       : 1;
    }
    return 1;
}

}  // namespace browsers
