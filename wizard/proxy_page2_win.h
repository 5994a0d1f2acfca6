// CMyPropertyPage2: the wizard's second page (dialog 114): Internet Explorer's LAN and dial-up
// connections, and the Opera version. Only the groups of the chosen browsers are shown.
#pragma once

#include "wizard/proxy_setting_sheet_page_win.h"

namespace browsers {

class CMyPropertyPage2 : public CWizardPage {
  public:
    using CWizardPage::CWizardPage;

  protected:
    // Loads the dial-up connections once and fills the list with them.
    bool OnInit() override;
    // Shows the groups of the chosen browsers, enables what can be chosen, and Next by the
    // page's rule.
    LRESULT OnSetActive() override;
    // The check boxes store their state; Dial-up enables the list and its buttons with it.
    bool OnCommand(int code, int id) override;
    // The list's drawing and ticks.
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    // Stores the list's ticks in the connections; returns the profiles page (115) when
    // Netscape is chosen, otherwise the finish page (116).
    LRESULT OnWizardNext() override;

  private:
    void EnableList(bool enabled) const;
    void UpdateButtons() const;

    ProxyCheckListCtrl list_;
};

}  // namespace browsers
