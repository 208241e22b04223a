#include "platform/desktop/image_copy.h"

#include <algorithm>
#include <cstddef>

namespace platform::desktop {

namespace {

bool isEmpty(const PixelRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

PixelRect clipRect(const PixelRect& r, int width, int height) {
    PixelRect c{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                std::min(r.bottom, height)};
    if (isEmpty(c)) {
        return PixelRect{};
    }
    return c;
}

PixelRect uniteRects(const PixelRect& a, const PixelRect& b) {
    if (isEmpty(a)) {
        return isEmpty(b) ? PixelRect{} : b;
    }
    if (isEmpty(b)) {
        return a;
    }
    return PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
}

PixelRect takeFrame(RgbCanvas& canvas, const ImageView& frame, const PixelRect& dirty) {
    if (frame.bgr == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.stride < frame.width * 3) {
        return PixelRect{};
    }
    PixelRect area = clipRect(dirty, frame.width, frame.height);
    if (canvas.width != frame.width || canvas.height != frame.height) {
        canvas.width = frame.width;
        canvas.height = frame.height;
        canvas.rgb.assign(
            static_cast<std::size_t>(canvas.stride()) * static_cast<std::size_t>(canvas.height), 0);
        area = PixelRect{0, 0, frame.width, frame.height};
    }
    if (isEmpty(area)) {
        return PixelRect{};
    }
    for (int y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* src = frame.bgr + static_cast<std::ptrdiff_t>(y) * frame.stride +
                                  static_cast<std::ptrdiff_t>(area.left) * 3;
        std::uint8_t* dst = canvas.rgb.data() + static_cast<std::ptrdiff_t>(y) * canvas.stride() +
                            static_cast<std::ptrdiff_t>(area.left) * 3;
        for (int x = area.left; x < area.right; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return area;
}

} // namespace platform::desktop
