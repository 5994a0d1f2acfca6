#include "platform/memory.h"

namespace platform {

// The Windows heap already takes blocks over about 512 KiB straight from the system and gives
// them back when they are freed.
void ReturnLargeBlocksToSystem() {}

}  // namespace platform
