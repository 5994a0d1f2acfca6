#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace platform {
namespace {

// The file's lines, each without its line break.
std::vector<std::string> ReadLines(const std::string& file, bool* exists) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    *exists = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; any other line gives false.
bool SectionName(const std::string& line, std::string* name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// "key = value" gives key and value; a line without "=" gives false.
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    *key = Trim(line.substr(0, equals));
    *value = Trim(line.substr(equals + 1));
    return true;
}

// Index of the value line of key in section, or -1; sectionEnd gets the index after the
// section's last non-blank line (-1 when the section is missing).
int FindKey(const std::vector<std::string>& lines, const std::string& section,
            const std::string& key, int* sectionEnd) {
    bool inSection = false;
    *sectionEnd = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (SectionName(lines[i], &name)) {
            if (inSection) return -1;
            inSection = EqualsNoCase(name, section);
            if (inSection) *sectionEnd = static_cast<int>(i) + 1;
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i]).empty()) *sectionEnd = static_cast<int>(i) + 1;
        if (KeyValue(lines[i], &k, &v) && EqualsNoCase(k, key)) return static_cast<int>(i);
    }
    return -1;
}

bool LookUp(const std::string& section, const std::string& key, const std::string& file,
            std::string* value) {
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file, &exists);
    int sectionEnd;
    int index = FindKey(lines, section, key, &sectionEnd);
    if (index < 0) return false;
    std::string k;
    KeyValue(lines[static_cast<size_t>(index)], &k, value);
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') &&
        value->back() == value->front()) {
        *value = value->substr(1, value->size() - 2);
    }
    return true;
}

}  // namespace

std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& defaultValue, const std::string& file,
                            unsigned bufferSize) {
    std::string value;
    if (!LookUp(section, key, file, &value)) value = defaultValue;
    if (bufferSize == 0) return "";
    if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
    return value;
}

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& file) {
    std::string value;
    if (!LookUp(section, key, file, &value)) return defaultValue;
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    std::uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10u + static_cast<std::uint32_t>(value[i] - '0');
    }
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
    // A file without write permission stands for a read-only file, even for root.
    struct stat status;
    if (::stat(file.c_str(), &status) == 0 && (status.st_mode & S_IWUSR) == 0) return false;
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file, &exists);
    int sectionEnd;
    int index = FindKey(lines, section, key, &sectionEnd);
    std::string entry = key + "=" + value;
    if (index >= 0) {
        lines[static_cast<size_t>(index)] = entry;
    } else if (sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return ReplaceFileContent(file, text);
}

}  // namespace platform
