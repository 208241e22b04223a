#include "platform/desktop/file_transfer.h"

namespace platform::desktop {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string percentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

} // namespace

std::string chooserFilter(const std::vector<FileFilterView>& filters) {
    std::string text;
    for (const FileFilterView& filter : filters) {
        if (filter.patterns.empty()) {
            continue;
        }
        std::string description = filter.description;
        for (char& c : description) {
            if (c == '\t' || c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        std::vector<std::string> patterns;
        for (const std::string& pattern : filter.patterns) {
            patterns.push_back(pattern);
            if (upper(pattern) != pattern) {
                patterns.push_back(upper(pattern));
            }
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += description + '\t';
        if (patterns.size() > 1) {
            text += '{';
        }
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            text += (i > 0 ? "," : "") + patterns[i];
        }
        if (patterns.size() > 1) {
            text += '}';
        }
    }
    return text;
}

std::vector<std::string> droppedPaths(const std::string& text) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) {
            line.pop_back();
        }
        static const std::string kScheme = "file://";
        if (line.compare(0, kScheme.size(), kScheme) == 0) {
            // file:///path, or file://host/path: the path starts at the
            // first slash after the scheme.
            const std::size_t slash = line.find('/', kScheme.size());
            if (slash != std::string::npos) {
                paths.push_back(percentDecoded(line.substr(slash)));
            }
        } else if (!line.empty() && line[0] == '/') {
            paths.push_back(line);
        }
    }
    return paths;
}

} // namespace platform::desktop
