#include "core/popup_killer_app.h"

namespace core {

CPopupKillerApp theApp;

CPopupKillerApp::CPopupKillerApp() {}

CPopupKillerApp::~CPopupKillerApp() {}

int CPopupKillerApp::Run() { return 0; }

void CPopupKillerApp::ReloadSettings() {}

void CPopupKillerApp::ExitInstance() {
    mainSkin.reset();
    counterSkin.reset();
}

}  // namespace core
