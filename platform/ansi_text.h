// Text the programs read in the ANSI code page (the language files), for pages that declare
// UTF-8.
#pragma once

#include <string>

namespace platform {

// text as UTF-8. Windows: read in the system's ANSI code page. Elsewhere: read in Windows-1252,
// the code page the shipped language files are written in; its five unassigned bytes stand for
// the control characters of the same number, as on Windows.
std::string AnsiToUtf8(const std::string& text);

}  // namespace platform
