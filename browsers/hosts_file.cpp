#include "browsers/hosts_file.h"

#include <algorithm>
#include <set>

#include "browsers/text_lines.h"
#include "platform/ascii_text.h"

namespace browsers {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsAboveSpace(char c) { return static_cast<unsigned char>(c) > ' '; }

// A line as compared between hosts files: lower case, white space runs as one space, no white
// space at either end.
std::string ComparableLine(const std::string& line) {
    std::string out;
    bool pendingSpace = false;
    for (char c : line) {
        if (IsBlank(c) || c == '\r') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out += platform::LowerAscii(c);
    }
    return out;
}

std::set<std::string> ComparableLines(const std::string& content) {
    std::set<std::string> lines;
    for (const std::string& line : SplitHostsLines(content)) {
        std::string comparable = ComparableLine(line);
        if (!comparable.empty()) lines.insert(comparable);
    }
    return lines;
}

bool EndsWithLineBreak(const std::string& text) { return !text.empty() && text.back() == '\n'; }

}  // namespace

std::string HostsPathFor(const std::string& windowsDirectory, unsigned long platformId) {
    return windowsDirectory + (platformId == 2 ? "\\system32\\drivers\\etc\\hosts" : "\\hosts");
}

std::vector<std::string> SplitHostsLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (char c : content) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            continue;
        }
        if (line.size() == kMaxHostsLineLength) {
            lines.push_back(line);
            line.clear();
        }
        line += c;
        pending = true;
    }
    if (pending) lines.push_back(line);
    return lines;
}

std::string HostField(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != '#') ++i;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == '#') return "";
    size_t end = i;
    while (end < line.size() && IsAboveSpace(line[end]) && end - i < kMaxHostFieldLength) ++end;
    return line.substr(i, end - i);
}

bool HostsTextContains(const std::string& content, const std::string& name) {
    const std::string wanted = platform::ToLowerAscii(name.substr(0, kMaxHostFieldLength));
    for (const std::string& line : SplitHostsLines(content)) {
        const std::string field = HostField(line);
        if (field.empty() || field[0] == '#') continue;
        if (platform::ToLowerAscii(field).find(wanted) != std::string::npos) return true;
    }
    return false;
}

std::string HostsEntryLine(const std::string& address, const std::string& host) {
    return address + "\t" + host + "\r\n";
}

std::string AppendHostsEntry(const std::string& content, const std::string& address,
                             const std::string& host) {
    std::string result = content;
    if (!result.empty() && !EndsWithLineBreak(result)) result += "\r\n";
    return result + HostsEntryLine(address, host);
}

std::string SwitchPreparedHosts(const std::string& current, const std::string& target,
                                const std::string& other) {
    const std::set<std::string> targetLines = ComparableLines(target);
    const std::set<std::string> otherLines = ComparableLines(other);

    // Keep every line of the current file, line breaks included, unless it belongs only to the
    // other prepared file.
    std::string result;
    std::set<std::string> kept;
    size_t start = 0;
    while (start < current.size()) {
        size_t end = current.find('\n', start);
        end = end == std::string::npos ? current.size() : end + 1;
        const std::string line = current.substr(start, end - start);
        start = end;
        std::string comparable = ComparableLine(line.substr(0, line.find('\n')));
        if (otherLines.count(comparable) != 0 && targetLines.count(comparable) == 0) continue;
        result += line;
        kept.insert(comparable);
    }

    for (const std::string& line : SplitHostsLines(target)) {
        const std::string comparable = ComparableLine(line);
        if (comparable.empty() || kept.count(comparable) != 0) continue;
        if (!result.empty() && !EndsWithLineBreak(result)) result += "\r\n";
        result += line + "\r\n";
        kept.insert(comparable);
    }
    return result;
}

std::string RemoveProgramHostsLines(const std::string& current, const std::string& backup,
                                    const std::vector<std::string>& prepared,
                                    const std::string& proxyHost) {
    std::set<std::string> added;
    for (const std::string& file : prepared) {
        for (const std::string& line : ComparableLines(file)) added.insert(line);
    }
    for (const std::string& line : ComparableLines(backup)) added.erase(line);
    const std::string entry = ComparableLine("127.0.0.1 " + proxyHost);

    const bool keepLocalhost = ComparableLines(backup).empty();

    std::vector<TextLine> kept;
    for (TextLine& line : SplitLines(current)) {
        const std::string comparable = ComparableLine(line.text);
        const bool localhost = platform::ToLowerAscii(HostField(line.text)) == "localhost";
        const bool programs =
            comparable == entry || (added.count(comparable) != 0 && !(localhost && keepLocalhost));
        if (!programs) kept.push_back(std::move(line));
    }
    return JoinLines(kept);
}

std::string HostsManualInstructions(TextLookup lookup) {
    return lookup(core::texts::kHostsNotWritable) + lookup(core::texts::kHostsManualFolder) +
           lookup(core::texts::kHostsManualOpen) + lookup(core::texts::kHostsManualAddLine) +
           lookup(core::texts::kHostsManualEntry);
}

namespace {

constexpr char kHostsSwitch[] = "/hosts ";

struct NamedHostsCommand {
    HostsCommand command;
    const char* name;
};
constexpr NamedHostsCommand kHostsCommands[] = {
    {HostsCommand::kAddEntry, "entry"},
    {HostsCommand::kAdsOn, "ads-on"},
    {HostsCommand::kAdsOff, "ads-off"},
};

}  // namespace

std::string HostsCommandArguments(HostsCommand command) {
    for (const NamedHostsCommand& named : kHostsCommands) {
        if (named.command == command) return kHostsSwitch + std::string(named.name);
    }
    return "";
}

bool ParseHostsCommand(const std::string& commandLine, HostsCommand* command) {
    const size_t first = commandLine.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const std::string line =
        commandLine.substr(first, commandLine.find_last_not_of(" \t") - first + 1);
    for (const NamedHostsCommand& named : kHostsCommands) {
        if (line == kHostsSwitch + std::string(named.name)) {
            *command = named.command;
            return true;
        }
    }
    return false;
}

}  // namespace browsers
