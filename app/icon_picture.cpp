// The program's icon, drawn here rather than stored: the demo polyhedron,
// turned so that two faces show above the equator and two below, lit from
// the upper left, projected orthographically onto a square of pixels. The
// window icon is the 32 x 32 picture; the installed icons are the same
// drawing at larger sizes.

#include "app/resource.h"
#include "app/resources.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr std::uint8_t kBackground = kIconBackground;
constexpr std::uint8_t kOutline = 1;
constexpr std::uint8_t kFirstShade = 2; // shades 2..15, dark to bright
constexpr int kShades = 14;

struct P3 {
    double x, y, z;
};

P3 sub(P3 a, P3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double dot3(P3 a, P3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
P3 cross3(P3 a, P3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
P3 unit(P3 v) {
    double n = std::sqrt(dot3(v, v));
    return {v.x / n, v.y / n, v.z / n};
}

// Signed area test: which side of edge a->b the point (px, py) lies on.
double edgeSide(P3 a, P3 b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

} // namespace

IconPicture drawOctahedronIcon(int size) {
    IconPicture icon;
    if (size < 1 || size > kMaxIconSize) {
        return icon;
    }
    icon.size = size;
    icon.pixels.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size),
                       kBackground);

    icon.palette[kBackground] = RGB(192, 192, 192);
    icon.palette[kOutline] = RGB(0, 48, 0);
    for (int k = 0; k < kShades; ++k) {
        // The material's green, from deep shadow to full light.
        double level = 0.18 + 0.82 * k / (kShades - 1);
        icon.palette[kFirstShade + k] =
            RGB(static_cast<int>(0.2 * level * 255.0), static_cast<int>(0.95 * level * 255.0),
                static_cast<int>(0.2 * level * 255.0));
    }

    // The polyhedron's vertices (equator at 50*sqrt(2) from the axis, poles
    // at 100), turned 0.6 rad about the vertical axis and tipped 0.25 rad
    // towards the viewer, in pixels: 100 units map to 15/32 of the side.
    // (At 32 pixels every step below is exact: 15 * 32 / 32 is 15.)
    const P3 model[6] = {{-50, 0, -50}, {-50, 0, 50}, {50, 0, -50},
                         {50, 0, 50},   {0, 100, 0},  {0, -100, 0}};
    const int faces[8][3] = {{4, 0, 2}, {4, 1, 0}, {4, 3, 1}, {4, 2, 3},
                             {5, 2, 0}, {5, 0, 1}, {5, 1, 3}, {5, 3, 2}};
    const double yaw = 0.6;
    const double tilt = 0.25;
    const double scale = 15.0 * size / 32.0 / 100.0;
    const double centre = size / 2.0;
    P3 v[6];
    for (int i = 0; i < 6; ++i) {
        P3 p = model[i];
        P3 r{p.x * std::cos(yaw) + p.z * std::sin(yaw), p.y,
             -p.x * std::sin(yaw) + p.z * std::cos(yaw)};
        P3 t{r.x, r.y * std::cos(tilt) - r.z * std::sin(tilt),
             r.y * std::sin(tilt) + r.z * std::cos(tilt)};
        // Icon pixels: x to the right, y down, viewer looking along +z.
        v[i] = {centre + t.x * scale, centre - t.y * scale, t.z};
    }

    // Light from the upper left and in front, in icon space (y down).
    const P3 light = unit({-0.5, -0.7, -0.6});

    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            const double cx = px + 0.5;
            const double cy = py + 0.5;
            std::uint8_t index = kBackground;
            for (const auto& f : faces) {
                P3 a = v[f[0]], b = v[f[1]], c = v[f[2]];
                P3 normal = unit(cross3(sub(c, a), sub(b, a)));
                // Icon space has y flipped, which flips the winding: a face
                // towards the viewer has a normal with z > 0 here.
                if (normal.z <= 0.0) {
                    continue;
                }
                double s0 = edgeSide(a, b, cx, cy);
                double s1 = edgeSide(b, c, cx, cy);
                double s2 = edgeSide(c, a, cx, cy);
                bool inside = (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
                if (!inside) {
                    continue;
                }
                // The flip of y also flips the cross product: the outward
                // normal is its opposite.
                P3 outward{-normal.x, -normal.y, -normal.z};
                double lambert = std::fmax(0.0, dot3(outward, light));
                int shade = static_cast<int>(0.1 * kShades + lambert * 0.9 * kShades);
                shade = shade < 0 ? 0 : (shade >= kShades ? kShades - 1 : shade);
                index = static_cast<std::uint8_t>(kFirstShade + shade);
                break;
            }
            icon.pixels[static_cast<std::size_t>(py * size + px)] = index;
        }
    }

    // A dark rim where the solid meets the background keeps it legible on
    // any dialog colour: every solid pixel within `rim` pixels of the
    // background (or of the picture's edge) takes the outline colour. At
    // 32 pixels the rim is 1 wide, so only the four direct neighbours count.
    const int rim = std::max(1, size / 32);
    auto isBackground = [&](int x, int y) {
        return x < 0 || y < 0 || x >= size || y >= size ||
               icon.pixels[static_cast<std::size_t>(y * size + x)] == kBackground;
    };
    std::vector<std::uint8_t> rimmed = icon.pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (isBackground(x, y)) {
                continue;
            }
            bool nearBackground = false;
            for (int dy = -rim; dy <= rim && !nearBackground; ++dy) {
                for (int dx = -rim; dx <= rim && !nearBackground; ++dx) {
                    nearBackground = dx * dx + dy * dy <= rim * rim && isBackground(x + dx, y + dy);
                }
            }
            if (nearBackground) {
                rimmed[static_cast<std::size_t>(y * size + x)] = kOutline;
            }
        }
    }
    icon.pixels = std::move(rimmed);
    return icon;
}

platform::IconResource makeOctahedronIcon() {
    constexpr int n = platform::IconResource::kSize;
    const IconPicture picture = drawOctahedronIcon(n);
    platform::IconResource icon;
    icon.name = platform::ResourceName::named(ORVANDE_ICON);
    icon.palette = picture.palette;
    std::copy(picture.pixels.begin(), picture.pixels.end(), icon.pixels.begin());
    return icon;
}
