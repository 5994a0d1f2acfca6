// Private-profile (INI) files: the Win32 functions on Windows; elsewhere an implementation with
// the same observable behaviour (case-insensitive sections and keys, values trimmed, a value in
// matching quotes read without them, integers read from their leading digits).
#pragma once

#include <string>

namespace platform {

// Value of key in section, or defaultValue when the file, section or key is missing. At most
// bufferSize - 1 characters are returned, as through a buffer of that size.
std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& defaultValue, const std::string& file,
                            unsigned bufferSize);

// Integer value of key: leading digits (with an optional sign) or 0; defaultValue when missing.
int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& file);

// Writes key=value into section, creating the file and section when needed. Returns false when
// the file cannot be written. The file is replaced in one step, never left half-written.
bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace platform
