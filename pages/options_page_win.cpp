#include <windows.h>
// The headers below need windows.h first.

#include <mmsystem.h>

#include "core/app_messages.h"
#include "core/app_state.h"
#include "core/language_dialog_win.h"
#include "core/secure_page_texts.h"
#include "pages/dropped_height_win.h"
#include "pages/option_lists.h"
#include "pages/options_page_win.h"
#include "pages/wav_file_dialog_win.h"
#include "proxy/settings.h"
#include "res/resource.h"

namespace pages {
namespace {

const int kSoundControls[] = {IDC_CURRENT_SOUND, IDC_CURRENT_SOUND_LABEL, IDC_TEST_SOUND,
                              IDC_CHANGE_SOUND_LABEL, IDC_SOUND_LIST};

// The titles (names without extension) of the files matching pattern, in the order the file
// system returns them.
std::vector<std::string> FileTitles(const std::string& pattern) {
    std::vector<std::string> titles;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return titles;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = found.cFileName;
        titles.push_back(name.substr(0, name.rfind('.')));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return titles;
}

// The text after a path's last backslash.
std::string FileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The flag stretched to the system's small icon size, which grows with the DPI.
HBITMAP LoadFlagFile(const std::string& path) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP,
                                           GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
}

std::string ComboText(HWND combo, int index) {
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length < 0) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

HWND COptionsPage::Languages() const { return Item(IDC_LANGUAGE_LIST); }
HWND COptionsPage::Sounds() const { return Item(IDC_SOUND_LIST); }

bool COptionsPage::OnInit() {
    texts_.Capture(hwnd_);
    isInitialised = true;
    FillLanguageList();
    RefreshPageControls();
    ApplyPageTexts();
    CheckItem(IDC_CLOSE_TO_TRAY, app_.state.closeToTray == 1);
    return true;
}

void COptionsPage::OnDestroy() {
    if (languageImages_ != nullptr) ImageList_Destroy(languageImages_);
    languageImages_ = nullptr;
}

bool COptionsPage::OnCommand(int code, int id) {
    switch (id) {
        case IDC_STARTUP_WINDOWS:
        case IDC_STARTUP_IE:
        case IDC_STARTUP_MANUAL:
            if (code == BN_CLICKED) OnStartupMode();
            return true;
        case IDC_LANGUAGE_LIST:
            if (code == CBN_SELCHANGE) OnLanguageChosen();
            return true;
        case IDC_ALWAYS_ON_TOP:
            if (code != BN_CLICKED) return true;
            app_.settings.DisplayOnTop = app_.settings.DisplayOnTop == 1 ? 0 : 1;
            PostMessageA(mainWindow, shell::kMsgTopmostChanged, 0, 0);
            SetModified(true);
            return true;
        case IDC_SOUND_LIST:
            if (code == CBN_SELCHANGE) OnSoundChosen();
            return true;
        case IDC_TEST_SOUND:
            if (code == BN_CLICKED) OnTestSound();
            return true;
        case IDC_CLOSE_TO_TRAY:
            if (code != BN_CLICKED) return true;
            app_.state.closeToTray = app_.state.closeToTray == 1 ? 0 : 1;
            SetModified(true);
            return true;
        default:
            return false;
    }
}

void COptionsPage::OnShow(bool shown) {
    if (shown) EnableSoundControls();
}

void COptionsPage::ApplyPageTexts() {
    if (hwnd_ != nullptr) texts_.Apply(app_.state, hwnd_);
}

void COptionsPage::FillLanguageList() {
    const std::string& folder = app_.state.installPath;
    languageImages_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       ILC_COLOR24, 0, 2);
    languageNames_ = FileTitles(folder + "\\Language\\*.ini");
    std::vector<int> images;
    for (const std::string& name : languageNames_) {
        HBITMAP flag = LoadFlagFile(folder + "\\Flags\\" + name + ".bmp");
        if (flag == nullptr) flag = LoadFlagFile(folder + "\\Flags\\default.bmp");
        // A language without any picture keeps its place; the others keep their own flags.
        int image = I_IMAGENONE;
        if (flag != nullptr) {
            image = ImageList_AddMasked(languageImages_, flag, RGB(0, 0, 0));
            DeleteObject(flag);
        }
        images.push_back(image < 0 ? I_IMAGENONE : image);
    }
    SendMessageA(Languages(), CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(languageImages_));
    for (size_t i = 0; i < languageNames_.size(); ++i) {
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = &languageNames_[i][0];
        item.iImage = images[i];
        item.iSelectedImage = images[i];
        SendMessageA(Languages(), CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    FitDroppedHeight(Languages(), 10);
}

void COptionsPage::RefreshPageControls() {
    if (hwnd_ == nullptr) return;
    const int mode = app_.settings.Startup;
    if (mode == 2 || mode == 0 || mode == 1) {
        CheckItem(IDC_STARTUP_WINDOWS, mode == 2);
        CheckItem(IDC_STARTUP_MANUAL, mode == 0);
        CheckItem(IDC_STARTUP_IE, mode == 1);
    }
    // Both ways: after a Cancel the box must not claim a state the window does not have.
    CheckItem(IDC_ALWAYS_ON_TOP, app_.settings.DisplayOnTop == 1);
    EnableSoundControls();
    if (app_.state.languageChanged) ApplyPageTexts();
    const int language = FindName(languageNames_, app_.state.language);
    FillSoundList();
    SendMessageA(Languages(), CB_SETCURSEL, language < 0 ? 0 : language, 0);
}

void COptionsPage::EnableSoundControls() {
    const bool enabled = app_.settings.PlayWave != 0;
    for (int id : kSoundControls) EnableItem(id, enabled);
}

void COptionsPage::FillSoundList() {
    const SoundList list = BuildSoundList(FileTitles(app_.state.installPath + "\\Sounds\\*.wav"),
                                          app_.state.userWavPath);
    SendMessageA(Sounds(), CB_RESETCONTENT, 0, 0);
    // Inserted at explicit places: the list control would sort "Default" and the custom
    // entries away from where they belong.
    for (const std::string& entry : list.entries) {
        SendMessageA(Sounds(), CB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(entry.c_str()));
    }
    customEntryPresent = list.customEntryPresent;
    customSoundPath_ = customEntryPresent ? app_.state.userWavPath : std::string();
    SetItemText(IDC_CURRENT_SOUND, list.currentFileName);
    SendMessageA(Sounds(), CB_SETCURSEL, list.selected, 0);
}

void COptionsPage::OnSoundChosen() {
    const int selected = static_cast<int>(SendMessageA(Sounds(), CB_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageA(Sounds(), CB_GETCOUNT, 0, 0));
    if (selected < 0) return;
    if (selected == count - 1) {
        OnCustomSound(selected);
        return;
    }
    std::string path;
    if (customEntryPresent && selected == count - 2) {
        // The browsed entry stands for its own file, which is not in the sounds folder.
        path = customSoundPath_;
    } else {
        path = app_.state.installPath + "\\Sounds\\" + ComboText(Sounds(), selected) + ".wav";
    }
    SetItemText(IDC_CURRENT_SOUND, FileName(path));
    app_.state.userWavPath = path;
    SetModified(true);
}

void COptionsPage::OnCustomSound(int customIndex) {
    const std::string path = ChooseWavFile(hwnd_);
    if (path.empty()) return;  // cancelled: the custom entry stays selected
    app_.state.userWavPath = path;
    const std::string name = FileName(path);
    const std::string title = name.substr(0, name.rfind('.'));
    SetItemText(IDC_CURRENT_SOUND, title);
    // Exactly one browsed entry, just before the custom entry.
    if (customEntryPresent) {
        SendMessageA(Sounds(), CB_DELETESTRING, customIndex - 1, 0);
        --customIndex;
    }
    customEntryPresent = true;
    customSoundPath_ = path;
    SendMessageA(Sounds(), CB_INSERTSTRING, customIndex, reinterpret_cast<LPARAM>(title.c_str()));
    SendMessageA(Sounds(), CB_SETCURSEL, customIndex, 0);
    SetModified(true);
}

void COptionsPage::OnTestSound() {
    if (!isPlaying) {
        PlaySoundA(app_.state.userWavPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
        isPlaying = true;
    } else {
        PlaySoundA(nullptr, nullptr, 0);
        isPlaying = false;
    }
}

void COptionsPage::OnStartupMode() {
    if (IsItemChecked(IDC_STARTUP_WINDOWS)) {
        app_.settings.Startup = 2;
    } else if (IsItemChecked(IDC_STARTUP_MANUAL)) {
        app_.settings.Startup = 0;
    } else if (IsItemChecked(IDC_STARTUP_IE)) {
        app_.settings.Startup = 1;
    }
    SetModified(true);
}

void COptionsPage::OnLanguageChosen() {
    // The instance mutex is named after the language's program title.
    if (!app_.app.RecreateInstanceMutex()) ExitProcess(0);
    const int selected = static_cast<int>(SendMessageA(Languages(), CB_GETCURSEL, 0, 0));
    if (selected < 0 || selected >= static_cast<int>(languageNames_.size())) return;
    const std::string& chosen = languageNames_[selected];
    // The language in use: nothing changes. A switch made earlier in this run stays marked, so
    // that Apply still saves it.
    if (chosen == app_.state.language) return;
    app_.state.language = chosen;
    app_.state.languageChanged = 1;
    core::ApplySecurePageTexts(app_.state, app_.listener.context().securePageTexts);
    SetModified(true);
    PostMessageA(mainWindow, shell::kMsgLanguageChanged, 0, 0);
    if (GetLook() != nullptr) GetLook()->Refresh(mainWindow);
}

}  // namespace pages
