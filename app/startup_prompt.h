// The start-up prompt that offers the configuration wizard: which browsers still need the proxy,
// as a code, and the first part of the question for each code.
#pragma once

#include <string>

#include "browsers/browser_state.h"

namespace core {

// Sum of 1 (Internet Explorer: neither LAN nor dial-up configured; it is always present), 2 (Opera
// 6 installed and not configured), 4 (Opera 7 likewise) and 8 (Mozilla/Netscape likewise).
int StartupPromptCode(const browsers::BrowserConfigState& state);

struct LanguageText {
    const char* id;
    const char* defaultText;
};

// The first part of the prompt for a code from 1 to 15; a null id for any other code.
LanguageText StartupPromptText(int code);

// The ids of the prompt's fixed parts and of the warning after No.
constexpr LanguageText kPromptNote = {
    "19012",
    "\r\nNOTE: The program will not work properly unless you configure the proxy settings"};
constexpr LanguageText kPromptButtons = {
    "19013", "\r\nClick Yes to start the wizard\r\nNo to hide this message box forever."};
constexpr LanguageText kPromptWarning = {
    "19014",
    "WARNING\r\nProxy is not configured for some or all of your installed browsers and the "
    "program will not work properly with unconfigured browsers"};

}  // namespace core
