// Numbers in model files: decimal floats and integers, one token at a time.
//
// A float token is [+-] digits [. [digits]] [(e|E) [+-] digits], or with no
// digits before the point, [+-] . digits [exponent]. It is converted to the
// nearest 32-bit float (ties to even), exactly as IEEE arithmetic rounds, so a
// model gives the same vertices on every system whatever the locale:
//  - a value that rounds beyond the largest float is OutOfRange (it would be
//    infinite), one that rounds below the smallest subnormal becomes a signed
//    zero;
//  - the words nan and inf(inity), with or without a sign, and the forms
//    1.#INF, 1.#IND, 1.#QNAN some writers print, are NotFinite;
//  - anything else (hexadecimal, "1e", "3.1+e2", a trailing letter) is
//    Malformed.
// A plain decimal, [-]digits[.digits] whose digits make a whole number
// m <= 2^24 with k <= 10 of them after the point, is converted as the one
// float division m / 10^k (both exact floats, so IEEE rounding gives the
// nearest float). Any other conversion is std::from_chars. A standard library without the
// floating-point from_chars (the browser build's) defines
// OCTASPIN_NO_FLOAT_FROM_CHARS and gets strtof instead, which the program
// runs in the C locale (it never calls setlocale), where the point is '.'
// and the result is correctly rounded too; the grammar above is checked first
// either way, so both see the same tokens.
#pragma once

#include <cstdint>
#include <string_view>

namespace model {

enum class NumberStatus { Ok, Malformed, NotFinite, OutOfRange };

NumberStatus parseFloat(std::string_view token, float& value);

// A whole token as a decimal integer with an optional sign. OutOfRange when
// it does not fit 64 bits.
NumberStatus parseInteger(std::string_view token, std::int64_t& value);

} // namespace model
