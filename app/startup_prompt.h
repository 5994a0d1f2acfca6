// The start-up prompt that offers the configuration wizard: which browsers still need the proxy,
// as a code, and the first part of the question for each code.
#pragma once

#include "browsers/browser_state.h"
#include "core/language_texts.h"

namespace core {

// Sum of 1 (Internet Explorer: neither LAN nor dial-up configured; it is always present), 2 (Opera
// 6 installed and not configured), 4 (Opera 7 likewise) and 8 (Mozilla/Netscape likewise).
int StartupPromptCode(const browsers::BrowserConfigState& state);

// The first part of the prompt for a code from 1 to 15; a null id for any other code. With
// mozillaIsFirefox the Mozilla browser of codes 8 to 15 is named Firefox instead of netscape.
// The prompt's fixed parts and the warning after No are texts::kPromptNote, kPromptButtons and
// kPromptWarning.
LanguageText StartupPromptText(int code, bool mozillaIsFirefox);

}  // namespace core
