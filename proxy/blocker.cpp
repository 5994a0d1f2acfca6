#include "proxy/blocker.h"

#include <cstdio>
#include <utility>

#include "platform/keyboard.h"
#include "platform/module_path.h"
#include "proxy/content_policy.h"
#include "proxy/diagnostics.h"
#include "proxy/http_header.h"
#include "proxy/page_injection.h"
#include "proxy/script_compaction.h"
#include "proxy/settings.h"

namespace proxy {
namespace {

// Replaced whole by the user-interface thread, read by every connection thread.
std::shared_ptr<const PreparedBlocker>& CurrentScript() {
    static std::shared_ptr<const PreparedBlocker> script =
        std::make_shared<const PreparedBlocker>();
    return script;
}

// The whole file, or false when it cannot be opened or is too large to be a script.
bool ReadScriptFile(const std::string& path, std::string& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    text.clear();
    char block[16384];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
        text.append(block, n);
        if (text.size() > kMaxScriptFileBytes) break;
    }
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (text.size() > kMaxScriptFileBytes) {
        ReportDiagnostic(Format("Blocker script '%s' is larger than %u bytes; not used.",
                                path.c_str(), static_cast<unsigned>(kMaxScriptFileBytes)));
        return false;
    }
    return !readError;
}

}  // namespace

std::shared_ptr<const PreparedBlocker> BlockerSnapshot() {
    return std::atomic_load(&CurrentScript());
}

std::shared_ptr<const std::string> BlockerScript() {
    const std::shared_ptr<const PreparedBlocker> snapshot = BlockerSnapshot();
    return std::shared_ptr<const std::string>(snapshot, &snapshot->script);
}

void SetBlockerScript(std::string script) {
    auto prepared = std::make_shared<PreparedBlocker>();
    prepared->hashSources = ScriptHashSources(script);
    prepared->script = std::move(script);
    std::atomic_store(&CurrentScript(),
                      std::shared_ptr<const PreparedBlocker>(std::move(prepared)));
}

void PrepareBlockerScript() {
    std::string text;
    if (!ReadScriptFile(ScriptFilePath.Get(), text)) return;
    SetBlockerScript(PrepareScriptText(CompactScript(text), appSettings.PlayWave != 0,
                                       platform::ModuleFilePath("PopUp.wav")));
}

bool InjectBlocker(std::string& body, std::uint16_t contentClass, HeaderLines* header) {
    if (appSettings.Disabled != 0 || appSettings.PopupCheckEnabled == 0) return false;
    if ((contentClass & kClassHeld) == 0 || (contentClass & kClassScript) != 0) return false;
    // Holding Control while a page completes lets the user see it without the blocker.
    if (platform::IsControlKeyDown()) return false;
    if (!IsInjectablePage(body)) return false;
    const std::shared_ptr<const PreparedBlocker> blocker = BlockerSnapshot();
    if (blocker->script.empty()) return false;
    const size_t offset = ScriptInsertOffset(body);
    // The policy tags come after the offset, so rewriting them first leaves it in place.
    AllowScriptSourcesInMetaTags(body, offset, blocker->hashSources);
    InsertScript(body, blocker->script, offset, appSettings.PlayWave != 0);
    if (header != nullptr) AllowScriptSourcesInHeader(*header, blocker->hashSources);
    return true;
}

}  // namespace proxy
