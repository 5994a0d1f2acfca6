// CPopupCountDlg: the counter window (dialog 101), a small modeless window without caption that
// shows the number of caught pop-ups at the bottom-right corner of the screen for five seconds,
// then slides out to the right on a worker thread and hides.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "core/language_dialog_win.h"
#include "platform/win/dialog.h"
#include "res/resource.h"

namespace shell {

struct AppContext;

class CPopupCountDlg : public platform::Dialog {
  public:
    // Shows app.state's count with app's counter look.
    explicit CPopupCountDlg(AppContext& app) : app_(app) {}
    // Destroys the window the same way as Destroy.
    ~CPopupCountDlg() override;

    // Creates the window hidden (modeless, no owner). Returns false when it cannot be created.
    bool Create();
    // Shows the window at its corner with the current count; the hide timer starts again and
    // a slide that is running stops. Does nothing before Create.
    void ShowCounter();
    // Sets the count control 1013.
    void SetCount(const std::string& count);
    // Destroys the window (ExitProgram); a running slide stops first.
    void Destroy();

  protected:
    bool OnInit() override;
    void OnShow(bool shown) override;
    bool OnTimer(UINT_PTR timerId) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    // Shared by the dialog and its slide threads, so a thread that outlives the dialog still
    // has it. A slide runs while its generation is the current one.
    struct SlideState {
        std::atomic<int> generation{0};
        std::atomic<int> running{0};
    };
    struct SlideStart {
        HWND window;
        int generation;
        std::shared_ptr<SlideState> state;
    };

    static void SlideOutThread(void* start);
    // One step of a slide, on the window's own thread: false when the slide is over.
    bool SlideStep(int generation);
    void StartSlide();
    void StopSlide();
    // The show handling: texts after a language change, corner, count, hide timer.
    void Refresh();
    void MoveToCorner();

    AppContext& app_;
    // Key 2001: the label.
    core::ControlTexts texts_{core::texts::kPopupCountTexts, {IDC_COUNT_LABEL}};
    int cornerX_ = 0;
    int cornerY_ = 0;
    std::shared_ptr<SlideState> slide_ = std::make_shared<SlideState>();
};

}  // namespace shell
