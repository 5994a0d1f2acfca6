// The Options page inside the real main window: the sound list, Test, the language list and its
// flags, the language switch through the whole window, and the general options.
#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "browsers_support.h"
#include "core/app_messages.h"
#include "core/app_state.h"
#include "main_window_steps.h"
#include "pages/options_page_win.h"
#include "pages/wav_file_dialog_win.h"
#include "platform/module_path.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"
#include "proxy/secure_error_page.h"
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

constexpr int kOptionsIndex = 2;
constexpr int kApplyButton = 12321;

std::vector<Step> steps;
std::vector<std::string> boxes;
std::vector<std::string> chooserAnswers;

int AnswerBox(HWND, const std::string& text, const std::string&, UINT) {
    boxes.push_back(text);
    return IDYES;
}

std::string AnswerChooser(HWND) {
    if (chooserAnswers.empty()) return "";
    std::string answer = chooserAnswers.front();
    chooserAnswers.erase(chooserAnswers.begin());
    return answer;
}

// Shows page index of the sheet and returns the page's window.
HWND ShowPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    return PropSheet_GetCurrentPageHwnd(sheet);
}

// The page object behind a page window: the dialog layer keeps it in DWLP_USER.
COptionsPage& OptionsObject(HWND page) {
    return *reinterpret_cast<COptionsPage*>(GetWindowLongPtrA(page, DWLP_USER));
}

// Selects entry index of a list the way the user does: the selection, then its notification.
void Choose(HWND page, int listId, int index) {
    HWND list = GetDlgItem(page, listId);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void Click(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

std::vector<std::string> Entries(HWND page) {
    HWND list = GetDlgItem(page, IDC_SOUND_LIST);
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = "";
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

std::string SelectedSound(HWND page) {
    const int selected =
        static_cast<int>(SendMessageA(GetDlgItem(page, IDC_SOUND_LIST), CB_GETCURSEL, 0, 0));
    return selected < 0 ? "(none)" : Entries(page)[selected];
}

std::string ItemText(HWND window, int id) {
    char text[256] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
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

struct LanguageEntry {
    std::string name;
    int image;
};

LanguageEntry LanguageAt(HWND page, int index) {
    char text[64] = "";
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(GetDlgItem(page, IDC_LANGUAGE_LIST), CBEM_GETITEMA, 0,
                 reinterpret_cast<LPARAM>(&item));
    return {text, item.iImage};
}

int LanguageIndex(HWND page, const std::string& name) {
    for (int i = 0; i < 8; ++i) {
        if (LanguageAt(page, i).name == name) return i;
    }
    return -1;
}

// The colour in the middle of image index of the language list's images.
COLORREF FlagColour(HWND page, int image) {
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(GetDlgItem(page, IDC_LANGUAGE_LIST), CBEM_GETIMAGELIST, 0, 0));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(memory, canvas);
    ImageList_Draw(images, image, memory, 0, 0, ILD_NORMAL);
    const COLORREF colour = GetPixel(memory, 8, 8);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool MessageWaiting(HWND sheet, UINT message) {
    MSG waiting;
    return PeekMessageA(&waiting, sheet, message, message, PM_NOREMOVE) != 0;
}

// A short mono 8-bit PCM sound.
std::string TinyWav() {
    const std::string samples(800, '\x80');
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    return "RIFF" + u32(36 + samples.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(8000) +
           u32(8000) + u16(1) + u16(8) + "data" + u32(samples.size()) + samples;
}

// A 16 by 16 24-bit bitmap file of one colour.
std::string FlatBitmap(BYTE red, BYTE green, BYTE blue) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = 16;
    info.biHeight = 16;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = 16 * 16 * 3;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string pixels;
    for (int i = 0; i < 16 * 16; ++i) pixels += {char(blue), char(green), char(red)};
    return std::string(reinterpret_cast<const char*>(&file), sizeof file) +
           std::string(reinterpret_cast<const char*>(&info), sizeof info) + pixels;
}

class PagesOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        app = &app_.Context();
        shell::SkinControl::RegisterClasses();
        install_ = folder_.Path() + "Korvo";
        for (const char* sub : {"", "\\Language", "\\Flags", "\\Sounds", "\\Elsewhere"}) {
            CreateDirectoryA((install_ + sub).c_str(), nullptr);
        }
        for (const char* sound : {"Chime", "Default", "Beep"}) {
            test_folder::WriteFile(install_ + "\\Sounds\\" + sound + ".wav", TinyWav());
        }
        test_folder::WriteFile(install_ + "\\Elsewhere\\One.wav", TinyWav());
        test_folder::WriteFile(install_ + "\\Elsewhere\\Two.wav", TinyWav());
        test_folder::WriteFile(install_ + "\\Flags\\English.bmp", FlatBitmap(200, 0, 0));
        test_folder::WriteFile(install_ + "\\Flags\\default.bmp", FlatBitmap(0, 0, 200));
        test_folder::WriteFile(install_ + "\\Language\\English.ini",
                               "[KorvoPopupKiller]\r\n9999=KorvoPagesTest EN.kv\r\n"
                               "99990=Korvo EN\r\n11000=Popups\r\n11001=ActiveX\r\n"
                               "11002=Options\r\n");
        test_folder::WriteFile(
            install_ + "\\Language\\Deutsch.ini",
            "[KorvoPopupKiller]\r\n99990=Korvo DE\r\n11000=Popups DE\r\n11001=ActiveX DE\r\n"
            "11002=Optionen\r\n10001=Gut\r\n1001=Popups abfangen\r\n9001=Startmodus\r\n"
            "9010=Probe\r\n9012=Schliessen heisst verstecken\r\n8001=Zone\r\n"
            "8023=Hinweis\r\n13001=Sicher\r\n13003=nicht ge\xF6"
            "ffnet\r\n");
        // Cancel reloads this file: catching stays off, as no browser is configured here.
        test_folder::WriteFile(install_ + "\\KorvoINI.ini",
                               "[KorvoPopupKiller]\r\nPopupCheckDisabled=1\r\n");
        app->state.installPath = install_;
        platform::OverrideProgramDirectory(install_ + "\\");
        app->state.language = "English";
        app->state.languageChanged = 0;
        app->state.userWavPath = install_ + "\\Sounds\\Beep.wav";
        app->state.blockedPopups = "0";
        app->state.firstRun = 0;
        app->state.closeToTray = 1;
        app->settings.PopupPort = 0;
        app->settings.PopupCheckEnabled = 0;
        app->settings.PlayWave = 1;
        platform::RegKey key;
        key.Create(HKEY_CURRENT_USER, core::kAppKeyPath);
        app->counterDialog = std::make_unique<shell::CPopupCountDlg>(*app);
        platform::SetMessageBoxHandler(AnswerBox);
        SetWavFileChooser(AnswerChooser);
        boxes.clear();
        chooserAnswers.clear();
        steps.clear();
    }
    void TearDown() override {
        SetWavFileChooser(nullptr);
        platform::SetMessageBoxHandler(nullptr);
        platform::OverrideProgramDirectory("");
        browsers_test::DeleteKeyTree(HKEY_CURRENT_USER, core::kAppKeyPath);
    }
    // Runs the main window through the steps (10 s at most).
    void RunMainWindow() {
        EXPECT_TRUE(main_window_steps::Run(*app, steps)) << "the steps did not all run";
    }

    test_app::TestApp app_;
    test_folder::TemporaryFolder folder_;
    std::string install_;
};

TEST_F(PagesOptions, SoundListKeepsOneBrowsedEntryThroughPicksAndCancel) {
    const std::string one = install_ + "\\Elsewhere\\One.wav";
    const std::string two = install_ + "\\Elsewhere\\Two.wav";
    const std::vector<std::string> folderOnly = {"Default", "Beep", "Chime",
                                                 "*** Custom Sound ***"};
    const std::vector<std::string> withTwo = {"Default", "Beep", "Chime", "Two",
                                              "*** Custom Sound ***"};
    steps = {
        [&](HWND sheet) {
            HWND page = ShowPage(sheet, kOptionsIndex);
            EXPECT_EQ(Entries(page), folderOnly);
            EXPECT_EQ(SelectedSound(page), "Beep");
            EXPECT_EQ(ItemText(page, IDC_CURRENT_SOUND), "Beep.wav");
            // The dialog cancelled: nothing changes, the custom entry stays selected.
            Choose(page, IDC_SOUND_LIST, 3);
            EXPECT_EQ(app->state.userWavPath, install_ + "\\Sounds\\Beep.wav");
            EXPECT_EQ(SelectedSound(page), "*** Custom Sound ***");
            chooserAnswers = {one, two};
            Choose(page, IDC_SOUND_LIST, 3);
            EXPECT_EQ(Entries(page), (std::vector<std::string>{"Default", "Beep", "Chime", "One",
                                                               "*** Custom Sound ***"}));
            Choose(page, IDC_SOUND_LIST, 4);
            EXPECT_EQ(Entries(page), withTwo);
            EXPECT_EQ(SelectedSound(page), "Two");
            EXPECT_EQ(ItemText(page, IDC_CURRENT_SOUND), "Two");
            EXPECT_EQ(app->state.userWavPath, two);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
        },
        [&](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            Choose(page, IDC_SOUND_LIST, 2);
            EXPECT_EQ(app->state.userWavPath, install_ + "\\Sounds\\Chime.wav");
            EXPECT_EQ(ItemText(page, IDC_CURRENT_SOUND), "Chime.wav");
            // The browsed entry stands for its own file, not for one in the sounds folder.
            Choose(page, IDC_SOUND_LIST, 3);
            EXPECT_EQ(app->state.userWavPath, two);
            SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        },
        [&](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            EXPECT_EQ(Entries(page), withTwo);
            EXPECT_EQ(SelectedSound(page), "Two");
            EXPECT_EQ(ItemText(page, IDC_CURRENT_SOUND), "Two.wav");
            Choose(page, IDC_SOUND_LIST, 1);
            SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        },
        [&](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            EXPECT_EQ(Entries(page), folderOnly);
            EXPECT_EQ(SelectedSound(page), "Beep");
        },
    };
    RunMainWindow();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PagesOptions, TestStartsAndStopsAndTheSoundControlsFollowTheAlert) {
    steps = {
        [](HWND sheet) {
            HWND page = ShowPage(sheet, kOptionsIndex);
            COptionsPage& options = OptionsObject(page);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_TEST_SOUND)));
            Click(page, IDC_TEST_SOUND);
            EXPECT_TRUE(options.isPlaying);
            Click(page, IDC_TEST_SOUND);
            EXPECT_FALSE(options.isPlaying);
            app->settings.PlayWave = 0;
            ShowPage(sheet, 0);
        },
        [](HWND sheet) {
            HWND page = ShowPage(sheet, kOptionsIndex);
            for (int id : {IDC_SOUND_LIST, IDC_TEST_SOUND, IDC_CURRENT_SOUND,
                           IDC_CURRENT_SOUND_LABEL, IDC_CHANGE_SOUND_LABEL}) {
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
            }
        },
    };
    RunMainWindow();
}

TEST_F(PagesOptions, LanguageListShowsFlagsAndTheLanguageInUsePostsNothing) {
    steps = {[](HWND sheet) {
        HWND page = ShowPage(sheet, kOptionsIndex);
        const int english = LanguageIndex(page, "English");
        const int deutsch = LanguageIndex(page, "Deutsch");
        ASSERT_GE(english, 0);
        ASSERT_GE(deutsch, 0);
        EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_LANGUAGE_LIST), CB_GETCURSEL, 0, 0), english);
        // English has its own flag; Deutsch has none and shows "default.bmp".
        EXPECT_EQ(FlagColour(page, LanguageAt(page, english).image), RGB(200, 0, 0));
        EXPECT_EQ(FlagColour(page, LanguageAt(page, deutsch).image), RGB(0, 0, 200));

        Choose(page, IDC_LANGUAGE_LIST, english);
        EXPECT_FALSE(MessageWaiting(sheet, shell::kMsgLanguageChanged));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
        EXPECT_EQ(app->state.languageChanged, 0);
        // The instance mutex was made again under the language's program title.
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "KorvoPagesTest EN.kv");
        EXPECT_NE(mutex, nullptr);
        if (mutex != nullptr) CloseHandle(mutex);
    }};
    RunMainWindow();
}

TEST_F(PagesOptions, LanguageSwitchChangesEveryPageAndTheSheet) {
    steps = {
        [](HWND sheet) {
            HWND page = ShowPage(sheet, kOptionsIndex);
            EXPECT_EQ(GetWindowTextLengthA(sheet), 8);  // "Korvo EN"
            Choose(page, IDC_LANGUAGE_LIST, LanguageIndex(page, "Deutsch"));
            EXPECT_TRUE(MessageWaiting(sheet, shell::kMsgLanguageChanged));
        },
        [](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            char title[64] = "";
            GetWindowTextA(sheet, title, sizeof title);
            EXPECT_STREQ(title, "Korvo DE");
            EXPECT_EQ(ItemText(sheet, IDOK), "Gut");
            EXPECT_EQ(TabLabel(sheet, 2), "Optionen");
            EXPECT_EQ(ItemText(page, IDC_STARTUP_GROUP), "Startmodus");
            EXPECT_EQ(ItemText(page, IDC_TEST_SOUND), "Probe");
            EXPECT_EQ(ItemText(page, IDC_CLOSE_TO_TRAY), "Schliessen heisst verstecken");
            EXPECT_EQ(ItemText(page, IDC_ALWAYS_ON_TOP), " Always On Top");
            EXPECT_EQ(ItemText(ShowPage(sheet, 0), IDC_CATCH_POPUPS), "Popups abfangen");
            HWND zones = ShowPage(sheet, 1);
            EXPECT_EQ(ItemText(zones, IDC_ZONE_LABEL), "Zone");
            EXPECT_EQ(ItemText(zones, IDC_ZONE_NOTE), "Hinweis");
            EXPECT_EQ(ItemText(zones, IDC_SIGNED_GROUP), "Signed ActiveX");
            // The proxy's secure error page speaks the new language, in its UTF-8.
            const proxy::SecurePageTexts& secure = app->listener.context().securePageTexts;
            EXPECT_EQ(secure.Get(proxy::SecureText::kTitle), "Sicher");
            EXPECT_EQ(secure.Get(proxy::SecureText::kBecause),
                      "nicht ge\xC3\xB6"
                      "ffnet");
            EXPECT_EQ(secure.Get(proxy::SecureText::kRevoked),
                      proxy::SecurePageTexts::Default(proxy::SecureText::kRevoked));
            EXPECT_EQ(app->state.languageChanged, 1);
            SendMessageA(sheet, WM_COMMAND, kApplyButton, 0);
            platform::RegKey key;
            std::string saved;
            key.Open(HKEY_CURRENT_USER, core::kAppKeyPath);
            key.QueryString("Language", &saved);
            EXPECT_EQ(saved, "Deutsch");
        },
    };
    RunMainWindow();
}

TEST_F(PagesOptions, GeneralOptionsFollowTheClicksAndCancel) {
    test_folder::WriteFile(install_ + "\\KorvoINI.ini",
                           "[KorvoPopupKiller]\r\nDisplayOnTop=0\r\nStartup=2\r\n");
    app->settings.DisplayOnTop = 0;
    app->settings.Startup = 2;
    steps = {
        [](HWND sheet) {
            HWND page = ShowPage(sheet, kOptionsIndex);
            EXPECT_TRUE(IsDlgButtonChecked(page, IDC_STARTUP_WINDOWS));
            EXPECT_FALSE(IsDlgButtonChecked(page, IDC_ALWAYS_ON_TOP));
            EXPECT_TRUE(IsDlgButtonChecked(page, IDC_CLOSE_TO_TRAY));
            CheckRadioButton(page, IDC_STARTUP_WINDOWS, IDC_STARTUP_IE, IDC_STARTUP_MANUAL);
            Click(page, IDC_STARTUP_MANUAL);
            EXPECT_EQ(app->settings.Startup, 0);
            CheckDlgButton(page, IDC_ALWAYS_ON_TOP, BST_CHECKED);
            Click(page, IDC_ALWAYS_ON_TOP);
            EXPECT_EQ(app->settings.DisplayOnTop, 1);
            EXPECT_TRUE(MessageWaiting(sheet, shell::kMsgTopmostChanged));
            CheckDlgButton(page, IDC_CLOSE_TO_TRAY, BST_UNCHECKED);
            Click(page, IDC_CLOSE_TO_TRAY);
            EXPECT_EQ(app->state.closeToTray, 0);
            CheckDlgButton(page, IDC_CLOSE_TO_TRAY, BST_CHECKED);
            Click(page, IDC_CLOSE_TO_TRAY);
            EXPECT_EQ(app->state.closeToTray, 1);
        },
        [](HWND sheet) {
            EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_TOPMOST);
            SendMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        },
        [](HWND sheet) {
            // Back to the stored settings, and the boxes say so.
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            EXPECT_EQ(app->settings.DisplayOnTop, 0);
            EXPECT_FALSE(IsDlgButtonChecked(page, IDC_ALWAYS_ON_TOP));
            EXPECT_TRUE(IsDlgButtonChecked(page, IDC_STARTUP_WINDOWS));
            EXPECT_FALSE(IsDlgButtonChecked(page, IDC_STARTUP_MANUAL));
        },
    };
    RunMainWindow();
}

}  // namespace
}  // namespace pages
