// Words of a text model file, with the line each word is on.
//
// Words are separated by blanks (space, tab, carriage return, vertical tab,
// form feed); lines end with '\n', so CRLF files read as LF ones. With
// `objRules`, a backslash right before a line end joins the next line to
// this one (the line count still goes on), and a word that begins with '#'
// starts a comment that runs to the end of the (joined) line (a '#' inside
// a word is part of it: some writers print infinity as 1.#INF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace model {

class TextScanner {
  public:
    // Starts at byte `start`, which is on line `line`.
    TextScanner(std::span<const std::uint8_t> bytes, std::size_t start, std::uint64_t line,
                bool objRules);

    // The next word of the current line; empty at its end (the line end is
    // not passed).
    std::string_view word();
    // The next word, passing line ends; empty only at the end of the file.
    std::string_view anyWord();
    // Passes the rest of the current line and its end.
    void nextLine();

    bool atEnd() const { return pos_ >= bytes_.size(); }
    // The line of the word returned last (before any, the starting line).
    std::uint64_t line() const { return wordLine_; }
    // The line the scan is on now.
    std::uint64_t currentLine() const { return line_; }
    // Byte offset of the scan.
    std::size_t offset() const { return pos_; }

  private:
    // At a backslash that only a line end (CRLF or LF) follows: passes both.
    bool passContinuation();
    void skipBlanks();
    std::string_view takeWord();

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
    std::uint64_t line_;
    std::uint64_t wordLine_;
    bool objRules_;
};

// The first word of the file, past a byte-order mark and blank lines (and,
// with `objRules`, comments); empty when there is none.
std::string_view firstWord(std::span<const std::uint8_t> bytes, bool objRules);

// What a byte is to a scan of words: part of a word, a blank, a line end.
enum class ByteKind : std::uint8_t { Word, Blank, LineEnd };

struct ByteKinds {
    ByteKind of[256] = {};
    constexpr ByteKinds() {
        for (const unsigned char c : {' ', '\t', '\r', '\v', '\f'}) {
            of[c] = ByteKind::Blank;
        }
        of[static_cast<unsigned char>('\n')] = ByteKind::LineEnd;
    }
};
inline constexpr ByteKinds kByteKinds;

inline ByteKind kindOf(char c) {
    return kByteKinds.of[static_cast<unsigned char>(c)];
}

// The next word of the line at `p` (before `end`), passing blanks before
// it; empty at the line's end (p is then at the '\n' or at `end`).
inline std::string_view nextWordOfLine(const char*& p, const char* end) {
    while (p < end && kindOf(*p) == ByteKind::Blank) {
        ++p;
    }
    const char* const start = p;
    while (p < end && kindOf(*p) == ByteKind::Word) {
        ++p;
    }
    return std::string_view(start, static_cast<std::size_t>(p - start));
}

// A piece of a text: bytes [begin, end), which end just after a '\n' or
// at the end of the text.
struct LinePiece {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Cuts bytes [from, size) into at most `count` pieces of about
// `pieceBytes` each, ending at line ends: fewer where the text ends.
std::vector<LinePiece> cutAtLines(std::span<const std::uint8_t> bytes, std::size_t from,
                                  std::size_t count, std::size_t pieceBytes);

// The offset just past a UTF-8 byte-order mark at the start, or 0.
std::size_t afterByteOrderMark(std::span<const std::uint8_t> bytes);

} // namespace model
