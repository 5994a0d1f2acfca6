// Language texts applied to windows: the controls of a dialog and the items of a wizard page.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace core {

// For entry i of count: the text of id (firstId + i), default defaultTexts[i], becomes the text
// of control controlIds[i]; control id 8006 stands for the dialog's own title. "#" stays as it
// is. A control the dialog does not have is ignored. Nothing happens for count <= 0.
void ApplyLanguageTexts(HWND dialog, const std::string* defaultTexts, int firstId,
                        const int* controlIds, int count);

// ApplyLanguageTexts with each control's current text (the dialog's title for 8006) as its
// default: ids firstId, firstId + 1, ... for the controls in the order given.
void ApplyControlTexts(HWND dialog, int firstId, std::initializer_list<int> controlIds);

// Sets control controlId of a wizard page to the text of id in the wizard's section
// "KorvoPopuKiller" ("#" becomes a line feed).
void SetWizardItemText(HWND page, int controlId, const std::string& id,
                       const std::string& defaultText);

}  // namespace core
