// The blocker script as it goes into every page: the file keeps its comments and indentation for
// the people who read it, the pages get it without them.
#pragma once

#include <string>

namespace proxy {

// The script element of fileText with the script inside compacted: comments removed, and every
// run of blanks and line breaks removed or made one character. A blank stays only between two
// characters of names or numbers and where removing it would join two operators into another
// ("+ +", "- -") or form "<!--", "-->" or "</"; a line break stays where the one before or
// after may end a statement without a semicolon. String and regular-expression literals are
// copied as they are (a "/" is a regular expression where no value comes before it). The
// opening tag and what follows the last "</script>" are not touched; a text without them is
// compacted whole.
std::string CompactScript(const std::string& fileText);

}  // namespace proxy
