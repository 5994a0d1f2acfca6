// CProxySettingSheet: the proxy configuration wizard. Four pages choose the browsers, Internet
// Explorer's connections and the Opera version, and the Netscape profiles; Finish points the
// chosen browsers at the proxy (Set Proxy) or back to a direct connection (Reset Proxy).
// Nothing is written before Finish.
#pragma once

#include <windows.h>

#include "browsers/browser_state.h"
#include "core/app_state.h"
#include "platform/win/property_sheet.h"
#include "shell/app_context_win.h"
#include "wizard/proxy_page1_win.h"
#include "wizard/proxy_page2_win.h"
#include "wizard/proxy_page3_win.h"
#include "wizard/proxy_page4_win.h"
#include "wizard/proxy_setting_sheet_page_win.h"

namespace browsers {

class CProxySettingSheet : public platform::PropertySheet {
  public:
    // true: Set Proxy, false: Reset Proxy. Works on config and state and gives each page look
    // (may be null) when the page is initialised or shown. The skin control's window class
    // must be registered before Run.
    CProxySettingSheet(bool setMode, BrowserConfigState& config, core::AppState& state,
                       platform::Look* look);
    // The same on the application's browser state and state, with its main look; set mode
    // points https at the proxy too while the settings filter secure pages, and Internet
    // Explorer as the settings and the running system say.
    CProxySettingSheet(bool setMode, shell::AppContext& app);

    // Runs the wizard modally over owner. Finish sets or resets the chosen browsers and
    // updates the browser state; Cancel sets the state's wizardMessage to "A" and changes
    // nothing else. Returns PropertySheetA's result.
    INT_PTR Run(HWND owner);

    // The choices made so far.
    const WizardState& State() const { return context_.wizard; }

  protected:
    // The sheet's buttons take their language texts.
    void OnInitialized() override;

  private:
    WizardContext context_;
    CMyPropertyPage1 browsersPage_{context_};
    CMyPropertyPage2 connectionsPage_{context_};
    CMyPropertyPage3 profilesPage_{context_};
    CMyPropertyPage4 finishPage_{context_};
};

// The wizard running at this moment, or null.
CProxySettingSheet* RunningProxySettingSheet();

}  // namespace browsers
