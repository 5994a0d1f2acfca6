// CTrayHintDlg: the tray hint (dialog 156) shown once at start, which tells the user that the
// program lives in the tray. Its OK writes "ShowAtStart" from the "Don't show" check box.
#pragma once

#include "platform/win/dialog.h"

namespace shell {

class CTrayHintDlg : public platform::Dialog {
  protected:
    bool OnInit() override;
    bool OnCommand(int code, int id) override;
};

}  // namespace shell
