#include "app/startup_prompt.h"

namespace core {

int StartupPromptCode(const browsers::BrowserConfigState& state) {
    int code = 0;
    if (state.lanIsConfigured == 0 && state.dialUpIsConfigured == 0) code += 1;
    if (state.opera6Installed == 1 && state.opera6IsConfigured == 0) code += 2;
    if (state.opera7Installed == 1 && state.opera7IsConfigured == 0) code += 4;
    if (state.mozillaInstalled == 1 && state.netscapeIsConfigured == 0) code += 8;
    return code;
}

LanguageText StartupPromptText(int code, bool mozillaIsFirefox) {
    static const LanguageText kTexts[16] = {
        {nullptr, nullptr},
        texts::kPromptIe,
        texts::kPromptOpera6,
        texts::kPromptIeOpera6,
        texts::kPromptOpera7,
        texts::kPromptIeOpera7,
        texts::kPromptOpera6Opera7,
        texts::kPromptIeOpera6Opera7,
        texts::kPromptNetscape,
        texts::kPromptIeNetscape,
        texts::kPromptOpera6Netscape,
        texts::kPromptIeOpera6Netscape,
        texts::kPromptOpera7Netscape,
        texts::kPromptIeOpera7Netscape,
        texts::kPromptOpera6Opera7Netscape,
        texts::kPromptAllBrowsers,
    };
    static const LanguageText kFirefoxTexts[8] = {
        texts::kPromptFirefox,
        texts::kPromptIeFirefox,
        texts::kPromptOpera6Firefox,
        texts::kPromptIeOpera6Firefox,
        texts::kPromptOpera7Firefox,
        texts::kPromptIeOpera7Firefox,
        texts::kPromptOpera6Opera7Firefox,
        texts::kPromptAllBrowsersFirefox,
    };
    if (code < 1 || code > 15) return kTexts[0];
    if (mozillaIsFirefox && code >= 8) return kFirefoxTexts[code - 8];
    return kTexts[code];
}

}  // namespace core
