#include "core/language.h"
#include "core/language_dialog.h"

namespace core {

void ApplyLanguageTexts(HWND dialog, const std::string* defaultTexts, int firstId,
                        const int* controlIds, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string text = GetDialogText(firstId + i, defaultTexts[i]);
        if (controlIds[i] == kDialogTitleControlId) {
            SetWindowTextA(dialog, text.c_str());
        } else {
            SetDlgItemTextA(dialog, controlIds[i], text.c_str());
        }
    }
}

void SetWizardItemText(HWND page, int controlId, const std::string& id,
                       const std::string& defaultText) {
    SetDlgItemTextA(page, controlId, GetWizardString(id, defaultText).c_str());
}

}  // namespace core
