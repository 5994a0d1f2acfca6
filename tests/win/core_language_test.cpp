// Language lookups through the real private-profile functions, and the texts applied to real
// windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/language.h"
#include "core/language_dialog.h"
#include "test_folder.h"

namespace core {
namespace {

// The repository folder as Wine sees it (drive Z: is the Linux root).
std::string RepositoryFolder() {
    std::string here = __FILE__;
    here = here.substr(0, here.rfind("tests/win/"));
    for (char& c : here) {
        if (c == '/') c = '\\';
    }
    return "Z:" + here;
}

class CoreLanguageFile : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = appState;
        installPath_ = folder_.Path().substr(0, folder_.Path().size() - 1);
        CreateDirectoryA((folder_.Path() + "Language").c_str(), nullptr);
        appState.installPath = installPath_;
        appState.language = "Test";
    }
    void TearDown() override { appState = saved_; }

    void WriteLanguage(const std::string& language, const std::string& content) {
        test_folder::WriteFile(folder_.Path() + "Language\\" + language + ".ini", content);
    }

    test_folder::TemporaryFolder folder_;
    std::string installPath_;
    AppState saved_;
};

TEST_F(CoreLanguageFile, LookupsBySection) {
    WriteLanguage("Test",
                  "[KorvoPopupKiller]\r\n6003=Exit#now?\r\n1001=Catch#them\r\n2901=main only\r\n"
                  "[KorvoPopuKiller]\r\n2902=wizard#text\r\n");
    struct Case {
        std::string (*lookup)(const std::string&, const std::string&);
        const char* id;
        const char* expected;
    } cases[] = {
        {GetLanguageString, "6003", "Exit\nnow?"},
        {GetLanguageString, "6004", "default"},  // missing key
        {GetLanguageString, "2902", "default"},  // only in the wizard's section
        {GetWizardString, "2902", "wizard\ntext"},
        {GetWizardString, "2901", "default"},  // only in the main section
    };
    for (const Case& c : cases) EXPECT_EQ(c.lookup(c.id, "default"), c.expected) << c.id;
    EXPECT_EQ(GetDialogText(1001, "default"), "Catch#them");  // "#" kept for dialog texts
    EXPECT_EQ(GetDialogText(1002, "d#x"), "d#x");
}

TEST_F(CoreLanguageFile, LongValuesCutToTheirBuffers) {
    const std::string value(1200, 'v');
    WriteLanguage("Test", "[KorvoPopupKiller]\r\n1=" + value +
                              "\r\n[KorvoPopuKiller]\r\n1=" + value + "\r\n");
    EXPECT_EQ(GetLanguageString("1", "d"), std::string(249, 'v'));
    EXPECT_EQ(GetWizardString("1", "d"), std::string(499, 'v'));
    EXPECT_EQ(GetDialogText(1, "d"), std::string(999, 'v'));
}

TEST_F(CoreLanguageFile, PathFollowsStateOnEveryLookup) {
    WriteLanguage("Test", "[KorvoPopupKiller]\r\n99990=Test Title\r\n");
    WriteLanguage("Other", "[KorvoPopupKiller]\r\n99990=Other Title\r\n");
    EXPECT_EQ(AppTitle(), "Test Title");
    appState.language = "Other";
    EXPECT_EQ(AppTitle(), "Other Title");
    appState.language = "Missing";
    EXPECT_EQ(AppTitle(), "Korvo Popup Killer");
    // A trailing backslash on the install path doubles it in the path; the system accepts it.
    appState.language = "Test";
    appState.installPath = installPath_ + "\\";
    EXPECT_EQ(AppTitle(), "Test Title");
    appState.installPath.clear();
    appState.language.clear();
    EXPECT_EQ(AppTitle(), "Korvo Popup Killer");
}

// A top-level window with static child controls, as a dialog stands in.
class TextWindow {
  public:
    explicit TextWindow(const std::vector<int>& controlIds) {
        window_ = CreateWindowExA(0, "STATIC", "resource title", WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int id : controlIds) {
            CreateWindowExA(0, "STATIC", "resource text", WS_CHILD, 0, 0, 10, 10, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
        }
    }
    ~TextWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    std::string Text(int controlId) const {
        char text[2048] = "";
        if (controlId == kDialogTitleControlId) {
            GetWindowTextA(window_, text, sizeof(text));
        } else {
            GetDlgItemTextA(window_, controlId, text, sizeof(text));
        }
        return text;
    }

  private:
    HWND window_;
};

TEST_F(CoreLanguageFile, ApplyLanguageTextsToControlsAndTitle) {
    WriteLanguage("Test", "[KorvoPopupKiller]\r\n12000=About#Korvo\r\n12002=Fine\r\n12003=" +
                              std::string(1200, 'w') + "\r\n");
    TextWindow dialog({1005, 1, 1046});
    ASSERT_NE(dialog.Handle(), nullptr);
    const std::string defaults[] = {"Korvo Popup Killer", "Version:", "OK", "long"};
    const int controls[] = {kDialogTitleControlId, 1005, 1, 1046};

    ApplyLanguageTexts(dialog.Handle(), defaults, 12000, controls, 0);
    EXPECT_EQ(dialog.Text(kDialogTitleControlId), "resource title");
    EXPECT_EQ(dialog.Text(1005), "resource text");

    ApplyLanguageTexts(dialog.Handle(), defaults, 12000, controls, 4);
    EXPECT_EQ(dialog.Text(kDialogTitleControlId), "About#Korvo");
    EXPECT_EQ(dialog.Text(1005), "Version:");  // missing key: the default
    EXPECT_EQ(dialog.Text(1), "Fine");
    EXPECT_EQ(dialog.Text(1046), std::string(999, 'w'));

    // A control the window does not have is passed over.
    const int missingControl[] = {4242};
    ApplyLanguageTexts(dialog.Handle(), defaults, 12000, missingControl, 1);
    EXPECT_EQ(dialog.Text(kDialogTitleControlId), "About#Korvo");
}

TEST_F(CoreLanguageFile, WizardItemTextFromWizardSectionOnly) {
    WriteLanguage("Test",
                  "[KorvoPopupKiller]\r\n2901=main text\r\n2904=main only\r\n"
                  "[KorvoPopuKiller]\r\n2901=first#line\r\n");
    TextWindow page({1027, 1064});
    SetWizardItemText(page.Handle(), 1027, "2901", "default");
    SetWizardItemText(page.Handle(), 1064, "2904", "&Internet Explorer or AOL or Both.");
    EXPECT_EQ(page.Text(1027), "first\nline");
    EXPECT_EQ(page.Text(1064), "&Internet Explorer or AOL or Both.");
}

// Every key of one section of a profile file.
std::vector<std::string> SectionKeys(const std::string& file, const char* section) {
    std::vector<char> buffer(65536);
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), file.c_str());
    std::vector<std::string> keys;
    for (DWORD i = 0; i < n;) {
        std::string key = buffer.data() + i;
        if (key.empty()) break;
        keys.push_back(key);
        i += static_cast<DWORD>(key.size()) + 1;
    }
    return keys;
}

TEST(CoreShippedLanguage, EnglishFileHoldsBothSectionsAndTheDefaults) {
    const std::string file = RepositoryFolder() + "data\\Language\\English.ini";
    std::vector<std::string> main = SectionKeys(file, kLanguageSection);
    std::vector<std::string> wizard = SectionKeys(file, kWizardLanguageSection);
    EXPECT_GT(main.size(), 140u);
    EXPECT_EQ(main, wizard);

    AppState saved = appState;
    appState.installPath = RepositoryFolder() + "data";
    appState.language = "English";
    struct Case {
        const char* id;
        const char* text;
    } cases[] = {
        {"99990", "Korvo Popup Killer"},
        {"9999", "Korvo Popup Killer.kv"},
        {"6001", "Sorry, but some files have been corrupted, you have to re-install the program"},
        {"6009", "127.0.0.1\tKorvoPopupKiller"},
        {"19013", "\nClick Yes to start the wizard\nNo to hide this message box forever."},
        {"11000", "Popups"},
        {"11001", "ActiveX"},
        {"11002", "Options"},
        {"9007", " Always On Top"},  // quoted in the file to keep its leading space
    };
    for (const Case& c : cases) EXPECT_EQ(GetLanguageString(c.id, "missing"), c.text) << c.id;
    EXPECT_EQ(GetWizardString("2604", "missing"), "Next >");
    appState = saved;
}

}  // namespace
}  // namespace core
