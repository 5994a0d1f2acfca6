// CMyPropertyPage1: the wizard's first page (dialog 113), where the user chooses the browsers
// to point at the proxy or back to a direct connection.
#pragma once

#include "wizard/proxy_setting_sheet_page_win.h"

namespace browsers {

class CMyPropertyPage1 : public CWizardPage {
  public:
    using CWizardPage::CWizardPage;

  protected:
    // Detects the installed browsers, sets the texts for the mode and enables the browsers that
    // can be chosen. The Mozilla choice names Firefox when it is installed; a note under the
    // choices tells that Chrome and Edge, when installed, follow the Internet Explorer choice.
    bool OnInit() override;
    // Back disabled; Next once a browser is chosen. In reset mode with nothing configured the
    // page offers Finish alone.
    LRESULT OnSetActive() override;
    // The three check boxes store their state in the wizard.
    bool OnCommand(int code, int id) override;
    // Returns the connections page (114) when Internet Explorer or Opera is chosen, otherwise
    // the profiles page (115).
    LRESULT OnWizardNext() override;

  private:
    void UpdateButtons() const;

    bool finishOnly_ = false;
};

}  // namespace browsers
