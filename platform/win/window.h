// Window: a window handle and the one-line calls the product code makes on it and on its
// controls. It owns nothing: destroying the wrapper leaves the window alone.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class Window {
  public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }

    bool Show(int command) const { return ShowWindow(hwnd_, command) != 0; }
    bool IsShown() const { return IsWindowVisible(hwnd_) != 0; }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return PostMessageA(hwnd_, message, wParam, lParam) != 0;
    }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(hwnd_, message, wParam, lParam);
    }
    std::string Text() const;
    bool SetText(const std::string& text) const { return SetWindowTextA(hwnd_, text.c_str()) != 0; }
    // Topmost or not, without moving or resizing.
    bool SetTopmost(bool topmost) const {
        return SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                            SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != 0;
    }

    // Controls of a dialog, by id. Calls on an id the window does not have do nothing.
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const { return Window(Item(id)).Text(); }
    bool SetItemText(int id, const std::string& text) const {
        return SetDlgItemTextA(hwnd_, id, text.c_str()) != 0;
    }
    bool IsItemChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void CheckItem(int id, bool checked) const {
        CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled ? TRUE : FALSE); }
    bool IsItemEnabled(int id) const { return IsWindowEnabled(Item(id)) != 0; }
    void ShowItem(int id, bool shown) const { ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }
    bool IsItemShown(int id) const { return IsWindowVisible(Item(id)) != 0; }

  protected:
    HWND hwnd_ = nullptr;
};

}  // namespace platform
