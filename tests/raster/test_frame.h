// A device frame built directly in memory for the rasterizer tests: the
// layout the device creates (bottom-up rows, negative pitch), cleared to black and depth 0.0, with
// guard zones before and after both buffers so a stray write shows up even without the sanitizer.
#pragma once

#include "device/render_device.h"
#include "raster/screen_polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

using Pixel = std::pair<int, int>; // (x, y)
using PixelSet = std::set<Pixel>;

class TestFrame {
  public:
    static constexpr std::size_t kGuard = 256;
    static constexpr std::uint8_t kGuardByte = 0xA5;
    static constexpr float kGuardDepth = -12345.0f;

    TestFrame(int width, int height)
        : pixels_(2 * kGuard + std::size_t(width) * height * 3, kGuardByte),
          depth_(new float[2 * kGuard + std::size_t(width) * height]) {
        const std::size_t n = std::size_t(width) * height;
        std::fill_n(depth_, 2 * kGuard + n, kGuardDepth);
        std::fill_n(depth_ + kGuard, n, 0.0f);
        std::fill_n(pixels_.data() + kGuard, n * 3, std::uint8_t{0});
        RenderDevice& d = device;
        d.width = width;
        d.height = height;
        d.maxX = width - 1;
        d.maxY = height - 1;
        d.bytesPerPixel = 3;
        d.colorBits = pixels_.data() + kGuard;
        d.pitch = -3 * width;
        d.rowStart = d.colorBits + std::size_t(height - 1) * width * 3;
        d.frameBytes = static_cast<std::uint32_t>(n * 3);
        d.depthBuffer.reset(depth_ + kGuard);
        d.ambientProduct = {0.1f, 0.1f, 0.1f};
        d.diffuseProduct = {0.2f, 0.95f, 0.2f};
        d.lightDirInObject = {0.0f, 0.0f, -1.0f};
    }
    ~TestFrame() {
        static_cast<void>(device.depthBuffer.release());
        delete[] depth_;
        device.colorBits = nullptr;
        device.rowStart = nullptr;
    }
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    std::uint8_t* at(int x, int y) const { return device.rowStart + y * device.pitch + x * 3; }
    Rgb rgb(int x, int y) const {
        const std::uint8_t* p = at(x, y);
        return {p[2], p[1], p[0]};
    }
    float& depth(int x, int y) { return device.depthBuffer[std::size_t(y) * device.width + x]; }
    void setAllDepths(float value) {
        std::fill_n(device.depthBuffer.get(), std::size_t(device.width) * device.height, value);
    }
    // Pixels whose colour is no longer black.
    PixelSet written() const {
        PixelSet set;
        for (int y = 0; y < device.height; ++y) {
            for (int x = 0; x < device.width; ++x) {
                if (!(rgb(x, y) == Rgb{0, 0, 0})) {
                    set.insert({x, y});
                }
            }
        }
        return set;
    }
    bool guardsIntact() const {
        const std::size_t n = std::size_t(device.width) * device.height;
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (pixels_[i] != kGuardByte || pixels_[kGuard + 3 * n + i] != kGuardByte ||
                depth_[i] != kGuardDepth || depth_[kGuard + n + i] != kGuardDepth) {
                return false;
            }
        }
        return true;
    }

    RenderDevice device;

  private:
    std::vector<std::uint8_t> pixels_;
    float* depth_;
};

inline ScreenPoint pt(int x, int y, float depth = 1.0f, float intensity = 0.0f) {
    return {x, y, depth, intensity};
}

// A polygon as a test writes it down: its own points, and a pointCount
// that may disagree with them (for the guards).
struct TestPolygon {
    std::int32_t pointCount = 0;
    Vec3 normal;
    std::vector<ScreenPoint> points;
};

inline TestPolygon polygonOf(std::vector<ScreenPoint> points, Vec3 normal = {0, 0, -1}) {
    TestPolygon p;
    p.pointCount = static_cast<std::int32_t>(points.size());
    p.normal = normal;
    p.points = std::move(points);
    return p;
}

// The polygons in one list, their points one after another.
inline ScreenPolygonList listOf(const std::vector<TestPolygon>& polygons) {
    ScreenPolygonList list;
    for (const TestPolygon& p : polygons) {
        list.add(p.points, p.normal);
        list.polygons.back().pointCount = p.pointCount;
    }
    return list;
}

// Every pixel of rows y0..y1 - 1, columns x0..x1 - 1.
inline PixelSet block(int x0, int y0, int x1, int y1) {
    PixelSet set;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            set.insert({x, y});
        }
    }
    return set;
}
