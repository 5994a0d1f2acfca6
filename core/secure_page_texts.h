// The texts of the page the proxy answers a secure site it cannot trust with, from the language
// file of the application's language.
#pragma once

#include "core/app_state.h"
#include "core/language_texts.h"
#include "proxy/secure_error_page.h"

namespace core {

// The language text of one kind of the page's texts.
const LanguageText& SecurePageLanguageText(proxy::SecureText which);

// Every kind of texts set from the state's language file (its English default where the file
// lacks it), "#" as a line break, converted from the file's code page to the page's UTF-8. The
// application calls it at start and whenever the language changes.
void ApplySecurePageTexts(const AppState& state, proxy::SecurePageTexts& texts);

}  // namespace core
