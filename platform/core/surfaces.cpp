// Window pictures: each window's client-area surface, kept at its client
// size, the picture a drawing context draws into, and the record of what
// changed in a window since the backend last heard. Every write goes
// through a PixelTarget and is clipped to it: nothing is ever written
// outside a bitmap or a window's picture.
#include "platform/core/state.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace platform;

namespace platform::core {

void Surface::resize(int newWidth, int newHeight, COLORREF fill) {
    std::uint64_t bytes = static_cast<std::uint64_t>(std::max(newWidth, 0)) *
                          static_cast<std::uint64_t>(std::max(newHeight, 0)) * 3;
    std::vector<std::uint8_t> next;
    if (bytes <= kMaxPictureBytes) {
        try {
            next.resize(static_cast<std::size_t>(bytes));
        } catch (const std::bad_alloc&) {
            bytes = kMaxPictureBytes + 1; // as good as too large
        }
    }
    if (bytes > kMaxPictureBytes) {
        // Too large to make, or the memory cannot be had: no picture, and
        // drawing into the window fails until a size that fits comes.
        pixels = std::vector<std::uint8_t>();
        width = 0;
        height = 0;
        return;
    }
    for (std::size_t i = 0; i < next.size(); i += 3) {
        next[i + 0] = GetBValue(fill);
        next[i + 1] = GetGValue(fill);
        next[i + 2] = GetRValue(fill);
    }
    // What fits of the old picture stays at the top left. (A picture
    // without width or height holds no pixels: nothing to keep.)
    const int keepWidth = std::min(width, newWidth);
    const int keepHeight = keepWidth > 0 ? std::min(height, newHeight) : 0;
    for (int y = 0; y < keepHeight; ++y) {
        std::memcpy(next.data() + static_cast<std::size_t>(y) * newWidth * 3,
                    pixels.data() + static_cast<std::size_t>(y) * width * 3,
                    static_cast<std::size_t>(keepWidth) * 3);
    }
    pixels = std::move(next);
    width = newWidth;
    height = newHeight;
}

Window* ensureSurface(Handle window) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return nullptr;
    }
    if (w->surface.width != w->clientWidth || w->surface.height != w->clientHeight ||
        (w->surface.pixels.empty() && w->clientWidth > 0 && w->clientHeight > 0)) {
        bool ok = false;
        COLORREF fill = brushColor(handleOf(w->background), &ok);
        w->surface.resize(w->clientWidth, w->clientHeight, ok ? fill : RGB(255, 255, 255));
        w->surfaceDirty = RECT{0, 0, w->surface.width, w->surface.height};
    }
    return w;
}

PixelTarget contextTarget(const DeviceContext& dc) {
    switch (dc.kind) {
    case DcKind::Memory: {
        auto& bitmaps = state().bitmaps;
        auto it = bitmaps.find(dc.bitmap);
        if (it == bitmaps.end() || it->second.stock) {
            return PixelTarget{};
        }
        return it->second.target();
    }
    case DcKind::Window:
    case DcKind::Paint: {
        Window* w = ensureSurface(dc.window);
        return w != nullptr ? w->surface.target() : PixelTarget{};
    }
    case DcKind::Screen:
        break;
    }
    return PixelTarget{};
}

void flushSurface(Handle window) {
    Window* w = findWindow(window);
    if (w == nullptr || !w->surfaceChanged) {
        return;
    }
    w->surfaceChanged = false;
    if (w->isDialog && platform::backend() != nullptr) {
        w->surfaceDirty = RECT{};
        platform::backend()->dialogPainted(window, w->surface.view());
    }
}

void contextDrew(DeviceContext& dc, const RECT& dirty) {
    if (dc.boundsEnabled) {
        dc.bounds = uniteRects(dc.bounds, dirty);
    }
    if (dc.kind == DcKind::Window || dc.kind == DcKind::Paint) {
        if (Window* w = findWindow(dc.window)) {
            w->surfaceChanged = true;
            w->surfaceDirty = uniteRects(w->surfaceDirty, dirty);
        }
    }
}

} // namespace platform::core
