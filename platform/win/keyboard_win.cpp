#include <windows.h>

#include "platform/keyboard.h"

namespace platform {

bool IsControlKeyDown() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace platform
