// Decimal numbers of model files: correctly rounded to 32-bit floats, with
// the grammar and the limits the readers rely on.
#include "model/decimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

using model::NumberStatus;

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct Case {
    const char* token;
    NumberStatus status;
    float value = 0.0f;
};

TEST(ModelDecimal, TokensGiveTheNearestFloatOrSayWhyNot) {
    const float smallest = std::numeric_limits<float>::denorm_min();
    const Case cases[] = {
        {"0.1", NumberStatus::Ok, 0.1f},
        {"+.5", NumberStatus::Ok, 0.5f},
        {"1.", NumberStatus::Ok, 1.0f},
        {"-2.5E+1", NumberStatus::Ok, -25.0f},
        // Halfway between 1 and the next float: ties to even (1); a hair
        // above: up.
        {"1.000000059604644775390625", NumberStatus::Ok, 1.0f},
        {"1.000000059604644775390626", NumberStatus::Ok, std::nextafter(1.0f, 2.0f)},
        {"3.4028235e38", NumberStatus::Ok, std::numeric_limits<float>::max()},
        {"1.4e-45", NumberStatus::Ok, smallest},
        {"7.1e-46", NumberStatus::Ok, smallest}, // just above half the smallest
        {"7e-46", NumberStatus::Ok, 0.0f},       // below half: zero
        {"-1e-50", NumberStatus::Ok, -0.0f},
        {"00000000000000000000000000000000000000000000000001e-1", NumberStatus::Ok, 0.1f},
        {"0.000000000000000000000000000000000000000000000000000e999999999999", NumberStatus::Ok,
         0.0f},
        {"3.5e38", NumberStatus::OutOfRange},
        {"-1e999999999999999", NumberStatus::OutOfRange},
        {"nan", NumberStatus::NotFinite},
        {"-Infinity", NumberStatus::NotFinite},
        {"1.#QNAN", NumberStatus::NotFinite},
        {"", NumberStatus::Malformed},
        {".", NumberStatus::Malformed},
        {"1e", NumberStatus::Malformed},
        {"1e+", NumberStatus::Malformed},
        {"0x10", NumberStatus::Malformed},
        {"1,5", NumberStatus::Malformed},
        {"++1", NumberStatus::Malformed},
        {"1 ", NumberStatus::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.token);
        float value = 12345.0f;
        EXPECT_EQ(model::parseFloat(c.token, value), c.status);
        if (c.status == NumberStatus::Ok) {
            EXPECT_EQ(bitsOf(value), bitsOf(c.value));
        }
    }
    std::int64_t integer = 0;
    EXPECT_EQ(model::parseInteger("+42", integer), NumberStatus::Ok);
    EXPECT_EQ(integer, 42);
    EXPECT_EQ(model::parseInteger("-9223372036854775808", integer), NumberStatus::Ok);
    EXPECT_EQ(model::parseInteger("9223372036854775808", integer), NumberStatus::OutOfRange);
    EXPECT_EQ(model::parseInteger("+-1", integer), NumberStatus::Malformed);
    EXPECT_EQ(model::parseInteger("1.0", integer), NumberStatus::Malformed);
}

#if !defined(_WIN32)
// Against the C library's conversion, which on this system is correctly
// rounded too: random digits, points and exponents around every float
// magnitude, subnormals and both ends included.
TEST(ModelDecimal, AgreesWithTheCLibraryOnRandomTokens) {
    std::mt19937_64 random(15);
    for (int i = 0; i < 200000; ++i) {
        std::string token = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 25);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point) {
                token += '.';
            }
            token += static_cast<char>('0' + random() % 10);
        }
        token += 'e';
        token += std::to_string(static_cast<int>(random() % 100) - 60);
        float value = 0.0f;
        const NumberStatus status = model::parseFloat(token, value);
        const float expected = std::strtof(token.c_str(), nullptr);
        if (std::isinf(expected)) {
            EXPECT_EQ(status, NumberStatus::OutOfRange) << token;
        } else {
            ASSERT_EQ(status, NumberStatus::Ok) << token;
            ASSERT_EQ(bitsOf(value), bitsOf(expected)) << token;
        }
    }
}
#endif

} // namespace
