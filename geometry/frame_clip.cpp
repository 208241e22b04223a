// The screen-space clipper: projected polygons and polyline segments cut to
// the frame rectangle.
#include "geometry/frame_clip.h"

#include <algorithm>

namespace {

// The side of one frame border that lies inside, as a signed distance in
// pixels: x >= 0, x <= maxX, y >= 0, y <= maxY.
enum class Border { Left, Right, Top, Bottom };

double insideDistance(Border border, const PixelPosition& p, double maxX, double maxY) {
    switch (border) {
    case Border::Left:
        return p.x;
    case Border::Right:
        return maxX - p.x;
    case Border::Top:
        return p.y;
    case Border::Bottom:
        return maxY - p.y;
    }
    return 0.0;
}

// from + t * (to - from) in double, rounded to a float.
float along(float from, float to, double t) {
    return static_cast<float>(from + t * (static_cast<double>(to) - from));
}

// Where edge a -> b meets the border: the border's coordinate exactly, the
// other coordinate, depth, intensity and colour interpolated linearly on
// the screen (as the rasterizers interpolate them).
PixelPosition borderCrossing(Border border, const PixelPosition& a, const PixelPosition& b,
                             double da, double db, double maxX, double maxY) {
    const double t = da / (da - db);
    PixelPosition c;
    c.x = a.x + t * (b.x - a.x);
    c.y = a.y + t * (b.y - a.y);
    c.depth = along(a.depth, b.depth, t);
    c.intensity = along(a.intensity, b.intensity, t);
    c.color = Color3{along(a.color.r, b.color.r, t), along(a.color.g, b.color.g, t),
                     along(a.color.b, b.color.b, t)};
    switch (border) {
    case Border::Left:
        c.x = 0.0;
        break;
    case Border::Right:
        c.x = maxX;
        break;
    case Border::Top:
        c.y = 0.0;
        break;
    case Border::Bottom:
        c.y = maxY;
        break;
    }
    return c;
}

} // namespace

void clipToFrame(std::vector<PixelPosition>& polygon, std::vector<PixelPosition>& out, double maxX,
                 double maxY) {
    for (Border border : {Border::Left, Border::Right, Border::Top, Border::Bottom}) {
        out.clear();
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PixelPosition& a = polygon[i];
            const PixelPosition& b = polygon[i + 1 == n ? 0 : i + 1];
            const double da = insideDistance(border, a, maxX, maxY);
            const double db = insideDistance(border, b, maxX, maxY);
            if (da >= 0.0) {
                out.push_back(a);
                if (db < 0.0) {
                    out.push_back(borderCrossing(border, a, b, da, db, maxX, maxY));
                }
            } else if (db >= 0.0) {
                out.push_back(borderCrossing(border, a, b, da, db, maxX, maxY));
            }
        }
        polygon.swap(out);
    }
}

bool clipSegmentToFrame(const RenderDevice& device, PixelPosition& a, PixelPosition& b) {
    if (landsInFrame(device, a) && landsInFrame(device, b)) {
        return true;
    }
    // Parametric clip of a + t (b - a), t in 0..1, against the four borders.
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double enter = 0.0;
    double leave = 1.0;
    const double step[4] = {-dx, dx, -dy, dy};
    const double room[4] = {a.x, device.maxX - a.x, a.y, device.maxY - a.y};
    for (int k = 0; k < 4; ++k) {
        if (step[k] == 0.0) {
            if (room[k] < 0.0) {
                return false; // parallel to this border and outside it
            }
            continue;
        }
        const double t = room[k] / step[k];
        if (step[k] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) {
        return false;
    }
    const PixelPosition from = a;
    auto at = [&](double t) {
        PixelPosition p = from;
        p.x = std::clamp(from.x + t * dx, 0.0, static_cast<double>(device.maxX));
        p.y = std::clamp(from.y + t * dy, 0.0, static_cast<double>(device.maxY));
        return p;
    };
    const PixelPosition to = at(leave);
    a = at(enter);
    b = to;
    return true;
}
