// CPopupDlg: the Popups page (dialog 106): pop-up catching, the sound alert and banner blocking,
// and the proxy wizard. The main window reaches its controls only through these operations.
#pragma once

#include <windows.h>

#include "platform/win/property_sheet.h"

namespace pages {

class CPopupDlg : public platform::PropertyPage {
  public:
    // Set by the main window when its own window exists; the page posts its messages there.
    HWND mainWindow = nullptr;
    bool isInitialised = false;

    // Texts of the controls from the language file (keys 1001 to 1009).
    void ApplyPageTexts();
    // Check boxes and their enabled states from the settings.
    void RefreshPageControls();
    // What the page does each time it is shown (also when the main window is shown).
    void Activate();
    // The catching check box 1000 and the sound alert 1001 follow catching being on or off.
    void ShowCatching(bool catching);
    // The banner blocking check box 1030.
    void ShowBannerBlock(bool blocking);
    // Starts a cache cleaning run of the configured browsers' cached pages.
    void StartCacheCleaning();

  protected:
    bool OnInit() override;
    LRESULT OnSetActive() override;
};

}  // namespace pages
