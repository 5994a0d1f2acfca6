#include "browsers/text_lines.h"

namespace browsers {

std::vector<TextLine> SplitLines(const std::string& content) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t feed = content.find('\n', start);
        if (feed == std::string::npos) {
            lines.push_back({content.substr(start), ""});
            break;
        }
        std::size_t textEnd = feed;
        if (textEnd > start && content[textEnd - 1] == '\r') --textEnd;
        lines.push_back(
            {content.substr(start, textEnd - start), content.substr(textEnd, feed + 1 - textEnd)});
        start = feed + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<TextLine>& lines) {
    std::string content;
    for (const TextLine& line : lines) {
        content += line.text;
        content += line.ending;
    }
    return content;
}

std::string LineEndingOf(const std::string& content, const std::string& fallback) {
    std::size_t feed = content.find('\n');
    if (feed == std::string::npos) return fallback;
    return feed > 0 && content[feed - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace browsers
