// The blocker script put in front of every HTML page, and the sound element after <head>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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

// How the blocker goes into a page, decided from the page's first bytes (ReadPageStart) and
// the settings: filtering and the check on, a page of a class that may be rewritten, a script
// prepared, and Control not held (it lets the user see a page without the blocker; it is read
// once the page itself is decided).
struct BlockerPlan {
    enum class Verdict { kUndecided, kUnchanged, kInject };
    Verdict verdict = Verdict::kUndecided;
    size_t scriptAt = 0;
    size_t soundAt = std::string::npos;              // where kSoundElement goes; npos: nowhere
    std::shared_ptr<const PreparedBlocker> blocker;  // set for kInject
    // Bytes the page grows by.
    size_t InsertedBytes() const;
};
BlockerPlan PlanBlocker(const ProxyContext& context, std::string_view start,
                        std::uint16_t contentClass, bool complete);

// A whole body as PlanBlocker decides it: the script in front of body (and the sound element
// after the first <head>/<HEAD> when PlayWave is on). Returns true when body was changed; then
// the header's script policies, when header is given, are made to accept the script. A policy
// in a meta tag applies only to what follows it, which the script stands in front of.
bool InjectBlocker(const ProxyContext& context, std::string& body, std::uint16_t contentClass,
                   HeaderLines* header = nullptr);

}  // namespace proxy
