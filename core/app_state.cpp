#include "core/app_state.h"

namespace core {

std::string RunValueFor(const std::string& installPath, int startupMode) {
    return startupMode == 2 ? installPath + "\\KorvoPop.exe" : std::string();
}

}  // namespace core
