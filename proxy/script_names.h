// Shorter names for the variables and functions a script declares inside its functions.
#pragma once

#include <vector>

#include "proxy/script_tokens.h"

namespace proxy {

// Gives each name declared inside a function (its parameters, var names, function declarations,
// catch parameters) the shortest name that no other name seen where it is used needs, and
// changes every use with it; a name is kept when none shorter is free. What the outermost level
// declares, property names, object keys and every name the code does not declare stay as they
// are, and no new "%s" is made.
//
// Only done when the scope of every name is certain: returns false with tokens unchanged for
// code that holds with, eval, let, const, class, arrow functions, templates, spread, labels,
// accessor, method or shorthand members, a named function expression, a function declared
// inside a block, parameters other than plain names, a var statement continued over a line
// break, or brackets that do not match. tokens must be a script browsers accept.
bool ShortenLocalNames(std::vector<ScriptToken>& tokens);

}  // namespace proxy
