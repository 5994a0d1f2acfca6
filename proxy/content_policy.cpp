#include "proxy/content_policy.h"

#include <algorithm>

#include "platform/ascii_text.h"
#include "proxy/sha256.h"

namespace proxy {
namespace {

bool IsPolicySpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The piece of text at [pos, pos + size) compared with a word, ignoring case.
bool EqualsNoCase(const std::string& text, size_t pos, size_t size, const char* word) {
    return platform::EqualsNoCase(std::string_view(text).substr(pos, size), word);
}

bool StartsWithNoCase(const std::string& text, size_t pos, size_t size, const char* prefix) {
    return platform::StartsWithNoCase(std::string_view(text).substr(pos, size), prefix);
}

struct Span {
    size_t begin;
    size_t end;
};

// One directive of a policy: its name and its source tokens, as spans of the policy text.
struct Directive {
    Span name;
    std::vector<Span> tokens;
};

struct Edit {
    size_t at;
    size_t erase;
    std::string insert;
};

std::vector<Directive> SplitDirectives(const std::string& policy, size_t begin, size_t end) {
    std::vector<Directive> directives;
    size_t pos = begin;
    while (pos < end) {
        size_t stop = policy.find(';', pos);
        if (stop == std::string::npos || stop > end) stop = end;
        std::vector<Span> words;
        for (size_t i = pos; i < stop;) {
            while (i < stop && IsPolicySpace(policy[i])) ++i;
            const size_t start = i;
            while (i < stop && !IsPolicySpace(policy[i])) ++i;
            if (i > start) words.push_back({start, i});
        }
        if (!words.empty()) {
            directives.push_back(
                {words.front(), std::vector<Span>(words.begin() + 1, words.end())});
        }
        pos = stop + 1;
    }
    return directives;
}

// The first directive of that name; a repeated directive is ignored by browsers.
const Directive* FindDirective(const std::string& policy, const std::vector<Directive>& directives,
                               const char* name) {
    for (const Directive& directive : directives) {
        if (EqualsNoCase(policy, directive.name.begin, directive.name.end - directive.name.begin,
                         name)) {
            return &directive;
        }
    }
    return nullptr;
}

bool AllowsInlineScripts(const std::string& policy, const Directive& directive) {
    bool unsafeInline = false;
    for (const Span& token : directive.tokens) {
        const size_t size = token.end - token.begin;
        if (EqualsNoCase(policy, token.begin, size, "'unsafe-inline'")) unsafeInline = true;
        // Any of these makes the browser ignore 'unsafe-inline'.
        if (StartsWithNoCase(policy, token.begin, size, "'nonce-") ||
            StartsWithNoCase(policy, token.begin, size, "'sha256-") ||
            StartsWithNoCase(policy, token.begin, size, "'sha384-") ||
            StartsWithNoCase(policy, token.begin, size, "'sha512-") ||
            EqualsNoCase(policy, token.begin, size, "'strict-dynamic'")) {
            return false;
        }
    }
    return unsafeInline;
}

void AddSources(const std::string& policy, const Directive& directive,
                const std::vector<std::string>& sources, std::vector<Edit>& edits) {
    if (AllowsInlineScripts(policy, directive)) return;
    std::string added;
    for (const std::string& source : sources) {
        const bool present =
            std::any_of(directive.tokens.begin(), directive.tokens.end(), [&](const Span& token) {
                return policy.compare(token.begin, token.end - token.begin, source) == 0;
            });
        if (!present) added += " " + source;
    }
    if (added.empty()) return;
    // 'none' alongside other sources is ignored with a console warning: it gives way instead.
    if (directive.tokens.size() == 1) {
        const Span& only = directive.tokens.front();
        if (EqualsNoCase(policy, only.begin, only.end - only.begin, "'none'")) {
            edits.push_back({only.begin, only.end - only.begin, added.substr(1)});
            return;
        }
    }
    const size_t at = directive.tokens.empty() ? directive.name.end : directive.tokens.back().end;
    edits.push_back({at, 0, added});
}

void RewritePolicy(const std::string& policy, size_t begin, size_t end,
                   const std::vector<std::string>& sources, std::vector<Edit>& edits) {
    const std::vector<Directive> directives = SplitDirectives(policy, begin, end);
    const Directive* element = FindDirective(policy, directives, "script-src-elem");
    const Directive* script = FindDirective(policy, directives, "script-src");
    if (script == nullptr) script = FindDirective(policy, directives, "default-src");
    // Browsers without script-src-elem go by script-src alone, so both get the sources.
    if (element != nullptr) AddSources(policy, *element, sources, edits);
    if (script != nullptr) AddSources(policy, *script, sources, edits);
}

std::string ApplyEdits(const std::string& text, std::vector<Edit>& edits) {
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string result;
    size_t from = 0;
    for (const Edit& edit : edits) {
        result.append(text, from, edit.at - from);
        result += edit.insert;
        from = edit.at + edit.erase;
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string NormalizeLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            result += text[i];
        } else {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return result;
}

bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// True when the tag at pos is lowerOpen ("<name", any case) followed by a blank, "/" or ">".
bool IsTagNamed(const std::string& page, size_t pos, std::string_view lowerOpen) {
    const size_t after = pos + lowerOpen.size();
    if (after >= page.size()) return false;
    const char next = page[after];
    return (IsTagSpace(next) || next == '/' || next == '>') &&
           platform::EqualsNoCase(std::string_view(page).substr(pos, lowerOpen.size()), lowerOpen);
}

// One attribute of a tag in a page: name and value spans, and the quote around the value ('\0'
// when unquoted).
struct Attribute {
    Span name;
    Span value;
    char quote;
};

// Reads the attributes of the tag whose name ends at pos; returns the offset of its closing ">"
// (npos when the tag does not end).
size_t ReadAttributes(const std::string& page, size_t pos, std::vector<Attribute>& attributes) {
    const size_t size = page.size();
    for (;;) {
        while (pos < size && (IsTagSpace(page[pos]) || page[pos] == '/')) ++pos;
        if (pos >= size) return std::string::npos;
        if (page[pos] == '>') return pos;
        Attribute attribute{{pos, pos}, {pos, pos}, '\0'};
        while (pos < size && !IsTagSpace(page[pos]) && page[pos] != '=' && page[pos] != '>' &&
               page[pos] != '/') {
            ++pos;
        }
        attribute.name.end = pos;
        while (pos < size && IsTagSpace(page[pos])) ++pos;
        if (pos < size && page[pos] == '=') {
            ++pos;
            while (pos < size && IsTagSpace(page[pos])) ++pos;
            if (pos < size && (page[pos] == '"' || page[pos] == '\'')) {
                attribute.quote = page[pos];
                const size_t close = page.find(attribute.quote, pos + 1);
                if (close == std::string::npos) return std::string::npos;
                attribute.value = {pos + 1, close};
                pos = close + 1;
            } else {
                const size_t start = pos;
                while (pos < size && !IsTagSpace(page[pos]) && page[pos] != '>') ++pos;
                attribute.value = {start, pos};
            }
        } else {
            attribute.value = {attribute.name.end, attribute.name.end};
        }
        attributes.push_back(attribute);
    }
}

// The attribute named name (lower case; the page's may be in any case).
const Attribute* FindAttribute(const std::string& page, const std::vector<Attribute>& attributes,
                               const char* name) {
    for (const Attribute& attribute : attributes) {
        if (EqualsNoCase(page, attribute.name.begin, attribute.name.end - attribute.name.begin,
                         name)) {
            return &attribute;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> ScriptHashSources(const std::string& text) {
    std::vector<std::string> sources;
    size_t pos = 0;
    for (;;) {
        const size_t tag = platform::FindNoCase(text, "<script", pos);
        if (tag == std::string::npos) break;
        pos = tag + 7;
        if (!IsTagNamed(text, tag, "<script")) continue;
        std::vector<Attribute> attributes;
        const size_t tagEnd = ReadAttributes(text, pos, attributes);
        if (tagEnd == std::string::npos) break;
        const size_t close = platform::FindNoCase(text, "</script", tagEnd + 1);
        if (close == std::string::npos) break;
        pos = close + 8;
        if (FindAttribute(text, attributes, "src") != nullptr) continue;
        const Sha256Digest digest =
            Sha256(NormalizeLineBreaks(text.substr(tagEnd + 1, close - tagEnd - 1)));
        const std::string source = "'sha256-" + Base64(digest.data(), digest.size()) + "'";
        if (std::find(sources.begin(), sources.end(), source) == sources.end()) {
            sources.push_back(source);
        }
    }
    return sources;
}

std::string AllowScriptSources(const std::string& policy, const std::vector<std::string>& sources) {
    if (sources.empty() || policy.size() > kMaxPolicyBytes) return policy;
    std::vector<Edit> edits;
    size_t begin = 0;
    while (begin <= policy.size()) {
        size_t end = policy.find(',', begin);
        if (end == std::string::npos) end = policy.size();
        RewritePolicy(policy, begin, end, sources, edits);
        begin = end + 1;
    }
    if (edits.empty()) return policy;
    return ApplyEdits(policy, edits);
}

bool AllowScriptSourcesInHeader(HeaderLines& lines, const std::vector<std::string>& sources) {
    bool changed = false;
    // The first line is the status line.
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string& line = lines[i];
        if (line.size() > kMaxPolicyBytes) continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        size_t nameEnd = colon;
        while (nameEnd > 0 && (line[nameEnd - 1] == ' ' || line[nameEnd - 1] == '\t')) --nameEnd;
        if (!EqualsNoCase(line, 0, nameEnd, "content-security-policy")) continue;
        size_t valueEnd = line.size();
        while (valueEnd > colon + 1 && (line[valueEnd - 1] == '\n' || line[valueEnd - 1] == '\r')) {
            --valueEnd;
        }
        const std::string value = line.substr(colon + 1, valueEnd - colon - 1);
        const std::string rewritten = AllowScriptSources(value, sources);
        if (rewritten == value) continue;
        line.replace(colon + 1, valueEnd - colon - 1, rewritten);
        changed = true;
    }
    return changed;
}

}  // namespace proxy
