// The blocker script as it goes into every page: the file keeps its comments and indentation for
// the people who read it, the pages get it without them.
#pragma once

#include <string>

namespace proxy {

// The script element of fileText with the script inside compacted: comments removed, and every
// run of blanks and line breaks removed or made one character. A blank stays only between two
// characters of names or numbers and where removing it would join two operators into another
// ("+ +", "- -") or form "<!--", "-->" or "</"; a line break stays where the one before or
// after may end a statement without a semicolon. A ";" before "}" goes unless it is an empty
// statement that a condition, else, do or a label needs. The names declared inside functions
// get shorter ones where their scope is proven (ShortenLocalNames); the statement that later
// takes the place of "%s" may name only what the page itself declares. String, template and
// regular-expression literals are copied as they are (ReadScriptTokens tells a regular
// expression from a division). The opening tag and what follows the last "</script>" are not
// touched; a text without them is compacted whole.
std::string CompactScript(const std::string& fileText);

}  // namespace proxy
