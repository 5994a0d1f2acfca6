// The pop-up catcher. The blocker script reports each pop-up it suppresses by writing the catch
// marker into the browser window's title; the main window hears of every title change and calls
// CatchInTitleOf for that window, and a slow timer calls ScanForCaughtPopup for the changes it
// did not hear of. Either counts the report, plays the alert sound, shows the counter window and
// takes the marker out of the title again.
#pragma once

#include <windows.h>

#include "core/instance_window.h"

namespace shell {

struct AppContext;

using core::kCatchMarker;
using core::kCatchMarkerLength;

// One pass over the top-level windows. The first window whose title (its first 259 characters)
// contains the marker is counted in app.state.blockedPopups; the alert sound
// (app.state.userWavPath) plays when app.settings.PlayWave is on; app's counter window is shown
// when it exists; the marker is removed from the title, the text around it kept. Returns
// true when a window was caught; a pass catches at most one, so several marked windows take as
// many passes. Runs on the user-interface thread.
bool ScanForCaughtPopup(AppContext& app);

// The same for one window, whose title just changed: false for a window that is not top-level
// or whose title holds no marker.
bool CatchInTitleOf(AppContext& app, HWND window);

}  // namespace shell
