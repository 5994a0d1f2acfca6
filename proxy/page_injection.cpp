#include "proxy/page_injection.h"

#include <cstring>

#include "platform/ascii_text.h"

namespace proxy {

const char kSoundElement[] = "<BGSOUND ID='QX_beep'>";

namespace {

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

size_t SkipBlanks(const std::string& text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

// When body holds the declaration opened by `open` (lower case, matched in any case) at pos
// (after blanks), the offset just past its closing `close`; else pos unchanged.
size_t SkipDeclaration(const std::string& body, size_t pos, const char* open, const char* close) {
    const size_t start = SkipBlanks(body, pos);
    if (!platform::StartsWithNoCase(std::string_view(body).substr(start), open)) return pos;
    const size_t end = body.find(close, start);
    return end == std::string::npos ? pos : end + std::strlen(close);
}

// Where the declaration opened by `open` ends, for the first bytes of a body: kUnsettled while
// more bytes could still make one of it.
constexpr size_t kUnsettled = std::string::npos;

size_t SkipDeclarationStart(std::string_view start, size_t pos, bool complete, const char* open,
                            const char* close) {
    size_t at = pos;
    while (at < start.size() && IsBlank(start[at])) ++at;
    const std::string_view rest = start.substr(at);
    const size_t openSize = std::strlen(open);
    if (rest.size() < openSize) {
        const bool mayOpen = platform::EqualsNoCase(rest, std::string_view(open, rest.size()));
        return mayOpen && !complete ? kUnsettled : pos;
    }
    if (!platform::StartsWithNoCase(rest, open)) return pos;
    const size_t end = start.find(close, at);
    if (end == std::string_view::npos) return complete ? pos : kUnsettled;
    return end + std::strlen(close);
}

}  // namespace

std::string SoundStatement(const std::string& wavPath) {
    std::string statement = "if( QX_beep ) QX_beep.src=\"" + wavPath + "\";";
    for (char& c : statement) {
        if (c == '\\') c = '/';
    }
    return statement;
}

std::string PrepareScriptText(const std::string& fileText, bool playWave,
                              const std::string& wavPath) {
    const size_t placeholder = fileText.find("%s");
    if (placeholder == std::string::npos) return fileText;
    if (!playWave) {
        std::string script = fileText;
        script.replace(placeholder, 2, "  ");
        return script;
    }
    // The file reads as a format with one text argument; it is never handed to printf, so a
    // stray conversion in it cannot read past the argument.
    const std::string statement = SoundStatement(wavPath);
    std::string script;
    script.reserve(fileText.size() + statement.size());
    bool filled = false;
    size_t from = 0;
    for (size_t percent = fileText.find('%'); percent != std::string::npos;
         percent = fileText.find('%', from)) {
        script.append(fileText, from, percent - from);
        const char next = percent + 1 < fileText.size() ? fileText[percent + 1] : '\0';
        if (next == '%') {
            script += '%';
            from = percent + 2;
        } else if (next == 's' && !filled) {
            script += statement;
            filled = true;
            from = percent + 2;
        } else {
            script += '%';
            from = percent + 1;
        }
    }
    script.append(fileText, from, std::string::npos);
    return script;
}

bool IsInjectablePage(std::string_view body) {
    if (platform::FindNoCase(body, "<html>") != std::string::npos) return true;
    if (platform::FindNoCase(body, "<body") != std::string::npos) return true;
    const size_t tag = platform::FindNoCase(body, "<scr");
    if (tag == std::string::npos || tag == 0) return false;
    const char before = body[tag - 1];
    return before != '\'' && before != '"';
}

size_t ScriptInsertOffset(const std::string& body) {
    size_t pos = 0;
    if (body.compare(0, 3, kUtf8ByteOrderMark) == 0) pos = 3;
    pos = SkipDeclaration(body, pos, "<?xml", "?>");
    return SkipDeclaration(body, pos, "<!doctype", ">");
}

PageStart ReadPageStart(std::string_view start, bool complete, bool soundElement) {
    PageStart page;
    if (!complete && start.size() < 3 &&
        start == std::string_view(kUtf8ByteOrderMark, start.size())) {
        return page;
    }
    size_t pos = start.compare(0, 3, kUtf8ByteOrderMark) == 0 ? 3 : 0;
    pos = SkipDeclarationStart(start, pos, complete, "<?xml", "?>");
    if (pos == kUnsettled) return page;
    pos = SkipDeclarationStart(start, pos, complete, "<!doctype", ">");
    if (pos == kUnsettled) return page;
    // Markers found stay found; one missing may still come, so only the whole body says "no".
    if (!IsInjectablePage(start)) {
        if (complete) page.verdict = PageStart::Verdict::kNotPage;
        return page;
    }
    page.scriptAt = pos;
    if (soundElement) {
        // The first "<head>" wins over any "<HEAD>", so an upper-case tag counts only once the
        // whole body is known to hold no lower-case one.
        size_t head = start.find("<head>", pos);
        if (head == std::string_view::npos) {
            if (!complete) return page;
            head = start.find("<HEAD>", pos);
        }
        if (head != std::string_view::npos) {
            if (head + 6 < start.size()) {
                page.soundAt = head + 6;
            } else if (!complete) {
                return page;
            }
        }
    }
    page.verdict = PageStart::Verdict::kPage;
    return page;
}

void InsertScript(std::string& body, const std::string& script, size_t offset, bool soundElement) {
    size_t soundAt = std::string::npos;
    if (soundElement) {
        size_t head = body.find("<head>", offset);
        if (head == std::string::npos) head = body.find("<HEAD>", offset);
        if (head != std::string::npos && head + 6 < body.size()) soundAt = head + 6;
    }
    const size_t soundSize = soundAt == std::string::npos ? 0 : sizeof kSoundElement - 1;
    std::string page;
    page.reserve(body.size() + script.size() + soundSize);
    page.append(body, 0, offset);
    page += script;
    if (soundAt == std::string::npos) {
        page.append(body, offset, std::string::npos);
    } else {
        page.append(body, offset, soundAt - offset);
        page.append(kSoundElement, soundSize);
        page.append(body, soundAt, std::string::npos);
    }
    body.swap(page);
}

}  // namespace proxy
