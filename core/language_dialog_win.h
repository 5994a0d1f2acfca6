// Language texts applied to windows: the controls of a dialog and the items of a wizard page.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/language_texts.h"

namespace core {

// For entry i of count: the text of id (firstId + i), default defaultTexts[i], becomes the text
// of control controlIds[i]; control id 8006 stands for the dialog's own title. "#" stays as it
// is. A control the dialog does not have is ignored. Nothing happens for count <= 0.
void ApplyLanguageTexts(const AppState& state, HWND dialog, const std::string* defaultTexts,
                        int firstId, const int* controlIds, int count);

// The language texts of some of a dialog's controls: the texts of range, one per control in the
// order given (range.count of them; 8006 stands for the title). The defaults are the controls'
// resource texts, taken once by Capture, so a key missing from a later language shows the
// resource text, not the text of the language before.
class ControlTexts {
  public:
    ControlTexts(const LanguageTextRange& range, std::initializer_list<int> controlIds)
        : firstId_(range.firstId), controlIds_(controlIds) {}
    // Takes the current texts as the defaults; call when the dialog is initialised.
    void Capture(HWND dialog);
    // Sets the texts of the state's language; nothing before Capture.
    void Apply(const AppState& state, HWND dialog) const;

  private:
    int firstId_;
    std::vector<int> controlIds_;
    std::vector<std::string> defaults_;
};

// Sets control controlId of a wizard page to the text in the wizard's section "KorvoPopuKiller"
// ("#" becomes a line feed).
void SetWizardItemText(const AppState& state, HWND page, int controlId, const LanguageText& text);

}  // namespace core
