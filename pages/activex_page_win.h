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

#include "core/language_dialog_win.h"
#include "platform/win/property_sheet.h"
#include "res/resource.h"

namespace pages {

class CActiveXPage : public platform::PropertyPage {
  public:
    // look: the program's look (may be null); state: whose language the page speaks.
    CActiveXPage(platform::Look* look, const core::AppState& state) : state_(state) {
        SetLook(look);
    }

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

    // In key order.
    core::ControlTexts texts_{
        core::texts::kActiveXPageTexts,
        {IDC_ZONE_LABEL,      IDC_SIGNED_GROUP,       IDC_SIGNED_ENABLE,   IDC_SIGNED_DISABLE,
         IDC_SIGNED_PROMPT,   IDC_UNSIGNED_GROUP,     IDC_UNSIGNED_ENABLE, IDC_UNSIGNED_DISABLE,
         IDC_UNSIGNED_PROMPT, IDC_UNSAFE_GROUP,       IDC_UNSAFE_ENABLE,   IDC_UNSAFE_DISABLE,
         IDC_UNSAFE_PROMPT,   IDC_SAFE_GROUP,         IDC_SAFE_ENABLE,     IDC_SAFE_DISABLE,
         IDC_SAFE_PROMPT,     IDC_RUN_GROUP,          IDC_RUN_ENABLE,      IDC_RUN_DISABLE,
         IDC_RUN_PROMPT,      IDC_RUN_ADMIN_APPROVED, IDC_ZONE_NOTE}};
    const core::AppState& state_;
    HIMAGELIST zoneImages_ = nullptr;
    // 1: the next timer tick shows the note, 0: it hides it.
    int noteBlinkPhase_ = 1;
};

}  // namespace pages
