#include <windows.h>
// The headers below need windows.h first.

#include <mmsystem.h>

#include <cstring>

#include "app/popup_killer_app_win.h"
#include "core/app_state.h"
#include "core/blocked_count.h"
#include "proxy/settings.h"
#include "shell/popup_catcher.h"

namespace shell {
namespace {

constexpr int kTitleBuffer = 260;

void AnnounceCatch() {
    core::appState.blockedPopups = core::NextBlockedCount(core::appState.blockedPopups);
    if (proxy::appSettings.PlayWave.load(std::memory_order_relaxed) != 0) {
        PlaySoundA(core::appState.userWavPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
    }
    if (core::theApp.counterDialog) core::theApp.counterDialog->ShowCounter();
}

// Called for each top-level window; returns FALSE to stop at the first catch. The title lives in
// a stack buffer: the scan runs many times a second and keeps nothing.
BOOL CALLBACK CatchInWindow(HWND window, LPARAM caughtFlag) {
    char title[kTitleBuffer];
    if (GetWindowTextA(window, title, kTitleBuffer) <= 0) return TRUE;
    char* marker = std::strstr(title, kCatchMarker);
    if (marker == nullptr) return TRUE;
    *reinterpret_cast<bool*>(caughtFlag) = true;
    try {
        AnnounceCatch();
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

bool ScanForCaughtPopup() {
    bool caught = false;
    EnumWindows(CatchInWindow, reinterpret_cast<LPARAM>(&caught));
    return caught;
}

}  // namespace shell
