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

LanguageText StartupPromptText(int code) {
    static const LanguageText kTexts[16] = {
        {nullptr, nullptr},
        {"19000",
         "You have Internet Explorer browser installed,but you haven't configured the proxy "
         "settings\r\nDo you want to configure proxy settings now?"},
        {"19001",
         "You have Opera 6 browser  installed, but you haven't configured the proxy "
         "settings\r\nDo you want to configure proxy settings now?"},
        {"19004",
         "You have Internet Explorer and Opera 6 browsers installed, but you haven't configured "
         "the proxy settings for any of them"},
        {"19002",
         "You have Opera 7 browser installed, but you haven't configured the proxy settings"},
        {"19005",
         "You have Internet Explorer and Opera 7 browsers installed, but you haven't configured "
         "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19007",
         "You have Opera 6 and Opera 7 browsers installed, but you haven't configured the proxy "
         "settings for any of them\r\nDo you want to configure proxy settings now?"},
        // Internet Explorer, Opera 6 and Opera 7: composed in the same form as the others.
        {"19017",
         "You have Internet Explorer, Opera 6 and Opera 7 browsers installed, but you haven't "
         "configured the proxy settings for any of them\r\nDo you want to configure proxy "
         "settings now?"},
        {"19003",
         "You have netscape browser installed, but you haven't configured the proxy "
         "settings\r\nDo you want to configure proxy settings now?"},
        {"19006",
         "You have Internet Explorer and netscape browsers installed, but you haven't configured "
         "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19008",
         "You have Opera 6 and netscape browsers installed, but you haven't configured the proxy "
         "settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19015",
         "You have Internet Explorer, Opera 6, and netscape installed, but you haven't configured "
         "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19009",
         "You have Opera 7 and netscape browsers installed, but you haven't configured the proxy "
         "settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19016",
         "You have Internet Explorer, Opera 7, and netscape installed, but you haven't configured "
         "the proxy settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19010",
         "You have Opera 6, Opera 7 and netscape installed, but you haven't configured the proxy "
         "settings for any of them\r\nDo you want to configure proxy settings now?"},
        {"19011",
         "You have Internet Explorer, Opera 6, Opera 7 and netscape installed, but you haven't "
         "configured the proxy settings for any of them\r\nDo you want to configure proxy "
         "settings now?"},
    };
    if (code < 1 || code > 15) return kTexts[0];
    return kTexts[code];
}

}  // namespace core
