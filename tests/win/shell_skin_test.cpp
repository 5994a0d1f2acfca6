// The skin and splash controls hosted by a real dialog: the objects behind them, the colours a
// skinned window answers with, plain windows for missing and damaged files, and the splash
// window's life.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/app_state.h"
#include "res/resource.h"
#include "shell/skin_control_win.h"
#include "shell/splash_control_win.h"
#include "shell/splash_dlg_win.h"
#include "test_app.h"
#include "test_folder.h"

namespace shell {
namespace {

constexpr int kStatic = 100, kCheck = 101, kGroup = 102, kEdit = 103;
const char kGoodSkin[] =
    "[Skin]\r\nBackground=CFE0D7\r\nText=1C2B24\r\nGroupText=2A5443\r\n"
    "Header=3C735D..A3C8B5\r\nHeaderHeight=5\r\nBorder=8FB3A2\r\n";

INT_PTR CALLBACK NoHandlers(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What a window answers to a control's WM_CTLCOLOR message: the brush and the text colour.
struct Answer {
    LRESULT brush;
    COLORREF text;
    bool operator==(const Answer& other) const {
        return brush == other.brush && text == other.text;
    }
};

class ShellSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        SkinControl::RegisterClasses();
        // A dialog from a template of its own: no items, no menu, class or title.
        struct {
            DLGTEMPLATE header;
            WORD menu, windowClass, title;
        } empty = {};
        empty.header.style = WS_POPUP | WS_CAPTION;
        empty.header.cx = 200;
        empty.header.cy = 120;
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &empty.header, nullptr,
                                             NoHandlers, 0);
        ASSERT_NE(dialog_, nullptr);
        Child("Static", "Text", SS_LEFT, kStatic);
        Child("Button", "Check", BS_AUTOCHECKBOX, kCheck);
        Child("Button", "Group", BS_GROUPBOX, kGroup);
        Child("Edit", "Edit", ES_READONLY, kEdit);
        Child(SKIN_CONTROL_CLASS, "", WS_VISIBLE, IDC_SKIN);
        dc_ = CreateCompatibleDC(nullptr);
    }
    void TearDown() override {
        DeleteDC(dc_);
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
    }
    void Child(const char* windowClass, const char* text, DWORD style, int id) {
        ASSERT_NE(CreateWindowExA(0, windowClass, text, WS_CHILD | style, 5, 5 + (id % 10) * 20,
                                  100, 16, dialog_, reinterpret_cast<HMENU>(INT_PTR(id)),
                                  GetModuleHandleA(nullptr), nullptr),
                  nullptr);
    }
    Answer AnswerFor(int id, UINT message = WM_CTLCOLORSTATIC) {
        SetTextColor(dc_, RGB(1, 1, 1));
        const LRESULT brush = SendMessageA(dialog_, message, reinterpret_cast<WPARAM>(dc_),
                                           reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
        return Answer{brush, GetTextColor(dc_)};
    }
    std::string File(const char* name, const std::string& content) {
        test_folder::WriteFile(folder_.Path() + name, content);
        return folder_.Path() + name;
    }

    test_folder::TemporaryFolder folder_;
    HWND dialog_ = nullptr;
    HDC dc_ = nullptr;
};

COLORREF BrushColour(LRESULT brush) {
    LOGBRUSH description = {};
    GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof description, &description);
    return description.lbColor;
}

TEST_F(ShellSkin, ObjectFoundOnlyBehindItsOwnControl) {
    std::shared_ptr<SkinControl> skin = SkinControl::FromDialogItem(dialog_, IDC_SKIN);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(SkinControl::FromDialogItem(dialog_, IDC_SKIN), skin);
    EXPECT_EQ(SkinControl::FromDialogItem(dialog_, kStatic), nullptr);
    EXPECT_EQ(SkinControl::FromDialogItem(dialog_, 999), nullptr);
    EXPECT_EQ(SplashControl::FromDialogItem(dialog_, IDC_SKIN), nullptr);
    // Hidden and without room, though created visible.
    HWND control = GetDlgItem(dialog_, IDC_SKIN);
    RECT rect;
    GetWindowRect(control, &rect);
    EXPECT_FALSE(IsWindowVisible(control));
    EXPECT_EQ(rect.right - rect.left, 0);
    // The object outlives the dialog that hosted it.
    DestroyWindow(dialog_);
    EXPECT_TRUE(skin->LoadSkin(WidePath(File("a.skn", kGoodSkin))));
}

TEST_F(ShellSkin, GoodSkinColoursTextsAndBackgroundButNotEdits) {
    const Answer plainEdit = AnswerFor(kEdit);
    std::shared_ptr<SkinControl> skin = SkinControl::FromDialogItem(dialog_, IDC_SKIN);
    ASSERT_TRUE(skin->LoadSkin(WidePath(File("a.skn", kGoodSkin))));
    skin->ApplySkin(dialog_);
    skin->ApplySkin(dialog_);

    const Answer text = AnswerFor(kStatic);
    EXPECT_EQ(BrushColour(text.brush), RGB(0xCF, 0xE0, 0xD7));
    EXPECT_EQ(text.text, RGB(0x1C, 0x2B, 0x24));
    EXPECT_EQ(AnswerFor(kCheck), text);
    EXPECT_EQ(AnswerFor(kGroup).text, RGB(0x2A, 0x54, 0x43));
    EXPECT_EQ(AnswerFor(kEdit), plainEdit);
    EXPECT_EQ(AnswerFor(0, WM_CTLCOLORDLG).brush, text.brush);

    // The background: flat colour, the band along the top and the frame at the edges.
    RECT client;
    GetClientRect(dialog_, &client);
    HBITMAP bitmap = CreateBitmap(client.right, client.bottom, 1, 32, nullptr);
    HGDIOBJ previous = SelectObject(dc_, bitmap);
    EXPECT_EQ(SendMessageA(dialog_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc_), 0), 1);
    EXPECT_EQ(GetPixel(dc_, client.right / 2, client.bottom / 2), RGB(0xCF, 0xE0, 0xD7));
    EXPECT_NE(GetPixel(dc_, client.right / 2, 2), RGB(0xCF, 0xE0, 0xD7));
    EXPECT_EQ(GetPixel(dc_, 0, client.bottom / 2), RGB(0x8F, 0xB3, 0xA2));
    SelectObject(dc_, previous);
    DeleteObject(bitmap);

    // The window keeps the skin it was given until it is applied again.
    ASSERT_TRUE(skin->LoadSkin(WidePath(File("b.skn", "[Skin]\nBackground=000080\nText=FFFFFF"))));
    EXPECT_EQ(AnswerFor(kStatic).text, RGB(0x1C, 0x2B, 0x24));
    skin->ApplySkin(dialog_);
    EXPECT_EQ(AnswerFor(kStatic).text, RGB(0xFF, 0xFF, 0xFF));
    skin->RefreshSkin(dialog_);
    // A skinned window destroyed takes its subclass and brush with it.
    EXPECT_TRUE(DestroyWindow(dialog_));
}

TEST_F(ShellSkin, MissingOrDamagedFileLeavesWindowPlain) {
    const Answer plain = AnswerFor(kStatic);
    std::shared_ptr<SkinControl> skin = SkinControl::FromDialogItem(dialog_, IDC_SKIN);
    ASSERT_TRUE(skin->LoadSkin(WidePath(File("a.skn", kGoodSkin))));
    EXPECT_FALSE(skin->LoadSkin(WidePath(folder_.Path() + "missing.skn")));
    EXPECT_FALSE(skin->IsLoaded());
    skin->ApplySkin(dialog_);
    EXPECT_EQ(AnswerFor(kStatic), plain);

    for (const std::string& damaged :
         {std::string("[Skin]\nBackground=CFE0\nText=000000\n"), std::string("\x89PNG\r\n"),
          "[Skin]\nBackground=CFE0D7\nText=000000\n" + std::string(70000, ';')}) {
        EXPECT_FALSE(skin->LoadSkin(WidePath(File("bad.skn", damaged))));
        skin->ApplySkin(dialog_);
        EXPECT_EQ(AnswerFor(kStatic), plain);
    }
}

// What a timer saw of the splash window while ShowSplash ran.
HWND seenSplash = nullptr;
bool seenTopmost = false;
void CALLBACK LookForSplash(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    seenSplash = FindWindowA("KorvoSplashWindow", "Korvo Popup Killer");
    seenTopmost = (GetWindowLongPtrA(seenSplash, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (!IsWindowVisible(seenSplash)) seenSplash = nullptr;
}

TEST_F(ShellSkin, SplashShownForItsTimeThenGone) {
    Child(SPLASH_CONTROL_CLASS, "", 0, IDC_SPLASH);
    std::shared_ptr<SplashControl> splash = SplashControl::FromDialogItem(dialog_, IDC_SPLASH);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(SkinControl::FromDialogItem(dialog_, IDC_SPLASH), nullptr);

    EXPECT_FALSE(splash->LoadSplash(WidePath(folder_.Path() + "splash.spl")));
    DWORD start = GetTickCount();
    splash->ShowSplash(0);
    EXPECT_LT(GetTickCount() - start, 200u);
    EXPECT_EQ(FindWindowA("KorvoSplashWindow", nullptr), nullptr);

    ASSERT_TRUE(splash->LoadSplash(
        WidePath(File("splash.spl", "[Splash]\nTitle=Korvo Popup Killer\nDuration=400\n"))));
    seenSplash = nullptr;
    SetTimer(nullptr, 0, 100, LookForSplash);
    start = GetTickCount();
    splash->ShowSplash(0);
    const DWORD shown = GetTickCount() - start;
    EXPECT_GE(shown, 390u);
    EXPECT_LT(shown, 3000u);
    EXPECT_NE(seenSplash, nullptr);
    EXPECT_TRUE(seenTopmost);
    splash->CloseSplash(0);
    EXPECT_EQ(FindWindowA("KorvoSplashWindow", nullptr), nullptr);
}

TEST_F(ShellSkin, SplashDialogEndsAfterTheSplash) {
    if (FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_SPLASH), MAKEINTRESOURCEA(5)) == nullptr) {
        GTEST_SKIP() << "no splash dialog in the resources";
    }
    File("splash.spl", "[Splash]\nTitle=Korvo Popup Killer\nDuration=300\n");
    test_app::TestApp app;
    app.State().installPath = folder_.Path().substr(0, folder_.Path().size() - 1);
    CSplashDlg dialog(app.Context());
    const DWORD start = GetTickCount();
    EXPECT_EQ(dialog.RunModal(IDD_SPLASH, nullptr), 0);
    EXPECT_GE(GetTickCount() - start, 290u);
    EXPECT_EQ(FindWindowA("KorvoSplashWindow", nullptr), nullptr);
}

}  // namespace
}  // namespace shell
