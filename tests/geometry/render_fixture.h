// Shared helpers of the geometry tests: a device whose frame is plain
// memory with guard bytes around the pixels, meshes built from triangle
// lists, and the camera that makes view space equal model space.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"
#include "raster/screen_polygon.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace testing_frame {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Gives a device a width x height frame in ordinary memory, laid out as
// bind lays out a bitmap (bottom-up rows, negative pitch), cleared.
class MemoryFrame {
  public:
    static constexpr std::size_t kGuard = 256;
    static constexpr std::uint8_t kGuardByte = 0xA5;

    MemoryFrame(RenderDevice& device, std::int32_t width, std::int32_t height)
        : device_(device),
          bytes_(2 * kGuard + static_cast<std::size_t>(width) * height * 3, kGuardByte) {
        device.width = width;
        device.height = height;
        device.maxX = width - 1;
        device.maxY = height - 1;
        device.bytesPerPixel = 3;
        device.pitch = -3 * width;
        device.colorBits = bytes_.data() + kGuard;
        device.rowStart = device.colorBits + static_cast<std::size_t>(height - 1) * width * 3;
        device.frameBytes =
            static_cast<std::uint32_t>(static_cast<std::size_t>(width) * height * 3);
        device.depthBuffer = std::make_unique<float[]>(static_cast<std::size_t>(width) * height);
        device.clear();
    }
    ~MemoryFrame() {
        device_.colorBits = nullptr;
        device_.rowStart = nullptr;
        device_.depthBuffer.reset();
    }
    MemoryFrame(const MemoryFrame&) = delete;
    MemoryFrame& operator=(const MemoryFrame&) = delete;

    bool guardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (bytes_[i] != kGuardByte || bytes_[bytes_.size() - 1 - i] != kGuardByte) {
                return false;
            }
        }
        return true;
    }

    Rgb pixel(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* p =
            device_.rowStart + static_cast<std::ptrdiff_t>(y) * device_.pitch + 3 * x;
        return Rgb{p[2], p[1], p[0]};
    }
    float depth(std::int32_t x, std::int32_t y) const {
        return device_.depthBuffer[static_cast<std::size_t>(y) * device_.width + x];
    }
    bool lit(std::int32_t x, std::int32_t y) const { return !(pixel(x, y) == Rgb{}); }
    int litCount() const {
        int count = 0;
        for (std::int32_t y = 0; y < device_.height; ++y) {
            for (std::int32_t x = 0; x < device_.width; ++x) {
                count += lit(x, y) ? 1 : 0;
            }
        }
        return count;
    }
    std::vector<std::uint8_t> pixels() const {
        return std::vector<std::uint8_t>(device_.colorBits, device_.colorBits + device_.frameBytes);
    }

  private:
    RenderDevice& device_;
    std::vector<std::uint8_t> bytes_;
};

struct Triangle {
    Vec3 p0;
    Vec3 p1;
    Vec3 p2;
};

// One mesh face per triangle, three vertices each, normals computed. Vertex
// normals point along the face normal unless given.
inline std::unique_ptr<Mesh> meshOf(std::initializer_list<Triangle> triangles) {
    auto mesh = std::make_unique<Mesh>(static_cast<std::int32_t>(3 * triangles.size()),
                                       static_cast<std::int32_t>(triangles.size()));
    std::size_t k = 0;
    for (const Triangle& t : triangles) {
        const Vec3 none{};
        mesh->vertices[3 * k] = makeVertex(t.p0, none, 0.0f, 0.0f);
        mesh->vertices[3 * k + 1] = makeVertex(t.p1, none, 0.0f, 0.0f);
        mesh->vertices[3 * k + 2] = makeVertex(t.p2, none, 0.0f, 0.0f);
        mesh->faces[k] =
            Face{static_cast<std::uint16_t>(3 * k), static_cast<std::uint16_t>(3 * k + 1),
                 static_cast<std::uint16_t>(3 * k + 2)};
        ++k;
    }
    computeFaceNormals(*mesh);
    for (std::size_t f = 0; f < k; ++f) {
        for (std::size_t i = 0; i < 3; ++i) {
            mesh->vertices[3 * f + i].normal = mesh->faceNormals[f];
        }
    }
    return mesh;
}

// Polygon j's points, copied out of the list.
inline std::vector<ScreenPoint> pointsOf(const ScreenPolygonList& list, std::size_t j) {
    const ScreenPolygon& polygon = list.polygons[j];
    const ScreenPoint* first = list.pointsOf(polygon);
    return std::vector<ScreenPoint>(first, first + polygon.pointCount);
}

// A mesh without faces through the given points (a polyline).
inline std::unique_ptr<Mesh> polylineOf(const std::vector<Vec3>& points) {
    auto mesh = std::make_unique<Mesh>(static_cast<std::int32_t>(points.size()), 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        mesh->vertices[i] = makeVertex(points[i], Vec3{}, 0.0f, 0.0f);
    }
    return mesh;
}

// Identity world and view: the eye at the origin looking along +z, so
// model space is view space. The device's default projection stays.
inline void viewFromOrigin(RenderDevice& device) {
    Matrix4 world;
    identity(world);
    device.setWorldMatrix(world);
    device.lookAt(Vec3{0, 0, 0}, Vec3{0, 0, 1}, Vec3{0, 1, 0});
}

// A projection without field-of-view scaling: xp = x / z, yp = y / z, so the
// pyramid |x| <= z, |y| <= z maps exactly onto -1..1.
inline Matrix4 unitPyramidProjection() {
    Matrix4 p;
    p[0] = 1.0f;
    p[5] = 1.0f;
    p[10] = 1.0f;
    p[11] = 1.0f;
    return p;
}

} // namespace testing_frame
