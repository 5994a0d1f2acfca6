#include "shell/popup_count_dlg_win.h"

#include "core/app_state.h"
#include "core/language_dialog_win.h"
#include "platform/threads.h"
#include "res/resource.h"
#include "shell/app_context_win.h"

namespace shell {
namespace {

constexpr UINT_PTR kHideTimer = 8005;
constexpr UINT kHideDelayMs = 5000;
constexpr unsigned kSlideStepMs = 10;
// How long Destroy waits for a slide to notice that it was stopped.
constexpr DWORD kSlideStopWaitMs = 2000;
// Sent by a slide thread for each step; wParam is the slide's generation, the answer 0 ends it.
constexpr UINT kSlideStepMessage = WM_APP + 1;

constexpr UINT kPlaceFlags = SWP_NOSIZE | SWP_NOACTIVATE;

}  // namespace

CPopupCountDlg::~CPopupCountDlg() { Destroy(); }

bool CPopupCountDlg::Create() {
    SetLook(app_.CounterLook());
    return CreateModeless(IDD_POPUP_COUNT, nullptr);
}

void CPopupCountDlg::ShowCounter() {
    if (hwnd_ == nullptr) return;
    // An already visible window gets no WM_SHOWWINDOW: it is refreshed here instead, so a
    // second catch updates the count and stops a slide that is under way.
    if (IsShown()) {
        Refresh();
    } else {
        Show(SW_SHOW);
    }
}

void CPopupCountDlg::SetCount(const std::string& count) { SetItemText(IDC_COUNT, count); }

void CPopupCountDlg::Destroy() {
    if (hwnd_ == nullptr) return;
    StopSlide();
    KillTimer(hwnd_, kHideTimer);
    // A slide thread may be waiting for its step message to be answered: answer sent messages
    // while waiting, so it can see that it was stopped and end before the window goes.
    const DWORD start = GetTickCount();
    while (slide_->running.load() > 0 && GetTickCount() - start < kSlideStopWaitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kSlideStepMs, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    End(0);
}

bool CPopupCountDlg::OnInit() {
    texts_.Capture(hwnd_);
    texts_.Apply(app_.state, hwnd_);
    MoveToCorner();
    SetCount(app_.state.blockedPopups);
    return true;
}

void CPopupCountDlg::OnShow(bool shown) {
    if (shown) Refresh();
}

bool CPopupCountDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != kHideTimer) return false;
    KillTimer(hwnd_, kHideTimer);
    StartSlide();
    return true;
}

void CPopupCountDlg::OnDestroy() { StopSlide(); }

bool CPopupCountDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == kSlideStepMessage) {
        *result = SlideStep(static_cast<int>(wParam)) ? 1 : 0;
        return true;
    }
    return Dialog::OnMessage(message, wParam, lParam, result);
}

// The thread only paces the slide; every move happens in SlideStep on the window's thread, where
// the generation check and ShowCounter cannot interleave.
void CPopupCountDlg::SlideOutThread(void* raw) {
    std::unique_ptr<SlideStart> start(static_cast<SlideStart*>(raw));
    try {
        while (start->state->generation.load() == start->generation) {
            platform::SleepMilliseconds(kSlideStepMs);
            if (SendMessageA(start->window, kSlideStepMessage,
                             static_cast<WPARAM>(start->generation), 0) == 0) {
                break;
            }
        }
    } catch (...) {
        OutputDebugStringA("KorvoPop: the counter window's slide failed\n");
    }
    start->state->running.fetch_sub(1);
}

bool CPopupCountDlg::SlideStep(int generation) {
    if (generation != slide_->generation.load()) return false;
    RECT rect;
    if (!GetWindowRect(hwnd_, &rect)) return false;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    if (rect.left < screenWidth) {
        ++rect.left;
        SetWindowPos(hwnd_, HWND_TOPMOST, rect.left, rect.top, 0, 0, kPlaceFlags);
        if (rect.left < screenWidth) return true;
    }
    Show(SW_HIDE);
    return false;
}

void CPopupCountDlg::StartSlide() {
    StopSlide();
    auto* start = new SlideStart{hwnd_, slide_->generation.load(), slide_};
    slide_->running.fetch_add(1);
    if (!platform::StartDetachedThread(SlideOutThread, start, false)) {
        slide_->running.fetch_sub(1);
        delete start;
    }
}

void CPopupCountDlg::StopSlide() { slide_->generation.fetch_add(1); }

void CPopupCountDlg::Refresh() {
    StopSlide();
    if (app_.state.languageChanged) {
        texts_.Apply(app_.state, hwnd_);
        RefreshLook();
    }
    SetWindowPos(hwnd_, HWND_TOPMOST, cornerX_, cornerY_, 0, 0, kPlaceFlags);
    SetCount(app_.state.blockedPopups);
    SetTimer(hwnd_, kHideTimer, kHideDelayMs, nullptr);
}

// Right and bottom edges on the screen's (over the taskbar); the window keeps its size.
void CPopupCountDlg::MoveToCorner() {
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    cornerX_ = GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left);
    cornerY_ = GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top);
    SetWindowPos(hwnd_, HWND_TOPMOST, cornerX_, cornerY_, 0, 0, kPlaceFlags);
}

}  // namespace shell
