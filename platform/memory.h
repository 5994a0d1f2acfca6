// How the C library's heap hands memory back to the system.
#pragma once

namespace platform {

// Large blocks (a held page's buffers) go back to the system as soon as they are freed, instead
// of staying with the heap of the thread that freed them. Called once at start-up, before any
// thread starts.
void ReturnLargeBlocksToSystem();

}  // namespace platform
