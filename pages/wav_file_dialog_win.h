// The file-open dialog the Options page asks for a custom sound with. Tests replace the chooser
// to answer without a window; the page calls only ChooseWavFile.
#pragma once

#include <windows.h>

#include <string>

namespace pages {

// Returns the full path of the chosen file, or the empty text when the user cancelled.
using WavFileChooser = std::string (*)(HWND owner);

// Asks for a ".wav" file with the open dialog (filter "Wav Files (*.wav)", no read-only box).
std::string ChooseWavFile(HWND owner);

// Routes every later ChooseWavFile to chooser; nullptr restores the real dialog.
void SetWavFileChooser(WavFileChooser chooser);

}  // namespace pages
