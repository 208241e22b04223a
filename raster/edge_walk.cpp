#include "raster/edge_walk.h"
#include "raster/error_term.h"

#include <algorithm>
#include <cstdint>

namespace {

// A step per row or column: the difference over the edge divided by the
// number of steps in double precision, rounded to a 32-bit float.
//
// Kept out of line so that the rounding happens: where two of these steps
// are formed side by side (depth and intensity), GCC 12's block vectorizer
// computes both at once and drops the narrowing to float, and the
// optimized builds stepped with values that the unoptimized ones did not.
[[gnu::noinline]] double stepOf(float from, float to, std::int32_t steps) {
    return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) / steps);
}

// The values carried down an edge for each kind of table entry.
template <typename Entry> struct CarriedValues;

template <> struct CarriedValues<EdgeEntry> {
    double depth;

    explicit CarriedValues(const ScreenPoint& p) : depth(p.depth) {}
    static CarriedValues steps(const ScreenPoint& a, const ScreenPoint& b, std::int32_t n) {
        CarriedValues s(a);
        s.depth = stepOf(a.depth, b.depth, n);
        return s;
    }
    void advance(const CarriedValues& step) { depth += step.depth; }
    EdgeEntry entry(std::int32_t x) const { return {x, static_cast<float>(depth)}; }
    static EdgeEntry exact(const ScreenPoint& p) { return {p.x, p.depth}; }
};

template <> struct CarriedValues<ShadedEdgeEntry> {
    double depth;
    double intensity;

    explicit CarriedValues(const ScreenPoint& p) : depth(p.depth), intensity(p.intensity) {}
    static CarriedValues steps(const ScreenPoint& a, const ScreenPoint& b, std::int32_t n) {
        CarriedValues s(a);
        s.depth = stepOf(a.depth, b.depth, n);
        s.intensity = stepOf(a.intensity, b.intensity, n);
        return s;
    }
    void advance(const CarriedValues& step) {
        depth += step.depth;
        intensity += step.intensity;
    }
    ShadedEdgeEntry entry(std::int32_t x) const {
        return {x, static_cast<float>(depth), static_cast<float>(intensity)};
    }
    static ShadedEdgeEntry exact(const ScreenPoint& p) { return {p.x, p.depth, p.intensity}; }
};

// The four steps of a coloured edge (depth and the three channels), each
// as stepOf forms it, in one call: out of line and handed back as floats
// for the same reason as stepOf.
struct ColoredSteps {
    float depth;
    float red;
    float green;
    float blue;
};

[[gnu::noinline]] ColoredSteps coloredStepsOf(const ColoredPoint& a, const ColoredPoint& b,
                                              std::int32_t steps) {
    const auto step = [steps](float from, float to) {
        return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) / steps);
    };
    return {step(a.point.depth, b.point.depth), step(a.color.r, b.color.r),
            step(a.color.g, b.color.g), step(a.color.b, b.color.b)};
}

template <> struct CarriedValues<ColoredEdgeEntry> {
    double depth;
    double red;
    double green;
    double blue;

    explicit CarriedValues(const ColoredPoint& p)
        : depth(p.point.depth), red(p.color.r), green(p.color.g), blue(p.color.b) {}
    static CarriedValues steps(const ColoredPoint& a, const ColoredPoint& b, std::int32_t n) {
        const ColoredSteps f = coloredStepsOf(a, b, n);
        CarriedValues s(a);
        s.depth = f.depth;
        s.red = f.red;
        s.green = f.green;
        s.blue = f.blue;
        return s;
    }
    void advance(const CarriedValues& step) {
        depth += step.depth;
        red += step.red;
        green += step.green;
        blue += step.blue;
    }
    ColoredEdgeEntry entry(std::int32_t x) const {
        return {x, static_cast<float>(depth), static_cast<float>(red), static_cast<float>(green),
                static_cast<float>(blue)};
    }
    static ColoredEdgeEntry exact(const ColoredPoint& p) {
        ColoredEdgeEntry e;
        setEntry(e, p);
        return e;
    }
};

const ScreenPoint& positionOf(const ScreenPoint& p) {
    return p;
}
const ScreenPoint& positionOf(const ColoredPoint& p) {
    return p.point;
}

template <typename Entry, typename Point>
void stepEdge(Entry* table, const Point& upper, const Point& lower) {
    using Values = CarriedValues<Entry>;
    const ScreenPoint& a = positionOf(upper);
    const ScreenPoint& b = positionOf(lower);
    // 1. and 2. Direction, lengths and the error term.
    ErrorTerm t = startErrorTerm(a, b);

    // 3. The upper end's row.
    table[a.y] = Values::exact(upper);
    std::int32_t x = a.x;
    std::int32_t y = a.y;
    Values values(upper);

    if (t.dx < t.dy) {
        // 4. Steep: one step per row.
        const Values step = Values::steps(upper, lower, t.dy);
        for (std::int32_t n = t.dy; n > 0; --n) {
            if (t.step()) {
                x += t.sx;
            }
            values.advance(step);
            ++y;
            table[y] = values.entry(x);
        }
    } else if (a.y < b.y) {
        // 5. Shallow: one step per column; a row is recorded with the
        // values from before the column move that carried it.
        const Values step = Values::steps(upper, lower, t.dx);
        while (y != b.y) {
            if (t.step()) {
                ++y;
                table[y] = values.entry(x);
            }
            x += t.sx;
            values.advance(step);
        }
    }
    // 6. The lower end's row, replacing whatever the steps wrote there.
    table[b.y] = Values::exact(lower);
}

} // namespace

void walkEdge(EdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower) {
    stepEdge(table, upper, lower);
}

void walkShadedEdge(ShadedEdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower) {
    stepEdge(table, upper, lower);
}

void walkColoredEdge(ColoredEdgeEntry* table, const ColoredPoint& upper,
                     const ColoredPoint& lower) {
    stepEdge(table, upper, lower);
}
