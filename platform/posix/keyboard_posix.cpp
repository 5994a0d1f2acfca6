#include "platform/keyboard.h"

namespace platform {

bool IsControlKeyDown() { return false; }

}  // namespace platform
