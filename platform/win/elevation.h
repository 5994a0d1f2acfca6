// Running one of the program's own commands with an administrator's rights.
#pragma once

#include <string>

namespace platform {

// Starts program with arguments through the system's consent prompt (ShellExecuteEx with the
// verb "runas"; on a system without one it simply runs) and waits at most timeoutMs for it to
// end. Returns its exit code; -1 when it could not be started (a missing program, the user
// declined the prompt) or did not end in time.
int RunElevatedAndWait(const std::string& program, const std::string& arguments,
                       unsigned timeoutMs);

}  // namespace platform
