// English texts for the calling thread's last Winsock error, for diagnostic messages.
#pragma once

#include <string>

namespace proxy {

// Reads the last socket error. For 0 nothing is written; otherwise the error's text is stored
// in *text when text is given (callers that only look the error up pass nullptr).
void SocketErrorText(std::string* text);

// Empties *text first, so it stays empty when there is no error; returns it.
std::string ClearedSocketErrorText();

// The text of one Winsock error number (empty for 0).
std::string SocketErrorTextFor(int error);

}  // namespace proxy
