#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include <algorithm>

#include "platform/files.h"
#include "res/resource.h"
#include "shell/skin_control_win.h"
#include "shell/skin_file.h"

namespace shell {
namespace {

constexpr char kSplashWindowClass[] = "KorvoSplashWindow";
constexpr UINT_PTR kSkinSubclassId = 0x4B534B4E;
constexpr int kSplashWidth = 360;
constexpr int kSplashHeight = 330;

ATOM skinClassAtom = 0;
ATOM splashClassAtom = 0;

COLORREF ToColorRef(const Rgb& colour) { return RGB(colour.red, colour.green, colour.blue); }

// The path as the program formed it: the controls take wide paths converted from the ANSI code
// page, so the way back loses nothing.
std::string AnsiPath(const std::wstring& path) {
    const int length =
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(length) - 1);
    return ansi;
}

// A skin or splash file read and parsed; null when it is missing, too large or damaged.
template <typename File>
std::shared_ptr<const File> LoadControlFile(const std::wstring& path,
                                            File (*parse)(const std::string&)) {
    try {
        std::string bytes;
        if (platform::ReadWholeFile(AnsiPath(path), kMaxSkinFileSize, &bytes) !=
            platform::FileRead::kRead) {
            return nullptr;
        }
        auto file = std::make_shared<const File>(parse(bytes));
        return file->ok ? file : nullptr;
    } catch (...) {
        return nullptr;
    }
}

// The window procedure of both hidden controls. The window holds one reference to its object
// (a heap shared_ptr in GWLP_USERDATA); FromDialogItem hands out more.
template <typename Control>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_NCCREATE:
                SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(
                                      new std::shared_ptr<Control>(std::make_shared<Control>())));
                break;
            case WM_CREATE:
                SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
                return 0;
            case WM_WINDOWPOSCHANGING: {
                // The control never shows and takes no room, whatever the resource says.
                auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
                position->flags &= ~(SWP_SHOWWINDOW | SWP_NOSIZE);
                position->cx = 0;
                position->cy = 0;
                return 0;
            }
            case WM_NCDESTROY:
                delete reinterpret_cast<std::shared_ptr<Control>*>(
                    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0));
                break;
        }
    } catch (...) {
        // No object: the dialog still opens and goes on without it.
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

template <typename Control>
std::shared_ptr<Control> ObjectOf(HWND dialog, int controlId, ATOM classAtom) {
    HWND item = dialog != nullptr ? GetDlgItem(dialog, controlId) : nullptr;
    if (item == nullptr || classAtom == 0) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(item, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    if (static_cast<ATOM>(GetClassLongPtrA(item, GCW_ATOM)) != classAtom) return nullptr;
    auto* held =
        reinterpret_cast<std::shared_ptr<Control>*>(GetWindowLongPtrA(item, GWLP_USERDATA));
    return held != nullptr ? *held : nullptr;
}

// ---- Skinned windows ----

// What a skinned window keeps: its own copy of the skin, so later loads do not change it.
struct SkinnedWindow {
    SkinFile skin;
    HBRUSH background = nullptr;
    ~SkinnedWindow() {
        if (background != nullptr) DeleteObject(background);
    }
};

enum class ControlKind { kOther, kText, kGroupBox, kPushButton };

// Only static texts and buttons take the skin's colours; edits, lists and combo boxes (which
// also send WM_CTLCOLORSTATIC when read-only or disabled) keep the system's.
ControlKind KindOf(HWND control) {
    char name[16];
    if (control == nullptr || GetClassNameA(control, name, sizeof name) == 0) {
        return ControlKind::kOther;
    }
    if (lstrcmpiA(name, "Static") == 0) return ControlKind::kText;
    if (lstrcmpiA(name, "Button") != 0) return ControlKind::kOther;
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    if (style & BS_PUSHLIKE) return ControlKind::kPushButton;
    switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX:
            return ControlKind::kGroupBox;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return ControlKind::kText;
        default:
            return ControlKind::kPushButton;
    }
}

void FillWithColour(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// The flat colour; on a top-level window also the gradient band along the top and the frame.
// Pages and other child windows stay flat, so they sit quietly inside their sheet.
void PaintBackground(HWND hwnd, HDC dc, const SkinnedWindow& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, state.background);
    if (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) return;
    const SkinFile& skin = state.skin;
    const int width = client.right - client.left;
    if (skin.hasHeader && skin.headerHeight > 0 && width > 0) {
        for (int x = 0; x < width; ++x) {
            auto mix = [&](int from, int to) {
                return from + (to - from) * x / std::max(1, width - 1);
            };
            const RECT column = {x, 0, x + 1, skin.headerHeight};
            FillWithColour(dc, column,
                           RGB(mix(skin.headerFrom.red, skin.headerTo.red),
                               mix(skin.headerFrom.green, skin.headerTo.green),
                               mix(skin.headerFrom.blue, skin.headerTo.blue)));
        }
    }
    if (skin.hasBorder) {
        SetDCBrushColor(dc, ToColorRef(skin.border));
        FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

// Answers a WM_CTLCOLOR* message; null when the control keeps the system's colours.
HBRUSH ControlColours(const SkinnedWindow& state, UINT message, HDC dc, HWND control) {
    ControlKind kind = ControlKind::kText;
    if (message != WM_CTLCOLORDLG) {
        kind = KindOf(control);
        if (kind == ControlKind::kOther) return nullptr;
    }
    COLORREF text = ToColorRef(state.skin.text);
    if (kind == ControlKind::kGroupBox) text = ToColorRef(state.skin.groupText);
    // A push button's face is the system's, so its text stays in the system's button colour.
    if (kind == ControlKind::kPushButton) text = GetSysColor(COLOR_BTNTEXT);
    SetTextColor(dc, text);
    SetBkColor(dc, ToColorRef(state.skin.background));
    SetBkMode(dc, TRANSPARENT);
    return state.background;
}

LRESULT CALLBACK SkinSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR data) {
    try {
        auto* state = reinterpret_cast<SkinnedWindow*>(data);
        switch (message) {
            case WM_ERASEBKGND:
                PaintBackground(hwnd, reinterpret_cast<HDC>(wParam), *state);
                return 1;
            case WM_SIZE:
                // The band and the frame follow the edges: repaint all of it, not only the new
                // part.
                InvalidateRect(hwnd, nullptr, TRUE);
                break;
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN: {
                HBRUSH brush = ControlColours(*state, message, reinterpret_cast<HDC>(wParam),
                                              reinterpret_cast<HWND>(lParam));
                if (brush != nullptr) return reinterpret_cast<LRESULT>(brush);
                break;
            }
            case WM_NCDESTROY:
                RemoveWindowSubclass(hwnd, SkinSubclassProc, id);
                delete state;
                break;
        }
    } catch (...) {
        // A skin fault leaves the message to the window's own procedure.
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- The splash window's picture ----

HFONT MakeFont(int pixelHeight, int weight) {
    return CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "Tahoma");
}

void DrawCentredText(HDC dc, const std::string& text, RECT rect, int pixelHeight, int weight,
                     COLORREF colour) {
    if (text.empty()) return;
    HFONT font = MakeFont(pixelHeight, weight);
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, colour);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, previous);
    DeleteObject(font);
}

// The emblem: a small pop-up window with a "no entry" sign over its corner.
void DrawEmblem(HDC dc, int centreX, int top, const SplashFile& splash) {
    const COLORREF accent = ToColorRef(splash.accent);
    const RECT frame = {centreX - 54, top, centreX + 32, top + 62};
    FillWithColour(dc, frame, accent);
    const RECT body = {frame.left + 3, frame.top + 14, frame.right - 3, frame.bottom - 3};
    FillWithColour(dc, body, RGB(248, 251, 249));
    for (int line = 0; line < 3; ++line) {
        const RECT text = {body.left + 8, body.top + 9 + line * 10, body.right - 24 - line * 10,
                           body.top + 13 + line * 10};
        FillWithColour(dc, text, RGB(196, 214, 205));
    }
    const RECT dot = {frame.right - 12, frame.top + 4, frame.right - 6, frame.top + 10};
    FillWithColour(dc, dot, RGB(248, 251, 249));

    const int signX = frame.right - 2, signY = frame.bottom - 4, radius = 24;
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
    HBRUSH fill = CreateSolidBrush(ToColorRef(splash.mark));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    Ellipse(dc, signX - radius, signY - radius, signX + radius, signY + radius);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);
    const RECT bar = {signX - 14, signY - 4, signX + 14, signY + 4};
    FillWithColour(dc, bar, RGB(255, 255, 255));
}

void PaintSplash(HDC dc, const RECT& client, const SplashFile& splash) {
    const int width = client.right, height = client.bottom;
    for (int y = 0; y < height; ++y) {
        auto mix = [&](int from, int to) {
            return from + (to - from) * y / std::max(1, height - 1);
        };
        const RECT row = {0, y, width, y + 1};
        FillWithColour(
            dc, row,
            RGB(mix(splash.top.red, splash.bottom.red), mix(splash.top.green, splash.bottom.green),
                mix(splash.top.blue, splash.bottom.blue)));
    }
    const RECT band = {0, 0, width, 6};
    FillWithColour(dc, band, ToColorRef(splash.accent));

    SetBkMode(dc, TRANSPARENT);
    DrawEmblem(dc, width / 2, 58, splash);
    DrawCentredText(dc, splash.title, RECT{10, 160, width - 10, 200}, 30, FW_BOLD,
                    ToColorRef(splash.titleColour));
    DrawCentredText(dc, splash.subtitle, RECT{10, 202, width - 10, 226}, 16, FW_NORMAL,
                    ToColorRef(splash.textColour));
    if (!splash.version.empty()) {
        const RECT rule = {width / 2 - 90, 262, width / 2 + 90, 263};
        FillWithColour(dc, rule, ToColorRef(splash.accent));
        DrawCentredText(dc, "Version " + splash.version, RECT{10, 270, width - 10, 292}, 14,
                        FW_NORMAL, ToColorRef(splash.textColour));
    }
}

// Paints into a bitmap first, so the gradient does not flicker in.
void PaintSplashBuffered(HWND hwnd, HDC target, const SplashFile& splash) {
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    if (memory == nullptr || bitmap == nullptr) {
        PaintSplash(target, client, splash);
    } else {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        PaintSplash(memory, client, splash);
        BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
}

}  // namespace

std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

// ---- SkinControl ----

void SkinControl::RegisterClasses() {
    if (skinClassAtom != 0) return;
    WNDCLASSA control = {};
    // A global class, so dialogs of any module in the process can host the controls.
    control.style = CS_GLOBALCLASS;
    control.lpfnWndProc = ControlProc<SkinControl>;
    control.hInstance = GetModuleHandleA(nullptr);
    control.lpszClassName = SKIN_CONTROL_CLASS;
    skinClassAtom = RegisterClassA(&control);
    control.lpfnWndProc = ControlProc<SplashControl>;
    control.lpszClassName = SPLASH_CONTROL_CLASS;
    splashClassAtom = RegisterClassA(&control);
}

std::shared_ptr<SkinControl> SkinControl::FromDialogItem(HWND dialog, int controlId) {
    return ObjectOf<SkinControl>(dialog, controlId, skinClassAtom);
}

bool SkinControl::LoadSkin(const std::wstring& path) {
    skin_ = LoadControlFile<SkinFile>(path, ParseSkinFile);
    return skin_ != nullptr;
}

void SkinControl::ApplySkin(HWND window) {
    if (skin_ == nullptr || window == nullptr || !IsWindow(window)) return;
    try {
        auto state = std::make_unique<SkinnedWindow>();
        state->skin = *skin_;
        state->background = CreateSolidBrush(ToColorRef(state->skin.background));
        if (state->background == nullptr) return;
        // A window skinned before takes the new skin in place of the old: one subclass only.
        DWORD_PTR previous = 0;
        const bool skinned =
            GetWindowSubclass(window, SkinSubclassProc, kSkinSubclassId, &previous) != FALSE;
        if (!SetWindowSubclass(window, SkinSubclassProc, kSkinSubclassId,
                               reinterpret_cast<DWORD_PTR>(state.get()))) {
            return;
        }
        state.release();
        if (skinned) delete reinterpret_cast<SkinnedWindow*>(previous);
        RefreshSkin(window);
    } catch (...) {
        // The window stays as it was.
    }
}

void SkinControl::RefreshSkin(HWND window) {
    if (window == nullptr) return;
    RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

// ---- SplashControl ----

std::shared_ptr<SplashControl> SplashControl::FromDialogItem(HWND dialog, int controlId) {
    return ObjectOf<SplashControl>(dialog, controlId, splashClassAtom);
}

SplashControl::~SplashControl() { CloseSplash(0); }

bool SplashControl::LoadSplash(const std::wstring& path) {
    splash_ = LoadControlFile<SplashFile>(path, ParseSplashFile);
    return splash_ != nullptr;
}

bool SplashControl::CreateSplashWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSA splash = {};
        splash.lpfnWndProc = WindowProc;
        splash.hInstance = GetModuleHandleA(nullptr);
        splash.hCursor = LoadCursor(nullptr, IDC_ARROW);
        splash.lpszClassName = kSplashWindowClass;
        return RegisterClassA(&splash);
    }();
    if (windowClass == 0) return false;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - kSplashWidth) / 2;
    const int y = area.top + (area.bottom - area.top - kSplashHeight) / 2;
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSplashWindowClass,
                              splash_->title.c_str(), WS_POPUP | WS_BORDER, x, y, kSplashWidth,
                              kSplashHeight, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

void SplashControl::ShowSplash(int milliseconds) {
    try {
        if (splash_ == nullptr) return;
        if (window_ == nullptr && !CreateSplashWindow()) return;
        const DWORD duration =
            static_cast<DWORD>(milliseconds > 0 ? milliseconds : splash_->durationMs);
        dismissed_ = false;
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
        const DWORD start = GetTickCount();
        for (;;) {
            const DWORD elapsed = GetTickCount() - start;
            if (dismissed_ || elapsed >= duration) return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, duration - elapsed, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    // The program is ending: leave the quit for the loop that owns it.
                    PostQuitMessage(static_cast<int>(message.wParam));
                    return;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    } catch (...) {
        // The splash is only decoration: a fault ends it early.
    }
}

void SplashControl::CloseSplash(int) {
    if (window_ == nullptr) return;
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
}

LRESULT CALLBACK SplashControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto* control = reinterpret_cast<SplashControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        switch (message) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(hwnd, &paint);
                if (control != nullptr && control->splash_ != nullptr) {
                    PaintSplashBuffered(hwnd, dc, *control->splash_);
                }
                EndPaint(hwnd, &paint);
                return 0;
            }
            case WM_LBUTTONDOWN:
            case WM_KEYDOWN:
            case WM_CLOSE:
                // The window is the control's to destroy; the user only cuts the time short.
                if (control != nullptr) control->dismissed_ = true;
                return 0;
            case WM_NCDESTROY:
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                break;
        }
    } catch (...) {
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace shell
