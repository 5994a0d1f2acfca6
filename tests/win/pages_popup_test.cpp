// The Popups page in a sheet of its own, run modally and driven from a thread timer by its
// control ids; message boxes are answered by the test, and the wizard it opens is ended by the
// test after preparing what the wizard would have configured.
#include <windows.h>
// The headers below need windows.h first.

#include <gtest/gtest.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

#include "browsers/hosts_file.h"
#include "browsers/internet_explorer.h"
#include "browsers_support.h"
#include "core/app_messages.h"
#include "core/app_state.h"
#include "pages/popup_dlg_win.h"
#include "platform/module_path.h"
#include "platform/win/message_box.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/skin_control_win.h"
#include "test_app.h"
#include "test_folder.h"
#include "wizard/proxy_setting_sheet_win.h"

namespace pages {
namespace {

// The running test's application context, for the steps and the answered message boxes.
shell::AppContext* app = nullptr;

constexpr int kApplyButton = 12321;

// The sheet around the page stands in for the main window: it records what the page posts.
class PopupsHost : public platform::PropertySheet {
  public:
    CPopupDlg page{*app};
    std::vector<UINT> posted;

    void Run() {
        AddPage(page, IDD_POPUPS_PAGE);
        RunModal(nullptr, "Popups", false);
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(hwnd_, kApplyButton)) != 0; }
    int Posted(UINT message) const {
        int count = 0;
        for (UINT m : posted) count += m == message;
        return count;
    }

  protected:
    void OnInitialized() override { page.mainWindow = hwnd_; }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
        if (message != shell::kMsgCatchingChanged && message != shell::kMsgBannerChanged) {
            return false;
        }
        posted.push_back(message);
        *result = 0;
        return true;
    }
};

using Step = std::function<void(PopupsHost&)>;

PopupsHost* running = nullptr;
std::vector<Step> steps;
size_t nextStep = 0;
int ticks = 0;
std::vector<std::string> boxes;
int boxAnswer = IDYES;
// What the wizard would have done, run while it is open; it is then cancelled.
std::function<void()> wizardWork;

int AnswerBox(HWND, const std::string& text, const std::string& caption, UINT) {
    boxes.push_back(caption == app->appTitle ? text : "wrong caption: " + caption);
    return boxAnswer;
}

BOOL CALLBACK CancelWizard(HWND window, LPARAM) {
    if (window == running->Handle() || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
        return TRUE;
    }
    if (wizardWork) wizardWork();
    wizardWork = nullptr;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
}

// One step per tick (a step may wait by not advancing); a window of this thread other than the
// sheet is the wizard. The sheet ends after the last step, or after 20 s at the latest.
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (running == nullptr || running->Handle() == nullptr) return;
    if (!IsWindowEnabled(running->Handle())) {
        EnumThreadWindows(GetCurrentThreadId(), CancelWizard, 0);
        return;
    }
    if (nextStep < steps.size() && ++ticks < 400) {
        steps[nextStep++](*running);
    } else {
        PostMessageA(running->Handle(), WM_COMMAND, IDCANCEL, 0);
    }
}

// A step that holds the steps back until ready() is true (at most 4 s).
Step WaitFor(std::function<bool(PopupsHost&)> ready) {
    auto started = std::make_shared<DWORD>(0);
    return [ready, started](PopupsHost& host) {
        if (*started == 0) *started = GetTickCount();
        if (!ready(host) && GetTickCount() - *started < 4000) --nextStep;
    };
}

void Click(PopupsHost& host, int id) { SendMessageA(host.page.Item(id), BM_CLICK, 0, 0); }

const std::string k2252 =
    "You can't enable Catching Pop-Ups as you didn't configure your browser(s).\nPlease go to "
    "Popups page to configure your browser(s).";
const std::string k2253 = "Catching Pop-Ups is disabled as there's not any configured browser.";
const std::string k2254 = "Catching Pop-Ups is currently disabled, Do you want to enable it?";

class PagesPopup : public ::testing::Test {
  protected:
    void SetUp() override {
        app = &app_.Context();
        shell::SkinControl::RegisterClasses();
        app->state.installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
        app->state.language = "English";
        app->appTitle = "Korvo Test";
        app->startWizard = 0;
        app->browserConfig = browsers::BrowserConfigState();
        platform::OverrideProgramDirectory(folder_.Path());
        app->settings.PopupCheckEnabled = 0;
        app->settings.PlayWave = 1;
        app->settings.BannerBlock = 0;
        ieProxyEnable_ = browsers_test::ReadValue(browsers::kInternetSettingsKey, "ProxyEnable");
        ieProxyServer_ = browsers_test::ReadValue(browsers::kInternetSettingsKey, "ProxyServer");
        ConfigureInternetExplorer(false);
        platform::SetMessageBoxHandler(AnswerBox);
        boxes.clear();
        boxAnswer = IDYES;
        steps.clear();
        nextStep = 0;
        ticks = 0;
        wizardWork = nullptr;
    }
    void TearDown() override {
        platform::SetMessageBoxHandler(nullptr);
        platform::OverrideProgramDirectory("");
        app->browserConfig = browsers::BrowserConfigState();
        browsers_test::DeleteKeyTree(HKEY_CURRENT_USER, browsers::kProxySettingKey);
        RestoreValue("ProxyEnable", ieProxyEnable_, true);
        RestoreValue("ProxyServer", ieProxyServer_, false);
    }
    void RestoreValue(const char* name, const std::string& value, bool dword) {
        if (value == "-") {
            browsers_test::SetValue(browsers::kInternetSettingsKey, name, 0, "");
        } else if (dword) {
            browsers_test::SetDword(browsers::kInternetSettingsKey, name, std::stoul(value));
        } else {
            browsers_test::SetString(browsers::kInternetSettingsKey, name, value);
        }
    }
    // Internet Explorer's LAN settings pointing at the proxy, or not.
    static void ConfigureInternetExplorer(bool on) {
        browsers_test::SetDword(browsers::kInternetSettingsKey, "ProxyEnable", on ? 1 : 0);
        browsers_test::SetString(browsers::kInternetSettingsKey, "ProxyServer",
                                 on ? browsers::kIeProxyServer : "");
        browsers_test::SetDword(browsers::kProxySettingKey, browsers::kLanFlag, on ? 1 : 0);
    }
    // Runs the page through the steps; the sheet ends by itself after the last one.
    void RunPage() {
        UINT_PTR timer = SetTimer(nullptr, 0, 50, RunNextStep);
        PopupsHost host;
        running = &host;
        host.Run();
        running = nullptr;
        KillTimer(nullptr, timer);
        EXPECT_TRUE(host.page.WaitForCleaning(10000));
        EXPECT_EQ(nextStep, steps.size()) << "the steps did not all run";
    }

    test_app::TestApp app_;
    test_folder::TemporaryFolder folder_;
    std::string ieProxyEnable_;
    std::string ieProxyServer_;
};

TEST_F(PagesPopup, WithoutAConfiguredBrowserCatchingStaysOffAndTheWarningBlinks) {
    // Catching on in the settings is switched off by the refresh when the page opens.
    app->settings.PopupCheckEnabled = 1;
    auto shown = std::make_shared<std::vector<bool>>();
    steps = {
        [](PopupsHost& host) {
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
            EXPECT_FALSE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_FALSE(host.page.IsItemEnabled(IDC_SOUND_ALERT));
            EXPECT_TRUE(host.page.IsItemChecked(IDC_SOUND_ALERT));
            Click(host, IDC_CATCH_POPUPS);
            // The click is undone and explained; nothing else happens.
            EXPECT_FALSE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_EQ(boxes, std::vector<std::string>{k2252});
            EXPECT_FALSE(host.ApplyEnabled());
            EXPECT_EQ(host.page.CompletedCleaningRuns(), 0);
            EXPECT_TRUE(host.page.WaitForCleaning(0));
        },
        // The warning is shown one second and hidden the next.
        WaitFor([shown](PopupsHost& host) {
            shown->push_back(host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING));
            return shown->size() >= 50;
        }),
        [shown](PopupsHost& host) {
            int changes = 0;
            for (size_t i = 1; i < shown->size(); ++i) changes += (*shown)[i] != (*shown)[i - 1];
            EXPECT_GE(changes, 1);
            EXPECT_LE(changes, 3);
            EXPECT_TRUE(host.posted.empty());
            // Shown again with catching on (as settings reloaded from disk may have it): it is
            // switched off with message 2253.
            boxes.clear();
            app->settings.PopupCheckEnabled = 1;
            host.page.CheckItem(IDC_CATCH_POPUPS, true);
            host.page.Activate();
            EXPECT_EQ(boxes, std::vector<std::string>{k2253});
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
            EXPECT_FALSE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
        },
        WaitFor([](PopupsHost& host) { return host.Posted(shell::kMsgCatchingChanged) == 1; }),
    };
    RunPage();
}

TEST_F(PagesPopup, EverySwitchOfCatchingCleansTheCaches) {
    ConfigureInternetExplorer(true);
    app->settings.PopupCheckEnabled = 1;
    const std::string page = "http://popups.test/cached.html";
    steps = {
        // Opening with catching on ran the click once: a cleaning run.
        [](PopupsHost& host) {
            EXPECT_TRUE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_TRUE(host.page.IsItemEnabled(IDC_SOUND_ALERT));
            EXPECT_FALSE(host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING));
            EXPECT_TRUE(host.page.WaitForCleaning(10000));
            EXPECT_EQ(host.page.CompletedCleaningRuns(), 1);
        },
        [page](PopupsHost& host) {
            char file[MAX_PATH] = {};
            ASSERT_TRUE(CreateUrlCacheEntryA(page.c_str(), 0, "html", file, 0));
            test_folder::WriteFile(file, "cached");
            FILETIME none = {};
            ASSERT_TRUE(CommitUrlCacheEntryA(page.c_str(), file, none, none, NORMAL_CACHE_ENTRY,
                                             nullptr, 0, nullptr, nullptr));
            // Switching off cleans too; clicks during a run add one run after it, no more.
            Click(host, IDC_CATCH_POPUPS);
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
            EXPECT_FALSE(host.page.IsItemEnabled(IDC_SOUND_ALERT));
            EXPECT_TRUE(host.ApplyEnabled());
            for (int i = 0; i < 4; ++i) Click(host, IDC_CATCH_POPUPS);
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
            EXPECT_TRUE(host.page.WaitForCleaning(10000));
            const int runs = host.page.CompletedCleaningRuns() - 1;
            EXPECT_GE(runs, 2);
            EXPECT_LE(runs, 5);
            DWORD size = 0;
            EXPECT_FALSE(GetUrlCacheEntryInfoA(page.c_str(), nullptr, &size) ||
                         GetLastError() == ERROR_INSUFFICIENT_BUFFER);
            EXPECT_EQ(boxes, std::vector<std::string>{});
        },
        WaitFor([](PopupsHost& host) { return host.Posted(shell::kMsgCatchingChanged) >= 5; }),
    };
    RunPage();
}

TEST_F(PagesPopup, SetProxyAsksOnceAfterTheFirstBrowserAndResetSwitchesCatchingOff) {
    steps = {
        WaitFor([](PopupsHost& host) { return host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING); }),
        [](PopupsHost& host) {
            wizardWork = [] { app->browserConfig.lanIsConfigured = 1; };
            Click(host, IDC_SET_PROXY);
            EXPECT_EQ(boxes, std::vector<std::string>{k2254});
            EXPECT_FALSE(host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING));
            EXPECT_EQ(app->settings.PopupCheckEnabled, 1);
            EXPECT_TRUE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_TRUE(host.page.IsItemEnabled(IDC_SOUND_ALERT));
            // With a browser configured already, nothing is asked.
            wizardWork = [] { app->browserConfig.opera7IsConfigured = 1; };
            Click(host, IDC_SET_PROXY);
            EXPECT_EQ(boxes.size(), 1u);
        },
        // The warning stays hidden: the blinking stopped.
        WaitFor([](PopupsHost& host) {
            EXPECT_FALSE(host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING));
            return false;
        }),
        [](PopupsHost& host) {
            EXPECT_EQ(host.Posted(shell::kMsgCatchingChanged), 1);
            // A reset that leaves only Internet Explorer's live setting still switches off.
            boxes.clear();
            wizardWork = [] {
                browsers::BrowserConfigState& config = app->browserConfig;
                config = browsers::BrowserConfigState();
                config.ieUsesProxy = 1;
            };
            Click(host, IDC_RESET_PROXY);
            EXPECT_EQ(boxes, std::vector<std::string>{k2253});
            EXPECT_EQ(app->settings.PopupCheckEnabled, 0);
            EXPECT_FALSE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_FALSE(host.page.IsItemEnabled(IDC_SOUND_ALERT));
        },
        WaitFor([](PopupsHost& host) {
            return host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING) &&
                   host.Posted(shell::kMsgCatchingChanged) == 2;
        }),
        [](PopupsHost& host) {
            EXPECT_TRUE(host.page.IsItemShown(IDC_NOT_CONFIGURED_WARNING));
            EXPECT_EQ(host.Posted(shell::kMsgCatchingChanged), 2);
        },
    };
    RunPage();
}

// The start-up prompt's Yes: the wizard comes up once the sheet shows, in front of it, and when
// it configured the first browser the user is asked, as after "Set Proxy", whether catching
// goes on, so a first run ends protected.
TEST_F(PagesPopup, TheStartupWizardRunsInFrontOfTheSheetAndAsksToSwitchCatchingOn) {
    app->startWizard = 1;
    bool sheetShownFirst = false;
    wizardWork = [&sheetShownFirst] {
        sheetShownFirst = IsWindowVisible(running->Handle()) != FALSE;
        app->browserConfig.lanIsConfigured = 1;
    };
    steps = {
        WaitFor([](PopupsHost&) { return !boxes.empty(); }),
        [&sheetShownFirst](PopupsHost& host) {
            EXPECT_TRUE(sheetShownFirst);
            EXPECT_EQ(boxes, std::vector<std::string>{k2254});
            EXPECT_EQ(app->settings.PopupCheckEnabled, 1);
            EXPECT_TRUE(host.page.IsItemChecked(IDC_CATCH_POPUPS));
            EXPECT_EQ(host.Posted(shell::kMsgCatchingChanged), 1);
        },
    };
    RunPage();
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(PagesPopup, BannerBlockingSwapsTheHostsLines) {
    const std::string hosts = browsers::GetHostsPath();
    const std::string saved = test_folder::ReadFile(hosts);
    SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
    test_folder::WriteFile(hosts, "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n");
    test_folder::WriteFile(folder_.Path() + "hostsd", "127.0.0.1 localhost\r\n");
    test_folder::WriteFile(folder_.Path() + "hostse",
                           "127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n");
    steps = {
        [hosts](PopupsHost& host) {
            EXPECT_FALSE(host.page.IsItemChecked(IDC_BANNER_BLOCK));
            Click(host, IDC_BANNER_BLOCK);
            EXPECT_EQ(app->settings.BannerBlock, 1);
            EXPECT_EQ(test_folder::ReadFile(hosts),
                      "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n"
                      "127.0.0.1 ads.example\r\n");
            EXPECT_TRUE(host.ApplyEnabled());
            Click(host, IDC_BANNER_BLOCK);
            EXPECT_EQ(app->settings.BannerBlock, 0);
            EXPECT_EQ(test_folder::ReadFile(hosts),
                      "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n");
        },
        WaitFor([](PopupsHost& host) { return host.Posted(shell::kMsgBannerChanged) == 2; }),
        [](PopupsHost& host) { EXPECT_EQ(host.Posted(shell::kMsgBannerChanged), 2); },
    };
    RunPage();
    SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
    test_folder::WriteFile(hosts, saved);
}

// The secure pages switch shows the setting, changes it for Apply to save, takes the setting
// back when Cancel reloads it, speaks the page's language and is what the wizard is handed.
TEST_F(PagesPopup, TheSecurePagesSwitchFollowsTheSettingAndReachesTheWizard) {
    app->settings.FilterSecurePages = 0;
    CreateDirectoryA((folder_.Path() + "Language").c_str(), nullptr);
    test_folder::WriteFile(folder_.Path() + "Language\\Deutsch.ini",
                           "[KorvoPopupKiller]\r\n1010=Sichere (https-)Seiten filtern\r\n");
    steps = {
        [](PopupsHost& host) {
            EXPECT_EQ(host.page.ItemText(IDC_FILTER_SECURE), "Filter secure (https) pages");
            EXPECT_FALSE(host.page.IsItemChecked(IDC_FILTER_SECURE));
            EXPECT_FALSE(host.ApplyEnabled());
            EXPECT_EQ(browsers::CProxySettingSheet(true, *app).State().filterSecurePages, 0);
            Click(host, IDC_FILTER_SECURE);
            EXPECT_EQ(app->settings.FilterSecurePages, 1);
            EXPECT_TRUE(host.ApplyEnabled());
            EXPECT_EQ(browsers::CProxySettingSheet(true, *app).State().filterSecurePages, 1);
            Click(host, IDC_FILTER_SECURE);
            EXPECT_EQ(app->settings.FilterSecurePages, 0);
            // Settings reloaded with the switch on.
            app->settings.FilterSecurePages = 1;
            host.page.RefreshPageControls();
            EXPECT_TRUE(host.page.IsItemChecked(IDC_FILTER_SECURE));
            app->state.language = "Deutsch";
            host.page.ApplyPageTexts();
            EXPECT_EQ(host.page.ItemText(IDC_FILTER_SECURE), "Sichere (https-)Seiten filtern");
            EXPECT_TRUE(boxes.empty());
        },
    };
    RunPage();
}

// A hosts file the user may not replace (here: a folder in the way of the replacement's
// temporary file) leaves banner blocking off, the box unticked and the user told why.
TEST_F(PagesPopup, BannerBlockingRefusedWhenTheHostsFileCannotBeWritten) {
    const std::string hosts = browsers::GetHostsPath();
    const std::string saved = test_folder::ReadFile(hosts);
    const std::string plain = "127.0.0.1 localhost\r\n";
    SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
    test_folder::WriteFile(hosts, plain);
    test_folder::WriteFile(folder_.Path() + "hostsd", plain);
    test_folder::WriteFile(folder_.Path() + "hostse", plain + "127.0.0.1 ads.example\r\n");
    const std::string blocker = hosts + ".korvo-new";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    steps = {
        [](PopupsHost& host) {
            Click(host, IDC_BANNER_BLOCK);
            EXPECT_FALSE(host.page.IsItemChecked(IDC_BANNER_BLOCK));
            EXPECT_EQ(app->settings.BannerBlock, 0);
            EXPECT_FALSE(host.ApplyEnabled());
        },
        [](PopupsHost& host) { EXPECT_EQ(host.Posted(shell::kMsgBannerChanged), 0); },
    };
    RunPage();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Banner blocking was not switched: the hosts file can only be changed by an "
              "administrator.\nStart Korvo Popup Killer as an administrator to switch banner "
              "blocking.");
    EXPECT_EQ(test_folder::ReadFile(hosts), plain);
    RemoveDirectoryA(blocker.c_str());
    SetFileAttributesA(hosts.c_str(), FILE_ATTRIBUTE_NORMAL);
    test_folder::WriteFile(hosts, saved);
}

}  // namespace
}  // namespace pages
