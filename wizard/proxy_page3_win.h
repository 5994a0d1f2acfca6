// CMyPropertyPage3: the wizard's third page (dialog 115), where the user ticks the Netscape and
// Mozilla profiles to set or reset.
#pragma once

#include "wizard/proxy_setting_sheet_page_win.h"

namespace browsers {

class CMyPropertyPage3 : public CWizardPage {
  public:
    using CWizardPage::CWizardPage;

  protected:
    // Loads the profiles once and fills the list with them. Without a profile that can be
    // ticked the page offers Finish alone.
    bool OnInit() override;
    // Shows its title (naming Firefox when it is installed) and the grey-item note when some
    // profile is grey; Next once a profile is ticked.
    LRESULT OnSetActive() override;
    // Check All and Uncheck All.
    bool OnCommand(int code, int id) override;
    // The list's drawing and ticks.
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    // Stores the ticks in the profiles; returns the finish page (116).
    LRESULT OnWizardNext() override;
    // Returns the connections page (114) when Internet Explorer or Opera is chosen, otherwise
    // the browsers page (113).
    LRESULT OnWizardBack() override;
    // Finish offered here when no profile can be ticked: the finish page's steps run, so the
    // browsers chosen on the earlier pages are still configured. Returns true.
    bool OnWizardFinish() override;

  private:
    void UpdateButtons() const;

    ProxyCheckListCtrl list_;
    bool finishOnly_ = false;
};

}  // namespace browsers
