// Dialog: a dialog box from a resource, modal or modeless. One static dialog procedure finds the
// object (stored at WM_INITDIALOG) and calls OnMessage, which routes to the virtual handlers
// below. Every handler returns true when it handled the message; the defaults handle nothing.
// No exception leaves the dialog procedure.
#pragma once

#include <windows.h>

#include "platform/win/window.h"

namespace platform {

// How the program's windows look (its skin). A dialog or sheet given one applies it to its
// window when the window is initialised, and refreshes it on request. The look outlives every
// window it is given to.
class Look {
  public:
    // Takes window and its controls over with the look, from now on.
    virtual void Apply(HWND window) = 0;
    // Redraws window and its children with the look (after their texts changed).
    virtual void Refresh(HWND window) = 0;

  protected:
    ~Look() = default;
};

class Dialog : public Window {
  public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    // A window still open is destroyed, after its back-pointer is cleared, so no message
    // reaches a half-destroyed object.
    virtual ~Dialog();

    // Runs the dialog modally (DialogBoxParam); returns the value given to End, or -1 when the
    // dialog could not be created.
    INT_PTR RunModal(int resourceId, HWND parent);
    // Creates the dialog modelessly (CreateDialogParam); true when the window exists.
    bool CreateModeless(int resourceId, HWND parent);
    // Ends a modal dialog with result; destroys a modeless one.
    void End(INT_PTR result);

    // Colours every dialog of the program paints its background and static texts with, unless
    // a skin paints them. Until this is called, dialogs keep the system colours.
    static void SetDialogColours(COLORREF background, COLORREF text);

    // The module the resources are loaded from (the program itself).
    static HINSTANCE ResourceModule();

    // The look applied at WM_INITDIALOG, before OnInit; null (the default) leaves the dialog
    // plain. Set before the window is created.
    void SetLook(Look* look) { look_ = look; }
    Look* GetLook() const { return look_; }

  protected:
    // The look again on this window (a page shown anew) / its redraw; nothing without a look.
    void ApplyLook() const {
        if (look_ != nullptr) look_->Apply(hwnd_);
    }
    void RefreshLook() const {
        if (look_ != nullptr) look_->Refresh(hwnd_);
    }

    // WM_INITDIALOG: the window and its controls exist. Returns true to give the focus to the
    // first control, false when the handler set the focus itself.
    virtual bool OnInit() { return true; }
    // WM_COMMAND from control id with notification code. Unhandled IDOK and IDCANCEL end a
    // modal dialog with that id.
    virtual bool OnCommand(int code, int id) {
        (void)code;
        (void)id;
        return false;
    }
    // WM_NOTIFY; *result is the answer when handled.
    virtual bool OnNotify(const NMHDR& header, LRESULT* result) {
        (void)header;
        (void)result;
        return false;
    }
    virtual bool OnTimer(UINT_PTR timerId) {
        (void)timerId;
        return false;
    }
    // WM_SHOWWINDOW, after the default handling.
    virtual void OnShow(bool shown) { (void)shown; }
    // WM_DESTROY: the window still exists.
    virtual void OnDestroy() {}
    // Every message after WM_INITDIALOG. Override to handle messages that have no handler of
    // their own, and call the base for the rest. *result is the answer when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The body of every dialog procedure. At WM_INITDIALOG, created is the object the window
    // belongs to; it is stored in the window and found there for every later message.
    static INT_PTR Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Dialog* created);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool modal_ = false;
    Look* look_ = nullptr;
};

}  // namespace platform
