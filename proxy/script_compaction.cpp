#include "proxy/script_compaction.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "proxy/script_names.h"
#include "proxy/script_tokens.h"

namespace proxy {
namespace {

// Where a blank must stay between two characters that had blanks or a line break between them.
bool NeedsBlank(char last, char next) {
    if (IsNameCharacter(last) && IsNameCharacter(next)) return true;
    if ((last == '+' || last == '-') && next == last) return true;
    return (last == '<' && (next == '!' || next == '/')) || (last == '-' && next == '>');
}

bool IsPunctuator(const ScriptToken& token, char c) {
    return token.kind == ScriptToken::Kind::kPunctuator && token.text[0] == c;
}

// A ";" before "}" goes, except where it is a statement of its own that something needs: the
// body of a condition, of else or do, or after a label.
bool IsDroppedSemicolon(const std::vector<ScriptToken>& tokens, size_t i) {
    if (!IsPunctuator(tokens[i], ';') || i == 0 || i + 1 >= tokens.size()) return false;
    if (!IsPunctuator(tokens[i + 1], '}')) return false;
    const ScriptToken& before = tokens[i - 1];
    if (before.endsCondition || IsPunctuator(before, ':')) return false;
    return before.kind != ScriptToken::Kind::kName ||
           (before.text != "else" && before.text != "do");
}

std::string WriteTokens(const std::vector<ScriptToken>& tokens, size_t sizeHint) {
    std::string out;
    out.reserve(sizeHint);
    bool lineBreak = false;
    bool blank = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const ScriptToken& token = tokens[i];
        lineBreak = lineBreak || token.lineBefore;
        blank = blank || token.blankBefore;
        if (IsDroppedSemicolon(tokens, i)) continue;
        if (!out.empty()) {
            const char last = out.back();
            const char next = token.text[0];
            if (lineBreak && !std::strchr(";{,(", last) && !std::strchr("})],;", next)) {
                out += '\n';
            } else if ((lineBreak || blank) && NeedsBlank(last, next)) {
                out += ' ';
            }
        }
        out += token.text;
        lineBreak = false;
        blank = false;
    }
    return out;
}

std::string Compact(std::string_view code) {
    std::vector<ScriptToken> tokens = ReadScriptTokens(code);
    ShortenLocalNames(tokens);
    return WriteTokens(tokens, code.size());
}

}  // namespace

std::string CompactScript(const std::string& fileText) {
    size_t start = 0;
    size_t end = fileText.size();
    if (fileText.compare(0, 7, "<script") == 0) {
        const size_t tagEnd = fileText.find('>');
        const size_t close = fileText.rfind("</script>");
        if (tagEnd != std::string::npos && close != std::string::npos && close > tagEnd) {
            start = tagEnd + 1;
            end = close;
        }
    }
    std::string text = fileText.substr(0, start);
    text += Compact(std::string_view(fileText).substr(start, end - start));
    text.append(fileText, end, std::string::npos);
    return text;
}

}  // namespace proxy
