#include "geometry/draw_mesh.h"

#include "geometry/frame_clip.h"
#include "geometry/pipeline.h"
#include "raster/raster.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace {

// The stages close the polygon they clip, so each may end its output with a
// point that belongs to the closing edge (last vertex -> first vertex),
// which a polyline does not have. The tail rule: when the output's last
// vertex is not, within 0.0001 in each coordinate, the input's last vertex,
// it came from that closing edge (or is where the line last left the
// inside) and is removed.
void applyTailRule(const ClipPolygon& in, ClipPolygon& out) {
    if (in.vertexCount == 0 || out.vertexCount == 0) {
        return;
    }
    const double tolerance = 0.0001f;
    const Vec3& last = out.vertices[static_cast<std::size_t>(out.vertexCount - 1)].position;
    const Vec3& inputLast = in.vertices[static_cast<std::size_t>(in.vertexCount - 1)].position;
    const bool apart = std::fabs(static_cast<double>(last.x) - inputLast.x) >= tolerance ||
                       std::fabs(static_cast<double>(last.y) - inputLast.y) >= tolerance ||
                       std::fabs(static_cast<double>(last.z) - inputLast.z) >= tolerance;
    if (apart) {
        out.vertexCount -= 1;
    }
}

} // namespace

std::int32_t clipPolyline(const RenderDevice& device, const Mesh& mesh, ClipPolygon& result) {
    ClipPolygon spare(0);
    return clipPolyline(device, mesh, result, spare);
}

std::int32_t clipPolyline(const RenderDevice& device, const Mesh& mesh, ClipPolygon& result,
                          ClipPolygon& spare) {
    result.vertexCount = 0;
    const std::size_t n = mesh.vertices.size();
    if (n < 2) {
        return 0;
    }
    // Room for twice the vertices to start with; a stage that needs more
    // (a zigzag across a plane gains up to half its input per stage) grows
    // its output instead of writing past it.
    ClipPolygon& p = spare;
    ClipPolygon& q = result;
    for (ClipPolygon* buffer : {&p, &q}) {
        if (buffer->vertices.size() < 2 * n) {
            buffer->vertices.resize(2 * n);
        }
    }
    Matrix4 m;
    multiply(m, device.worldMatrix, device.viewMatrix);
    for (std::size_t i = 0; i < n; ++i) {
        Vertex& v = p.vertices[i];
        transformPoint(v.position, m, mesh.vertices[i].position);
        v.intensity = 0.0f;
    }
    p.vertexCount = static_cast<std::int32_t>(n);

    // near P -> Q, left Q -> P, right P -> Q, top Q -> P, bottom P -> Q.
    ClipPolygon* from = &p;
    ClipPolygon* to = &q;
    for (ClipStage stage : kClipStages) {
        clipPolygon(device, stage, *from, *to);
        applyTailRule(*from, *to);
        if (to->vertexCount == 0) {
            result.vertexCount = 0;
            return 0;
        }
        std::swap(from, to);
    }
    // After five stages the last output is Q, the caller's buffer.
    return result.vertexCount;
}

void drawPolyline(RenderDevice& device, const Mesh& mesh) {
    if (mesh.vertices.size() < 2 || !device.hasFrame()) {
        return;
    }
    PipelineScratch& scratch = pipelineScratchOf(device);
    ClipPolygon& clipped = scratch.polylineResult;
    if (clipPolyline(device, mesh, clipped, scratch.polylineSpare) < 2) {
        return;
    }

    // The eye point (view depth 0) has no image and is left out; the line
    // then runs straight between its neighbours.
    std::vector<PixelPosition>& pixels = scratch.linePixels;
    pixels.clear();
    for (std::int32_t i = 0; i < clipped.vertexCount; ++i) {
        PixelPosition pixel;
        if (projectToPixel(device, clipped.vertices[static_cast<std::size_t>(i)].position, pixel)) {
            pixels.push_back(pixel);
        }
    }

    // Segment k joins points k and k + 1, drawn downward from the upper
    // point (the earlier one when both share a row); the last point is not
    // joined back to the first. A segment that would leave the frame (only
    // under a projection that does not fit the pyramid) is cut to it first.
    for (std::size_t k = 0; k + 1 < pixels.size(); ++k) {
        PixelPosition from = pixels[k];
        PixelPosition to = pixels[k + 1];
        if (!clipSegmentToFrame(device, from, to)) {
            continue;
        }
        const ScreenPoint a = truncateToPixel(from);
        const ScreenPoint b = truncateToPixel(to);
        const ScreenPoint& start = b.y < a.y ? b : a;
        const ScreenPoint& end = b.y < a.y ? a : b;
        std::uint8_t* cursor = device.rowStart +
                               static_cast<std::ptrdiff_t>(start.y) * device.pitch +
                               static_cast<std::ptrdiff_t>(device.bytesPerPixel) * start.x;
        drawLine(device, cursor, start, end);
    }
}

void drawMesh(RenderDevice& device, const Mesh& mesh) {
    if (!device.hasFrame()) {
        return;
    }
    if ((device.primitiveMode & PrimitiveMode::FaceList) != 0) {
        if (mesh.faceCount <= 0) {
            return;
        }
        // The list lives in the device's working storage, kept for the
        // next frame. A big mesh is built and drawn on the device's worker
        // threads.
        PipelineScratch& scratch = pipelineScratchOf(device);
        buildScreenPolygons(device, mesh, scratch);
        if (scratch.list.count > 0) {
            drawPolygons(device, scratch.list, device.renderMode);
        }
        return;
    }
    if ((device.primitiveMode & PrimitiveMode::LineStrip) != 0 && mesh.faceCount == 0) {
        drawPolyline(device, mesh);
    }
}
