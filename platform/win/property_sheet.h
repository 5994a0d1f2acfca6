// PropertySheet and PropertyPage: the comctl32 property sheet, in normal or wizard style, with
// pages that are Dialogs. A page answers the sheet's PSN_* notifications through the virtuals
// below; the sheet's own window is subclassed, so messages sent or posted to it (the program's
// private messages among them) reach OnMessage even while PropertySheet runs its own loop.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>
#include <prsht.h>

#include <vector>

// prsht.h maps PropertySheet to PropertySheetA or W; the class below takes the name, and the
// code calls PropertySheetA by its own name.
#undef PropertySheet

#include "platform/win/dialog.h"

namespace platform {

class PropertyPage : public Dialog {
  public:
    // The sheet this page belongs to (its parent window), or null before it is created.
    HWND Sheet() const { return hwnd_ != nullptr ? GetParent(hwnd_) : nullptr; }
    // Marks the page changed (the sheet enables Apply) or unchanged.
    void SetModified(bool modified) const;
    // The description comctl32 creates the page from; flags are extra PSP_* flags.
    PROPSHEETPAGEA Describe(int resourceId, DWORD flags);

  protected:
    // PSN_SETACTIVE, each time the page is shown. Returns 0 to show it, -1 to refuse it, or a
    // dialog resource id to show that page instead (wizards).
    virtual LRESULT OnSetActive() { return 0; }
    // PSN_KILLACTIVE. Returns true when the page may be left.
    virtual bool OnKillActive() { return true; }
    // PSN_APPLY. Returns true when the changes were accepted.
    virtual bool OnApply() { return true; }
    // PSN_RESET: the sheet is cancelled.
    virtual void OnReset() {}
    // PSN_WIZNEXT and PSN_WIZBACK. Return 0 to go to the next (previous) page, -1 to stay, or
    // a dialog resource id to jump to that page.
    virtual LRESULT OnWizardNext() { return 0; }
    virtual LRESULT OnWizardBack() { return 0; }
    // PSN_WIZFINISH. Returns true to let the wizard close.
    virtual bool OnWizardFinish() { return true; }

    // Routes the PSN_* notifications that come from this page's sheet; others go to OnNotify.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class PropertySheet : public Window {
  public:
    PropertySheet() = default;
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;
    virtual ~PropertySheet() = default;

    // Pages are shown in the order they are added; the sheet does not own them. flags are
    // extra PSP_* flags (PSP_HASHELP, wizard header flags).
    void AddPage(PropertyPage& page, int resourceId, DWORD flags = 0);
    // Runs the sheet modally (PropertySheetA) with the given caption; wizard adds PSH_WIZARD.
    // Returns PropertySheetA's result. The window handle is cleared when the sheet ends.
    INT_PTR RunModal(HWND parent, const char* caption, bool wizard, DWORD extraFlags = 0);

    HWND TabControl() const { return PropSheet_GetTabControl(hwnd_); }
    void SetWizardButtons(DWORD buttons) const { PropSheet_SetWizButtons(hwnd_, buttons); }
    void PressButton(int button) const { PropSheet_PressButton(hwnd_, button); }
    // The look applied to the sheet's window before OnInitialized; null leaves it plain.
    void SetLook(Look* look) { look_ = look; }

  protected:
    // Set before RunModal to create the sheet's window hidden: the dialog manager would show a
    // window whose template is visible even when its initialisation hid it.
    bool createHidden_ = false;

    // The sheet's window and its first page exist (PSCB_INITIALIZED); the window is already
    // subclassed.
    virtual void OnInitialized() {}
    // Every message of the sheet's window, before comctl32's own procedure. Returns true when
    // handled; *result is then the answer and comctl32 does not see the message.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        (void)message;
        (void)wParam;
        (void)lParam;
        (void)result;
        return false;
    }

  private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SheetSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR object);

    std::vector<PROPSHEETPAGEA> pages_;
    Look* look_ = nullptr;
};

}  // namespace platform
