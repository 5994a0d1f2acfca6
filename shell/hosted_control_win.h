// What the skin and splash controls share: hidden child windows of our own classes that a
// dialog resource hosts, each holding one object the dialog asks for, and the files they read.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/files.h"
#include "shell/skin_file.h"

namespace shell {

// A path for the controls: the ANSI text converted to a wide string in the ANSI code page.
std::wstring WidePath(const std::string& path);
// The way back: the controls take wide paths converted from the ANSI code page, so nothing is
// lost.
std::string AnsiPath(const std::wstring& path);

// Registers the window classes SKIN_CONTROL_CLASS and SPLASH_CONTROL_CLASS once; later calls do
// nothing. Their atoms, 0 before.
void RegisterHostedControlClasses();
ATOM SkinClassAtom();
ATOM SplashClassAtom();

inline COLORREF ToColorRef(const Rgb& colour) { return RGB(colour.red, colour.green, colour.blue); }

inline void FillWithColour(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
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
LRESULT CALLBACK HostedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

// The object behind the control controlId of dialog when that control is one of ours, of the
// class classAtom, in this process; otherwise null.
template <typename Control>
std::shared_ptr<Control> HostedControlObject(HWND dialog, int controlId, ATOM classAtom) {
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

}  // namespace shell
