#include "shell/splash_control_win.h"

#include <windows.h>

#include <algorithm>

#include "shell/hosted_control_win.h"

namespace shell {
namespace {

constexpr char kSplashWindowClass[] = "KorvoSplashWindow";
// The splash is laid out in pixels of a 96 DPI screen and scaled to the screen's DPI, as the
// dialogs are.
constexpr int kSplashWidth = 360;
constexpr int kSplashHeight = 330;
constexpr int kLayoutDpi = 96;

// Converts lengths of the 96 DPI layout to the screen's pixels.
struct SplashScale {
    int dpi = kLayoutDpi;
    int operator()(int length) const { return MulDiv(length, dpi, kLayoutDpi); }
};

SplashScale ScreenScale() {
    SplashScale scale;
    if (HDC screen = GetDC(nullptr)) {
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        if (dpi > 0) scale.dpi = dpi;
        ReleaseDC(nullptr, screen);
    }
    return scale;
}

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
void DrawEmblem(HDC dc, int centreX, int top, const SplashFile& splash, SplashScale px) {
    const COLORREF accent = ToColorRef(splash.accent);
    const RECT frame = {centreX - px(54), top, centreX + px(32), top + px(62)};
    FillWithColour(dc, frame, accent);
    const RECT body = {frame.left + px(3), frame.top + px(14), frame.right - px(3),
                       frame.bottom - px(3)};
    FillWithColour(dc, body, RGB(248, 251, 249));
    for (int line = 0; line < 3; ++line) {
        const RECT text = {body.left + px(8), body.top + px(9 + line * 10),
                           body.right - px(24 + line * 10), body.top + px(13 + line * 10)};
        FillWithColour(dc, text, RGB(196, 214, 205));
    }
    const RECT dot = {frame.right - px(12), frame.top + px(4), frame.right - px(6),
                      frame.top + px(10)};
    FillWithColour(dc, dot, RGB(248, 251, 249));

    const int signX = frame.right - px(2), signY = frame.bottom - px(4), radius = px(24);
    HPEN pen = CreatePen(PS_SOLID, px(3), RGB(255, 255, 255));
    HBRUSH fill = CreateSolidBrush(ToColorRef(splash.mark));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    Ellipse(dc, signX - radius, signY - radius, signX + radius, signY + radius);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);
    const RECT bar = {signX - px(14), signY - px(4), signX + px(14), signY + px(4)};
    FillWithColour(dc, bar, RGB(255, 255, 255));
}

void PaintSplash(HDC dc, const RECT& client, const SplashFile& splash, SplashScale px) {
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
    const RECT band = {0, 0, width, px(6)};
    FillWithColour(dc, band, ToColorRef(splash.accent));

    SetBkMode(dc, TRANSPARENT);
    DrawEmblem(dc, width / 2, px(58), splash, px);
    DrawCentredText(dc, splash.title, RECT{px(10), px(160), width - px(10), px(200)}, px(30),
                    FW_BOLD, ToColorRef(splash.titleColour));
    DrawCentredText(dc, splash.subtitle, RECT{px(10), px(202), width - px(10), px(226)}, px(16),
                    FW_NORMAL, ToColorRef(splash.textColour));
    if (!splash.version.empty()) {
        const RECT rule = {width / 2 - px(90), px(262), width / 2 + px(90), px(262) + px(1)};
        FillWithColour(dc, rule, ToColorRef(splash.accent));
        DrawCentredText(dc, "Version " + splash.version,
                        RECT{px(10), px(270), width - px(10), px(292)}, px(14), FW_NORMAL,
                        ToColorRef(splash.textColour));
    }
}

// Paints into a bitmap first, so the gradient does not flicker in.
void PaintSplashBuffered(HWND hwnd, HDC target, const SplashFile& splash, SplashScale px) {
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    if (memory == nullptr || bitmap == nullptr) {
        PaintSplash(target, client, splash, px);
    } else {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        PaintSplash(memory, client, splash, px);
        BitBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
}

}  // namespace

std::shared_ptr<SplashControl> SplashControl::FromDialogItem(HWND dialog, int controlId) {
    return HostedControlObject<SplashControl>(dialog, controlId, SplashClassAtom());
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
    const SplashScale px = ScreenScale();
    dpi_ = px.dpi;
    const int width = px(kSplashWidth), height = px(kSplashHeight);
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSplashWindowClass,
                              splash_->title.c_str(), WS_POPUP | WS_BORDER, x, y, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), this);
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
                    PaintSplashBuffered(hwnd, dc, *control->splash_, SplashScale{control->dpi_});
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
