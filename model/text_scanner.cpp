#include "model/text_scanner.h"

#include <cstring>

namespace model {

namespace {

bool isBlank(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

TextScanner::TextScanner(std::span<const std::uint8_t> bytes, std::size_t start, std::uint64_t line,
                         bool objRules)
    : bytes_(bytes), pos_(start < bytes.size() ? start : bytes.size()), line_(line),
      wordLine_(line), objRules_(objRules) {}

bool TextScanner::passContinuation() {
    if (!objRules_ || bytes_[pos_] != '\\') {
        return false;
    }
    std::size_t next = pos_ + 1;
    if (next < bytes_.size() && bytes_[next] == '\r') {
        ++next;
    }
    if (next >= bytes_.size() || bytes_[next] != '\n') {
        return false;
    }
    pos_ = next + 1;
    ++line_;
    return true;
}

void TextScanner::skipBlanks() {
    while (pos_ < bytes_.size()) {
        if (isBlank(bytes_[pos_])) {
            ++pos_;
        } else if (!passContinuation()) {
            break;
        }
    }
}

std::string_view TextScanner::takeWord() {
    const std::size_t start = pos_;
    wordLine_ = line_;
    while (pos_ < bytes_.size()) {
        const std::uint8_t c = bytes_[pos_];
        if (isBlank(c) || c == '\n') {
            break;
        }
        if (c == '\\' && objRules_) {
            // A word ends where the line is continued.
            std::size_t next = pos_ + 1;
            if (next < bytes_.size() && bytes_[next] == '\r') {
                ++next;
            }
            if (next >= bytes_.size() || bytes_[next] == '\n') {
                break;
            }
        }
        ++pos_;
    }
    return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + start, pos_ - start);
}

std::string_view TextScanner::word() {
    skipBlanks();
    if (pos_ >= bytes_.size() || bytes_[pos_] == '\n') {
        wordLine_ = line_;
        return {};
    }
    if (objRules_ && bytes_[pos_] == '#') {
        // A comment: to the end of the line, joined lines included.
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n') {
            if (!passContinuation()) {
                ++pos_;
            }
        }
        wordLine_ = line_;
        return {};
    }
    return takeWord();
}

std::string_view TextScanner::anyWord() {
    while (pos_ < bytes_.size() && (isBlank(bytes_[pos_]) || bytes_[pos_] == '\n')) {
        if (bytes_[pos_] == '\n') {
            ++line_;
        }
        ++pos_;
    }
    if (pos_ >= bytes_.size()) {
        wordLine_ = line_;
        return {};
    }
    return takeWord();
}

void TextScanner::nextLine() {
    while (pos_ < bytes_.size() && bytes_[pos_] != '\n') {
        if (!passContinuation()) {
            ++pos_;
        }
    }
    if (pos_ < bytes_.size()) {
        ++pos_;
        ++line_;
    }
}

std::string_view firstWord(std::span<const std::uint8_t> bytes, bool objRules) {
    TextScanner scan(bytes, afterByteOrderMark(bytes), 1, objRules);
    while (!scan.atEnd()) {
        const std::string_view word = scan.word();
        if (!word.empty()) {
            return word;
        }
        scan.nextLine();
    }
    return {};
}

std::vector<LinePiece> cutAtLines(std::span<const std::uint8_t> bytes, std::size_t from,
                                  std::size_t count, std::size_t pieceBytes) {
    std::vector<LinePiece> pieces;
    for (std::size_t at = from; pieces.size() < count && at < bytes.size();) {
        std::size_t end = bytes.size() - at > pieceBytes ? at + pieceBytes : bytes.size();
        if (end < bytes.size()) {
            const void* newline = std::memchr(bytes.data() + end, '\n', bytes.size() - end);
            end = newline == nullptr
                      ? bytes.size()
                      : static_cast<std::size_t>(static_cast<const std::uint8_t*>(newline) -
                                                 bytes.data()) +
                            1;
        }
        pieces.push_back(LinePiece{at, end});
        at = end;
    }
    return pieces;
}

std::size_t afterByteOrderMark(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
}

} // namespace model
