// Drawing into a context's picture: the blit, text and rectangle fills,
// each clipped to the picture and recorded as drawn.
#include "platform/core/state.h"

#include <algorithm>
#include <cstring>

using namespace platform;
using namespace platform::core;

namespace {

// Clips `r` to the target; false when nothing is left.
bool clipTo(RECT& r, const PixelTarget& target) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, target.width);
    r.bottom = std::min<LONG>(r.bottom, target.height);
    return r.left < r.right && r.top < r.bottom;
}

} // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
    DeviceContext* to = findContext(dest);
    DeviceContext* from = findContext(source);
    if (to == nullptr || from == nullptr || rop != SRCCOPY || width < 0 || height < 0) {
        return FALSE;
    }
    PixelTarget target = contextTarget(*to);
    PixelTarget origin = contextTarget(*from);
    if (!target.valid() || !origin.valid()) {
        return FALSE; // a window that is gone, or a context without a bitmap
    }
    // Clip the destination rectangle to both pictures at once: a pixel is
    // copied only when both its source and its destination exist.
    long long dx0 = x;
    long long dy0 = y;
    long long dx1 = static_cast<long long>(x) + width;
    long long dy1 = static_cast<long long>(y) + height;
    long long shiftX = static_cast<long long>(sourceX) - x;
    long long shiftY = static_cast<long long>(sourceY) - y;
    dx0 = std::max({dx0, 0LL, -shiftX});
    dy0 = std::max({dy0, 0LL, -shiftY});
    dx1 = std::min({dx1, static_cast<long long>(target.width), origin.width - shiftX});
    dy1 = std::min({dy1, static_cast<long long>(target.height), origin.height - shiftY});
    if (dx0 < dx1 && dy0 < dy1) {
        std::size_t bytes = static_cast<std::size_t>(dx1 - dx0) * 3;
        // Within one picture, rows are visited so that none is overwritten
        // before it has been read: from the bottom when the source lies above.
        bool upward = target.bits == origin.bits && shiftY < 0;
        for (long long i = 0; i < dy1 - dy0; ++i) {
            long long row = upward ? dy1 - 1 - i : dy0 + i;
            std::uint8_t* d = target.row(static_cast<int>(row)) + dx0 * 3;
            const std::uint8_t* s = origin.row(static_cast<int>(row + shiftY)) + (dx0 + shiftX) * 3;
            std::memmove(d, s, bytes);
        }
        RECT dirty{static_cast<LONG>(dx0), static_cast<LONG>(dy0), static_cast<LONG>(dx1),
                   static_cast<LONG>(dy1)};
        contextDrew(*to, dirty);
    }
    // A blit to a top-level window is what reaches the screen: the backend
    // hears of everything drawn into the window since it last did, the
    // blit included.
    if (to->kind == DcKind::Window || to->kind == DcKind::Paint) {
        Window* w = findWindow(to->window);
        if (w != nullptr && w->topLevel && !w->isDialog && platform::backend() != nullptr) {
            const RECT changed = w->surfaceDirty;
            w->surfaceChanged = false;
            w->surfaceDirty = RECT{};
            platform::PixelRect dirty{0, 0, 0, 0};
            if (!isEmptyRect(changed)) {
                dirty =
                    platform::PixelRect{changed.left, changed.top, changed.right, changed.bottom};
            }
            platform::backend()->windowPresented(w->handle, w->surface.view(), dirty);
        }
    }
    return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || length < 0 || (text == nullptr && length > 0)) {
        return FALSE;
    }
    PixelTarget target = contextTarget(*context);
    if (context->kind == DcKind::Screen || (context->kind != DcKind::Memory && !target.valid())) {
        return FALSE;
    }
    const COLORREF* background =
        context->backgroundMode == OPAQUE ? &context->backgroundColor : nullptr;
    RECT touched{0, 0, 0, 0};
    if (!drawText(target, x, y, text, length, context->textColor, background, &touched)) {
        return FALSE;
    }
    if (touched.left < touched.right) {
        contextDrew(*context, touched);
    }
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || rect == nullptr) {
        return 0;
    }
    bool ok = false;
    COLORREF color = brushColor(handleOf(brush), &ok);
    if (!ok) {
        return 0;
    }
    PixelTarget target = contextTarget(*context);
    if (!target.valid()) {
        return context->kind == DcKind::Memory ? 1 : 0;
    }
    // Right and bottom edges are exclusive.
    RECT r = *rect;
    if (!clipTo(r, target)) {
        return 1;
    }
    std::uint8_t b = GetBValue(color);
    std::uint8_t g = GetGValue(color);
    std::uint8_t red = GetRValue(color);
    for (LONG row = r.top; row < r.bottom; ++row) {
        std::uint8_t* p = target.row(row) + static_cast<std::ptrdiff_t>(r.left) * 3;
        for (LONG col = r.left; col < r.right; ++col, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = red;
        }
    }
    contextDrew(*context, r);
    return 1;
}
