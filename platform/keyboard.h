// Keyboard state.
#pragma once

namespace platform {

// True while the Control key is held down (GetAsyncKeyState on Windows; never elsewhere).
bool IsControlKeyDown();

}  // namespace platform
