// COptionsPage: the Options page (dialog 107): start mode, alert sound, language, always on top
// and close to tray. Choices change the settings in memory at once; the main window writes them
// at its Apply and restores them at its Cancel. The main window reaches the page only through
// the public operations.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/language_dialog_win.h"
#include "platform/win/property_sheet.h"
#include "res/resource.h"
#include "shell/app_context_win.h"

namespace pages {

class COptionsPage : public platform::PropertyPage {
  public:
    // Works on app's state and settings, with its main look; a change of language asks app for
    // the instance mutex of the new title.
    explicit COptionsPage(shell::AppContext& app) : app_(app) { SetLook(app.MainLook()); }

    // Set by the main window when its own window exists; the page posts its messages there.
    HWND mainWindow = nullptr;
    bool isInitialised = false;
    // True while a test sound started by this page plays.
    bool isPlaying = false;
    // True when the sound list holds an entry for a file outside the sounds folder.
    bool customEntryPresent = false;

    // Texts of the controls from the language file (keys 9001 to 9012).
    void ApplyPageTexts();
    // Start mode, always on top, the sound controls and list, and the language entry from the
    // settings (after the main window's Cancel, too).
    void RefreshPageControls();

  protected:
    bool OnInit() override;
    bool OnCommand(int code, int id) override;
    void OnShow(bool shown) override;
    void OnDestroy() override;

  private:
    void FillLanguageList();
    void FillSoundList();
    void EnableSoundControls();
    void OnSoundChosen();
    void OnCustomSound(int customIndex);
    void OnTestSound();
    void OnStartupMode();
    void OnLanguageChosen();
    HWND Languages() const;
    HWND Sounds() const;

    shell::AppContext& app_;
    // In key order.
    core::ControlTexts texts_{
        core::texts::kOptionsPageTexts,
        {IDC_STARTUP_GROUP, IDC_STARTUP_WINDOWS, IDC_STARTUP_MANUAL, IDC_STARTUP_IE,
         IDC_LANGUAGE_GROUP, IDC_GENERAL_GROUP, IDC_ALWAYS_ON_TOP, IDC_SOUND_GROUP,
         IDC_CHANGE_SOUND_LABEL, IDC_TEST_SOUND, IDC_CURRENT_SOUND_LABEL, IDC_CLOSE_TO_TRAY}};
    // The language list's names, in the list's order.
    std::vector<std::string> languageNames_;
    HIMAGELIST languageImages_ = nullptr;
    // The full path of the sound the list's browsed entry stands for.
    std::string customSoundPath_;
};

}  // namespace pages
