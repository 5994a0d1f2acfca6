#include "platform/win/elevation.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

namespace platform {

int RunElevatedAndWait(const std::string& program, const std::string& arguments,
                       unsigned timeoutMs) {
    SHELLEXECUTEINFOA run = {};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = "runas";
    run.lpFile = program.c_str();
    run.lpParameters = arguments.c_str();
    run.nShow = SW_HIDE;
    if (!ShellExecuteExA(&run) || run.hProcess == nullptr) return -1;
    DWORD code = 0;
    const bool ended = WaitForSingleObject(run.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(run.hProcess, &code);
    CloseHandle(run.hProcess);
    return ended ? static_cast<int>(code) : -1;
}

}  // namespace platform
