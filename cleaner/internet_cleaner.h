// The cache cleaner: removes the pages browsers cached before they were pointed at the proxy,
// so that they are fetched again through it (and get the blocker script). It removes cache
// entries and nothing else, and reports nothing back.
//
// Use: point the module at a parameters object, call Scan() to find the caches, then for each
// browser kind set the selector and call DeleteReduandantEntries() (or, for Opera,
// DeleteOperaRedundantEntries()). One object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cleaner {

// Browser kinds the selector names.
enum BrowserKind : std::int32_t {
    kInternetExplorer = 1,  // the WinINet URL cache
    // Netscape 6/7 and Mozilla Suite profiles share one profile store; the three kinds are its
    // three places of a disk cache:
    kMozillaDefaultProfiles = 2,  // profiles in the Mozilla folder's "Profiles" folder
    kMozillaOtherProfiles = 3,    // profiles registry.dat names elsewhere
    kOpera = 4,                   // the cache folder opera6.ini names (Opera 6 and Opera 7)
    kMozillaLocalCaches = 5,      // the caches Mozilla 1.4+ and Netscape 7.1+ keep for the
                                  // default profiles under "Local Settings" (Windows 2000/XP),
                                  // and Firefox's "cache2" of each profile in the local tree
};

struct CInternetCleanerParamters {
    std::int32_t browserKind = 0;  // a BrowserKind
    // 1 = remove what is found; 0 = find only.
    std::uint8_t deleteEntries = 0;
    // 1 = also empty the sub-folders of a profile's cache folder (later Mozilla versions spread
    // their entries over such folders). Opera's folder, named by an editable file, is never
    // descended into.
    std::uint8_t includeSubfolders = 0;
    // 1 = a read-only cached file is made writable and removed; 0 = it stays.
    std::uint8_t clearReadOnly = 0;
};

class CInternetCleanerModule {
  public:
    CInternetCleanerModule() = default;
    virtual ~CInternetCleanerModule() = default;
    CInternetCleanerModule(const CInternetCleanerModule&) = delete;
    CInternetCleanerModule& operator=(const CInternetCleanerModule&) = delete;

    // Not owned. Every operation does nothing while it is null.
    CInternetCleanerParamters* parameters = nullptr;

    // Finds the cache folders of every kind: the Netscape/Mozilla profiles and the folders the
    // Opera 6 and Opera 7 settings name. Only folders that exist and are no link are kept.
    void Scan();
    // Empties the caches of the selected kind (1, 2, 3 or 5) found by the last Scan. Internet
    // Explorer's cookies and history entries stay.
    void DeleteReduandantEntries();
    // Empties the Opera cache folders found by the last Scan (selector 4).
    void DeleteOperaRedundantEntries();

  private:
    void EmptyFolders(const std::vector<std::string>& folders, bool descend) const;

    std::vector<std::string> defaultProfileCaches_;
    std::vector<std::string> otherProfileCaches_;
    std::vector<std::string> localProfileCaches_;
    std::vector<std::string> operaCaches_;
};

}  // namespace cleaner
