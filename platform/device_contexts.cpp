// Drawing contexts, bitmaps, brushes, the blit, rectangle fills and the
// painting protocol. Every write goes through a PixelTarget and is clipped
// to it: nothing is ever written outside a bitmap or a window's picture.
#include "platform/core.h"
#include "platform/test_controls.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace platform;
using namespace platform::core;

namespace platform::core {

// Pictures larger than this are not made: drawing into such a window or
// bitmap fails instead of exhausting memory.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

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

Handle stockBrush(int index) {
    static const COLORREF colors[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                       RGB(64, 64, 64), RGB(0, 0, 0)};
    State& s = state();
    if (s.stockBrushes[index] == 0) {
        Handle handle = newHandle();
        Brush brush;
        brush.color = colors[index];
        brush.stock = true;
        s.brushes[handle] = brush;
        s.stockBrushes[index] = handle;
    }
    return s.stockBrushes[index];
}

// What a fresh memory context holds: a one-pixel bitmap, so that selecting
// a real bitmap returns something to select back.
Handle stockBitmap() {
    State& s = state();
    if (s.stockBitmap == 0) {
        Handle handle = newHandle();
        Bitmap bitmap;
        bitmap.bits = std::make_unique<std::uint8_t[]>(4);
        bitmap.width = 1;
        bitmap.height = 1;
        bitmap.stride = 4;
        bitmap.stock = true;
        s.bitmaps[handle] = std::move(bitmap);
        s.stockBitmap = handle;
    }
    return s.stockBitmap;
}

COLORREF brushColor(Handle brush, bool* ok) {
    auto& brushes = state().brushes;
    auto it = brushes.find(brush);
    *ok = it != brushes.end();
    return *ok ? it->second.color : 0;
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

namespace {

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The smallest rectangle holding both; an empty one does not count.
RECT unite(const RECT& a, const RECT& b) {
    if (isEmpty(a)) {
        return isEmpty(b) ? RECT{} : b;
    }
    if (isEmpty(b)) {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

} // namespace

void contextDrew(DeviceContext& dc, const RECT& dirty) {
    if (dc.boundsEnabled) {
        dc.bounds = unite(dc.bounds, dirty);
    }
    if (dc.kind == DcKind::Window || dc.kind == DcKind::Paint) {
        if (Window* w = findWindow(dc.window)) {
            w->surfaceChanged = true;
            w->surfaceDirty = unite(w->surfaceDirty, dirty);
        }
    }
}

} // namespace platform::core

namespace {

// Clips `r` to the target; false when nothing is left.
bool clipTo(RECT& r, const PixelTarget& target) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, target.width);
    r.bottom = std::min<LONG>(r.bottom, target.height);
    return r.left < r.right && r.top < r.bottom;
}

Handle createContext(DcKind kind, Handle window) {
    Handle handle = newHandle();
    DeviceContext dc;
    dc.handle = handle;
    dc.kind = kind;
    dc.window = window;
    dc.brush = stockBrush(WHITE_BRUSH);
    if (kind == DcKind::Memory) {
        dc.bitmap = stockBitmap();
    }
    State& s = state();
    if (s.spareContexts.empty()) {
        s.contexts[handle] = dc;
    } else {
        auto node = std::move(s.spareContexts.back());
        s.spareContexts.pop_back();
        node.key() = handle;
        node.mapped() = dc;
        s.contexts.insert(std::move(node));
    }
    return handle;
}

// Frees a context, letting go of what it had selected.
void dropContext(Handle handle) {
    State& s = state();
    auto it = s.contexts.find(handle);
    if (it == s.contexts.end()) {
        return;
    }
    auto bitmap = s.bitmaps.find(it->second.bitmap);
    if (bitmap != s.bitmaps.end() && bitmap->second.selectedInto == handle) {
        bitmap->second.selectedInto = 0;
    }
    auto brush = s.brushes.find(it->second.brush);
    if (brush != s.brushes.end() && brush->second.selectedInto == handle) {
        brush->second.selectedInto = 0;
    }
    s.spareContexts.push_back(s.contexts.extract(it));
}

} // namespace

HGDIOBJ GetStockObject(int object) {
    if (object < WHITE_BRUSH || object > BLACK_BRUSH) {
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(stockBrush(object));
}

HDC GetDC(HWND window) {
    if (window == nullptr) {
        // The whole screen: usable as a reference for compatible contexts
        // and bitmaps, but it draws nowhere.
        return asHandle<HDC>(createContext(DcKind::Screen, 0));
    }
    Window* w = findWindow(window);
    if (w == nullptr || w->destroying) {
        return nullptr;
    }
    return asHandle<HDC>(createContext(DcKind::Window, w->handle));
}

int ReleaseDC(HWND window, HDC dc) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr ||
        (context->kind != DcKind::Window && context->kind != DcKind::Screen)) {
        return 0;
    }
    if (context->window != handleOf(window)) {
        return 0;
    }
    Handle target = context->window;
    dropContext(handleOf(dc));
    flushSurface(target);
    return 1;
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
    (void)dc; // only palette-indexed colour tables would need it
    (void)offset;
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (info == nullptr || section != nullptr || usage != DIB_RGB_COLORS) {
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    // Only what the layer can draw into: 24-bit, uncompressed, one plane.
    // A zero width or height makes no bitmap, as on the platform.
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 24 ||
        h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) {
        return nullptr;
    }
    if (platform::failsOnCue(platform::FailurePoint::CreateDIBSection)) {
        return nullptr;
    }
    int width = h.biWidth;
    int height = h.biHeight > 0 ? h.biHeight : -h.biHeight;
    // Rows are padded to a multiple of 4 bytes.
    std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
    std::uint64_t size = stride * static_cast<std::uint64_t>(height);
    if (size > kMaxPictureBytes) {
        return nullptr;
    }
    // Zero-filled, as the platform's section memory is.
    std::unique_ptr<std::uint8_t[]> memory(new (std::nothrow)
                                               std::uint8_t[static_cast<std::size_t>(size)]());
    if (!memory) {
        return nullptr;
    }
    Handle handle = newHandle();
    Bitmap bitmap;
    bitmap.bits = std::move(memory);
    bitmap.width = width;
    bitmap.height = height;
    bitmap.stride = static_cast<int>(stride);
    bitmap.bottomUp = h.biHeight > 0;
    if (bits != nullptr) {
        *bits = bitmap.bits.get();
    }
    state().bitmaps[handle] = std::move(bitmap);
    return asHandle<HBITMAP>(handle);
}

BOOL DeleteObject(HGDIOBJ object) {
    State& s = state();
    Handle handle = reinterpret_cast<Handle>(object);
    auto bitmap = s.bitmaps.find(handle);
    if (bitmap != s.bitmaps.end()) {
        if (bitmap->second.stock) {
            return TRUE; // stock objects outlive every attempt to delete them
        }
        if (bitmap->second.selectedInto != 0) {
            return FALSE; // still selected: its memory stays valid
        }
        s.bitmaps.erase(bitmap);
        return TRUE;
    }
    auto brush = s.brushes.find(handle);
    if (brush != s.brushes.end()) {
        if (brush->second.stock) {
            return TRUE;
        }
        if (brush->second.selectedInto != 0) {
            return FALSE;
        }
        s.brushes.erase(brush);
        return TRUE;
    }
    return FALSE;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && findContext(dc) == nullptr) {
        return nullptr;
    }
    return asHandle<HDC>(createContext(DcKind::Memory, 0));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr) {
        return nullptr;
    }
    State& s = state();
    Handle handle = reinterpret_cast<Handle>(object);
    auto bitmap = s.bitmaps.find(handle);
    if (bitmap != s.bitmaps.end()) {
        // Only a memory context takes a bitmap, and a bitmap sits in one
        // context at a time.
        if (context->kind != DcKind::Memory) {
            return nullptr;
        }
        Bitmap& b = bitmap->second;
        if (b.selectedInto != 0 && b.selectedInto != context->handle && !b.stock) {
            return nullptr;
        }
        Handle previous = context->bitmap;
        auto old = s.bitmaps.find(previous);
        if (old != s.bitmaps.end() && old->second.selectedInto == context->handle) {
            old->second.selectedInto = 0;
        }
        if (!b.stock) {
            b.selectedInto = context->handle;
        }
        context->bitmap = handle;
        return reinterpret_cast<HGDIOBJ>(previous);
    }
    auto brush = s.brushes.find(handle);
    if (brush != s.brushes.end()) {
        Handle previous = context->brush;
        auto old = s.brushes.find(previous);
        if (old != s.brushes.end() && old->second.selectedInto == context->handle) {
            old->second.selectedInto = 0;
        }
        if (!brush->second.stock) {
            brush->second.selectedInto = context->handle;
        }
        context->brush = handle;
        return reinterpret_cast<HGDIOBJ>(previous);
    }
    return nullptr;
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || context->kind != DcKind::Memory) {
        return FALSE; // window contexts are given back with ReleaseDC
    }
    dropContext(handleOf(dc));
    return TRUE;
}

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
            if (!isEmpty(changed)) {
                dirty =
                    platform::PixelRect{changed.left, changed.top, changed.right, changed.bottom};
            }
            platform::backend()->windowPresented(w->handle, w->surface.view(), dirty);
        }
    }
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr) {
        return CLR_INVALID;
    }
    COLORREF previous = context->textColor;
    context->textColor = color & 0x00ffffff;
    return previous;
}

int SetBkMode(HDC dc, int mode) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    int previous = context->backgroundMode;
    context->backgroundMode = mode;
    return previous;
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

HBRUSH CreateSolidBrush(COLORREF color) {
    Handle handle = newHandle();
    Brush brush;
    brush.color = color & 0x00ffffff;
    state().brushes[handle] = brush;
    return asHandle<HBRUSH>(handle);
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

UINT SetBoundsRect(HDC dc, const RECT* rect, UINT flags) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr) {
        return 0;
    }
    const UINT previous = (isEmpty(context->bounds) ? DCB_RESET : DCB_SET) |
                          (context->boundsEnabled ? DCB_ENABLE : DCB_DISABLE);
    if ((flags & DCB_RESET) != 0) {
        context->bounds = RECT{};
    }
    if ((flags & DCB_ACCUMULATE) != 0 && rect != nullptr) {
        context->bounds = unite(context->bounds, *rect);
    }
    if ((flags & DCB_ENABLE) != 0) {
        context->boundsEnabled = true;
    } else if ((flags & DCB_DISABLE) != 0) {
        context->boundsEnabled = false;
    }
    return previous;
}

UINT GetBoundsRect(HDC dc, LPRECT rect, UINT flags) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || rect == nullptr) {
        return 0;
    }
    *rect = context->bounds;
    const UINT state = (isEmpty(context->bounds) ? DCB_RESET : DCB_SET) |
                       (context->boundsEnabled ? DCB_ENABLE : DCB_DISABLE);
    if ((flags & DCB_RESET) != 0) {
        context->bounds = RECT{};
    }
    return state;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    Window* w = findWindow(window);
    if (w == nullptr || paint == nullptr) {
        return nullptr;
    }
    Handle handle = w->handle;
    RECT area = w->invalid ? w->invalidRect : RECT{0, 0, 0, 0};
    bool erase = w->eraseNeeded;
    // The window counts as painted from here on.
    w->invalid = false;
    w->eraseNeeded = false;
    HDC dc = asHandle<HDC>(createContext(DcKind::Paint, handle));
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = area;
    if (erase) {
        // The background is erased first; fErase tells the caller that
        // it still has to do it itself.
        LRESULT erased = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        paint->fErase = erased == 0 ? TRUE : FALSE;
    }
    return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return FALSE;
    }
    DeviceContext* context = findContext(paint->hdc);
    if (context == nullptr || context->kind != DcKind::Paint ||
        context->window != handleOf(window)) {
        return FALSE;
    }
    Handle target = context->window;
    dropContext(handleOf(paint->hdc));
    flushSurface(target);
    return TRUE;
}
