#include <windows.h>

#include "browsers/browser_messages.h"
#include "core/language.h"
#include "platform/win/message_box.h"

namespace browsers {

void ShowBrowserError(const char* id, const char* defaultText, const Placeholders& values) {
    std::string text = FillPlaceholders(core::GetLanguageString(id, defaultText), values);
    platform::ShowMessageBox(nullptr, text, core::AppTitle(), MB_OK | MB_ICONSTOP);
}

}  // namespace browsers
