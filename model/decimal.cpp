#include "model/decimal.h"

#include "model/bytes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#if defined(OCTASPIN_NO_FLOAT_FROM_CHARS)
#include <cstdlib>
#include <cstring>
#include <string>
#endif

namespace model {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsWithWord(std::string_view text, std::string_view word) {
    return startsWithIgnoringCase(text, word);
}

// The spellings of infinities and NaNs that writers produce.
bool namesNonFinite(std::string_view token) {
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        token.remove_prefix(1);
    }
    if (startsWithWord(token, "nan") || startsWithWord(token, "inf")) {
        return true;
    }
    const std::size_t hash = token.find('#');
    if (hash == std::string_view::npos) {
        return false;
    }
    const std::string_view tail = token.substr(hash + 1);
    return startsWithWord(tail, "inf") || startsWithWord(tail, "ind") ||
           startsWithWord(tail, "qnan") || startsWithWord(tail, "snan");
}

// Where the token's decimal grammar holds, the power of ten of its leading
// non-zero digit (saturated far beyond any float); `zero` when every digit
// is 0. False when the token is not a decimal number.
bool scanDecimal(std::string_view token, long long& leadingPower, bool& zero) {
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        ++i;
    }
    long long power = 0; // power of ten of the digit at the scan position
    bool seenNonZero = false;
    std::size_t digits = 0;
    long long integerDigits = 0;
    while (i < token.size() && isDigit(token[i])) {
        if (!seenNonZero && token[i] != '0') {
            seenNonZero = true;
            integerDigits = 0;
        }
        if (seenNonZero) {
            ++integerDigits;
        }
        ++digits;
        ++i;
    }
    if (seenNonZero) {
        leadingPower = integerDigits - 1;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        power = -1;
        while (i < token.size() && isDigit(token[i])) {
            if (!seenNonZero && token[i] != '0') {
                seenNonZero = true;
                leadingPower = power;
            }
            --power;
            ++digits;
            ++i;
        }
    }
    if (digits == 0) {
        return false;
    }
    long long exponent = 0;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            negative = token[i] == '-';
            ++i;
        }
        if (i == token.size() || !isDigit(token[i])) {
            return false;
        }
        while (i < token.size() && isDigit(token[i])) {
            exponent = std::min(exponent * 10 + (token[i] - '0'), 1000000000LL);
            ++i;
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    if (i != token.size()) {
        return false;
    }
    zero = !seenNonZero;
    leadingPower = seenNonZero ? leadingPower + exponent : 0;
    return true;
}

// Decimals written plainly, [-]digits[.digits] whose digits make a whole
// number m <= 2^24 with at most ten after the point: m and 10^k are then
// exact floats, and one IEEE division m / 10^k rounds to the float nearest
// the decimal, as the full conversion does. False for every other token.
bool plainFloat(std::string_view token, float& value) {
    static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                        1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    constexpr std::uint32_t kLargest = std::uint32_t{1} << 24;
    std::size_t i = token.size() > 0 && token[0] == '-' ? 1 : 0;
    std::uint32_t m = 0;
    std::size_t digits = 0;
    std::size_t after = 0; // digits after the point
    bool point = false;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (c >= '0' && c <= '9') {
            m = m * 10 + static_cast<std::uint32_t>(c - '0');
            if (m > kLargest) {
                return false;
            }
            ++digits;
            after += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || after > 10) {
        return false;
    }
    const float magnitude = static_cast<float>(m) / kPowers[after];
    value = token[0] == '-' ? -magnitude : magnitude;
    return true;
}

} // namespace

NumberStatus parseFloat(std::string_view token, float& value) {
    if (plainFloat(token, value)) {
        return NumberStatus::Ok;
    }
    long long leadingPower = 0;
    bool zero = false;
    if (!scanDecimal(token, leadingPower, zero)) {
        return namesNonFinite(token) ? NumberStatus::NotFinite : NumberStatus::Malformed;
    }
#if defined(OCTASPIN_NO_FLOAT_FROM_CHARS)
    // strtof wants a terminated string: a copy on the stack for the tokens
    // that fit (all but absurd ones), so no token allocates.
    char buffer[96];
    std::string longToken;
    const char* terminated = buffer;
    if (token.size() < sizeof buffer) {
        std::memcpy(buffer, token.data(), token.size());
        buffer[token.size()] = '\0';
    } else {
        longToken.assign(token);
        terminated = longToken.c_str();
    }
    const float result = std::strtof(terminated, nullptr);
    if (std::isinf(result)) {
        return NumberStatus::OutOfRange;
    }
    value = result;
    return NumberStatus::Ok;
#else
    const bool negative = token[0] == '-';
    // from_chars takes no '+'.
    if (token[0] == '+') {
        token.remove_prefix(1);
    }
    float result = 0.0f;
    const auto [end, code] = std::from_chars(token.data(), token.data() + token.size(), result);
    if (end != token.data() + token.size()) {
        return NumberStatus::Malformed; // cannot happen once the grammar held
    }
    if (code == std::errc::result_out_of_range) {
        // Out of range both ways: beyond the largest float (its leading
        // digit is at 10^38 or more) or below half the smallest subnormal
        // (10^-46 or less), which rounds to zero.
        if (!zero && leadingPower > 0) {
            return NumberStatus::OutOfRange;
        }
        value = negative ? -0.0f : 0.0f;
        return NumberStatus::Ok;
    }
    if (code != std::errc()) {
        return NumberStatus::Malformed;
    }
    value = result;
    return NumberStatus::Ok;
#endif
}

NumberStatus parseInteger(std::string_view token, std::int64_t& value) {
    // The common case first: [-]digits, at most 18 of them (no overflow).
    const std::size_t sign = !token.empty() && token[0] == '-' ? 1 : 0;
    if (token.size() > sign && token.size() - sign <= 18) {
        std::int64_t v = 0;
        std::size_t i = sign;
        for (; i < token.size() && isDigit(token[i]); ++i) {
            v = v * 10 + (token[i] - '0');
        }
        if (i == token.size()) {
            value = sign != 0 ? -v : v;
            return NumberStatus::Ok;
        }
    }
    if (!token.empty() && token[0] == '+') {
        token.remove_prefix(1);
        if (!token.empty() && token[0] == '-') {
            return NumberStatus::Malformed;
        }
    }
    if (token.empty()) {
        return NumberStatus::Malformed;
    }
    std::int64_t result = 0;
    const auto [end, code] = std::from_chars(token.data(), token.data() + token.size(), result);
    if (end != token.data() + token.size()) {
        return NumberStatus::Malformed;
    }
    if (code == std::errc::result_out_of_range) {
        return NumberStatus::OutOfRange;
    }
    if (code != std::errc()) {
        return NumberStatus::Malformed;
    }
    value = result;
    return NumberStatus::Ok;
}

} // namespace model
