// The blocker script read as a list of tokens, for the steps that make it smaller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace proxy {

struct ScriptToken {
    enum class Kind {
        kName,        // a name or keyword ("\\u" escapes and characters past ASCII included)
        kNumber,      // a run of name characters that starts with a digit ("1", "1e9", "0x1F")
        kLiteral,     // a string, template or regular expression literal, copied as it is
        kPunctuator,  // one character of punctuation or operator
    };
    Kind kind = Kind::kPunctuator;
    std::string text;
    bool blankBefore = false;  // blanks or a one-line comment came before it
    bool lineBefore = false;   // a line break came before it (a comment holding one counts)
    // On a ")": it closes the condition of if, for, while or with, so a statement follows.
    bool endsCondition = false;
};

// The tokens of code with its blanks, line breaks and comments dropped (each noted on the token
// after it). A "/" starts a regular expression where no value comes before it: at the start,
// after punctuation other than ")", "]" and "}", after a keyword such as return or typeof, and
// after the ")" of a condition. A template's "${...}" parts are copied with it. An unterminated
// literal runs to the end.
std::vector<ScriptToken> ReadScriptTokens(std::string_view code);

// True for the words a name may not be: the keywords, the literals and the words reserved by
// this or older editions of the language.
bool IsReservedWord(std::string_view word);

// Whether c may stand in a name (letters, digits, "_", "$", an escape's backslash, and any byte
// of a character outside ASCII).
bool IsNameCharacter(char c);

}  // namespace proxy
