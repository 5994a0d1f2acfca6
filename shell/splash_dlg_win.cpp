#include "shell/splash_dlg_win.h"

#include "core/app_state.h"
#include "res/resource.h"
#include "shell/skin_control_win.h"

namespace shell {

bool CSplashDlg::OnInit() {
    std::shared_ptr<SplashControl> splash = SplashControl::FromDialogItem(Handle(), IDC_SPLASH);
    if (splash != nullptr) {
        // A missing or damaged file leaves the splash unloaded: showing it then does nothing.
        splash->LoadSplash(WidePath(core::appState.installPath + "\\splash.spl"));
        splash->ShowSplash(0);
        splash->CloseSplash(0);
    }
    End(0);
    return true;
}

}  // namespace shell
