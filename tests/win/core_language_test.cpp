// Language lookups through the real private-profile functions, applied to real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/app_state.h"
#include "core/language.h"
#include "core/language_dialog_win.h"
#include "test_folder.h"

namespace core {
namespace {

class CoreLanguage : public ::testing::Test {
  protected:
    void SetUp() override {
        state_.installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
        state_.language = "Test";
        CreateDirectoryA((folder_.Path() + "Language").c_str(), nullptr);
        const std::string longValue(1200, 'v');
        WriteLanguage("Test",
                      "[KorvoPopupKiller]\r\n6003=Exit#now?\r\n12000=About#Korvo\r\n"
                      "2904=main only\r\n1=" +
                          longValue +
                          "\r\n"
                          "[KorvoPopuKiller]\r\n2901=wizard#text\r\n1=" +
                          longValue + "\r\n");
        WriteLanguage("Other", "[KorvoPopupKiller]\r\n99990=Other Title\r\n");
    }
    void WriteLanguage(const std::string& language, const std::string& content) {
        test_folder::WriteFile(folder_.Path() + "Language\\" + language + ".ini", content);
    }

    test_folder::TemporaryFolder folder_;
    // The state this test's lookups read.
    AppState state_;
};

TEST_F(CoreLanguage, LookupsBySectionAndBuffer) {
    EXPECT_EQ(GetLanguageString(state_, {"6003", "d"}), "Exit\nnow?");
    EXPECT_EQ(GetLanguageString(state_, {"6004", "d#x"}), "d\nx");
    EXPECT_EQ(GetLanguageString(state_, {"2901", "d"}), "d");  // only in the wizard's section
    EXPECT_EQ(GetWizardString(state_, {"2901", "d"}), "wizard\ntext");
    EXPECT_EQ(GetWizardString(state_, {"2904", "d"}), "d");  // only in the main section
    EXPECT_EQ(GetDialogText(state_, 12000, "d"), "About#Korvo");
    EXPECT_EQ(GetLanguageString(state_, {"1", "d"}).size(), 249u);
    EXPECT_EQ(GetWizardString(state_, {"1", "d"}).size(), 499u);
    EXPECT_EQ(GetDialogText(state_, 1, "d").size(), 999u);

    // The path is rebuilt from the state on every lookup; a doubled backslash still works.
    state_.language = "Other";
    EXPECT_EQ(AppTitle(state_), "Other Title");
    state_.installPath += "\\";
    EXPECT_EQ(AppTitle(state_), "Other Title");
    state_.language.clear();
    EXPECT_EQ(AppTitle(state_), "Korvo Popup Killer");
}

TEST_F(CoreLanguage, TextsAppliedToWindows) {
    HWND dialog = CreateWindowExA(0, "STATIC", "resource title", WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    for (int id : {1005, 1, 1027}) {
        CreateWindowExA(0, "STATIC", "resource", WS_CHILD, 0, 0, 10, 10, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    auto text = [&](int id) {
        char buffer[2048] = "";
        if (id == kDialogTitleControlId)
            GetWindowTextA(dialog, buffer, sizeof(buffer));
        else
            GetDlgItemTextA(dialog, id, buffer, sizeof(buffer));
        return std::string(buffer);
    };
    const std::string defaults[] = {"Korvo Popup Killer", "Version:", "OK"};
    const int controls[] = {kDialogTitleControlId, 1005, 4242};
    ApplyLanguageTexts(state_, dialog, defaults, 12000, controls, 0);
    EXPECT_EQ(text(kDialogTitleControlId), "resource title");
    ApplyLanguageTexts(state_, dialog, defaults, 12000, controls, 3);
    EXPECT_EQ(text(kDialogTitleControlId), "About#Korvo");
    EXPECT_EQ(text(1005), "Version:");
    EXPECT_EQ(text(1), "resource");  // 4242 is no control of the window

    SetWizardItemText(state_, dialog, 1027, {"2901", "d"});
    EXPECT_EQ(text(1027), "wizard\ntext");
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace core
