// SHA-256 and base64, for the hash sources that let the blocker script run under a page's
// script policy.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace proxy {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(const std::string& bytes);

// Standard base64 alphabet with "=" padding.
std::string Base64(const std::uint8_t* bytes, size_t size);

}  // namespace proxy
