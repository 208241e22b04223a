#include "math/trig.h"

#include <cstdint>
#include <cstring>
#include <limits>

// The method: reduce the angle to r in [-pi/4, pi/4] and a quadrant q, so
// that angle = r + q * pi/2; then sin or cos of r from a short polynomial
// in double precision, with the sign and the choice of function given by
// the quadrant, and one rounding to 32 bits at the end.

namespace {

// Polynomials on [-pi/4, pi/4]: cos r = c0 + c1 r^2 + ... + c4 r^8 and
// sin r = r + s1 r^3 + s2 r^5 + s3 r^7. The second set yields -cos r, so
// that quadrants 2 and 3 need no separate negation.
struct Polynomials {
    double c0, c1, c2, c3, c4;
    double s1, s2, s3;
};

constexpr Polynomials kPolynomials[2] = {
    {0x1p0, -0x1.ffffffd0c621cp-2, 0x1.55553e1068f19p-5, -0x1.6c087e89a359dp-10,
     0x1.99343027bf8c3p-16, -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
    {-0x1p0, 0x1.ffffffd0c621cp-2, -0x1.55553e1068f19p-5, 0x1.6c087e89a359dp-10,
     -0x1.99343027bf8c3p-16, -0x1.555545995a603p-3, 0x1.1107605230bc4p-7, -0x1.994eb3774cf24p-13},
};

// The sign of sin in each quadrant.
constexpr double kQuadrantSign[4] = {1.0, -1.0, -1.0, 1.0};

// 2/pi scaled by 2^24, for the quadrant of a moderate angle in fixed point.
constexpr double kTwoOverPiScaled = 0x1.45f306dc9c883p+23;
// pi/2 rounded to double, split so that q * kHalfPiHigh is exact for every
// quadrant count q of a moderate angle (below 128: 45 + 7 bits fit in 53)
// and kHalfPiLow holds the rest (pi/2 in double minus kHalfPiHigh,
// exactly). Then angle - q * pi/2 comes out rounded once, as a fused
// multiply-add gives it: the first subtraction is exact (the two values lie
// within a factor of two of each other), the second rounds.
constexpr double kHalfPiHigh = 0x1.921fb54442dp+0;
constexpr double kHalfPiLow = 0x1.8p-48;

// 2/pi in binary, 0.a2f9836e 4e441529 fc2757d1 f534ddc0 db629599 3c439041...,
// as 32-bit words starting one byte further along each: word k holds the
// fraction's bits 8k - 24 to 8k + 7.
constexpr std::uint32_t kTwoOverPiWords[24] = {
    0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44, 0x6e4e4415, 0x4e441529,
    0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1, 0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0,
    0x34ddc0db, 0xddc0db62, 0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041,
};
// One unit of the 62-bit fixed-point fraction of a quadrant, in radians:
// pi/2 * 2^-62.
constexpr double kQuadrantUnit = 0x1.921fb54442d18p-62;

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// |value|'s exponent and top three fraction bits: the coarse magnitude the
// branches below compare, so that their bounds are 0.75, 120 and so on
// rather than exact multiples of pi.
std::uint32_t magnitudeClass(float value) {
    return (bitsOf(value) >> 20) & 0x7ff;
}

// 0.75 <= |angle| < 120: the quadrant from a rounded fixed-point product.
double reduceModerate(double angle, int* quadrant) {
    const double scaled = angle * kTwoOverPiScaled;
    const int q = (static_cast<std::int32_t>(scaled) + 0x800000) >> 24;
    *quadrant = q;
    const double count = q;
    return (angle - count * kHalfPiHigh) - count * kHalfPiLow;
}

// |angle| >= 120: the 24-bit significand times 192 bits of 2/pi, taken in
// 32-bit words where the exponent puts them; the product's fraction in
// quadrants is exact to 62 bits. The sign of the angle is left to the
// caller.
double reduceLarge(std::uint32_t bits, int* quadrant) {
    const std::uint32_t* words = &kTwoOverPiWords[(bits >> 26) & 15];
    const int shift = (bits >> 23) & 7;
    const std::uint32_t significand = ((bits & 0xffffff) | 0x800000) << shift;

    // Only the low 32 bits of the first product matter: its higher bits
    // are whole multiples of four quadrants.
    std::uint64_t fraction = static_cast<std::uint32_t>(significand * words[0]);
    const std::uint64_t middle = static_cast<std::uint64_t>(significand) * words[4];
    const std::uint64_t low = static_cast<std::uint64_t>(significand) * words[8];
    fraction = (low >> 32) | (fraction << 32);
    fraction += middle;

    // Round to the nearest quadrant; what remains is in [-1/2, 1/2).
    const std::uint64_t q = (fraction + (std::uint64_t{1} << 61)) >> 62;
    fraction -= q << 62;
    *quadrant = static_cast<int>(q);
    return static_cast<double>(static_cast<std::int64_t>(fraction)) * kQuadrantUnit;
}

// sin r (quadrant even) or cos r (odd) with the given set, r2 = r * r.
float polynomial(double r, double r2, const Polynomials& p, int quadrant) {
    if ((quadrant & 1) == 0) {
        const double r3 = r * r2;
        const double tail = p.s2 + r2 * p.s3;
        const double r7 = r3 * r2;
        const double head = r + r3 * p.s1;
        return static_cast<float>(head + r7 * tail);
    }
    const double r4 = r2 * r2;
    const double tail = p.c3 + r2 * p.c4;
    const double head = p.c0 + r2 * p.c1;
    const double r6 = r4 * r2;
    const double body = head + r4 * p.c2;
    return static_cast<float>(body + r6 * tail);
}

// sin (wantCosine false) or cos of a finite angle of at least 0.75.
float reduced(float angle, bool wantCosine) {
    double r = 0.0;
    int quadrant = 0;
    int signQuadrant = 0;
    if (magnitudeClass(angle) < magnitudeClass(120.0f)) {
        r = reduceModerate(angle, &quadrant);
        signQuadrant = quadrant;
    } else {
        const std::uint32_t bits = bitsOf(angle);
        r = reduceLarge(bits, &quadrant);
        signQuadrant = quadrant + static_cast<int>(bits >> 31);
    }
    const double s = kQuadrantSign[signQuadrant & 3];
    const Polynomials& p = kPolynomials[(signQuadrant & 2) != 0 ? 1 : 0];
    return polynomial(r * s, r * r, p, wantCosine ? quadrant ^ 1 : quadrant);
}

bool isFiniteAngle(float angle) {
    return magnitudeClass(angle) < magnitudeClass(std::numeric_limits<float>::infinity());
}

} // namespace

float sine(float angle) {
    if (magnitudeClass(angle) < magnitudeClass(0.75f)) {
        // Below 2^-12, sin x rounds to x itself.
        if (magnitudeClass(angle) < magnitudeClass(0x1p-12f)) {
            return angle;
        }
        const double x = angle;
        return polynomial(x, x * x, kPolynomials[0], 0);
    }
    if (!isFiniteAngle(angle)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return reduced(angle, false);
}

float cosine(float angle) {
    if (magnitudeClass(angle) < magnitudeClass(0.75f)) {
        if (magnitudeClass(angle) < magnitudeClass(0x1p-12f)) {
            return 1.0f;
        }
        const double x = angle;
        return polynomial(x, x * x, kPolynomials[0], 1);
    }
    if (!isFiniteAngle(angle)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return reduced(angle, true);
}
