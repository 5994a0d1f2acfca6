// Letting the blocker script run on pages whose Content-Security-Policy refuses inline scripts:
// the hash of the script is added to each policy that would refuse it, and nothing else changes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "proxy/http_header.h"

namespace proxy {

// A policy (header line or meta content) longer than this passes unchanged.
constexpr size_t kMaxPolicyBytes = 16 * 1024;

// The hash source ('sha256-...') of every inline script element in text: of the bytes between
// the end of each <script ...> tag and its </script>, with line breaks as an HTML parser leaves
// them (CR LF and lone CR become LF). Elements with a src attribute are skipped.
std::vector<std::string> ScriptHashSources(const std::string& text);

// The policy value (one policy, or several joined by commas) with sources added to each policy
// whose script-src-elem and script-src (default-src when there is no script-src) would refuse an
// inline script. A directive that already allows inline scripts ('unsafe-inline' without nonce,
// hash or 'strict-dynamic') is left alone, since a hash in it would switch 'unsafe-inline' off; a
// lone 'none' is replaced. Directive names are matched in any case; everything not rewritten
// stays byte for byte.
std::string AllowScriptSources(const std::string& policy, const std::vector<std::string>& sources);

// Rewrites the value of every Content-Security-Policy line (the report-only header is another
// name and stays). Returns true when a line changed.
bool AllowScriptSourcesInHeader(HeaderLines& lines, const std::vector<std::string>& sources);

}  // namespace proxy
