#include "shell/app_context_win.h"

namespace shell {

void AppContext::LoadSkins() {
    mainSkin = std::make_shared<SkinControl>();
    mainSkin->LoadSkin(WidePath(state.installPath + "\\KorvoSkn.skn"));
    counterSkin = std::make_shared<SkinControl>();
    counterSkin->LoadSkin(WidePath(state.installPath + "\\popup.skn"));
}

}  // namespace shell
