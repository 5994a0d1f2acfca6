#include "shell/splash_dlg_win.h"

#include "res/resource.h"
#include "shell/app_context_win.h"
#include "shell/splash_control_win.h"

namespace shell {

bool CSplashDlg::OnInit() {
    std::shared_ptr<SplashControl> splash = SplashControl::FromDialogItem(Handle(), IDC_SPLASH);
    if (splash != nullptr) {
        // A missing or damaged file leaves the splash unloaded: showing it then does nothing.
        splash->LoadSplash(WidePath(app_.state.installPath + "\\splash.spl"));
        splash->ShowSplash(0);
        splash->CloseSplash(0);
    }
    End(0);
    return true;
}

}  // namespace shell
