// The blocker script put in front of every held HTML page, and the sound element after <head>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "proxy/http_header.h"

namespace proxy {

// The prepared script and the hash sources of its script elements, which let it run under a
// page's script policy. Computed together, so a snapshot never pairs a script with another's hash.
struct PreparedBlocker {
    std::string script;
    std::vector<std::string> hashSources;
};

// The prepared script; empty until prepared (then nothing is injected). Readers take a
// snapshot; PrepareBlockerScript replaces it whole.
std::shared_ptr<const PreparedBlocker> BlockerSnapshot();
std::shared_ptr<const std::string> BlockerScript();
void SetBlockerScript(std::string script);

// Loads ScriptFilePath, compacts it (CompactScript) and fills its "%s" with the sound statement
// (PlayWave on) or two spaces.
// A file that cannot be opened leaves the script as it was. Runs on the user-interface thread.
void PrepareBlockerScript();

// Puts the script in front of body (and the sound element after the first <head>/<HEAD> when
// PlayWave is on). Returns true when body was changed. Then the page's script policies (its
// Content-Security-Policy meta tags, and the header's lines when header is given) are made to
// accept the script.
bool InjectBlocker(std::string& body, std::uint16_t contentClass, HeaderLines* header = nullptr);

}  // namespace proxy
