#include "platform/win/title_change_hook.h"

#include <utility>
#include <vector>

namespace platform {
namespace {

// The event callback carries no pointer of ours: the live hooks of this thread, by handle. Hooks
// are made and ended on the user-interface thread only, which is also where the calls arrive.
std::vector<std::pair<HWINEVENTHOOK, TitleChangeHook::Handler*>>& LiveHooks() {
    static std::vector<std::pair<HWINEVENTHOOK, TitleChangeHook::Handler*>> hooks;
    return hooks;
}

}  // namespace

TitleChangeHook::TitleChangeHook(Handler handler) : handler_(std::move(handler)) {
    const DWORD events[] = {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE};
    for (size_t i = 0; i < 3; ++i) {
        hooks_[i] = SetWinEventHook(events[i], events[i], nullptr, OnEvent, 0, 0,
                                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
        if (hooks_[i] != nullptr) LiveHooks().emplace_back(hooks_[i], &handler_);
    }
}

TitleChangeHook::~TitleChangeHook() {
    auto& live = LiveHooks();
    for (HWINEVENTHOOK hook : hooks_) {
        if (hook == nullptr) continue;
        UnhookWinEvent(hook);
        for (auto it = live.begin(); it != live.end(); ++it) {
            if (it->first == hook) {
                live.erase(it);
                break;
            }
        }
    }
}

bool TitleChangeHook::Active() const {
    for (HWINEVENTHOOK hook : hooks_) {
        if (hook != nullptr) return true;
    }
    return false;
}

void CALLBACK TitleChangeHook::OnEvent(HWINEVENTHOOK hook, DWORD, HWND window, LONG objectId,
                                       LONG childId, DWORD, DWORD) {
    if (window == nullptr || objectId != OBJID_WINDOW || childId != CHILDID_SELF) return;
    try {
        for (const auto& [handle, handler] : LiveHooks()) {
            if (handle == hook) {
                (*handler)(window);
                return;
            }
        }
    } catch (...) {
        OutputDebugStringA("KorvoPop: a title change could not be handled\n");
    }
}

}  // namespace platform
