// The proxy configuration wizard run for real over browsers laid out in the test prefix
// (Internet Explorer's connections, a Mozilla profile, Opera 6 and Opera 7), driven by control
// ids from a thread timer inside the wizard's own message loop.
#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "browsers/opera.h"
#include "core/app_state.h"
#include "proxy/settings.h"
#include "res/resource.h"
#include "shell/skin_control_win.h"
#include "tests/win/browsers_support.h"
#include "tests/win/test_app.h"
#include "wizard/proxy_setting_sheet_win.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

const std::string kUnsetIni = "[Proxy]\r\nHTTP Server=old.example:3128\r\nUse HTTP=0\r\n";
const std::string kSetIni = "[Proxy]\r\nHTTP Server=KorvoPopupKiller:8100\r\nUse HTTP=1\r\n";
const std::string kResetIni = "[Proxy]\r\nHTTP Server\r\nUse HTTP=0\r\n";
const std::string kPrefs = "user_pref(\"browser.startup.page\", 1);\r\n";
const std::string kSetUserJs =
    "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\r\nuser_pref(\"network.proxy.type\", 1);";

using Step = std::function<void(HWND sheet)>;
std::vector<Step> steps;
std::size_t nextStep = 0;
int ticks = 0;
std::vector<std::string> boxes;

// One step per tick; a wizard still open 100 ticks after its last step is cancelled.
void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    CProxySettingSheet* sheet = RunningProxySettingSheet();
    if (sheet == nullptr || sheet->Handle() == nullptr) return;
    if (nextStep < steps.size()) {
        steps[nextStep++](sheet->Handle());
    } else if (++ticks == 100) {
        ADD_FAILURE() << "the wizard did not close";
        PropSheet_PressButton(sheet->Handle(), PSBTN_CANCEL);
    }
}

HWND Page(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
int PageIndex(HWND sheet) { return PropSheet_HwndToIndex(sheet, Page(sheet)); }
void Click(HWND sheet, int id) { SendMessageA(GetDlgItem(Page(sheet), id), BM_CLICK, 0, 0); }
bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != 0; }
bool Shown(HWND window, int id) { return IsWindowVisible(GetDlgItem(window, id)) != 0; }
HWND List(HWND sheet, int id) { return GetDlgItem(Page(sheet), id); }
void Tick(HWND list, int item, bool checked) { ListView_SetCheckState(list, item, checked); }
bool Ticked(HWND list, int item) { return ListView_GetCheckState(list, item) != 0; }
std::string ItemName(HWND list, int item) {
    char text[100] = "";
    ListView_GetItemText(list, item, 0, text, sizeof text);
    return text;
}
Step Press(int button) {
    return [button](HWND sheet) { PropSheet_PressButton(sheet, button); };
}
// The sheet takes wizard buttons from a posted message: check them one step later.
Step NextIs(bool enabled) {
    return [enabled](HWND sheet) { EXPECT_EQ(Enabled(sheet, kNext), enabled); };
}
Step ExpectPage(int index) {
    return [index](HWND sheet) { EXPECT_EQ(PageIndex(sheet), index); };
}

class BrowsersWizard : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        shell::SkinControl::RegisterClasses();
        app_.State().installPath = root_.Path() + "none";  // no language file
        app_.State().wizardMessage = "N";
        platform::SetMessageBoxHandler([](HWND, const std::string& text, const std::string&, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
        boxes.clear();
        ClearRegistry();
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        AddConnection("Dial A", "");
        AddConnection("Dial B", kIeProxyServer);  // already uses the proxy

        MakeFolders(profile_);
        WriteFile(profile_ + "prefs.js", kPrefs);
        SetString("Software\\Mozilla\\Mozilla 1.7", "CurrentVersion", "1.7");

        MakeFolders(opera6_);
        MakeFolders(opera7_ + "profile\\");
        WriteFile(opera6_ + "Opera.exe", "");
        WriteFile(opera7_ + "Opera.exe", "");
        WriteFile(opera6_ + "opera6.ini", kUnsetIni);
        WriteFile(opera7_ + "profile\\opera6.ini", kUnsetIni);
        WriteFile(opera7_ + "OperaDef6.ini", "[System]\r\nMulti User=0\r\n");
        SetString(kOperaKey, "Last CommandLine", opera6_ + "Opera.exe");
        SetString(kOperaKey, "Last Directory2", opera7_.substr(0, opera7_.size() - 1));
        Refresh();
    }
    void TearDown() override {
        platform::SetMessageBoxHandler(nullptr);
        test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
        ClearRegistry();
    }
    static void ClearRegistry() {
        for (const char* key : std::vector<const char*>{kProxySettingKey, kConnectionsKey,
                                                        kOperaKey, "Software\\Mozilla"}) {
            DeleteKeyTree(HKEY_CURRENT_USER, key);
        }
        SetValue(kInternetSettingsKey, "ProxyServer", 0, "");
        RemoveSystemBrowsers();
    }
    static void AddConnection(const std::string& name, const std::string& proxy) {
        std::string value(16, '\0');
        value[8] = proxy.empty() ? 1 : 3;
        value[12] = static_cast<char>(proxy.size());
        SetValue(kConnectionsKey, name, REG_BINARY, value + proxy + std::string(4, '\0'));
    }
    // What the program does before it opens the wizard.
    void Refresh() {
        config_ = BrowserConfigState();
        RefreshBrowserConfigState(config_, settings_);
    }
    void RunWizard(bool setMode, std::vector<Step> wizardSteps) {
        steps = std::move(wizardSteps);
        nextStep = 0;
        ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, RunNextStep);
        CProxySettingSheet sheet(setMode, config_, app_.State(), nullptr);
        sheet.Run(nullptr);
        KillTimer(nullptr, timer);
        EXPECT_EQ(nextStep, steps.size()) << "steps left when the wizard closed";
        EXPECT_EQ(RunningProxySettingSheet(), nullptr);
    }
    // Every browser as the set-up left it.
    void ExpectNothingWritten() {
        EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
        EXPECT_EQ(ReadFile(profile_ + "prefs.js"), kPrefs);
        EXPECT_FALSE(Exists(profile_ + "user.js"));
        EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kUnsetIni);
        EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kUnsetIni);
        for (const char* flag : {kLanFlag, kDialUpFlag, kNetscapeFlag, kOpera6Flag, kOpera7Flag}) {
            EXPECT_EQ(ReadFlag(flag), "-") << flag;
        }
    }

    test_app::TestApp app_;
    test_folder::TemporaryFolder root_;
    const std::string profile_ = ApplicationData() + "Mozilla\\Profiles\\default\\ab12cd34.slt\\";
    const std::string opera6_ = root_.Path() + "Opera6\\";
    const std::string opera7_ = root_.Path() + "Opera7\\";
    BrowserConfigState config_;
    proxy::AppSettings settings_;
};

// ---- Browsers page ----

TEST_F(BrowsersWizard, OnlyNetscapeSkipsTheConnectionsPageBothWays) {
    RunWizard(true,
              {[](HWND sheet) {
                   HWND page = Page(sheet);
                   for (int id : {IDC_BROWSERS_IE, IDC_BROWSERS_NETSCAPE, IDC_BROWSERS_OPERA}) {
                       EXPECT_TRUE(Enabled(page, id)) << id;
                   }
                   EXPECT_FALSE(Shown(page, IDC_BROWSERS_NOTE));
                   EXPECT_FALSE(Enabled(sheet, kNext));
                   EXPECT_FALSE(Enabled(sheet, kBack));
                   Click(sheet, IDC_BROWSERS_NETSCAPE);
               },
               NextIs(true), Press(PSBTN_NEXT), ExpectPage(2), Press(PSBTN_BACK), ExpectPage(0),
               [](HWND sheet) { Click(sheet, IDC_BROWSERS_NETSCAPE); }, NextIs(false),
               [](HWND sheet) { Click(sheet, IDC_BROWSERS_OPERA); }, Press(PSBTN_NEXT),
               ExpectPage(1), Press(PSBTN_CANCEL)});
}

TEST_F(BrowsersWizard, ConfiguredBrowsersAreDisabledWithTheirNote) {
    SetDword(kInternetSettingsKey, "ProxyEnable", 1);
    SetString(kInternetSettingsKey, "ProxyServer", kIeProxyServer);
    Refresh();
    RunWizard(true, {[](HWND sheet) {
                         EXPECT_FALSE(Enabled(Page(sheet), IDC_BROWSERS_IE));
                         EXPECT_TRUE(Enabled(Page(sheet), IDC_BROWSERS_OPERA));
                         EXPECT_TRUE(Shown(Page(sheet), IDC_BROWSERS_NOTE));
                     },
                     Press(PSBTN_CANCEL)});
}

TEST_F(BrowsersWizard, CancelWritesOnlyTheWizardMessage) {
    RunWizard(true, {[](HWND sheet) {
                         Click(sheet, IDC_BROWSERS_IE);
                         Click(sheet, IDC_BROWSERS_NETSCAPE);
                     },
                     Press(PSBTN_NEXT), [](HWND sheet) { Click(sheet, IDC_CONNECTIONS_LAN); },
                     NextIs(true), Press(PSBTN_NEXT),
                     [](HWND sheet) { Tick(List(sheet, IDC_PROFILES_LIST), 0, true); },
                     Press(PSBTN_NEXT), ExpectPage(3), Press(PSBTN_CANCEL)});
    EXPECT_EQ(app_.State().wizardMessage, "A");
    ExpectNothingWritten();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowsersWizard, ResetWithNothingConfiguredOffersOnlyFinish) {
    RunWizard(false,
              {[](HWND sheet) {
                   HWND page = Page(sheet);
                   char text[200] = "";
                   GetDlgItemTextA(page, IDC_BROWSERS_INSTRUCTION, text, sizeof text);
                   EXPECT_STREQ(text, "You haven't any configured browser to reset it.");
                   for (int id : {IDC_BROWSERS_IE, IDC_BROWSERS_NETSCAPE, IDC_BROWSERS_OPERA}) {
                       EXPECT_FALSE(Enabled(page, id)) << id;
                   }
                   EXPECT_TRUE(Shown(sheet, kFinish));
                   EXPECT_TRUE(Enabled(sheet, kFinish));
                   EXPECT_FALSE(Shown(sheet, kNext) && Enabled(sheet, kNext));
               },
               Press(PSBTN_FINISH)});
    EXPECT_EQ(app_.State().wizardMessage, "N");
    ExpectNothingWritten();
    EXPECT_TRUE(boxes.empty());
}

// The Mozilla choice and the profiles page's title (the caption, once the page is shown) name
// Firefox once its profiles.ini is there, and a note tells that the Chrome found follows the
// Internet Explorer choice; without them the page reads as before.
TEST_F(BrowsersWizard, FirefoxIsNamedAndChromeShownFollowingTheSystemSettings) {
    const auto text = [](HWND sheet, int id) {
        char buffer[300] = "";
        GetDlgItemTextA(Page(sheet), id, buffer, sizeof buffer);
        return std::string(buffer);
    };
    RunWizard(true, {[&](HWND sheet) {
                         EXPECT_EQ(text(sheet, IDC_BROWSERS_NETSCAPE), "&Netscape 7.0 or higher.");
                         EXPECT_FALSE(Shown(Page(sheet), IDC_BROWSERS_SYSTEM_NOTE));
                     },
                     Press(PSBTN_CANCEL)});

    const std::string firefox = ApplicationData() + "Mozilla\\Firefox\\";
    MakeFolders(firefox);
    WriteFile(firefox + "profiles.ini", "[Profile0]\r\nName=default\r\nPath=D:\\ff\r\n");
    const std::string chrome = root_.Path() + "chrome.exe";
    WriteFile(chrome, "");
    SetAppPath(HKEY_LOCAL_MACHINE, "chrome.exe", chrome);
    RunWizard(true, {[&](HWND sheet) {
                         EXPECT_EQ(text(sheet, IDC_BROWSERS_NETSCAPE),
                                   "&Firefox, Netscape 7 or Mozilla.");
                         EXPECT_TRUE(Shown(Page(sheet), IDC_BROWSERS_SYSTEM_NOTE));
                         EXPECT_EQ(text(sheet, IDC_BROWSERS_SYSTEM_NOTE),
                                   core::texts::kBrowsersChromeFollows.defaultText);
                         Click(sheet, IDC_BROWSERS_NETSCAPE);
                     },
                     Press(PSBTN_NEXT),
                     [](HWND sheet) {
                         EXPECT_EQ(PageIndex(sheet), 2);
                         char title[100] = "";
                         GetWindowTextA(sheet, title, sizeof title);
                         EXPECT_NE(std::string(title).find("Firefox and Netscape Proxy Setting"),
                                   std::string::npos)
                             << title;
                     },
                     Press(PSBTN_CANCEL)});
}

// ---- Connections page ----

TEST_F(BrowsersWizard, NextWaitsForADialUpConnectionAndAnOperaVersion) {
    RunWizard(true,
              {[](HWND sheet) {
                   Click(sheet, IDC_BROWSERS_IE);
                   Click(sheet, IDC_BROWSERS_OPERA);
               },
               Press(PSBTN_NEXT),
               [](HWND sheet) {
                   HWND page = Page(sheet);
                   HWND list = List(sheet, IDC_CONNECTIONS_LIST);
                   ASSERT_EQ(ListView_GetItemCount(list), 2);
                   EXPECT_EQ(ItemName(list, 0) + "," + ItemName(list, 1), "Dial A,Dial B");
                   EXPECT_TRUE(Shown(page, IDC_CONNECTIONS_GREY_NOTE));  // Dial B uses the proxy
                   EXPECT_TRUE(Enabled(page, IDC_CONNECTIONS_DIALUP));
                   EXPECT_TRUE(Enabled(page, IDC_CONNECTIONS_OPERA6));
                   EXPECT_TRUE(Enabled(page, IDC_CONNECTIONS_OPERA7));
                   EXPECT_FALSE(Shown(page, IDC_CONNECTIONS_NOTE));
                   EXPECT_FALSE(Enabled(page, IDC_CONNECTIONS_LIST));
                   EXPECT_FALSE(Enabled(sheet, kNext));
                   Click(sheet, IDC_CONNECTIONS_DIALUP);
                   EXPECT_TRUE(Enabled(page, IDC_CONNECTIONS_LIST));
                   EXPECT_TRUE(Enabled(page, IDC_CONNECTIONS_CHECK_ALL));
                   Click(sheet, IDC_CONNECTIONS_OPERA7);
               },
               NextIs(false),  // no connection ticked yet
               [](HWND sheet) {
                   HWND list = List(sheet, IDC_CONNECTIONS_LIST);
                   Tick(list, 1, true);  // grey: the tick is taken away at once
                   EXPECT_FALSE(Ticked(list, 1));
               },
               NextIs(false),
               [](HWND sheet) { Tick(List(sheet, IDC_CONNECTIONS_LIST), 0, true); },
               NextIs(true),
               [](HWND sheet) { Click(sheet, IDC_CONNECTIONS_OPERA7); },
               NextIs(false),  // Opera without a version
               [](HWND sheet) { Click(sheet, IDC_CONNECTIONS_OPERA6); },
               NextIs(true),
               [](HWND sheet) {
                   Click(sheet, IDC_CONNECTIONS_UNCHECK_ALL);
                   EXPECT_FALSE(Ticked(List(sheet, IDC_CONNECTIONS_LIST), 0));
               },
               NextIs(false),
               [](HWND sheet) {
                   HWND list = List(sheet, IDC_CONNECTIONS_LIST);
                   Click(sheet, IDC_CONNECTIONS_CHECK_ALL);
                   EXPECT_TRUE(Ticked(list, 0));
                   EXPECT_FALSE(Ticked(list, 1));
               },
               NextIs(true),
               Press(PSBTN_NEXT),
               ExpectPage(3),
               Press(PSBTN_BACK),
               ExpectPage(1),
               [](HWND sheet) {
                   EXPECT_TRUE(Ticked(List(sheet, IDC_CONNECTIONS_LIST), 0));  // choices survive
               },
               Press(PSBTN_CANCEL)});
}

TEST_F(BrowsersWizard, WithoutDialUpConnectionsDialUpIsDisabled) {
    DeleteKeyTree(HKEY_CURRENT_USER, kConnectionsKey);
    RunWizard(true, {[](HWND sheet) { Click(sheet, IDC_BROWSERS_IE); }, Press(PSBTN_NEXT),
                     [](HWND sheet) {
                         HWND page = Page(sheet);
                         EXPECT_FALSE(Enabled(page, IDC_CONNECTIONS_DIALUP));
                         EXPECT_TRUE(Shown(page, IDC_CONNECTIONS_NOTE));
                         EXPECT_FALSE(Shown(page, IDC_CONNECTIONS_OPERA_GROUP));
                         EXPECT_FALSE(Shown(page, IDC_CONNECTIONS_GREY_NOTE));
                     },
                     Press(PSBTN_CANCEL)});
}

// ---- Profiles page ----

// The only profile is configured already: the profiles page offers Finish alone, and Finish
// there still configures the browsers chosen before.
TEST_F(BrowsersWizard, ProfilesPageWithNothingToTickFinishesTheOthers) {
    WriteFile(profile_ + "prefs.js", kSetUserJs);
    Refresh();
    ASSERT_EQ(config_.netscapeIsConfigured, 1);
    RunWizard(true, {[](HWND sheet) {
                         EXPECT_FALSE(Enabled(Page(sheet), IDC_BROWSERS_NETSCAPE));
                         Click(sheet, IDC_BROWSERS_OPERA);
                     },
                     Press(PSBTN_NEXT), [](HWND sheet) { Click(sheet, IDC_CONNECTIONS_OPERA6); },
                     Press(PSBTN_NEXT), ExpectPage(3), Press(PSBTN_CANCEL)});
    config_.netscapeIsConfigured = 0;  // as if the profile were not yet configured
    config_.mozillaInstalled = 1;
    RunWizard(true, {[](HWND sheet) {
                         Click(sheet, IDC_BROWSERS_NETSCAPE);
                         Click(sheet, IDC_BROWSERS_OPERA);
                     },
                     Press(PSBTN_NEXT), [](HWND sheet) { Click(sheet, IDC_CONNECTIONS_OPERA6); },
                     Press(PSBTN_NEXT),
                     [](HWND sheet) {
                         EXPECT_EQ(PageIndex(sheet), 2);
                         EXPECT_TRUE(Shown(Page(sheet), IDC_PROFILES_GREY_NOTE));
                         EXPECT_FALSE(Ticked(List(sheet, IDC_PROFILES_LIST), 0));
                         EXPECT_TRUE(Enabled(sheet, kFinish));
                     },
                     Press(PSBTN_FINISH)});
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kSetIni);
    EXPECT_EQ(ReadFlag(kOpera6Flag), "1");
    EXPECT_FALSE(Exists(profile_ + "user.js"));
}

// ---- The sheet ----

// Every button in the installation's language, Finish too; a list's one column is as wide as
// the list, whatever the DPI made of the dialog units.
TEST_F(BrowsersWizard, ButtonsInTheLanguageAndListColumnsAsWideAsTheList) {
    app_.State().installPath = root_.Path() + "install";
    app_.State().language = "Deutsch";
    MakeFolders(app_.State().installPath + "\\Language\\");
    WriteFile(app_.State().installPath + "\\Language\\Deutsch.ini",
              "[KorvoPopuKiller]\r\n2603=< Zurueck\r\n2604=Weiter >\r\n2103=Abbrechen\r\n"
              "3200=Fertig stellen\r\n");
    const auto text = [](HWND window, int id) {
        char buffer[100] = "";
        GetDlgItemTextA(window, id, buffer, sizeof buffer);
        return std::string(buffer);
    };
    RunWizard(true, {[](HWND sheet) { Click(sheet, IDC_BROWSERS_NETSCAPE); }, Press(PSBTN_NEXT),
                     [&](HWND sheet) {
                         EXPECT_EQ(text(sheet, kBack), "< Zurueck");
                         EXPECT_EQ(text(sheet, kNext), "Weiter >");
                         EXPECT_EQ(text(sheet, IDCANCEL), "Abbrechen");
                         EXPECT_EQ(text(sheet, kFinish), "Fertig stellen");
                         HWND list = List(sheet, IDC_PROFILES_LIST);
                         ASSERT_EQ(ListView_GetItemCount(list), 1);
                         RECT client;
                         GetClientRect(list, &client);
                         EXPECT_EQ(ListView_GetColumnWidth(list, 0), client.right);
                     },
                     Press(PSBTN_CANCEL)});
}

// ---- Finish ----

TEST_F(BrowsersWizard, FinishSetsThenResetsEveryChosenBrowser) {
    const std::vector<Step> chooseAll = {
        [](HWND sheet) {
            for (int id : {IDC_BROWSERS_IE, IDC_BROWSERS_NETSCAPE, IDC_BROWSERS_OPERA}) {
                Click(sheet, id);
            }
        },
        Press(PSBTN_NEXT),
        [](HWND sheet) {
            for (int id : {IDC_CONNECTIONS_LAN, IDC_CONNECTIONS_DIALUP, IDC_CONNECTIONS_OPERA6,
                           IDC_CONNECTIONS_OPERA7}) {
                if (Enabled(Page(sheet), id)) Click(sheet, id);
            }
            Click(sheet, IDC_CONNECTIONS_CHECK_ALL);
        },
        Press(PSBTN_NEXT),
        NextIs(false),
        [](HWND sheet) { Click(sheet, IDC_PROFILES_CHECK_ALL); },
        NextIs(true),
        Press(PSBTN_NEXT),
        ExpectPage(3),
        Press(PSBTN_FINISH)};

    RunWizard(true, chooseAll);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "1");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), kIeProxyServer);
    EXPECT_EQ(ReadFile(profile_ + "user.js"), kSetUserJs);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kSetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kSetIni);
    std::string flags;
    for (const char* flag : {kLanFlag, kDialUpFlag, kNetscapeFlag, kOpera6Flag, kOpera7Flag}) {
        flags += ReadFlag(flag);
    }
    EXPECT_EQ(flags, "11111");
    EXPECT_EQ(config_.lanIsConfigured + config_.dialUpIsConfigured + config_.netscapeIsConfigured +
                  config_.opera6IsConfigured + config_.opera7IsConfigured,
              5);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Netscape proxy has been set successfully. Settings Will take effect from the "
              "second launch for Netscape.");
    EXPECT_EQ(app_.State().wizardMessage, "N");

    boxes.clear();
    WriteFile(profile_ + "prefs.js", kSetUserJs);  // Mozilla takes user.js in when it starts
    Refresh();
    RunWizard(false, chooseAll);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kResetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kResetIni);
    EXPECT_EQ(
        ReadFile(profile_ + "user.js"),
        "user_pref(\"network.proxy.http\", \"\");\r\n"
        "user_pref(\"network.proxy.http_port\", 0);\r\nuser_pref(\"network.proxy.type\", 0);");
    flags.clear();
    for (const char* flag : {kLanFlag, kNetscapeFlag, kOpera6Flag, kOpera7Flag}) {
        flags += ReadFlag(flag);
    }
    EXPECT_EQ(flags, "0000");
    EXPECT_EQ(config_.lanIsConfigured + config_.netscapeIsConfigured + config_.opera6IsConfigured +
                  config_.opera7IsConfigured,
              0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Netscape settings will take effect from the second launch");
}

}  // namespace
}  // namespace browsers
