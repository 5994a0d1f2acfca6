// The resources compiled into the program: every dialog can be created and carries the controls
// the code drives, with their class, kind and initial state; the tray menu's commands; the
// icons; the version values the About dialog shows.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "shell/skin_control_win.h"

namespace {

enum State { kShown, kHidden, kDisabled };
constexpr int kAnyKind = -1;

// Controls of one class, kind (BS_* type of a button, else kAnyKind) and initial state.
struct Controls {
    const char* className;
    int kind;
    State state;
    std::vector<int> ids;
};

Controls Of(const char* className, int kind, State state, std::vector<int> ids) {
    return {className, kind, state, std::move(ids)};
}

constexpr const char* kButton = "Button";
constexpr const char* kStatic = "Static";
constexpr const char* kComboEx = "ComboBoxEx32";

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class Resources : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
        InitCommonControlsEx(&controls);
        shell::SkinControl::RegisterClasses();
        // Pages are child windows and need a parent.
        host_ = CreateWindowA("Static", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(host_); }

    // Creates dialog dialogId and checks each control; returns the dialog's style.
    static DWORD CheckDialog(int dialogId, const std::vector<Controls>& expected) {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId),
                                         host_, PlainDialogProc, 0);
        EXPECT_NE(dialog, nullptr) << "dialog " << dialogId << " error " << GetLastError();
        if (!dialog) return 0;
        for (const Controls& controls : expected) {
            for (int id : controls.ids) {
                SCOPED_TRACE("dialog " + std::to_string(dialogId) + " control " +
                             std::to_string(id));
                HWND item = GetDlgItem(dialog, id);
                EXPECT_NE(item, nullptr);
                if (!item) continue;
                char className[64] = "";
                GetClassNameA(item, className, sizeof(className));
                EXPECT_EQ(lstrcmpiA(className, controls.className), 0) << className;
                const LONG style = GetWindowLongA(item, GWL_STYLE);
                if (controls.kind != kAnyKind) {
                    EXPECT_EQ(style & BS_TYPEMASK, controls.kind);
                }
                EXPECT_EQ((style & WS_VISIBLE) != 0, controls.state != kHidden);
                EXPECT_EQ(IsWindowEnabled(item) != 0, controls.state != kDisabled);
            }
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        DestroyWindow(dialog);
        return style;
    }

    static HWND host_;
};

HWND Resources::host_ = nullptr;

TEST_F(Resources, WindowsCarryTheirControls) {
    const Controls skin = Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN});
    const Controls ok = Of(kButton, BS_DEFPUSHBUTTON, kShown, {IDOK});
    CheckDialog(IDD_ABOUT, {Of(kStatic, kAnyKind, kShown,
                               {IDC_ABOUT_COPYRIGHT, IDC_ABOUT_VERSION, IDC_ABOUT_VERSION_LABEL}),
                            Of(kButton, BS_PUSHBUTTON, kShown, {IDC_ABOUT_WEBSITE}), ok, skin});
    CheckDialog(IDD_POPUP_COUNT,
                {Of(kStatic, kAnyKind, kShown, {IDC_COUNT, IDC_COUNT_LABEL}), skin});
    CheckDialog(IDD_TRAY_HINT,
                {Of(kButton, BS_AUTOCHECKBOX, kShown, {IDC_HINT_DONT_SHOW}),
                 Of(kStatic, kAnyKind, kShown, {IDC_HINT_TEXT, IDC_HINT_FRAME}), ok, skin});
    const DWORD splash =
        CheckDialog(IDD_SPLASH, {Of(SPLASH_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SPLASH})});
    EXPECT_EQ(splash & WS_CAPTION, static_cast<DWORD>(WS_BORDER));
}

TEST_F(Resources, PagesCarryTheirControls) {
    const DWORD popups =
        CheckDialog(IDD_POPUPS_PAGE,
                    {Of(kButton, BS_AUTOCHECKBOX, kShown, {IDC_CATCH_POPUPS, IDC_BANNER_BLOCK}),
                     Of(kButton, BS_AUTOCHECKBOX, kDisabled, {IDC_SOUND_ALERT}),
                     Of(kButton, BS_PUSHBUTTON, kShown, {IDC_SET_PROXY, IDC_RESET_PROXY}),
                     Of(kButton, BS_GROUPBOX, kShown, {IDC_CONFIGURE_GROUP}),
                     Of(kStatic, kAnyKind, kHidden, {IDC_NOT_CONFIGURED_WARNING}),
                     Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN})});
    EXPECT_EQ(popups & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD));

    CheckDialog(IDD_OPTIONS_PAGE,
                {Of(kButton, BS_AUTORADIOBUTTON, kShown,
                    {IDC_STARTUP_WINDOWS, IDC_STARTUP_MANUAL, IDC_STARTUP_IE}),
                 Of(kButton, BS_AUTOCHECKBOX, kShown, {IDC_ALWAYS_ON_TOP, IDC_CLOSE_TO_TRAY}),
                 Of(kButton, BS_PUSHBUTTON, kShown, {IDC_TEST_SOUND}),
                 Of(kButton, BS_GROUPBOX, kShown,
                    {IDC_STARTUP_GROUP, IDC_GENERAL_GROUP, IDC_LANGUAGE_GROUP, IDC_SOUND_GROUP}),
                 Of(kStatic, kAnyKind, kShown,
                    {IDC_CURRENT_SOUND, IDC_CURRENT_SOUND_LABEL, IDC_CHANGE_SOUND_LABEL}),
                 Of(kComboEx, kAnyKind, kShown, {IDC_LANGUAGE_LIST}),
                 Of("ComboBox", kAnyKind, kShown, {IDC_SOUND_LIST}),
                 Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN})});

    CheckDialog(
        IDD_ACTIVEX_PAGE,
        {Of(kButton, BS_AUTORADIOBUTTON, kShown,
            {IDC_SIGNED_ENABLE, IDC_SIGNED_DISABLE, IDC_SIGNED_PROMPT, IDC_UNSIGNED_ENABLE,
             IDC_UNSIGNED_DISABLE, IDC_UNSIGNED_PROMPT, IDC_UNSAFE_ENABLE, IDC_UNSAFE_DISABLE,
             IDC_UNSAFE_PROMPT, IDC_SAFE_ENABLE, IDC_SAFE_DISABLE, IDC_SAFE_PROMPT, IDC_RUN_ENABLE,
             IDC_RUN_DISABLE, IDC_RUN_PROMPT, IDC_RUN_ADMIN_APPROVED}),
         Of(kButton, BS_GROUPBOX, kShown,
            {IDC_SIGNED_GROUP, IDC_UNSIGNED_GROUP, IDC_UNSAFE_GROUP, IDC_SAFE_GROUP,
             IDC_RUN_GROUP}),
         Of(kStatic, kAnyKind, kShown, {IDC_ZONE_LABEL, IDC_ZONE_NOTE}),
         Of(kComboEx, kAnyKind, kShown, {IDC_ZONE_LIST}),
         Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN_ACTIVEX})});
}

TEST_F(Resources, WizardPagesCarryTheirControls) {
    const char* list = "SysListView32";
    const Controls skin = Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN});
    CheckDialog(
        IDD_WIZARD_BROWSERS,
        {Of(kButton, BS_AUTOCHECKBOX, kShown,
            {IDC_BROWSERS_IE, IDC_BROWSERS_NETSCAPE, IDC_BROWSERS_OPERA}),
         Of(kStatic, kAnyKind, kShown, {IDC_BROWSERS_INSTRUCTION}),
         Of(kStatic, kAnyKind, kHidden, {IDC_BROWSERS_NOTE, IDC_BROWSERS_SYSTEM_NOTE}), skin});
    CheckDialog(
        IDD_WIZARD_CONNECTIONS,
        {Of(kButton, BS_AUTOCHECKBOX, kShown,
            {IDC_CONNECTIONS_LAN, IDC_CONNECTIONS_DIALUP, IDC_CONNECTIONS_OPERA6,
             IDC_CONNECTIONS_OPERA7}),
         Of(kButton, BS_GROUPBOX, kShown, {IDC_CONNECTIONS_GROUP, IDC_CONNECTIONS_OPERA_GROUP}),
         Of(kButton, BS_PUSHBUTTON, kDisabled,
            {IDC_CONNECTIONS_CHECK_ALL, IDC_CONNECTIONS_UNCHECK_ALL}),
         Of(list, kAnyKind, kDisabled, {IDC_CONNECTIONS_LIST}),
         Of(kStatic, kAnyKind, kHidden, {IDC_CONNECTIONS_NOTE}), skin});
    CheckDialog(
        IDD_WIZARD_PROFILES,
        {Of(kButton, BS_PUSHBUTTON, kShown, {IDC_PROFILES_CHECK_ALL, IDC_PROFILES_UNCHECK_ALL}),
         Of(kButton, BS_GROUPBOX, kShown, {IDC_PROFILES_GROUP}),
         Of(list, kAnyKind, kShown, {IDC_PROFILES_LIST}),
         Of(kStatic, kAnyKind, kHidden, {IDC_PROFILES_GREY_NOTE}), skin});
    const DWORD finish = CheckDialog(
        IDD_WIZARD_FINISH, {Of(kStatic, kAnyKind, kShown, {IDC_FINISH_TEXT}),
                            Of(SKIN_CONTROL_CLASS, kAnyKind, kHidden, {IDC_SKIN_WIZARD4})});
    EXPECT_EQ(finish & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD));
}

TEST_F(Resources, TrayMenuHoldsTheCommandsInOrder) {
    constexpr UINT kSeparator = 0;
    const std::vector<UINT> expected = {
        IDM_TOGGLE_WINDOW, kSeparator,       IDM_TOGGLE_CATCHING, kSeparator, IDM_BLOCK_ADS,
        kSeparator,        IDM_SHOW_COUNTER, IDM_CLEAR_COUNTER,   kSeparator, IDM_HELP,
        kSeparator,        IDM_ABOUT,        kSeparator,          IDM_EXIT};
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU tray = GetSubMenu(menu, 0);
    ASSERT_NE(tray, nullptr);
    std::vector<UINT> actual;
    for (int i = 0; i < GetMenuItemCount(tray); ++i) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoA(tray, static_cast<UINT>(i), TRUE, &item);
        actual.push_back((item.fType & MFT_SEPARATOR) ? kSeparator : item.wID);
    }
    EXPECT_EQ(actual, expected);
    DestroyMenu(menu);
}

TEST_F(Resources, IconsLoadAtTraySize) {
    for (int id : {IDI_CATCHING_ON, IDI_CATCHING_OFF, IDI_PROGRAM, IDI_ZONE_TRUSTED,
                   IDI_ZONE_INTERNET, IDI_ZONE_INTRANET, IDI_ZONE_RESTRICTED}) {
        HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 16,
                                 16, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr) << "icon " << id;
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
}

// About shows the version values named by its statics' texts.
TEST_F(Resources, AboutStaticsNameVersionValues) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
    auto query = [&](const std::string& name) {
        const std::string key = "\\StringFileInfo\\040904b0\\" + name;
        char* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            return std::string();
        return std::string(value);
    };
    // The version texts agree with the binary version Windows shows in the file's properties.
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    const std::string binary = std::to_string(HIWORD(fixed->dwFileVersionMS)) + ", " +
                               std::to_string(LOWORD(fixed->dwFileVersionMS)) + ", " +
                               std::to_string(HIWORD(fixed->dwFileVersionLS)) + ", " +
                               std::to_string(LOWORD(fixed->dwFileVersionLS));
    EXPECT_NE(fixed->dwFileVersionMS, 0u);
    EXPECT_EQ(query("FileVersion"), binary);
    EXPECT_EQ(query("ProductVersion"), binary);

    HWND about = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), host_,
                                    PlainDialogProc, 0);
    ASSERT_NE(about, nullptr);
    for (int id : {IDC_ABOUT_COPYRIGHT, IDC_ABOUT_VERSION}) {
        char name[64] = "";
        GetDlgItemTextA(about, id, name, sizeof(name));
        EXPECT_FALSE(query(name).empty()) << "no version value " << name;
    }
    DestroyWindow(about);
}

}  // namespace
