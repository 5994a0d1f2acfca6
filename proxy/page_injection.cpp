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

bool IsInjectablePage(const std::string& body) {
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
