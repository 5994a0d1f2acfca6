// CAboutDlg: the About dialog (dialog 100), created per request and run modally from the tray
// menu and the system menu. It shows the program's version texts from its own version resource
// and opens the maker's web site.
#pragma once

#include <windows.h>

#include <string>

#include "core/language.h"
#include "core/language_dialog_win.h"
#include "platform/win/dialog.h"
#include "res/resource.h"

namespace shell {

struct AppContext;

class CAboutDlg : public platform::Dialog {
  public:
    // Takes app's main look and follows its language changes.
    explicit CAboutDlg(AppContext& app) : app_(app) {}

    // Runs the dialog modally; returns its end result (IDOK, IDCANCEL) or -1 when it could not
    // be created.
    INT_PTR Run(HWND owner);

  protected:
    bool OnInit() override;
    void OnShow(bool shown) override;
    bool OnCommand(int code, int id) override;

  private:
    void ShowVersionTexts();

    AppContext& app_;
    // Keys 12000 to 12002: the title, the "Version:" label and OK.
    core::ControlTexts texts_{core::texts::kAboutTexts,
                              {core::kDialogTitleControlId, IDC_ABOUT_VERSION_LABEL, IDOK}};
};

// Opens the maker's web site in Internet Explorer, found through its App Paths entry; does
// nothing when the entry is missing.
void OpenWebSite(HWND owner);

}  // namespace shell
