#include <windows.h>

#include "browsers/browser_messages.h"
#include "core/language.h"
#include "platform/win/message_box.h"

namespace browsers {
namespace {

BrowserMessageTexts messageTexts;

}  // namespace

void SetBrowserMessageTexts(BrowserMessageTexts texts) { messageTexts = std::move(texts); }

void ShowBrowserError(const core::LanguageText& text, const Placeholders& values) {
    const std::string found =
        messageTexts.text ? messageTexts.text(text) : core::GetLanguageString(text);
    const std::string caption = messageTexts.caption ? messageTexts.caption() : core::AppTitle();
    platform::ShowMessageBox(nullptr, FillPlaceholders(found, values), caption,
                             MB_OK | MB_ICONSTOP);
}

}  // namespace browsers
