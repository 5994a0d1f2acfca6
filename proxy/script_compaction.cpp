#include "proxy/script_compaction.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace proxy {
namespace {

bool IsNameCharacter(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '\\' || u >= 0x80;
}

// Words after which a "/" starts a regular expression, not a division.
bool IsKeywordBeforeValue(std::string_view word) {
    static const char* const kWords[] = {"return",     "typeof", "case",   "do",   "else", "in",
                                         "instanceof", "new",    "delete", "void", "throw"};
    for (const char* keyword : kWords) {
        if (word == keyword) return true;
    }
    return false;
}

class Compactor {
  public:
    explicit Compactor(std::string_view code) : code_(code) {}

    std::string Run() {
        out_.reserve(code_.size());
        while (at_ < code_.size()) Step();
        return std::move(out_);
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
        } else if (c == '"' || c == '\'' || c == '`') {
            Emit(QuotedLength(c));
        } else if (c == '/' && !ValueEndsBefore()) {
            Emit(RegularExpressionLength());
        } else if (IsNameCharacter(c)) {
            size_t end = at_;
            while (end < code_.size() && IsNameCharacter(code_[end])) ++end;
            Emit(end - at_);
        } else {
            Emit(1);
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

    // Length of the string literal at at_, up to its closing quote (escapes skipped).
    size_t QuotedLength(char quote) const {
        size_t end = at_ + 1;
        while (end < code_.size() && code_[end] != quote) {
            end += code_[end] == '\\' ? 2 : 1;
        }
        return std::min(end + 1, code_.size()) - at_;
    }

    // Length of the regular expression literal at at_, its flags included. A "/" inside a
    // character class does not end it.
    size_t RegularExpressionLength() const {
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
        return end - at_;
    }

    // True when what was written last ends a value, so a "/" divides it.
    bool ValueEndsBefore() const {
        if (out_.empty()) return false;
        const char last = out_.back();
        if (last == ')' || last == ']' || last == '}' || last == '"' || last == '\'' ||
            last == '`') {
            return true;
        }
        if (!IsNameCharacter(last)) return false;
        size_t start = out_.size();
        while (start > 0 && IsNameCharacter(out_[start - 1])) --start;
        return !IsKeywordBeforeValue(std::string_view(out_).substr(start));
    }

    // Writes the next length characters of code, with the blank or line break before them when
    // one is needed.
    void Emit(size_t length) {
        const char next = code_[at_];
        if (!out_.empty()) {
            const char last = out_.back();
            if (lineBreak_ && !std::strchr(";{,(", last) && !std::strchr("})],;", next)) {
                out_ += '\n';
            } else if ((lineBreak_ || blank_) && NeedsBlank(last, next)) {
                out_ += ' ';
            }
        }
        blank_ = false;
        lineBreak_ = false;
        out_.append(code_, at_, length);
        at_ += length;
    }

    static bool NeedsBlank(char last, char next) {
        if (IsNameCharacter(last) && IsNameCharacter(next)) return true;
        if ((last == '+' || last == '-') && next == last) return true;
        return (last == '<' && (next == '!' || next == '/')) || (last == '-' && next == '>');
    }

    std::string_view code_;
    size_t at_ = 0;
    std::string out_;
    bool blank_ = false;
    bool lineBreak_ = false;
};

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
    text += Compactor(std::string_view(fileText).substr(start, end - start)).Run();
    text.append(fileText, end, std::string::npos);
    return text;
}

}  // namespace proxy
