// The blocker script put in front of every held HTML page, and the sound element after <head>.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace proxy {

// The prepared script; empty until prepared (then nothing is injected). Readers take a
// snapshot; PrepareBlockerScript replaces it whole.
std::shared_ptr<const std::string> BlockerScript();
void SetBlockerScript(std::string script);

// Loads ScriptFilePath and fills its "%s" with the sound statement (PlayWave on) or two spaces.
// A file that cannot be opened leaves the script as it was. Runs on the user-interface thread.
void PrepareBlockerScript();

// Puts the script in front of body (and the sound element after the first <head>/<HEAD> when
// PlayWave is on). lowerBody is body lower-cased. Returns true when body was changed.
bool InjectBlocker(std::string& body, const std::string& lowerBody, std::uint16_t contentClass);

}  // namespace proxy
