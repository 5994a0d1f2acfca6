// Runs the real main window modally, as the program does, and drives it from a thread timer
// inside its own message loop: one step per tick, then a quiet end. Steps get the sheet's window.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "shell/app_context_win.h"
#include "shell/main_page_win.h"

namespace main_window_steps {

using Step = std::function<void(HWND sheet)>;

namespace detail {

inline std::vector<Step>& Steps() {
    static std::vector<Step> steps;
    return steps;
}
inline size_t& NextStep() {
    static size_t next = 0;
    return next;
}
inline bool& TimedOut() {
    static bool timedOut = false;
    return timedOut;
}

inline void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    shell::CMainPage* page = shell::RunningMainPage();
    if (page == nullptr) return;
    size_t& next = NextStep();
    if (next < Steps().size()) {
        Steps()[next++](page->Handle());
    } else if (next == Steps().size()) {
        ++next;
        page->QuitQuietly();
    }
}

// The time limit: the program ends at the next tick, whatever steps are left.
inline void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    TimedOut() = true;
    NextStep() = Steps().size();
}

}  // namespace detail

// Runs the main window on app through steps, one per 50 ms tick (10 s at most), then stops its
// proxy. Returns false when the time limit ended it before every step ran.
inline bool Run(shell::AppContext& app, std::vector<Step> steps) {
    detail::Steps() = std::move(steps);
    detail::NextStep() = 0;
    detail::TimedOut() = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, detail::RunNextStep);
    const UINT_PTR limit = SetTimer(nullptr, 0, 10000, detail::GiveUp);
    {
        shell::CMainPage page(app);
        page.Run();
    }
    KillTimer(nullptr, timer);
    KillTimer(nullptr, limit);
    app.listener.StopListener();
    detail::Steps().clear();
    return !detail::TimedOut();
}

}  // namespace main_window_steps
