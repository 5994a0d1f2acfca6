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

void ApplyControlTexts(HWND dialog, int firstId, std::initializer_list<int> controlIds) {
    int id = firstId;
    for (int controlId : controlIds) {
        HWND control = controlId == kDialogTitleControlId ? dialog : GetDlgItem(dialog, controlId);
        char current[kDialogTextBuffer] = "";
        if (control != nullptr) GetWindowTextA(control, current, sizeof current);
        const std::string defaultText = current;
        ApplyLanguageTexts(dialog, &defaultText, id++, &controlId, 1);
    }
}

void SetWizardItemText(HWND page, int controlId, const std::string& id,
                       const std::string& defaultText) {
    SetDlgItemTextA(page, controlId, GetWizardString(id, defaultText).c_str());
}

}  // namespace core
