#include "proxy/blocker.h"

#include <cstdio>
#include <cstring>
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

std::shared_ptr<const PreparedBlocker> BlockerSnapshot(const ProxyContext& context) {
    return std::atomic_load(&context.blocker);
}

std::shared_ptr<const std::string> BlockerScript(const ProxyContext& context) {
    const std::shared_ptr<const PreparedBlocker> snapshot = BlockerSnapshot(context);
    return std::shared_ptr<const std::string>(snapshot, &snapshot->script);
}

void SetBlockerScript(ProxyContext& context, std::string script) {
    auto prepared = std::make_shared<PreparedBlocker>();
    prepared->hashSources = ScriptHashSources(script);
    prepared->script = std::move(script);
    std::atomic_store(&context.blocker,
                      std::shared_ptr<const PreparedBlocker>(std::move(prepared)));
}

void ResolveScriptFile(ProxyContext& context) {
    std::string path = "KorvoBlk.js";
    if (!path.empty() && path.find('\\') == std::string::npos)
        path = platform::ModuleFilePath(path);
    context.scriptFilePath.Set(path);
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return;
    }
    ReportDiagnostic(
        Format("Warning: The %s file does not exist.\n\nFile name: '%s'", "Popup", path.c_str()));
}

void PrepareBlockerScript(ProxyContext& context) {
    std::string text;
    if (!ReadScriptFile(context.scriptFilePath.Get(), text)) return;
    SetBlockerScript(context, PrepareScriptText(CompactScript(text), context.settings.PlayWave != 0,
                                                platform::ModuleFilePath("PopUp.wav")));
}

size_t BlockerPlan::InsertedBytes() const {
    if (verdict != Verdict::kInject) return 0;
    return blocker->script.size() + (soundAt == std::string::npos ? 0 : std::strlen(kSoundElement));
}

BlockerPlan PlanBlocker(const ProxyContext& context, std::string_view start,
                        std::uint16_t contentClass, bool complete) {
    BlockerPlan plan;
    const AppSettings& settings = context.settings;
    plan.verdict = BlockerPlan::Verdict::kUnchanged;
    if (settings.Disabled != 0 || settings.PopupCheckEnabled == 0) return plan;
    if ((contentClass & kClassHeld) == 0 || (contentClass & kClassScript) != 0) return plan;
    const PageStart page = ReadPageStart(start, complete, settings.PlayWave != 0);
    if (page.verdict == PageStart::Verdict::kUndecided) {
        plan.verdict = BlockerPlan::Verdict::kUndecided;
        return plan;
    }
    if (page.verdict == PageStart::Verdict::kNotPage || platform::IsControlKeyDown()) return plan;
    plan.blocker = BlockerSnapshot(context);
    if (plan.blocker->script.empty()) return plan;
    plan.verdict = BlockerPlan::Verdict::kInject;
    plan.scriptAt = page.scriptAt;
    plan.soundAt = page.soundAt;
    return plan;
}

bool InjectBlocker(const ProxyContext& context, std::string& body, std::uint16_t contentClass,
                   HeaderLines* header) {
    const BlockerPlan plan = PlanBlocker(context, body, contentClass, true);
    if (plan.verdict != BlockerPlan::Verdict::kInject) return false;
    InsertScript(body, plan.blocker->script, plan.scriptAt, plan.soundAt != std::string::npos);
    if (header != nullptr) AllowScriptSourcesInHeader(*header, plan.blocker->hashSources);
    return true;
}

}  // namespace proxy
