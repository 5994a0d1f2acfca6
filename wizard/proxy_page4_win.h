// CMyPropertyPage4: the wizard's last page (dialog 116). Its Finish does the real work: the
// chosen browsers are set or reset through their own operations.
#pragma once

#include "wizard/proxy_setting_sheet_page_win.h"

namespace browsers {

// The Finish steps, in order: Internet Explorer, Netscape (with its result message over owner
// when some profile was written), Opera. Each operation reports its own failures, and the
// steps go on with the next browser; config and the registry flags follow each success.
void RunWizardFinish(WizardContext& context, HWND owner);

class CMyPropertyPage4 : public CWizardPage {
  public:
    using CWizardPage::CWizardPage;

  protected:
    bool OnInit() override;
    // Back and Finish.
    LRESULT OnSetActive() override;
    // Leaves Back and Next for the page shown next.
    bool OnKillActive() override;
    // Returns the profiles page (115) when Netscape is chosen, otherwise the connections page
    // (114).
    LRESULT OnWizardBack() override;
    // Runs the Finish steps; returns true, so the wizard closes.
    bool OnWizardFinish() override;
};

}  // namespace browsers
