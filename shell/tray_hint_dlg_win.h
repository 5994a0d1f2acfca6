// CTrayHintDlg: the tray hint (dialog 156) shown once at start, which tells the user that the
// program lives in the tray. Its OK writes "ShowAtStart" from the "Don't show" check box.
#pragma once

#include "platform/win/dialog.h"

namespace shell {

struct AppContext;

class CTrayHintDlg : public platform::Dialog {
  public:
    explicit CTrayHintDlg(AppContext& app) : app_(app) {}

    // Runs the hint modally with the main look; returns IDOK, IDCANCEL, or -1 when it could not
    // be created.
    INT_PTR Run();

  protected:
    bool OnInit() override;
    bool OnCommand(int code, int id) override;

  private:
    AppContext& app_;
};

}  // namespace shell
