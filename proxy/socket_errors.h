// English texts for the calling thread's last Winsock error, for diagnostic messages.
#pragma once

#include <string>

namespace proxy {

// The text of the calling thread's last socket error, empty when there is none.
std::string LastSocketErrorText();

// The text of one Winsock error number (empty for 0).
std::string SocketErrorTextFor(int error);

}  // namespace proxy
