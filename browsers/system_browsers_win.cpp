#include <windows.h>

#include "browsers/browser_files.h"
#include "browsers/system_browsers.h"
#include "platform/win/reg_key.h"

namespace browsers {

namespace {

// The default value of a program's App Paths entry in each place an installer writes it, with
// environment variables expanded; places without one are left out.
std::vector<std::string> AppPathValues(const std::string& programName) {
    struct Place {
        HKEY root;
        REGSAM view;
    };
    // A 32-bit program reads the machine's 32-bit view unless it asks for the 64-bit one,
    // where a 64-bit browser's installer writes; 32-bit Windows ignores the request.
    const Place places[] = {
        {HKEY_CURRENT_USER, 0}, {HKEY_LOCAL_MACHINE, 0}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}};
    std::vector<std::string> values;
    for (const Place& place : places) {
        platform::RegKey key;
        if (key.Open(place.root, std::string(kAppPathsKey) + "\\" + programName,
                     KEY_QUERY_VALUE | place.view) != ERROR_SUCCESS) {
            continue;
        }
        std::string value;
        if (key.QueryString("", &value, MAX_PATH) != ERROR_SUCCESS) continue;
        char expanded[MAX_PATH] = {};
        const DWORD length = ExpandEnvironmentStringsA(value.c_str(), expanded, MAX_PATH);
        values.push_back(length > 0 && length <= MAX_PATH ? std::string(expanded) : value);
    }
    return values;
}

bool Registered(const char* programName) {
    return ProgramRegistered(AppPathValues(programName), programName, FileFound);
}

}  // namespace

void DetectSystemBrowsers(BrowserConfigState& state) {
    if (Registered(kChromeProgram)) state.chromeInstalled = 1;
    if (Registered(kEdgeProgram)) state.edgeInstalled = 1;
}

}  // namespace browsers
