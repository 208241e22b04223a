// Small helpers the model readers share: values of a given byte order read
// from a file's bytes (whatever the machine's own order), and ASCII case
// folding for keywords and extensions (never the locale's).
#pragma once

#include "math/bit_cast.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace model {

inline std::uint16_t load16(const std::uint8_t* p, bool bigEndian) {
    return static_cast<std::uint16_t>(bigEndian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

inline std::uint32_t load32(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                           std::uint32_t{p[2]} << 8 | p[3]
                     : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 |
                           std::uint32_t{p[1]} << 8 | p[0];
}

inline std::uint64_t load64(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint64_t{load32(p, true)} << 32 | load32(p + 4, true)
                     : std::uint64_t{load32(p + 4, false)} << 32 | load32(p, false);
}

inline float loadFloat(const std::uint8_t* p, bool bigEndian) {
    return bitCast<float>(load32(p, bigEndian));
}

inline double loadDouble(const std::uint8_t* p, bool bigEndian) {
    return bitCast<double>(load64(p, bigEndian));
}

inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` begins with `lowerWord` (lower case), ASCII letters
// compared in any case.
inline bool startsWithIgnoringCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        if (lowerAscii(text[i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

inline bool equalsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() && startsWithIgnoringCase(text, lowerWord);
}

} // namespace model
