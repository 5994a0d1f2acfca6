// CSplashDlg: the splash at start (dialog 109). The dialog itself never shows: its
// initialisation runs the splash control 1057, which shows the splash window for its time,
// and then ends the dialog.
#pragma once

#include "platform/win/dialog.h"

namespace shell {

struct AppContext;

class CSplashDlg : public platform::Dialog {
  public:
    // Reads its file from app's installation folder.
    explicit CSplashDlg(const AppContext& app) : app_(app) {}

  protected:
    // Loads "splash.spl" from the installation folder, shows it and takes it down again, then
    // ends the dialog with 0. Without the control the dialog ends at once.
    bool OnInit() override;

  private:
    const AppContext& app_;
};

}  // namespace shell
