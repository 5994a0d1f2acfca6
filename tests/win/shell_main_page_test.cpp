// The main window run for real, as the program runs it: a modal property sheet driven from a
// thread timer inside its own message loop, with message boxes answered by the test.
#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "browsers_support.h"
#include "core/app_state.h"
#include "platform/module_path.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/main_page_win.h"
#include "test_app.h"
#include "test_folder.h"

namespace shell {
namespace {

// The running test's application context, for the steps.
shell::AppContext* app = nullptr;

using Step = std::function<void(CMainPage&)>;

std::vector<Step> steps;
size_t nextStep = 0;
UINT_PTR stepTimer = 0;
int ticks = 0;
std::vector<std::string> boxes;
int boxAnswer = IDYES;

int AnswerBox(HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return boxAnswer;
}

// One step per tick; when the steps are done, or after 10 s at the latest, the window ends.
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    CMainPage* page = RunningMainPage();
    if (page == nullptr) return;
    if (nextStep < steps.size()) {
        steps[nextStep++](*page);
    } else if (++ticks > 200 || nextStep == steps.size()) {
        nextStep = steps.size() + 1;
        page->QuitQuietly();
    }
}

std::string MenuText(HMENU menu, UINT command) {
    char text[128] = "";
    GetMenuStringA(menu, command, text, sizeof text, MF_BYCOMMAND);
    return text;
}

std::string TabLabel(HWND sheet, int index) {
    char text[64] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMA, index,
                 reinterpret_cast<LPARAM>(&item));
    return text;
}

class ShellMainPage : public ::testing::Test {
  protected:
    void SetUp() override {
        app = &app_.Context();
        SkinControl::RegisterClasses();
        app->state.installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
        // The settings file and blocker script are read and written in the test's folder.
        platform::OverrideProgramDirectory(folder_.Path());
        // Cancel reloads this file: catching stays off, as no browser is configured here.
        test_folder::WriteFile(folder_.Path() + "KorvoINI.ini",
                               "[KorvoPopupKiller]\r\nPopupCheckDisabled=1\r\n");
        app->state.language = "English";
        app->state.blockedPopups = "7";
        app->state.firstRun = 0;
        app->state.closeToTray = 1;
        app->settings.PopupPort = 0;
        app->settings.PopupCheckEnabled = 0;
        platform::RegKey key;
        key.Create(HKEY_CURRENT_USER, core::kAppKeyPath);
        key.SetString("Blocked Popups", "0");
        app->counterDialog = std::make_unique<CPopupCountDlg>(*app);
        platform::SetMessageBoxHandler(AnswerBox);
        boxes.clear();
        boxAnswer = IDYES;
        steps.clear();
        nextStep = 0;
        ticks = 0;
    }
    void TearDown() override {
        platform::SetMessageBoxHandler(nullptr);
        platform::OverrideProgramDirectory("");
        // The key and the "Proxy Setting" flags the main window's refresh wrote.
        browsers_test::DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
    }
    void WriteEnglish(const std::string& content) {
        CreateDirectoryA((folder_.Path() + "Language").c_str(), nullptr);
        test_folder::WriteFile(folder_.Path() + "Language\\English.ini", content);
    }
    // Runs the main window through the steps; it ends by itself after the last one.
    void RunMainWindow() {
        stepTimer = SetTimer(nullptr, 0, 50, RunNextStep);
        CMainPage page(*app);
        page.Run();
        KillTimer(nullptr, stepTimer);
        app->listener.StopListener();
        EXPECT_EQ(RunningMainPage(), nullptr);
    }

    test_app::TestApp app_;
    test_folder::TemporaryFolder folder_;
};

TEST_F(ShellMainPage, StartsHiddenInTheTrayWithItsTexts) {
    WriteEnglish(
        "[KorvoPopupKiller]\r\n11000=Pops\r\n11001=Zones\r\n10001=Fine\r\n"
        "99990=Korvo Title\r\n7001=Show it\r\n");
    steps = {[](CMainPage& page) {
        EXPECT_FALSE(IsWindowVisible(page.Handle()));
        EXPECT_TRUE(page.IsTrayIconAdded());
        EXPECT_EQ(TabLabel(page.Handle(), 0), "Pops");
        EXPECT_EQ(TabLabel(page.Handle(), 1), "Zones");
        EXPECT_EQ(TabLabel(page.Handle(), 2), "Error");  // the tab labels have no other default
        EXPECT_EQ(page.Text(), "Korvo Title");
        EXPECT_EQ(page.ItemText(IDOK), "Fine");
        EXPECT_EQ(page.ItemText(IDCANCEL), "Cancel");
        HMENU system = GetSystemMenu(page.Handle(), FALSE);
        EXPECT_EQ(MenuText(system, IDM_SYSTEM_ABOUT), "&About Korvo Popup Killer");
        EXPECT_TRUE(GetMenuState(system, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED);
        int minimizeItems = 0;
        for (int i = 0; i < GetMenuItemCount(system); ++i) {
            minimizeItems += GetMenuItemID(system, i) == SC_MINIMIZE;
        }
        EXPECT_EQ(minimizeItems, 1);
        EXPECT_EQ(GetWindow(page.Handle(), GW_OWNER), nullptr);
    }};
    RunMainWindow();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShellMainPage, ShowsAndHidesThroughTrayAndCloseBox) {
    WriteEnglish("[KorvoPopupKiller]\r\n7001=Show it\r\n7002=Hide it\r\n");
    steps = {
        [](CMainPage& page) { page.ToggleMainWindow(); },
        [](CMainPage& page) {
            EXPECT_TRUE(IsWindowVisible(page.Handle()));
            page.Send(WM_SYSCOMMAND, SC_CLOSE);
        },
        [](CMainPage& page) {
            EXPECT_FALSE(IsWindowVisible(page.Handle()));  // closing never ends the program
            page.Send(WM_COMMAND, IDM_TOGGLE_WINDOW);
        },
        [](CMainPage& page) {
            EXPECT_TRUE(IsWindowVisible(page.Handle()));
            page.Send(WM_COMMAND, IDOK);
        },
        [](CMainPage& page) { EXPECT_FALSE(IsWindowVisible(page.Handle())); },
    };
    RunMainWindow();
    EXPECT_TRUE(boxes.empty());
}

void CALLBACK QuitDuringMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (RunningMainPage() != nullptr) RunningMainPage()->QuitQuietly();
}

// The tray's callback comes from another program, sent while the sheet's loop waits for a
// message: an exit asked for while that callback's menu is open must still end the loop.
TEST_F(ShellMainPage, QuitWhileTheTrayMenuIsOpenEndsTheProgram) {
    std::thread tray;
    const DWORD uiThread = GetCurrentThreadId();
    steps = {[&tray](CMainPage& page) {
        KillTimer(nullptr, stepTimer);
        SetTimer(nullptr, 0, 300, QuitDuringMenu);
        HWND sheet = page.Handle();
        tray = std::thread([sheet] {
            SendMessageA(sheet, RegisterWindowMessageA("TaskbarMsg"), 0, WM_RBUTTONUP);
        });
    }};
    // Wakes a loop that would otherwise wait for ever, so a fault fails instead of hanging.
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([uiThread, ended] {
        if (WaitForSingleObject(ended, 4000) == WAIT_TIMEOUT) {
            PostThreadMessageA(uiThread, WM_NULL, 0, 0);
        }
    });
    const DWORD start = GetTickCount();
    RunMainWindow();
    EXPECT_LT(GetTickCount() - start, 3000u);
    SetEvent(ended);
    tray.join();
    watchdog.join();
    CloseHandle(ended);
    EXPECT_TRUE(boxes.empty());
}

std::string StoredBlockedPopups() {
    platform::RegKey key;
    std::string stored;
    key.Open(HKEY_CURRENT_USER, core::kAppKeyPath);
    key.QueryString("Blocked Popups", &stored);
    return stored;
}

// Accessibility and automation tools press the sheet's buttons by message and close it by
// WM_CLOSE: each acts as the button or the close box does, and none ends the program.
TEST_F(ShellMainPage, ButtonsPressedByMessageActAsClickedAndNeverEndTheProgram) {
    steps = {
        [](CMainPage& page) {
            page.ToggleMainWindow();
            page.ClearPopupCounter();  // a change: Apply is enabled
            app->state.blockedPopups = "21";
            page.Send(PSM_PRESSBUTTON, PSBTN_APPLYNOW);
        },
        [](CMainPage& page) {
            EXPECT_TRUE(IsWindowVisible(page.Handle()));
            EXPECT_EQ(StoredBlockedPopups(), "21");
            // Nothing changed since: Apply is disabled and pressing it does nothing.
            app->state.blockedPopups = "22";
            page.Send(PSM_PRESSBUTTON, PSBTN_APPLYNOW);
            EXPECT_EQ(StoredBlockedPopups(), "21");
            page.Send(PSM_PRESSBUTTON, PSBTN_OK);
        },
        [](CMainPage& page) {
            EXPECT_FALSE(IsWindowVisible(page.Handle()));  // OK applies and goes to the tray
            EXPECT_TRUE(page.IsTrayIconAdded());
            EXPECT_EQ(StoredBlockedPopups(), "22");
            page.ToggleMainWindow();
            app->settings.BannerBlock = 1;  // an unapplied change, undone by Cancel
            page.Send(PSM_PRESSBUTTON, PSBTN_CANCEL);
        },
        [](CMainPage& page) {
            EXPECT_FALSE(IsWindowVisible(page.Handle()));  // Cancel closes to the tray
            EXPECT_EQ(app->settings.BannerBlock, 0);
            page.Send(PSM_PRESSBUTTON, PSBTN_FINISH);
            page.ToggleMainWindow();
            page.Send(WM_CLOSE);
        },
        [](CMainPage& page) {
            EXPECT_FALSE(IsWindowVisible(page.Handle()));
            EXPECT_TRUE(page.IsTrayIconAdded());
        },
    };
    RunMainWindow();
    EXPECT_EQ(nextStep, steps.size() + 1) << "the sheet ended before its last step";
    EXPECT_TRUE(boxes.empty());
}

// The colour a window's skin (or its plain dialog colours) paints it with.
COLORREF DialogColour(HWND window) {
    HDC dc = CreateCompatibleDC(nullptr);
    const LRESULT brush =
        SendMessageA(window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), LPARAM(window));
    DeleteDC(dc);
    LOGBRUSH description = {};
    if (GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof description, &description) == 0) {
        return CLR_INVALID;
    }
    return description.lbColor;
}

// The skins loaded once at start reach the sheet, each page when it is first shown, and the
// counter window, which has a skin of its own.
TEST_F(ShellMainPage, SkinsLoadedAtStartReachEveryWindow) {
    test_folder::WriteFile(folder_.Path() + "KorvoSkn.skn",
                           "[Skin]\r\nBackground=123456\r\nText=000000\r\n");
    test_folder::WriteFile(folder_.Path() + "popup.skn",
                           "[Skin]\r\nBackground=654321\r\nText=000000\r\n");
    app->LoadSkins();
    const COLORREF main = RGB(0x12, 0x34, 0x56);
    steps = {
        [main](CMainPage& page) {
            EXPECT_EQ(DialogColour(page.Handle()), main);
            EXPECT_EQ(DialogColour(PropSheet_GetCurrentPageHwnd(page.Handle())), main);
            PropSheet_SetCurSel(page.Handle(), nullptr, 2);
        },
        [main](CMainPage& page) {
            EXPECT_EQ(DialogColour(PropSheet_GetCurrentPageHwnd(page.Handle())), main);
            EXPECT_EQ(DialogColour(app->counterDialog->Handle()), RGB(0x65, 0x43, 0x21));
        },
    };
    RunMainWindow();
    EXPECT_EQ(nextStep, steps.size() + 1);
}

// Whether the shell holds the program's icon (id 1) for window: only an icon it holds can be
// modified.
bool TrayIconShown(HWND window) {
    NOTIFYICONDATAA data = {};
    data.cbSize = 488;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "probe", sizeof data.szTip);
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Explorer restarted: the shell has forgotten the icon and broadcasts "TaskbarCreated"; the icon
// comes back. At the exit it goes.
TEST_F(ShellMainPage, TrayIconComesBackWhenTheTaskbarIsCreatedAgainAndGoesAtTheExit) {
    HWND sheet = nullptr;
    steps = {
        [&sheet](CMainPage& page) {
            sheet = page.Handle();
            ASSERT_TRUE(page.IsTrayIconAdded());
            EXPECT_TRUE(TrayIconShown(sheet));
            NOTIFYICONDATAA forgotten = {};
            forgotten.cbSize = 488;
            forgotten.hWnd = sheet;
            forgotten.uID = 1;
            Shell_NotifyIconA(NIM_DELETE, &forgotten);
            EXPECT_FALSE(TrayIconShown(sheet));
            page.Send(RegisterWindowMessageA("TaskbarCreated"));
        },
        [&sheet](CMainPage& page) {
            EXPECT_TRUE(page.IsTrayIconAdded());
            EXPECT_TRUE(TrayIconShown(sheet));
            EXPECT_FALSE(IsWindowVisible(sheet));
        },
    };
    RunMainWindow();
    EXPECT_EQ(nextStep, steps.size() + 1);
    EXPECT_FALSE(TrayIconShown(sheet));
}

TEST_F(ShellMainPage, CatchingNeedsAConfiguredBrowser) {
    steps = {
        [](CMainPage& page) { page.ToggleCatching(); },
        [](CMainPage&) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].find("You can't enable Catching Pop-Ups"), 0u);
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
        },
    };
    RunMainWindow();
}

TEST_F(ShellMainPage, ExitAsksAndSavesEvenWhenTheAnswerIsNo) {
    boxAnswer = IDNO;
    steps = {
        [](CMainPage& page) { page.ClearPopupCounter(); },
        [](CMainPage& page) {
            app->state.blockedPopups = "12";
            page.ExitProgram();
        },
        [](CMainPage& page) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].find("You will not be able to browse"), 0u);
            EXPECT_TRUE(IsWindow(page.Handle()));  // No keeps the program running
            platform::RegKey key;
            std::string saved;
            key.Open(HKEY_CURRENT_USER, core::kAppKeyPath);
            key.QueryString("Blocked Popups", &saved);
            EXPECT_EQ(saved, "12");
            boxAnswer = IDYES;
            page.ExitProgram();
        },
    };
    RunMainWindow();
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(ShellMainPage, CancelWithoutCloseToTrayAsksToExit) {
    app->state.closeToTray = 0;
    boxAnswer = IDNO;
    steps = {
        [](CMainPage& page) {
            app->settings.BannerBlock = 1;  // an unapplied change, undone by Cancel
            page.Send(WM_COMMAND, IDCANCEL);
        },
        [](CMainPage& page) {
            EXPECT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(IsWindow(page.Handle()));
            EXPECT_EQ(app->settings.BannerBlock, 0);  // reloaded from the settings file
        },
    };
    RunMainWindow();
}

}  // namespace
}  // namespace shell
