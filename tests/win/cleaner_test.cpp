// The cache cleaner on caches laid out in the test prefix: the WinINet URL cache, Mozilla
// profile caches of each kind and Opera 7's cache folder, with files beside them that must stay.
#include <windows.h>
// The headers below need windows.h first.

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>

#include "browsers/opera.h"
#include "browsers_support.h"
#include "cleaner/internet_cleaner.h"

namespace cleaner {
namespace {

using browsers_test::Exists;
using browsers_test::MakeFolders;
using test_folder::WriteFile;

// A cached page: a cache file created by WinINet, then committed under url.
bool CommitPage(const std::string& url) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), 0, "html", file, 0)) return false;
    WriteFile(file, "<html>cached</html>");
    FILETIME none = {};
    return CommitUrlCacheEntryA(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0,
                                nullptr, nullptr) != FALSE;
}

bool InUrlCache(const std::string& url) {
    DWORD size = 0;
    GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

void Clean(CInternetCleanerParamters& parameters, std::int32_t kind) {
    CInternetCleanerModule module;
    module.parameters = &parameters;
    module.Scan();
    parameters.browserKind = kind;
    if (kind == kOpera) {
        module.DeleteOperaRedundantEntries();
    } else {
        module.DeleteReduandantEntries();
    }
}

CInternetCleanerParamters AllOn() {
    CInternetCleanerParamters parameters;
    parameters.deleteEntries = 1;
    parameters.includeSubfolders = 1;
    parameters.clearReadOnly = 1;
    return parameters;
}

TEST(CleanerInternetExplorer, CachedPagesGoCookiesAndHistoryStay) {
    const std::string pages[] = {"http://cleaner.test/page.html", "http://cleaner.test/ad.gif"};
    for (const std::string& url : pages) ASSERT_TRUE(CommitPage(url)) << url;
    ASSERT_TRUE(InternetSetCookieA("http://cleaner.test/", "kept",
                                   "yes; expires=Fri, 01-Jan-2038 00:00:00 GMT"));
    FILETIME none = {};
    const std::string visited = "Visited: me@http://cleaner.test/page.html";
    ASSERT_TRUE(CommitUrlCacheEntryA(visited.c_str(), nullptr, none, none, URLHISTORY_CACHE_ENTRY,
                                     nullptr, 0, nullptr, nullptr));

    CInternetCleanerParamters parameters = AllOn();
    // Another kind leaves the URL cache alone.
    Clean(parameters, kMozillaDefaultProfiles);
    EXPECT_TRUE(InUrlCache(pages[0]));

    Clean(parameters, kInternetExplorer);
    for (const std::string& url : pages) EXPECT_FALSE(InUrlCache(url)) << url;
    char cookie[256] = {};
    DWORD size = sizeof cookie;
    EXPECT_TRUE(InternetGetCookieA("http://cleaner.test/", nullptr, cookie, &size));
    EXPECT_STREQ(cookie, "kept=yes");
    EXPECT_TRUE(InUrlCache(visited));
    DeleteUrlCacheEntryA(visited.c_str());
}

class CleanerFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string mozilla = browsers_test::ApplicationData() + "Mozilla\\";
        profile_ = mozilla + "Profiles\\default\\ab12cd34.slt\\";
        local_ = localRoot_ + "Mozilla\\Profiles\\default\\ab12cd34.slt\\";
        other_ = elsewhere_.Path() + "work\\ef56gh78.slt\\";
        for (const std::string& folder : {profile_, other_}) {
            MakeFolders(folder + "Cache\\0\\");
            WriteFile(folder + "prefs.js", "user_pref(\"browser.cache.disk.capacity\", 50000);\n");
            WriteFile(folder + "Cache\\_CACHE_MAP_", "map");
            WriteFile(folder + "Cache\\0\\12AB34d01", "entry");
        }
        MakeFolders(local_ + "Cache\\");
        WriteFile(local_ + "Cache\\_CACHE_001_", "blocks");
        WriteFile(local_ + "prefs.js", "kept");
        SetFileAttributesA((profile_ + "Cache\\_CACHE_MAP_").c_str(), FILE_ATTRIBUTE_READONLY);
        // registry.dat names the second profile outside the default folder.
        WriteFile(mozilla + "registry.dat",
                  std::string("directory\0", 10) + other_.substr(0, other_.size() - 1) + '\0');

        opera_ = elsewhere_.Path() + "Opera7\\";
        MakeFolders(opera_ + "profile\\cache4\\sub\\");
        WriteFile(opera_ + "OperaDef6.ini", "[System]\r\nMulti User=0\r\n");
        WriteFile(opera_ + "profile\\opera6.ini",
                  "Opera Preferences version 2.0\r\n[User Prefs]\r\nCache Directory4=" + opera_ +
                      "profile\\cache4\\\r\n");
        WriteFile(opera_ + "profile\\cache4\\opr00001.tmp", "page");
        WriteFile(opera_ + "profile\\cache4\\sub\\kept.txt", "not descended into");
        browsers_test::SetString(browsers::kOperaKey, "Last Directory2",
                                 opera_.substr(0, opera_.size() - 1));
    }
    void TearDown() override {
        test_folder::RemoveTree(browsers_test::ApplicationData() + "Mozilla\\");
        test_folder::RemoveTree(localRoot_ + "Mozilla\\");
        browsers_test::DeleteKeyTree(HKEY_CURRENT_USER, browsers::kOperaKey);
    }

    test_folder::TemporaryFolder elsewhere_;
    const std::string localRoot_ = browsers_test::LocalApplicationData();
    std::string profile_;
    std::string local_;
    std::string other_;
    std::string opera_;
};

TEST_F(CleanerFolders, EachKindEmptiesItsOwnCacheFoldersAndNothingElse) {
    CInternetCleanerParamters parameters = AllOn();
    Clean(parameters, kMozillaDefaultProfiles);
    EXPECT_FALSE(Exists(profile_ + "Cache\\_CACHE_MAP_"));  // read-only, removed all the same
    EXPECT_FALSE(Exists(profile_ + "Cache\\0\\12AB34d01"));
    EXPECT_TRUE(Exists(profile_ + "Cache\\0\\"));  // folders stay, the browser expects them
    EXPECT_TRUE(Exists(profile_ + "prefs.js"));
    EXPECT_TRUE(Exists(other_ + "Cache\\_CACHE_MAP_"));
    EXPECT_TRUE(Exists(local_ + "Cache\\_CACHE_001_"));

    Clean(parameters, kMozillaOtherProfiles);
    EXPECT_FALSE(Exists(other_ + "Cache\\_CACHE_MAP_"));
    EXPECT_FALSE(Exists(other_ + "Cache\\0\\12AB34d01"));
    EXPECT_TRUE(Exists(other_ + "prefs.js"));
    EXPECT_TRUE(Exists(local_ + "Cache\\_CACHE_001_"));

    Clean(parameters, kMozillaLocalCaches);
    EXPECT_FALSE(Exists(local_ + "Cache\\_CACHE_001_"));
    EXPECT_TRUE(Exists(local_ + "prefs.js"));
    EXPECT_TRUE(Exists(opera_ + "profile\\cache4\\opr00001.tmp"));

    Clean(parameters, kOpera);
    EXPECT_FALSE(Exists(opera_ + "profile\\cache4\\opr00001.tmp"));
    EXPECT_TRUE(Exists(opera_ + "profile\\cache4\\sub\\kept.txt"));
    EXPECT_TRUE(Exists(opera_ + "profile\\opera6.ini"));
    EXPECT_TRUE(Exists(opera_ + "OperaDef6.ini"));
}

// Firefox keeps its disk cache in the local tree, in "cache2" of the profile's folder there.
TEST_F(CleanerFolders, FirefoxCacheIsEmptiedWithTheLocalCaches) {
    const std::string firefox = browsers_test::ApplicationData() + "Mozilla\\Firefox\\";
    const std::string profile = firefox + "Profiles\\x1.default-release\\";
    MakeFolders(profile);
    WriteFile(profile + "prefs.js", "");
    WriteFile(firefox + "profiles.ini",
              "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
              "Path=Profiles/x1.default-release\r\n");
    const std::string cache =
        localRoot_ + "Mozilla\\Firefox\\Profiles\\x1.default-release\\cache2\\";
    MakeFolders(cache + "entries\\");
    WriteFile(cache + "entries\\0A1B2C3D4E", "page");
    WriteFile(cache + "index", "index");

    CInternetCleanerParamters parameters = AllOn();
    Clean(parameters, kMozillaOtherProfiles);
    EXPECT_TRUE(Exists(cache + "entries\\0A1B2C3D4E"));
    Clean(parameters, kMozillaLocalCaches);
    EXPECT_FALSE(Exists(cache + "entries\\0A1B2C3D4E"));
    EXPECT_FALSE(Exists(cache + "index"));
    EXPECT_TRUE(Exists(cache + "entries\\"));
    EXPECT_TRUE(Exists(profile + "prefs.js"));
}

TEST_F(CleanerFolders, FindOnlyAndReadOnlyOptionsRemoveLess) {
    CInternetCleanerParamters parameters;
    Clean(parameters, kMozillaDefaultProfiles);
    EXPECT_TRUE(Exists(profile_ + "Cache\\0\\12AB34d01"));
    parameters.deleteEntries = 1;
    Clean(parameters, kMozillaDefaultProfiles);
    EXPECT_TRUE(Exists(profile_ + "Cache\\_CACHE_MAP_"));   // read-only
    EXPECT_TRUE(Exists(profile_ + "Cache\\0\\12AB34d01"));  // in a sub-folder
}

// An Opera setting that names a drive root or a relative folder is not a cache folder.
TEST_F(CleanerFolders, OperaFolderThatIsNoCacheFolderIsLeftAlone) {
    const std::string ini = opera_ + "profile\\opera6.ini";
    for (const std::string& named : {std::string(1, opera_[0]) + ":\\", std::string("cache4")}) {
        WriteFile(ini, "[User Prefs]\r\nCache Directory4=" + named + "\r\n");
        CInternetCleanerParamters parameters = AllOn();
        Clean(parameters, kOpera);
        EXPECT_TRUE(Exists(opera_ + "profile\\cache4\\opr00001.tmp")) << named;
        EXPECT_TRUE(Exists(ini)) << named;
    }
}

// A link from a cache folder to a folder outside it is not followed. Wine 8 has no symbolic
// links (its CreateSymbolicLinkA reports success and makes nothing), so this case runs on real
// Windows only; under Wine it is reported as skipped, with the reason.
TEST_F(CleanerFolders, LinkOutOfACacheFolderIsNotFollowedOnWindowsOnly) {
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    const std::string outside = elsewhere_.Path() + "outside\\";
    MakeFolders(outside);
    WriteFile(outside + "keep.txt", "mine");
    const std::string link = profile_ + "Cache\\link";
    if (create == nullptr || !create(link.c_str(), outside.c_str(), 1 /* a directory */)) {
        GTEST_SKIP() << "runs on Windows only: no symbolic links here (error " << GetLastError()
                     << ")";
    }
    // Wine's CreateSymbolicLinkA may report success without making anything.
    if (!Exists(link + "\\keep.txt"))
        GTEST_SKIP() << "runs on Windows only: the link made here (Wine) does not lead anywhere";
    CInternetCleanerParamters parameters = AllOn();
    Clean(parameters, kMozillaDefaultProfiles);
    EXPECT_TRUE(Exists(outside + "keep.txt"));
    EXPECT_FALSE(Exists(profile_ + "Cache\\0\\12AB34d01"));
    RemoveDirectoryA(link.c_str());
}

}  // namespace
}  // namespace cleaner
