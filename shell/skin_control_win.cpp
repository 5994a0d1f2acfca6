#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include <algorithm>

#include "shell/hosted_control_win.h"
#include "shell/skin_control_win.h"

namespace shell {
namespace {

constexpr UINT_PTR kSkinSubclassId = 0x4B534B4E;

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

}  // namespace

void SkinControl::RegisterClasses() { RegisterHostedControlClasses(); }

std::shared_ptr<SkinControl> SkinControl::FromDialogItem(HWND dialog, int controlId) {
    return HostedControlObject<SkinControl>(dialog, controlId, SkinClassAtom());
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

void SkinControl::Apply(HWND window) { ApplySkin(window); }

void SkinControl::Refresh(HWND window) { RefreshSkin(window); }

}  // namespace shell
