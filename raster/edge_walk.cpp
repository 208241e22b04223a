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

template <typename Entry> void stepEdge(Entry* table, const ScreenPoint& a, const ScreenPoint& b) {
    using Values = CarriedValues<Entry>;
    // 1. and 2. Direction, lengths and the error term.
    ErrorTerm t = startErrorTerm(a, b);

    // 3. The upper end's row.
    table[a.y] = Values::exact(a);
    std::int32_t x = a.x;
    std::int32_t y = a.y;
    Values values(a);

    if (t.dx < t.dy) {
        // 4. Steep: one step per row.
        const Values step = Values::steps(a, b, t.dy);
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
        const Values step = Values::steps(a, b, t.dx);
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
    table[b.y] = Values::exact(b);
}

} // namespace

void walkEdge(EdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower) {
    stepEdge(table, upper, lower);
}

void walkShadedEdge(ShadedEdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower) {
    stepEdge(table, upper, lower);
}
