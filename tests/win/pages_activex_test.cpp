// The ActiveX zones page inside the real main window: the policies it loads from the user's zone
// keys, what the sheet's Apply writes back, Cancel, and the blinking note.
#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "browsers_support.h"
#include "core/app_state.h"
#include "main_window_steps.h"
#include "platform/module_path.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/main_page_win.h"
#include "test_app.h"
#include "test_folder.h"

namespace pages {
namespace {

// The running test's application context, for the steps.
shell::AppContext* app = nullptr;

using main_window_steps::Step;
// Zone number -> value name -> policy.
using ZoneValues = std::map<int, std::map<std::string, DWORD>>;

constexpr int kActiveXIndex = 1;
constexpr int kApplyButton = 12321;
const char* const kValueNames[] = {"1001", "1004", "1201", "1405", "1200"};

std::vector<Step> steps;

int AnswerBox(HWND, const std::string&, const std::string&, UINT) { return IDYES; }

std::string ZoneKey(int zone) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\" +
           std::to_string(zone);
}

HWND ShowZonesPage(HWND sheet) {
    PropSheet_SetCurSel(sheet, nullptr, kActiveXIndex);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

void SelectZone(HWND page, int index) {
    HWND list = GetDlgItem(page, IDC_ZONE_LIST);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_ZONE_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// Checks button in its group as a click does, with the click's notification.
void ClickRadio(HWND page, int first, int last, int button) {
    CheckRadioButton(page, first, last, button);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, button)));
}

// The checked buttons of a page, in control id order.
std::vector<int> Checked(HWND page) {
    std::vector<int> checked;
    for (int id = IDC_SIGNED_ENABLE; id <= IDC_RUN_ADMIN_APPROVED; ++id) {
        if (IsDlgButtonChecked(page, id) == BST_CHECKED) checked.push_back(id);
    }
    return checked;
}

// The note's own visibility (the main window around it is hidden).
bool NoteShown(HWND page) {
    return (GetWindowLongA(GetDlgItem(page, IDC_ZONE_NOTE), GWL_STYLE) & WS_VISIBLE) != 0;
}

DWORD Stored(int zone, const std::string& name) {
    platform::RegKey key;
    DWORD value = 0xDEAD;
    if (key.Open(HKEY_CURRENT_USER, ZoneKey(zone), KEY_READ) == ERROR_SUCCESS) {
        key.QueryDword(name, &value);
    }
    return value;
}

class PagesActiveX : public ::testing::Test {
  protected:
    void SetUp() override {
        app = &app_.Context();
        shell::SkinControl::RegisterClasses();
        app->state.installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
        platform::OverrideProgramDirectory(folder_.Path());
        app->state.language = "English";
        app->state.blockedPopups = "0";
        app->state.firstRun = 0;
        app->state.closeToTray = 1;
        app->settings.PopupPort = 0;
        app->settings.PopupCheckEnabled = 0;
        platform::RegKey key;
        key.Create(HKEY_CURRENT_USER, core::kAppKeyPath);
        app->counterDialog = std::make_unique<shell::CPopupCountDlg>(*app);
        platform::SetMessageBoxHandler(AnswerBox);
        SaveZones();
        steps.clear();
    }
    void TearDown() override {
        RestoreZones();
        platform::SetMessageBoxHandler(nullptr);
        platform::OverrideProgramDirectory("");
        browsers_test::DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
    }
    // Every zone key gets exactly the values given; the others are removed.
    void StoreZones(const ZoneValues& zones) {
        for (int zone = 1; zone <= 4; ++zone) {
            platform::RegKey key;
            key.Create(HKEY_CURRENT_USER, ZoneKey(zone));
            for (const char* name : kValueNames) RegDeleteValueA(key.Handle(), name);
            auto values = zones.find(zone);
            if (values == zones.end()) continue;
            for (const auto& value : values->second) key.SetDword(value.first, value.second);
        }
    }
    // Runs the main window through the steps (10 s at most).
    void RunMainWindow() {
        EXPECT_TRUE(main_window_steps::Run(*app, steps)) << "the steps did not all run";
    }

    test_app::TestApp app_;
    test_folder::TemporaryFolder folder_;

  private:
    // The zone values as the prefix had them, put back after the test.
    void SaveZones() {
        for (int zone = 1; zone <= 4; ++zone) {
            platform::RegKey key;
            existed_[zone] = key.Open(HKEY_CURRENT_USER, ZoneKey(zone), KEY_READ) == 0;
            for (const char* name : kValueNames) {
                DWORD value;
                if (key.IsOpen() && key.QueryDword(name, &value) == 0) before_[zone][name] = value;
            }
        }
    }
    void RestoreZones() {
        StoreZones(before_);
        for (int zone = 1; zone <= 4; ++zone) {
            if (!existed_[zone]) RegDeleteKeyA(HKEY_CURRENT_USER, ZoneKey(zone).c_str());
        }
    }

    ZoneValues before_;
    std::map<int, bool> existed_;
};

TEST_F(PagesActiveX, LoadsEachZonesPoliciesIntoTheButtons) {
    StoreZones({
        {1, {{"1001", 3}, {"1004", 1}, {"1201", 0}, {"1405", 3}, {"1200", 65536}}},
        // 1001 = 2 has no button: the first group keeps what it showed.
        {2, {{"1001", 2}, {"1004", 0}, {"1201", 3}, {"1405", 1}, {"1200", 2}}},
        {3, {{"1001", 0}, {"1004", 3}, {"1201", 1}, {"1405", 0}, {"1200", 3}}},
    });
    steps = {[](HWND sheet) {
        HWND page = ShowZonesPage(sheet);
        HWND list = GetDlgItem(page, IDC_ZONE_LIST);
        ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 4);
        char name[32] = "";
        SendMessageA(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(name));
        EXPECT_STREQ(name, "Internet");
        HIMAGELIST icons =
            reinterpret_cast<HIMAGELIST>(SendMessageA(list, CBEM_GETIMAGELIST, 0, 0));
        EXPECT_EQ(ImageList_GetImageCount(icons), 4);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Checked(page),
                  (std::vector<int>{IDC_SIGNED_DISABLE, IDC_UNSIGNED_PROMPT, IDC_UNSAFE_ENABLE,
                                    IDC_SAFE_DISABLE, IDC_RUN_ADMIN_APPROVED}));
        SelectZone(page, 1);
        EXPECT_EQ(Checked(page),
                  (std::vector<int>{IDC_SIGNED_DISABLE, IDC_UNSIGNED_ENABLE, IDC_UNSAFE_DISABLE,
                                    IDC_SAFE_PROMPT, IDC_RUN_ADMIN_APPROVED}));
        SelectZone(page, 2);
        EXPECT_EQ(Checked(page),
                  (std::vector<int>{IDC_SIGNED_ENABLE, IDC_UNSIGNED_DISABLE, IDC_UNSAFE_PROMPT,
                                    IDC_SAFE_ENABLE, IDC_RUN_DISABLE}));
        // No values at all: every group shows Enable.
        SelectZone(page, 3);
        EXPECT_EQ(Checked(page),
                  (std::vector<int>{IDC_SIGNED_ENABLE, IDC_UNSIGNED_ENABLE, IDC_UNSAFE_ENABLE,
                                    IDC_SAFE_ENABLE, IDC_RUN_ENABLE}));
        // The note shows for two seconds, then blinks.
        EXPECT_TRUE(NoteShown(page));
        SendMessageA(page, WM_TIMER, 1034, 0);
        EXPECT_TRUE(NoteShown(page));
        SendMessageA(page, WM_TIMER, 1034, 0);
        EXPECT_FALSE(NoteShown(page));
        SendMessageA(page, WM_TIMER, 1034, 0);
        EXPECT_TRUE(NoteShown(page));
    }};
    RunMainWindow();
}

TEST_F(PagesActiveX, ApplyWritesOnlyTheZoneSelectedAtThatMoment) {
    const ZoneValues stored = {
        {2, {{"1001", 1}, {"1004", 3}, {"1201", 3}, {"1405", 0}, {"1200", 65536}}},
        {3, {{"1001", 0}, {"1004", 0}, {"1201", 0}, {"1405", 0}, {"1200", 0}}},
    };
    StoreZones(stored);
    steps = {
        [](HWND sheet) {
            HWND page = ShowZonesPage(sheet);
            SelectZone(page, 2);
            ClickRadio(page, IDC_SIGNED_ENABLE, IDC_SIGNED_PROMPT, IDC_SIGNED_DISABLE);
            ClickRadio(page, IDC_RUN_ENABLE, IDC_RUN_ADMIN_APPROVED, IDC_RUN_PROMPT);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
            // Another zone reloads the buttons; the Internet changes are gone.
            SelectZone(page, 1);
            ClickRadio(page, IDC_SAFE_ENABLE, IDC_SAFE_PROMPT, IDC_SAFE_PROMPT);
            SendMessageA(sheet, WM_COMMAND, kApplyButton, 0);
            EXPECT_EQ(Stored(3, "1001"), 0u);
            EXPECT_EQ(Stored(3, "1200"), 0u);
            EXPECT_EQ(Stored(2, "1001"), 1u);
            EXPECT_EQ(Stored(2, "1004"), 3u);
            EXPECT_EQ(Stored(2, "1201"), 3u);
            EXPECT_EQ(Stored(2, "1405"), 1u);
            EXPECT_EQ(Stored(2, "1200"), 65536u);
            // Then the run group's other buttons, each read back.
            for (auto button : {std::make_pair(IDC_RUN_DISABLE, 3u),
                                {IDC_RUN_ENABLE, 0u},
                                {IDC_RUN_PROMPT, 1u},
                                {IDC_RUN_ADMIN_APPROVED, 65536u}}) {
                ClickRadio(page, IDC_RUN_ENABLE, IDC_RUN_ADMIN_APPROVED, button.first);
                SendMessageA(sheet, WM_COMMAND, kApplyButton, 0);
                EXPECT_EQ(Stored(2, "1200"), button.second) << button.first;
            }
        },
    };
    RunMainWindow();
}

TEST_F(PagesActiveX, UnknownPolicySurvivesApplyAndCancelReturnsToLocalIntranet) {
    StoreZones({
        {1, {{"1001", 2}, {"1004", 1}, {"1201", 1}, {"1405", 1}, {"1200", 1}}},
        {4, {{"1001", 3}, {"1004", 3}, {"1201", 3}, {"1405", 3}, {"1200", 3}}},
    });
    steps = {
        [](HWND sheet) {
            HWND page = ShowZonesPage(sheet);
            // 1001 = 2 on the first load: no button of the first group is checked.
            EXPECT_EQ(Checked(page), (std::vector<int>{IDC_UNSIGNED_PROMPT, IDC_UNSAFE_PROMPT,
                                                       IDC_SAFE_PROMPT, IDC_RUN_PROMPT}));
            ClickRadio(page, IDC_UNSIGNED_ENABLE, IDC_UNSIGNED_PROMPT, IDC_UNSIGNED_DISABLE);
            SendMessageA(sheet, WM_COMMAND, kApplyButton, 0);
            EXPECT_EQ(Stored(1, "1001"), 2u);
            EXPECT_EQ(Stored(1, "1004"), 3u);
            SelectZone(page, 3);
            ClickRadio(page, IDC_SAFE_ENABLE, IDC_SAFE_PROMPT, IDC_SAFE_ENABLE);
            SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        },
        [](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_ZONE_LIST), CB_GETCURSEL, 0, 0), 0);
            // Local intranet's stored values; the first group still shows the last zone's.
            EXPECT_EQ(Checked(page),
                      (std::vector<int>{IDC_SIGNED_DISABLE, IDC_UNSIGNED_DISABLE, IDC_UNSAFE_PROMPT,
                                        IDC_SAFE_PROMPT, IDC_RUN_PROMPT}));
            EXPECT_EQ(Stored(4, "1405"), 3u);
        },
    };
    RunMainWindow();
}

}  // namespace
}  // namespace pages
