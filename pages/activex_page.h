// CActiveXPage: the ActiveX zones page (dialog 108): the ActiveX policies of Internet Explorer's
// security zones. The main window reaches it only through these operations.
#pragma once

#include <windows.h>

#include "platform/win/property_sheet.h"

namespace pages {

class CActiveXPage : public platform::PropertyPage {
  public:
    bool isInitialised = false;

    // Writes the policies of the zone selected at this moment (from the main window's Apply).
    void ApplyZoneSettings();
    // Back to "Local intranet" with its stored policies (after the main window's Cancel).
    void RefreshPageControls();

  protected:
    bool OnInit() override;
};

}  // namespace pages
