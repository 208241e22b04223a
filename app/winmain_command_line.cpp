#include "app/winmain_command_line.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string firstArgument(const char* commandLine) {
    std::string argument;
    if (commandLine == nullptr) {
        return argument;
    }
    const char* p = commandLine;
    while (isBlank(*p)) {
        ++p;
    }
    bool quoted = false;
    while (*p != '\0' && (quoted || !isBlank(*p))) {
        if (*p == '\\') {
            std::size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++p;
                }
            } else {
                argument.append(backslashes, '\\');
            }
            continue;
        }
        if (*p == '"') {
            quoted = !quoted;
        } else {
            argument += *p;
        }
        ++p;
    }
    return argument;
}

std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote they are doubled too.
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}
