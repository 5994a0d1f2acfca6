// The hosts whose secure pages are never intercepted: banking and payment sites, and whatever
// the user adds. Their tunnels pass untouched, so the browser talks to the site directly.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/files.h"

namespace proxy {

// Bounds on the file: a larger file is not read, entries beyond the count are ignored.
constexpr std::size_t kMaxSecureExclusionsFileBytes = 1024 * 1024;
constexpr std::size_t kMaxSecureExclusions = 10000;

class SecureExclusions {
  public:
    SecureExclusions() = default;
    // Reads the list's text: one entry per line, "host" or "*.domain"; "#" starts a comment that
    // runs to the end of the line; blanks around an entry, blank lines and a UTF-8 byte order
    // mark are ignored. A line that holds no valid host name (or more than one word) is skipped.
    explicit SecureExclusions(std::string_view text);

    // Whether host (as in CONNECT or SNI, any case, one trailing dot allowed) is on the list:
    // named exactly, or under a "*.domain" entry, which also covers the domain itself.
    bool Matches(std::string_view host) const;

    std::size_t size() const { return hosts_.size() + domains_.size(); }
    // Lines that held something and were no entry.
    std::size_t skippedLines() const { return skippedLines_; }

  private:
    std::unordered_set<std::string> hosts_;
    std::unordered_set<std::string> domains_;
    std::size_t skippedLines_ = 0;
};

// Path of the list: ModuleFilePath("SecureExclusions.txt"), beside the settings file.
std::string SecureExclusionsFilePath();

// The list in the file at path, never null: empty when the file is missing, cannot be read or
// is larger than the bound; *read (when given) says which.
std::shared_ptr<const SecureExclusions> LoadSecureExclusions(const std::string& path,
                                                             platform::FileRead* read = nullptr);

}  // namespace proxy
