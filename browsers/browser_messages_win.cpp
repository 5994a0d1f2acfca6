#include <windows.h>

#include "browsers/browser_messages.h"
#include "core/language_texts.h"
#include "platform/win/message_box.h"

namespace browsers {
namespace {

BrowserMessageTexts messageTexts;

}  // namespace

void SetBrowserMessageTexts(BrowserMessageTexts texts) { messageTexts = std::move(texts); }

void ShowBrowserError(const core::LanguageText& text, const Placeholders& values) {
    const std::string found = messageTexts.text ? messageTexts.text(text) : text.defaultText;
    const std::string caption =
        messageTexts.caption ? messageTexts.caption() : core::texts::kAppTitle.defaultText;
    platform::ShowMessageBox(nullptr, FillPlaceholders(found, values), caption,
                             MB_OK | MB_ICONSTOP);
}

}  // namespace browsers
