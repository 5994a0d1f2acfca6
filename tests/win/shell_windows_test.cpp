// The catcher, the counter window, the tray hint, About and help, with real windows, the real
// registry of the test prefix and an installation folder laid out in a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/app_state.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "platform/win/title_change_hook.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/about_dlg_win.h"
#include "shell/help_win.h"
#include "shell/popup_catcher_win.h"
#include "shell/popup_count_dlg_win.h"
#include "shell/skin_control_win.h"
#include "shell/tray_hint_dlg_win.h"
#include "test_app.h"
#include "test_folder.h"

namespace shell {
namespace {

// The running test's application context.
AppContext* app = nullptr;

std::vector<std::string> shownBoxes;
int RecordBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    shownBoxes.push_back(text + "|" + caption + "|" + std::to_string(type));
    return IDOK;
}

std::string TitleOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}
std::string ItemTextOf(HWND dialog, int id) { return TitleOf(GetDlgItem(dialog, id)); }

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Runs the thread's messages (the slide thread's steps among them) until done() or the time is
// up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return done();
}
void Pump(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// A hidden top-level window standing for a browser window, destroyed with the object.
struct BrowserWindow {
    explicit BrowserWindow(const std::string& title)
        : hwnd(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr)) {}
    ~BrowserWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// A modal dialog driven from its own initialisation: the test reads texts, makes its choices
// and posts the closing message there.
template <class DialogClass>
class Driven : public DialogClass {
  public:
    explicit Driven(AppContext& context) : DialogClass(context) {}

    std::function<void(HWND)> afterInit;

  protected:
    bool OnInit() override {
        const bool focus = DialogClass::OnInit();
        afterInit(this->Handle());
        return focus;
    }
};

class ShellWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        SkinControl::RegisterClasses();
        app = &app_.Context();
        state_.installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
        state_.language = "Test";
        state_.blockedPopups = "0";
        state_.userWavPath = folder_.Path() + "missing.wav";
        state_.languageChanged = 0;
        CreateDirectoryA((folder_.Path() + "Language").c_str(), nullptr);
        shownBoxes.clear();
        platform::SetMessageBoxHandler(RecordBox);
    }
    void TearDown() override { platform::SetMessageBoxHandler(nullptr); }
    void WriteLanguage(const std::string& texts) {
        test_folder::WriteFile(folder_.Path() + "Language\\Test.ini",
                               "[KorvoPopupKiller]\r\n" + texts);
    }

    test_app::TestApp app_;
    core::AppState& state_ = app_.State();
    test_folder::TemporaryFolder folder_;
};

// ---- Catcher ----

TEST_F(ShellWindows, CatcherCountsEachMarkedWindowOncePerPass) {
    app->counterDialog = std::make_unique<CPopupCountDlg>(*app);
    ASSERT_TRUE(app->counterDialog->Create());
    const HWND counter = app->counterDialog->Handle();
    EXPECT_FALSE(IsWindowVisible(counter));

    BrowserWindow page(std::string(kCatchMarker) + "Page");
    EXPECT_TRUE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "1");
    EXPECT_EQ(TitleOf(page.hwnd), "Page");
    EXPECT_TRUE(IsWindowVisible(counter));
    EXPECT_EQ(ItemTextOf(counter, IDC_COUNT), "1");
    EXPECT_FALSE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "1");

    // Two at once take two passes; a marker behind other text goes, the text around it stays.
    BrowserWindow first(std::string(kCatchMarker) + "First");
    BrowserWindow second("News - " + std::string(kCatchMarker) + " - Browser");
    EXPECT_TRUE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "2");
    EXPECT_TRUE(ScanForCaughtPopup(*app));
    EXPECT_FALSE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "3");
    EXPECT_EQ(ItemTextOf(counter, IDC_COUNT), "3");
    EXPECT_EQ(TitleOf(first.hwnd), "First");
    EXPECT_EQ(TitleOf(second.hwnd), "News -  - Browser");
}

TEST_F(ShellWindows, CatcherCountsFromANonNumberAndShowsTheCounterWithSoundOff) {
    state_.blockedPopups = "lots";
    app->settings.PlayWave = 0;
    app->counterDialog = std::make_unique<CPopupCountDlg>(*app);
    ASSERT_TRUE(app->counterDialog->Create());
    BrowserWindow page(kCatchMarker);
    EXPECT_TRUE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "1");
    EXPECT_EQ(TitleOf(page.hwnd), "");
    EXPECT_TRUE(IsWindowVisible(app->counterDialog->Handle()));

    // Sound on with a missing file, and no counter window at all: still counted.
    app->settings.PlayWave = 1;
    app->counterDialog.reset();
    SetWindowTextA(page.hwnd, (std::string(kCatchMarker) + "again").c_str());
    EXPECT_TRUE(ScanForCaughtPopup(*app));
    EXPECT_EQ(state_.blockedPopups, "2");
}

// A title that changes is looked at alone: a top-level window is caught, a control inside a
// window is not, whatever its text.
TEST_F(ShellWindows, CatcherLooksAtTheOneWindowWhoseTitleChanged) {
    BrowserWindow page("Page");
    EXPECT_FALSE(CatchInTitleOf(*app, page.hwnd));
    const HWND child = CreateWindowExA(0, "STATIC", kCatchMarker, WS_CHILD, 0, 0, 10, 10, page.hwnd,
                                       nullptr, nullptr, nullptr);
    EXPECT_FALSE(CatchInTitleOf(*app, child));
    EXPECT_EQ(state_.blockedPopups, "0");
    SetWindowTextA(page.hwnd, (std::string(kCatchMarker) + "Page").c_str());
    EXPECT_TRUE(CatchInTitleOf(*app, page.hwnd));
    EXPECT_EQ(state_.blockedPopups, "1");
    EXPECT_EQ(TitleOf(page.hwnd), "Page");
}

// The hook reports the windows of other threads as they appear (Wine 8 sends no title changes,
// so only the appearance is heard of here), through this thread's message loop.
TEST_F(ShellWindows, TitleChangeHookHearsOfAWindowOfAnotherThread) {
    std::vector<HWND> heard;
    platform::TitleChangeHook hook([&](HWND window) { heard.push_back(window); });
    ASSERT_TRUE(hook.Active());
    HWND made = nullptr;
    std::thread other([&] {
        made = CreateWindowExA(0, "STATIC", "Other thread", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
        Sleep(300);
        DestroyWindow(made);
    });
    const bool seen = PumpUntil(
        [&] { return made != nullptr && std::count(heard.begin(), heard.end(), made) > 0; }, 3000);
    other.join();
    EXPECT_TRUE(seen);
}

// ---- Counter window ----

TEST_F(ShellWindows, CounterShowsAtTheCornerThenSlidesOut) {
    WriteLanguage("2001=caught so far\r\n");
    state_.blockedPopups = "42";
    CPopupCountDlg counter(*app);
    ASSERT_TRUE(counter.Create());
    const HWND window = counter.Handle();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(ItemTextOf(window, IDC_COUNT_LABEL), "caught so far");

    counter.ShowCounter();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    RECT rect = RectOf(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(rect.right, screenWidth);
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(ItemTextOf(window, IDC_COUNT), "42");
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    counter.Send(WM_TIMER, 8005);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window); }, 6000));
    EXPECT_GE(RectOf(window).left, screenWidth);

    // Shown again after a language change: back at the corner with the new label.
    WriteLanguage("2001=new label\r\n");
    state_.languageChanged = 1;
    counter.ShowCounter();
    EXPECT_EQ(RectOf(window).right, screenWidth);
    EXPECT_EQ(ItemTextOf(window, IDC_COUNT_LABEL), "new label");
}

TEST_F(ShellWindows, CounterShownOrDestroyedDuringASlideStopsIt) {
    CPopupCountDlg counter(*app);
    ASSERT_TRUE(counter.Create());
    const HWND window = counter.Handle();
    counter.ShowCounter();
    const RECT corner = RectOf(window);
    counter.Send(WM_TIMER, 8005);
    ASSERT_TRUE(PumpUntil([&] { return RectOf(window).left > corner.left + 5; }, 1000));

    state_.blockedPopups = "7";
    counter.ShowCounter();
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(RectOf(window).left, corner.left);
    EXPECT_EQ(RectOf(window).top, corner.top);
    EXPECT_EQ(ItemTextOf(window, IDC_COUNT), "7");

    counter.Send(WM_TIMER, 8005);
    ASSERT_TRUE(PumpUntil([&] { return RectOf(window).left > corner.left + 5; }, 1000));
    counter.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(counter.Handle(), nullptr);
    Pump(100);
}

// ---- Tray hint ----

TEST_F(ShellWindows, TrayHintWritesShowAtStartOnlyOnOk) {
    WriteLanguage("18003=Fine\r\n");
    platform::RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, core::kAppKeyPath), ERROR_SUCCESS);
    auto run = [&](bool dontShow, UINT message, WPARAM command) {
        RegDeleteValueA(key.Handle(), "ShowAtStart");
        Driven<CTrayHintDlg> hint(*app);
        std::string okText;
        hint.afterInit = [&](HWND dialog) {
            okText = ItemTextOf(dialog, IDOK);
            CheckDlgButton(dialog, IDC_HINT_DONT_SHOW, dontShow ? BST_CHECKED : BST_UNCHECKED);
            PostMessageA(dialog, message, command, 0);
        };
        const INT_PTR result = hint.Run();
        EXPECT_EQ(okText, "Fine");
        DWORD stored = 99;
        return std::make_pair(result, key.QueryDword("ShowAtStart", &stored) == ERROR_SUCCESS
                                          ? static_cast<int>(stored)
                                          : -1);
    };
    EXPECT_EQ(run(true, WM_COMMAND, IDOK), std::make_pair(INT_PTR{IDOK}, 0));
    EXPECT_EQ(state_.showAtStart, 0);
    EXPECT_EQ(run(false, WM_COMMAND, IDOK), std::make_pair(INT_PTR{IDOK}, 1));
    EXPECT_EQ(run(true, WM_COMMAND, IDCANCEL), std::make_pair(INT_PTR{IDCANCEL}, -1));
    EXPECT_EQ(run(true, WM_CLOSE, 0), std::make_pair(INT_PTR{IDCANCEL}, -1));
    RegDeleteValueA(key.Handle(), "ShowAtStart");
}

// ---- About ----

TEST_F(ShellWindows, AboutShowsVersionAndLanguageTexts) {
    auto texts = [&] {
        std::vector<std::string> seen;
        Driven<CAboutDlg> about(*app);
        about.afterInit = [&](HWND dialog) {
            seen = {TitleOf(dialog), ItemTextOf(dialog, IDC_ABOUT_VERSION_LABEL),
                    ItemTextOf(dialog, IDOK), ItemTextOf(dialog, IDC_ABOUT_VERSION),
                    ItemTextOf(dialog, IDC_ABOUT_COPYRIGHT)};
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(about.Run(nullptr), IDOK);
        return seen;
    };
    std::vector<std::string> seen = texts();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], "Korvo Popup Killer");
    EXPECT_EQ(seen[1], "Version:");
    EXPECT_EQ(seen[3], "4, 2, 0, 0");
    EXPECT_NE(seen[4], "LegalCopyright");
    EXPECT_NE(seen[4], "");

    WriteLanguage("12000=Ueber Korvo\r\n12001=Fassung:\r\n12002=Gut\r\n");
    seen = texts();
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], "Ueber Korvo");
    EXPECT_EQ(seen[1], "Fassung:");
    EXPECT_EQ(seen[2], "Gut");
    EXPECT_EQ(seen[3], "4, 2, 0, 0");
}

// The main skin, loaded once at start, reaches the dialogs opened from the tray.
TEST_F(ShellWindows, AboutAndTrayHintTakeTheMainSkin) {
    test_folder::WriteFile(folder_.Path() + "KorvoSkn.skn",
                           "[Skin]\r\nBackground=123456\r\nText=000000\r\n");
    app->LoadSkins();
    auto colourOf = [](HWND dialog) {
        HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT brush =
            SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), LPARAM(dialog));
        DeleteDC(dc);
        LOGBRUSH description = {};
        GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof description, &description);
        return description.lbColor;
    };
    COLORREF about = 0;
    Driven<CAboutDlg> aboutDialog(*app);
    aboutDialog.afterInit = [&](HWND dialog) {
        about = colourOf(dialog);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(aboutDialog.Run(nullptr), IDOK);
    EXPECT_EQ(about, RGB(0x12, 0x34, 0x56));

    COLORREF hint = 0;
    Driven<CTrayHintDlg> hintDialog(*app);
    hintDialog.afterInit = [&](HWND dialog) {
        hint = colourOf(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(hintDialog.Run(), IDCANCEL);
    EXPECT_EQ(hint, RGB(0x12, 0x34, 0x56));
}

// ---- Help ----

TEST_F(ShellWindows, HelpWithoutItsFileSaysSoOnce) {
    OpenHelp(nullptr, state_.installPath);
    EXPECT_EQ(shownBoxes, std::vector<std::string>{"Cannot locate HTML Help file KorvoHlp.chm|"
                                                   "Korvo Popup Killer|" +
                                                   std::to_string(MB_OK)});
}

}  // namespace
}  // namespace shell
