#include "proxy/script_tokens.h"

#include <algorithm>

namespace proxy {
namespace {

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// Words after which a "/" starts a regular expression, not a division.
bool IsKeywordBeforeValue(std::string_view word) {
    return IsOneOf(word, {"return", "typeof", "case", "do", "else", "in", "instanceof", "new",
                          "delete", "void", "throw"});
}

class Reader {
  public:
    explicit Reader(std::string_view code) : code_(code) {}

    std::vector<ScriptToken> Run() {
        while (at_ < code_.size()) Step();
        return std::move(tokens_);
    }

  private:
    void Step() {
        const char c = code_[at_];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            blank_ = true;
            ++at_;
        } else if (c == '\n') {
            lineBreak_ = true;
            ++at_;
        } else if (code_.compare(at_, 2, "/*") == 0) {
            SkipBlockComment();
        } else if (code_.compare(at_, 2, "//") == 0) {
            const size_t end = code_.find('\n', at_);
            at_ = end == std::string_view::npos ? code_.size() : end;
        } else if (c == '"' || c == '\'') {
            Add(ScriptToken::Kind::kLiteral, QuotedEnd(at_, c));
        } else if (c == '`') {
            Add(ScriptToken::Kind::kLiteral, TemplateEnd(at_));
        } else if (c == '/' && !ValueEndsBefore()) {
            Add(ScriptToken::Kind::kLiteral, RegularExpressionEnd());
        } else if (IsNameCharacter(c)) {
            size_t end = at_;
            while (end < code_.size() && IsNameCharacter(code_[end])) ++end;
            Add(c >= '0' && c <= '9' ? ScriptToken::Kind::kNumber : ScriptToken::Kind::kName, end);
        } else {
            Add(ScriptToken::Kind::kPunctuator, at_ + 1);
            TrackParenthesis(c);
        }
    }

    // A comment counts as the blank or line break it stands for.
    void SkipBlockComment() {
        size_t end = code_.find("*/", at_ + 2);
        end = end == std::string_view::npos ? code_.size() : end + 2;
        if (code_.substr(at_, end - at_).find('\n') != std::string_view::npos) {
            lineBreak_ = true;
        } else {
            blank_ = true;
        }
        at_ = end;
    }

    // Where the string literal opened at from ends, past its closing quote (escapes skipped).
    size_t QuotedEnd(size_t from, char quote) const {
        size_t end = from + 1;
        while (end < code_.size() && code_[end] != quote) {
            end += code_[end] == '\\' ? 2 : 1;
        }
        return std::min(end + 1, code_.size());
    }

    // Where the template opened at from ends. A "${" part runs to its matching "}", past the
    // strings and templates inside it.
    size_t TemplateEnd(size_t from) const {
        size_t end = from + 1;
        while (end < code_.size() && code_[end] != '`') {
            if (code_[end] == '\\') {
                end += 2;
            } else if (code_.compare(end, 2, "${") == 0) {
                end = PlaceholderEnd(end + 2);
            } else {
                ++end;
            }
        }
        return std::min(end + 1, code_.size());
    }

    size_t PlaceholderEnd(size_t from) const {
        size_t end = from;
        int depth = 1;
        while (end < code_.size()) {
            const char c = code_[end];
            if (c == '"' || c == '\'') {
                end = QuotedEnd(end, c);
            } else if (c == '`') {
                end = TemplateEnd(end);
            } else {
                ++end;
                if (c == '{') ++depth;
                if (c == '}' && --depth == 0) break;
            }
        }
        return end;
    }

    // Where the regular expression literal at at_ ends, its flags included. A "/" inside a
    // character class does not end it.
    size_t RegularExpressionEnd() const {
        size_t end = at_ + 1;
        bool inClass = false;
        while (end < code_.size() && code_[end] != '\n') {
            const char c = code_[end];
            if (c == '\\') {
                end += 2;
                continue;
            }
            if (c == '[') inClass = true;
            if (c == ']') inClass = false;
            if (c == '/' && !inClass) break;
            ++end;
        }
        end = std::min(end + 1, code_.size());
        while (end < code_.size() && IsNameCharacter(code_[end])) ++end;
        return end;
    }

    // Notes which parentheses hold a condition, so that the ")" closing one can say so.
    void TrackParenthesis(char c) {
        if (c == '(') {
            const size_t count = tokens_.size();
            conditions_.push_back(count >= 2 &&
                                  tokens_[count - 2].kind == ScriptToken::Kind::kName &&
                                  IsOneOf(tokens_[count - 2].text, {"if", "for", "while", "with"}));
        } else if (c == ')' && !conditions_.empty()) {
            tokens_.back().endsCondition = conditions_.back();
            conditions_.pop_back();
        }
    }

    // True when the token before ends a value, so a "/" divides it.
    bool ValueEndsBefore() const {
        if (tokens_.empty()) return false;
        const ScriptToken& last = tokens_.back();
        switch (last.kind) {
            case ScriptToken::Kind::kName:
                return !IsKeywordBeforeValue(last.text);
            case ScriptToken::Kind::kNumber:
            case ScriptToken::Kind::kLiteral:
                return true;
            case ScriptToken::Kind::kPunctuator:
                if (last.text == ")") return !last.endsCondition;
                return last.text == "]" || last.text == "}";
        }
        return false;
    }

    void Add(ScriptToken::Kind kind, size_t end) {
        ScriptToken token;
        token.kind = kind;
        token.text.assign(code_, at_, end - at_);
        token.blankBefore = blank_;
        token.lineBefore = lineBreak_;
        tokens_.push_back(std::move(token));
        blank_ = false;
        lineBreak_ = false;
        at_ = end;
    }

    std::string_view code_;
    size_t at_ = 0;
    std::vector<ScriptToken> tokens_;
    std::vector<bool> conditions_;  // per open "(": whether it holds a condition
    bool blank_ = false;
    bool lineBreak_ = false;
};

}  // namespace

std::vector<ScriptToken> ReadScriptTokens(std::string_view code) { return Reader(code).Run(); }

bool IsReservedWord(std::string_view word) {
    return IsOneOf(word,
                   {"break",     "case",      "catch",  "class",      "const",        "continue",
                    "debugger",  "default",   "delete", "do",         "else",         "enum",
                    "export",    "extends",   "false",  "finally",    "for",          "function",
                    "if",        "import",    "in",     "instanceof", "new",          "null",
                    "return",    "super",     "switch", "this",       "throw",        "true",
                    "try",       "typeof",    "var",    "void",       "while",        "with",
                    "yield",     "let",       "static", "implements", "interface",    "package",
                    "private",   "protected", "public", "await",      "abstract",     "boolean",
                    "byte",      "char",      "double", "final",      "float",        "goto",
                    "int",       "long",      "native", "short",      "synchronized", "throws",
                    "transient", "volatile"});
}

bool IsNameCharacter(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '\\' || u >= 0x80;
}

}  // namespace proxy
