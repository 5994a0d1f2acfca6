#include "core/instance_window.h"

#include "platform/profile.h"

namespace core {

std::string InstanceWindowTitle(const std::string& languageFile) {
    const LanguageText& title = texts::kInstanceWindowTitle;
    return ExpandLineBreaks(platform::ReadProfileText(kLanguageSection, title.id, title.defaultText,
                                                      languageFile, kLanguageStringBuffer));
}

}  // namespace core
