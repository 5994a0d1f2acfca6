#include "browsers/browser_state.h"

namespace browsers {

bool NothingConfigured(const BrowserConfigState& state) {
    return !state.ieUsesProxy && !state.netscapeIsConfigured && !state.dialUpIsConfigured &&
           !state.lanIsConfigured && !state.opera6IsConfigured && !state.opera7IsConfigured;
}

bool EntryDisabled(bool usesProxy, ListMode mode) {
    return mode == ListMode::kReset ? !usesProxy : usesProxy;
}

EntryCounts CountEntries(const int* disabledFlags, std::size_t count, ListMode mode) {
    EntryCounts counts;
    for (std::size_t i = 0; i < count; ++i) {
        bool disabled = disabledFlags[i] != 0;
        if (disabled) ++counts.disabledCount;
        if ((mode == ListMode::kReset && !disabled) || (mode == ListMode::kUninstall && disabled)) {
            ++counts.configuredCount;
        }
    }
    return counts;
}

}  // namespace browsers
