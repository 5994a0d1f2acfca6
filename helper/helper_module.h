// What the helper's parts share about the loaded DLL: its handle and folder, and the tray
// program's instance window.
#pragma once

#include <windows.h>

#include <string>

#include "proxy/run_time_files.h"

namespace helper {

// The DLL's own module handle (kept at process attach).
HMODULE ModuleHandle();

// The DLL's file path.
std::string ModulePath();

// The DLL's path cut after its last backslash (kept), with name appended; without a backslash
// name is appended to the whole path.
std::string ModuleRelativePath(const std::string& name);

// Where the installation of the DLL's folder keeps its run-time files (KorvoINI.ini,
// Browser.ini) for the current user: core::RunTimeFilesFor.
proxy::RunTimeFiles ModuleRunTimeFiles();

// The tray program's hidden instance window: the top-level window titled
// core::InstalledInstanceWindowTitle(). Null when there is none.
HWND FindTrayWindow();

}  // namespace helper
