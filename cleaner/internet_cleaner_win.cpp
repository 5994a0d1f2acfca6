#include <windows.h>
// The header below needs windows.h first.

#include <wininet.h>

#include "browsers/browser_files.h"
#include "browsers/netscape.h"
#include "browsers/opera.h"
#include "cleaner/cache_paths.h"
#include "cleaner/internet_cleaner.h"
#include "platform/ascii_text.h"

namespace cleaner {

namespace {

// Bounds on one run: nested folders below a cache folder, and URL cache entries looked at.
constexpr int kMaxFolderDepth = 8;
constexpr std::size_t kMaxUrlEntries = 200000;

// An existing folder that is no link or junction, with a path the cleaner may empty.
bool IsPlainCacheFolder(const std::string& folder) {
    if (!IsUsableCacheFolder(folder)) return false;
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void AddFolder(std::vector<std::string>& folders, const std::string& folder) {
    if (folder.empty() || !IsPlainCacheFolder(folder)) return;
    const std::string normalised = NormalisePath(folder);
    for (const std::string& known : folders) {
        if (lstrcmpiA(known.c_str(), normalised.c_str()) == 0) return;
    }
    folders.push_back(normalised);
}

// Removes the files of folder (and, with descend, of its sub-folders), each checked to lie
// inside root. Links and junctions are neither followed nor removed.
void EmptyFolder(const std::string& root, const std::string& folder, bool descend,
                 bool clearReadOnly, int depth) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsInsideFolder(root, path)) continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (descend && depth < kMaxFolderDepth) {
                EmptyFolder(root, path, descend, clearReadOnly, depth + 1);
            }
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            if (!clearReadOnly) continue;
            SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A URL cache entry that is a cached page or file; cookies and history entries are not.
bool IsCachedContent(const INTERNET_CACHE_ENTRY_INFOA& entry) {
    if (entry.CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) return false;
    const char* url = entry.lpszSourceUrlName;
    if (url == nullptr) return false;
    return !platform::StartsWithNoCase(url, "Cookie:") &&
           !platform::StartsWithNoCase(url, "Visited:");
}

// The URLs of the cached content entries of the WinINet cache.
std::vector<std::string> CachedContentUrls() {
    std::vector<std::string> urls;
    // DWORD-aligned room for one entry; grown when an entry needs more.
    std::vector<DWORD> buffer(1024);
    auto entry = [&buffer]() {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    };
    auto fetch = [&](HANDLE search) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size() * sizeof(DWORD));
            if (search == nullptr) {
                HANDLE first = FindFirstUrlCacheEntryA(nullptr, entry(), &size);
                if (first != nullptr) return first;
            } else if (FindNextUrlCacheEntryA(search, entry(), &size)) {
                return search;
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
            buffer.resize(size / sizeof(DWORD) + 1);
        }
        return static_cast<HANDLE>(nullptr);
    };
    HANDLE search = fetch(nullptr);
    if (search == nullptr) return urls;
    do {
        if (IsCachedContent(*entry())) urls.push_back(entry()->lpszSourceUrlName);
    } while (urls.size() < kMaxUrlEntries && fetch(search) != nullptr);
    FindCloseUrlCache(search);
    return urls;
}

}  // namespace

void CInternetCleanerModule::Scan() {
    defaultProfileCaches_.clear();
    otherProfileCaches_.clear();
    localProfileCaches_.clear();
    operaCaches_.clear();
    if (parameters == nullptr) return;

    browsers::NetscapeProfiles profiles;
    profiles.LoadProfiles(true);
    for (const browsers::NetscapeProfileEntry& entry : profiles.profiles) {
        if (!profiles.FindProfileFiles(entry)) continue;
        const std::string cache = ProfileCacheFolder(profiles.prefsJsPath);
        if (entry.firefox) {
            AddFolder(localProfileCaches_, FirefoxCacheFolder(entry.directory));
        } else if (entry.directory == browsers::kDefaultFolderDirectory) {
            AddFolder(defaultProfileCaches_, cache);
            AddFolder(localProfileCaches_, NonRoamingFolder(cache));
        } else {
            AddFolder(otherProfileCaches_, cache);
        }
    }

    // Each version on its own: the locator gives up on both when one's registry value is missing.
    browsers::OperaSettings opera6(true, false);
    opera6.LocateOperaIni();
    browsers::OperaSettings opera7(false, true);
    opera7.LocateOperaIni();
    for (const std::string& ini : {opera6.opera6IniPath, opera7.opera7IniPath}) {
        std::string text;
        if (!ini.empty() && browsers::ReadBrowserFile(ini, &text)) {
            AddFolder(operaCaches_, OperaCacheFolder(text));
        }
    }
}

void CInternetCleanerModule::EmptyFolders(const std::vector<std::string>& folders,
                                          bool descend) const {
    for (const std::string& folder : folders) {
        // Looked at again: the folder may have been replaced by a link since the scan.
        if (IsPlainCacheFolder(folder)) {
            EmptyFolder(folder, folder, descend, parameters->clearReadOnly != 0, 0);
        }
    }
}

void CInternetCleanerModule::DeleteReduandantEntries() {
    if (parameters == nullptr || !parameters->deleteEntries) return;
    const bool descend = parameters->includeSubfolders != 0;
    switch (parameters->browserKind) {
        case kInternetExplorer:
            for (const std::string& url : CachedContentUrls()) DeleteUrlCacheEntryA(url.c_str());
            break;
        case kMozillaDefaultProfiles:
            EmptyFolders(defaultProfileCaches_, descend);
            break;
        case kMozillaOtherProfiles:
            EmptyFolders(otherProfileCaches_, descend);
            break;
        case kMozillaLocalCaches:
            EmptyFolders(localProfileCaches_, descend);
            break;
        default:
            break;
    }
}

void CInternetCleanerModule::DeleteOperaRedundantEntries() {
    if (parameters == nullptr || !parameters->deleteEntries) return;
    if (parameters->browserKind == kOpera) EmptyFolders(operaCaches_, false);
}

}  // namespace cleaner
