#include "core/secure_page_texts.h"

#include "core/language.h"
#include "platform/ansi_text.h"

namespace core {

static_assert(sizeof texts::kSecurePageTexts / sizeof texts::kSecurePageTexts[0] ==
                  static_cast<size_t>(proxy::SecureText::kCount),
              "one language text per kind of the page's texts");

const LanguageText& SecurePageLanguageText(proxy::SecureText which) {
    return texts::kSecurePageTexts[static_cast<int>(which)];
}

void ApplySecurePageTexts(const AppState& state, proxy::SecurePageTexts& texts) {
    for (int i = 0; i < static_cast<int>(proxy::SecureText::kCount); ++i) {
        const auto which = static_cast<proxy::SecureText>(i);
        texts.Set(which,
                  platform::AnsiToUtf8(GetLanguageString(state, SecurePageLanguageText(which))));
    }
}

}  // namespace core
