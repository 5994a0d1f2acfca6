// CPopupCountDlg: the counter window (dialog 101), a small modeless window without caption that
// shows the number of caught pop-ups at the bottom-right corner of the screen for five seconds,
// then slides out to the right on a worker thread and hides.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/win/dialog.h"

namespace shell {

class CPopupCountDlg : public platform::Dialog {
  public:
    // Creates the window hidden (modeless, no owner). Returns false when it cannot be created.
    bool Create();
    // Shows the window at its corner with the current count; the hide timer starts again and
    // a slide that is running stops.
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

  private:
    static void SlideOutThread(void* dialog);
    void ApplyTexts();
    void MoveToCorner();

    int cornerX_ = 0;
    int cornerY_ = 0;
    // Raised to stop a running slide; the slide counts itself in and out of sliding_.
    std::atomic<int> slideGeneration_{0};
    std::atomic<int> sliding_{0};
};

}  // namespace shell
