#include "pages/wav_file_dialog_win.h"
// commdlg.h needs windows.h, which the header brings.

#include <commdlg.h>

namespace pages {
namespace {

std::string OpenDialog(HWND owner) {
    char path[MAX_PATH] = "";
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = "Wav Files (*.wav)\0*.wav\0";
    request.lpstrFile = path;
    request.nMaxFile = sizeof path;
    request.lpstrDefExt = "wav";
    request.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameA(&request) ? std::string(path) : std::string();
}

WavFileChooser chooser = nullptr;

}  // namespace

std::string ChooseWavFile(HWND owner) {
    return chooser != nullptr ? chooser(owner) : OpenDialog(owner);
}

void SetWavFileChooser(WavFileChooser replacement) { chooser = replacement; }

}  // namespace pages
