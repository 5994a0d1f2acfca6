// The choices of the proxy configuration wizard, shared by its pages and read by the browsers'
// set and reset operations on Finish. The wizard owns the connection and profile lists.
#pragma once

#include "browsers/internet_explorer.h"
#include "browsers/netscape.h"

namespace browsers {

struct WizardState {
    int setMode = 0;  // 1 set, 0 reset; chosen by whoever opens the wizard
    // Set mode also points https at the proxy (the FilterSecurePages setting of whoever opens
    // the wizard). Reset takes the https settings back whatever this says.
    int filterSecurePages = 0;

    // Browsers chosen on the first page.
    int ieChosen = 0;
    int operaChosen = 0;
    int netscapeChosen = 0;

    // Connections and Opera versions chosen on the second page.
    int lanChosen = 0;
    int dialUpChosen = 0;
    int opera6Chosen = 0;
    int opera7Chosen = 0;

    // How Finish points Internet Explorer at the proxy; the sheet sets it from the settings and
    // the running system.
    IeProxyTarget ieTarget;

    // Loaded once, when their page is first shown; isChecked holds the ticks.
    InternetExplorerConnections ieConnections;
    NetscapeProfiles netscapeProfiles;
};

}  // namespace browsers
