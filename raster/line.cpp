// One-pixel lines: an integer error-term stepper whose error is raised
// before it is tested, so the minor coordinate moves one step early.
#include "raster/error_term.h"
#include "raster/line_stepper.h"
#include "raster/raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool insideFrame(const FrameView& view, const ScreenPoint& p) {
    return insideFrame(view, p.x, p.y);
}

// The screen position of the pixel a cursor addresses. False when the
// cursor is not the first byte of a pixel inside the pixel memory.
bool penAtCursor(const FrameView& view, const std::uint8_t* cursor, LinePen& pen) {
    const std::ptrdiff_t rowBytes = -view.pitch;
    // The bottom screen row is the first in memory.
    const std::uint8_t* memoryStart = view.rowStart + (view.height - 1) * view.pitch;
    // Compared as integers: the cursor may point anywhere.
    const auto start = reinterpret_cast<std::uintptr_t>(memoryStart);
    const auto at = reinterpret_cast<std::uintptr_t>(cursor);
    if (at < start) {
        return false;
    }
    const std::uintptr_t offset = at - start;
    const auto totalBytes = static_cast<std::uintptr_t>(rowBytes) * view.height;
    if (offset >= totalBytes) {
        return false;
    }
    const auto memoryRow = static_cast<std::int32_t>(offset / rowBytes);
    const std::uintptr_t inRow = offset % rowBytes;
    if (inRow % view.pixelBytes != 0) {
        return false;
    }
    pen.x = static_cast<std::int32_t>(inRow / view.pixelBytes);
    pen.y = view.height - 1 - memoryRow;
    return true;
}

std::uint8_t* pixelAddress(const FrameView& view, std::int32_t x, std::int32_t y) {
    return view.rowStart + y * view.pitch + x * view.pixelBytes;
}

} // namespace

PixelColor lineColor(const Color3& diffuse) {
    return {colorByte(diffuse.b), colorByte(diffuse.g), colorByte(diffuse.r)};
}

PixelColor lineColor(const RenderDevice& device) {
    return lineColor(device.diffuseProduct);
}

void stepLine(const FrameView& view, LinePen& pen, const ScreenPoint& from, const ScreenPoint& to,
              const PixelColor& color, std::int32_t firstRow, std::int32_t endRow) {
    // 1. and 2. Direction, lengths and the error term; dy is not made
    // absolute (from is the upper point).
    ErrorTerm t = startErrorTerm(from, to);

    // The pen's screen position is tracked beside its byte offset from
    // rowStart; the offset is only turned into an address for pixels the
    // position shows to be inside the frame (and the rows drawn). Unsigned
    // compares catch both sides of each border at once.
    std::int32_t x = pen.x;
    std::int32_t y = pen.y;
    const std::ptrdiff_t columnStep = t.sx * view.pixelBytes;
    std::ptrdiff_t offset = y * view.pitch + x * view.pixelBytes;
    const auto width = static_cast<std::uint32_t>(view.width);
    const auto rows = static_cast<std::uint32_t>(endRow - firstRow);
    const auto plot = [&] {
        if (static_cast<std::uint32_t>(x) < width &&
            static_cast<std::uint32_t>(y - firstRow) < rows) {
            writePixel(view.rowStart + offset, color);
        }
    };

    // 3. The first pixel, at the pen.
    plot();
    if (t.dx < t.dy) {
        // 4. Steep: dy steps, one per row.
        for (std::int32_t n = t.dy; n > 0; --n) {
            if (t.step()) {
                x += t.sx;
                offset += columnStep;
            }
            ++y;
            offset += view.pitch;
            plot();
        }
    } else {
        // 5. Shallow: dx - 1 steps, one per column.
        for (std::int32_t n = t.dx - 1; n > 0; --n) {
            if (t.step()) {
                ++y;
                offset += view.pitch;
            }
            x += t.sx;
            offset += columnStep;
            plot();
        }
    }
    pen.x = x;
    pen.y = y;
}

// Guards: without a usable frame, with an end point outside the frame, or
// with a cursor that does not address a pixel, nothing is drawn and the
// cursor is left alone. When the last pixel stepped lay outside the frame
// (it was skipped), the cursor is left on the nearest pixel inside it, so
// it always remains a valid pixel address.
void drawLine(RenderDevice& device, std::uint8_t*& cursor, const ScreenPoint& from,
              const ScreenPoint& to) {
    FrameView view;
    if (!viewFrame(device, view) || !insideFrame(view, from) || !insideFrame(view, to)) {
        return;
    }
    LinePen pen;
    if (!penAtCursor(view, cursor, pen)) {
        return;
    }
    const LinePen start = pen;
    stepLine(view, pen, from, to, lineColor(device));
    device.markDrawn(penBox(start, pen));
    cursor = pixelAddress(view, std::clamp(pen.x, 0, view.width - 1),
                          std::clamp(pen.y, 0, view.height - 1));
}
