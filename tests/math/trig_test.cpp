// sine and cosine give the same bits on every system: every angle the
// program can use, compared with the Linux C library where that is the
// reference, and folded into one checksum per binade that every build,
// the Windows one under Wine included, must meet.
#include "math/trig.h"
#include "tests/support/checksum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float fromBits(std::uint32_t bits) {
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The C library whose values sine and cosine reproduce: the Linux one on
// x86-64, in the build it picks on processors with fused multiply-add.
// (Its other build differs at a few dozen of the four billion angles.)
bool libraryIsTheReference() {
#if defined(__GLIBC__) && defined(__x86_64__)
    return __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

// Counts the angles where sine or cosine differ from the C library and
// keeps the first of them for the message.
class LibraryComparison {
  public:
    void check(float angle, float s, float c) {
        if (!enabled_) {
            return;
        }
        const float librarySine = std::sin(angle);
        const float libraryCosine = std::cos(angle);
        if (bitsOf(s) == bitsOf(librarySine) && bitsOf(c) == bitsOf(libraryCosine)) {
            return;
        }
        if (mismatches_++ == 0) {
            std::ostringstream text;
            text << std::hexfloat << "angle " << angle << ": sine " << s << " cosine " << c
                 << ", library " << librarySine << " " << libraryCosine;
            first_ = text.str();
        }
    }
    long mismatches() const { return mismatches_; }
    const std::string& first() const { return first_; }

  private:
    bool enabled_ = libraryIsTheReference();
    long mismatches_ = 0;
    std::string first_;
};

// Angles 2^exponent <= |angle| < 2^(exponent + 1), both signs. The
// program's angles all lie between 2^-7 and 2^10: the spin (0.03), the
// camera turns (+-0.05), the projection's half-angle (0.785...) and the
// drag, 0.01 rad per pixel of pointer travel (at most 65535 pixels each
// way: below 927).
struct Binade {
    int exponent;
    std::uint64_t checksum;
};

class EveryAngle : public ::testing::TestWithParam<Binade> {};

TEST_P(EveryAngle, GivesTheReferenceBitsAndTheChecksum) {
    const std::uint32_t first = bitsOf(std::ldexp(1.0f, GetParam().exponent));
    LibraryComparison library;
    testsupport::Checksum checksum;
    for (std::uint32_t bits = first; bits < first + (1u << 23); ++bits) {
        for (std::uint32_t sign : {0u, 0x80000000u}) {
            const float angle = fromBits(bits | sign);
            const float s = sine(angle);
            const float c = cosine(angle);
            checksum.add(&s, sizeof s);
            checksum.add(&c, sizeof c);
            library.check(angle, s, c);
        }
    }
    EXPECT_EQ(library.mismatches(), 0) << "first: " << library.first();
    EXPECT_EQ(checksum.value(), GetParam().checksum)
        << "checksum 0x" << std::hex << checksum.value();
}

INSTANTIATE_TEST_SUITE_P(
    Program, EveryAngle,
    ::testing::Values(Binade{-7, 0x7a156a77ca193169u}, Binade{-6, 0x34cdbedc6b5e4a75u},
                      Binade{-5, 0x658ff770d6d63f31u}, Binade{-4, 0x3e6c03ec79a4951u},
                      Binade{-3, 0x381559c129da5e09u}, Binade{-2, 0xdfaa44a9312e085u},
                      Binade{-1, 0xf116237842cc7a59u}, Binade{0, 0x82c698af66866ad1u},
                      Binade{1, 0x84ffb2e933c69439u}, Binade{2, 0x9f8099071b457289u},
                      Binade{3, 0x8083173ce59b7e0du}, Binade{4, 0x58024496b4f6d5c5u},
                      Binade{5, 0x805b466c9247a6ddu}, Binade{6, 0x6af8f8a084e417f9u},
                      Binade{7, 0xccb7b7955a299525u}, Binade{8, 0xb3a3bd4d96457ecdu},
                      Binade{9, 0x1211f5e196173d71u}),
    [](const auto& info) {
        const int e = info.param.exponent;
        return (e < 0 ? "Minus" : "Plus") + std::to_string(e < 0 ? -e : e);
    });

// Beyond the program's angles: a sample of the whole float range (tiny
// angles, huge ones with their long reduction), the signed zeros and the
// values that have no sine.
TEST(SineCosine, SampledRangeZerosAndNonFiniteAngles) {
    LibraryComparison library;
    for (std::uint32_t bits = 0; bits < 0x7f800000u; bits += 4093) {
        for (std::uint32_t sign : {0u, 0x80000000u}) {
            const float angle = fromBits(bits | sign);
            const float s = sine(angle);
            const float c = cosine(angle);
            ASSERT_LE(std::fabs(s), 1.0f) << std::hexfloat << angle;
            ASSERT_LE(std::fabs(c), 1.0f) << std::hexfloat << angle;
            library.check(angle, s, c);
        }
    }
    EXPECT_EQ(library.mismatches(), 0) << "first: " << library.first();

    EXPECT_EQ(bitsOf(sine(0.0f)), bitsOf(0.0f));
    EXPECT_EQ(bitsOf(sine(-0.0f)), bitsOf(-0.0f));
    EXPECT_EQ(cosine(-0.0f), 1.0f);
    for (float bad :
         {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(sine(bad)));
        EXPECT_TRUE(std::isnan(cosine(bad)));
    }
}

} // namespace
