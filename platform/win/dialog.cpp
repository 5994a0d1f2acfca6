#include "platform/win/dialog.h"

#include <cstdio>

namespace platform {
namespace {

HBRUSH dialogBrush = nullptr;
COLORREF dialogTextColour = 0;

// Messages whose answer is the procedure's return value instead of DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_INITDIALOG || message == WM_QUERYDRAGICON || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

}  // namespace

Dialog::~Dialog() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        HWND hwnd = hwnd_;
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}

INT_PTR Dialog::RunModal(int resourceId, HWND parent) {
    modal_ = true;
    return DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(resourceId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(int resourceId, HWND parent) {
    modal_ = false;
    return CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(resourceId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::End(INT_PTR result) {
    if (hwnd_ == nullptr) return;
    if (modal_) {
        EndDialog(hwnd_, result);
    } else {
        DestroyWindow(hwnd_);
    }
}

void Dialog::SetDialogColours(COLORREF background, COLORREF text) {
    if (dialogBrush != nullptr) DeleteObject(dialogBrush);
    dialogBrush = CreateSolidBrush(background);
    dialogTextColour = text;
}

HINSTANCE Dialog::ResourceModule() { return GetModuleHandleA(nullptr); }

bool Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (OnCommand(HIWORD(wParam), id)) return true;
            if (modal_ && (id == IDOK || id == IDCANCEL)) {
                End(id);
                return true;
            }
            return false;
        }
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_SHOWWINDOW:
            OnShow(wParam != 0);
            return false;
        case WM_DESTROY:
            OnDestroy();
            return false;
        case WM_ERASEBKGND: {
            // Property pages would otherwise keep the tab control's background.
            if (dialogBrush == nullptr) return false;
            RECT client;
            GetClientRect(hwnd_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, dialogBrush);
            *result = 1;
            return true;
        }
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (dialogBrush == nullptr) return false;
            SetTextColor(reinterpret_cast<HDC>(wParam), dialogTextColour);
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            *result = reinterpret_cast<LRESULT>(dialogBrush);
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(hwnd, message, wParam, lParam,
                 message == WM_INITDIALOG ? reinterpret_cast<Dialog*>(lParam) : nullptr);
}

INT_PTR Dialog::Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Dialog* created) {
    try {
        Dialog* dialog;
        if (message == WM_INITDIALOG) {
            dialog = created;
            SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
            dialog->hwnd_ = hwnd;
            dialog->ApplyLook();
            return dialog->OnInit() ? TRUE : FALSE;
        }
        dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        if (dialog == nullptr) return FALSE;  // before WM_INITDIALOG or after destruction
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            dialog->hwnd_ = nullptr;
            return FALSE;
        }
        LRESULT result = 0;
        if (!dialog->OnMessage(message, wParam, lParam, &result)) return FALSE;
        if (AnswersDirectly(message)) return static_cast<INT_PTR>(result);
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    } catch (...) {
        OutputDebugStringA("KorvoPop: a dialog handler failed\n");
        return FALSE;
    }
}

}  // namespace platform
