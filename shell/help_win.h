// The compiled help file "Help\KorvoHlp.chm" of the installation, opened at its table of
// contents through the HTML Help control library.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

// Opens the help file of the installation folder installPath at its table of contents, owned by
// owner. When the file, or the library, is missing, shows "Cannot locate HTML Help file
// KorvoHlp.chm" in a message box owned by owner. The library is loaded at the first call that finds
// it and kept for the rest of the run.
void OpenHelp(HWND owner, const std::string& installPath);

}  // namespace shell
