// The blocker script put in front of every held HTML page, and the sound element after <head>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "proxy/context.h"
#include "proxy/http_header.h"

namespace proxy {

// The prepared script and the hash sources of its script elements, which let it run under a
// page's script policy. Computed together, so a snapshot never pairs a script with another's hash.
struct PreparedBlocker {
    std::string script;
    std::vector<std::string> hashSources;
};

// The prepared script of a proxy; empty until prepared (then nothing is injected). Readers take
// a snapshot; PrepareBlockerScript and SetBlockerScript replace it whole.
std::shared_ptr<const PreparedBlocker> BlockerSnapshot(const ProxyContext& context);
std::shared_ptr<const std::string> BlockerScript(const ProxyContext& context);
void SetBlockerScript(ProxyContext& context, std::string script);

// Points context.scriptFilePath at "KorvoBlk.js" in the program folder and reports when it is
// missing.
void ResolveScriptFile(ProxyContext& context);

// Loads context.scriptFilePath, compacts it (CompactScript) and fills its "%s" with the sound
// statement (PlayWave on) or two spaces. A file that cannot be opened leaves the script as it was.
// Runs on the user-interface thread.
void PrepareBlockerScript(ProxyContext& context);

// Puts the context's script in front of body (and the sound element after the first
// <head>/<HEAD> when PlayWave is on). Returns true when body was changed. Then the page's script
// policies (its Content-Security-Policy meta tags, and the header's lines when header is given)
// are made to accept the script.
bool InjectBlocker(const ProxyContext& context, std::string& body, std::uint16_t contentClass,
                   HeaderLines* header = nullptr);

}  // namespace proxy
