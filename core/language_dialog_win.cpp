#include "core/language_dialog_win.h"

#include "core/language.h"

namespace core {

void ApplyLanguageTexts(const AppState& state, HWND dialog, const std::string* defaultTexts,
                        int firstId, const int* controlIds, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string text = GetDialogText(state, firstId + i, defaultTexts[i]);
        if (controlIds[i] == kDialogTitleControlId) {
            SetWindowTextA(dialog, text.c_str());
        } else {
            SetDlgItemTextA(dialog, controlIds[i], text.c_str());
        }
    }
}

void ControlTexts::Capture(HWND dialog) {
    defaults_.clear();
    for (int controlId : controlIds_) {
        HWND control = controlId == kDialogTitleControlId ? dialog : GetDlgItem(dialog, controlId);
        char text[kDialogTextBuffer] = "";
        if (control != nullptr) GetWindowTextA(control, text, sizeof text);
        defaults_.push_back(text);
    }
}

void ControlTexts::Apply(const AppState& state, HWND dialog) const {
    if (defaults_.size() != controlIds_.size()) return;
    ApplyLanguageTexts(state, dialog, defaults_.data(), firstId_, controlIds_.data(),
                       static_cast<int>(controlIds_.size()));
}

void SetWizardItemText(const AppState& state, HWND page, int controlId, const LanguageText& text) {
    SetDlgItemTextA(page, controlId, GetWizardString(state, text).c_str());
}

}  // namespace core
