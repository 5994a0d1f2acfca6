// Window messages between the tray program's own windows (the messages the other programs post to
// it are in core/instance_window.h). Each is posted with wParam and lParam 0.
#pragma once

namespace shell {

// Posted to the main window by the pages.
constexpr unsigned kMsgCatchingChanged = 8008;  // Popups page: catching may have changed
constexpr unsigned kMsgLanguageChanged = 8009;  // Options page: the language was switched
constexpr unsigned kMsgTopmostChanged = 8010;   // Options page: "Always On Top" was switched
constexpr unsigned kMsgBannerChanged = 8011;    // Popups page: banner blocking was switched
// Posted by the Popups page to itself: the wizard the start-up prompt asked for runs now.
constexpr unsigned kMsgRunStartupWizard = 8014;

// The main window's timer that looks for marked titles the title-change hook did not report,
// and its period; the fast period serves where the system refused the hook.
constexpr unsigned kCatcherTimer = 8013;
constexpr unsigned kCatcherPeriodMs = 1000;
constexpr unsigned kCatcherFastPeriodMs = 1;

}  // namespace shell
