// Tells this thread whenever a window of any process appears with a title or changes it, so a
// title can be looked at when it changes instead of every window being read again and again.
#pragma once

#include <windows.h>

#include <functional>

namespace platform {

class TitleChangeHook {
  public:
    // Called with the window that was created or shown, or whose own name changed.
    using Handler = std::function<void(HWND window)>;

    // Hooks EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW and EVENT_OBJECT_NAMECHANGE out of context:
    // the calls arrive through this thread's message loop, never inside another process; this
    // thread's own windows are skipped where the system honours that (Wine 8 does not). Wine 8
    // sends only the first of the three events, so there a title changed later is not heard of.
    // Active() is false when the system refused them all.
    explicit TitleChangeHook(Handler handler);
    ~TitleChangeHook();
    TitleChangeHook(const TitleChangeHook&) = delete;
    TitleChangeHook& operator=(const TitleChangeHook&) = delete;

    bool Active() const;

  private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId,
                                 LONG childId, DWORD thread, DWORD time);

    Handler handler_;
    HWINEVENTHOOK hooks_[3] = {};
};

}  // namespace platform
