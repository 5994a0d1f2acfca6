#include <windows.h>
// The headers below need windows.h first.

#include <mmsystem.h>

#include <cstring>

#include "core/app_state.h"
#include "core/blocked_count.h"
#include "proxy/settings.h"
#include "shell/app_context_win.h"
#include "shell/popup_catcher_win.h"

namespace shell {
namespace {

constexpr int kTitleBuffer = 260;

// What a pass carries through EnumWindows.
struct Scan {
    AppContext& app;
    bool caught;
};

void AnnounceCatch(AppContext& app) {
    app.state.blockedPopups = core::NextBlockedCount(app.state.blockedPopups);
    if (app.settings.PlayWave.load(std::memory_order_relaxed) != 0) {
        PlaySoundA(app.state.userWavPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
    }
    if (app.counterDialog) app.counterDialog->ShowCounter();
}

// Called for each top-level window; returns FALSE to stop at the first catch. The title lives in
// a stack buffer: the scan runs many times a second and keeps nothing.
BOOL CALLBACK CatchInWindow(HWND window, LPARAM scanPointer) {
    char title[kTitleBuffer];
    if (GetWindowTextA(window, title, kTitleBuffer) <= 0) return TRUE;
    char* marker = std::strstr(title, kCatchMarker);
    if (marker == nullptr) return TRUE;
    Scan& scan = *reinterpret_cast<Scan*>(scanPointer);
    scan.caught = true;
    try {
        AnnounceCatch(scan.app);
    } catch (...) {
        OutputDebugStringA("KorvoPop: announcing a caught pop-up failed\n");
    }
    // The script puts the marker at the start, but a page script may have put text in front of
    // it: only the marker goes, whatever surrounds it stays.
    std::memmove(marker, marker + kCatchMarkerLength, std::strlen(marker + kCatchMarkerLength) + 1);
    SetWindowTextA(window, title);
    return FALSE;
}

}  // namespace

bool ScanForCaughtPopup(AppContext& app) {
    Scan scan{app, false};
    EnumWindows(CatchInWindow, reinterpret_cast<LPARAM>(&scan));
    return scan.caught;
}

bool CatchInTitleOf(AppContext& app, HWND window) {
    if (GetAncestor(window, GA_ROOT) != window) return false;
    Scan scan{app, false};
    CatchInWindow(window, reinterpret_cast<LPARAM>(&scan));
    return scan.caught;
}

}  // namespace shell
