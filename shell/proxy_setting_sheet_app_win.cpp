// The wizard as the program opens it: on the application's browser state, with its skin. Kept
// beside the application's windows, which the browser library does not link.
#include "app/popup_killer_app_win.h"
#include "shell/skin_control_win.h"
#include "wizard/proxy_setting_sheet_win.h"

namespace browsers {

CProxySettingSheet::CProxySettingSheet(bool setMode)
    : CProxySettingSheet(setMode, core::theApp.browserConfig, [](HWND page) {
          if (core::theApp.mainSkin) core::theApp.mainSkin->ApplySkin(page);
      }) {
    shell::SkinControl::RegisterClasses();
}

}  // namespace browsers
