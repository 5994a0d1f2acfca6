// CActiveXPage: the ActiveX zones page (dialog 108): the five ActiveX URL policies of each
// Internet Explorer security zone, read from and written to the user's zone keys. One zone is
// shown at a time; only the zone selected at the main window's Apply is written. The main
// window reaches the page only through the public operations.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win/property_sheet.h"

namespace pages {

class CActiveXPage : public platform::PropertyPage {
  public:
    bool isInitialised = false;

    // Writes the policies of the zone selected at this moment (from the main window's Apply).
    // A group without a checked button is not written. Nothing is written when the zone's key
    // does not exist.
    void ApplyZoneSettings();
    // Back to "Local intranet" with its stored policies (after the main window's Cancel).
    void RefreshPageControls();
    // Texts of the controls from the language file (keys 8001 to 8023).
    void ApplyPageTexts();

  protected:
    bool OnInit() override;
    LRESULT OnSetActive() override;
    bool OnCommand(int code, int id) override;
    bool OnTimer(UINT_PTR timerId) override;
    void OnDestroy() override;

  private:
    void FillZoneList();
    // Checks the buttons the selected zone's stored policies stand for.
    void LoadZoneSettings();
    // The registry key path of the selected zone.
    std::string SelectedZoneKey() const;

    std::vector<std::string> resourceTexts_;
    HIMAGELIST zoneImages_ = nullptr;
    // 1: the next timer tick shows the note, 0: it hides it.
    int noteBlinkPhase_ = 1;
};

}  // namespace pages
