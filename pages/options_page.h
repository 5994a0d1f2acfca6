// COptionsPage: the Options page (dialog 107): start mode, alert sound, language, always on top
// and close to tray. The main window reaches it only through these operations.
#pragma once

#include <windows.h>

#include "platform/win/property_sheet.h"

namespace pages {

class COptionsPage : public platform::PropertyPage {
  public:
    HWND mainWindow = nullptr;
    bool isInitialised = false;

    // Texts of the controls from the language file (keys 9001 to 9012).
    void ApplyPageTexts();
    // Controls from the settings.
    void RefreshPageControls();

  protected:
    bool OnInit() override;
};

}  // namespace pages
