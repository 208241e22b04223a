// Drawing contexts: their lifetime (window, memory and paint contexts),
// their text attributes and bounds accumulation, and the painting protocol
// (BeginPaint, EndPaint).
#include "platform/core/state.h"

using namespace platform;
using namespace platform::core;

namespace {

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

HDC CreateCompatibleDC(HDC dc) {
    if (dc != nullptr && findContext(dc) == nullptr) {
        return nullptr;
    }
    return asHandle<HDC>(createContext(DcKind::Memory, 0));
}

BOOL DeleteDC(HDC dc) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr || context->kind != DcKind::Memory) {
        return FALSE; // window contexts are given back with ReleaseDC
    }
    dropContext(handleOf(dc));
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

UINT SetBoundsRect(HDC dc, const RECT* rect, UINT flags) {
    DeviceContext* context = findContext(dc);
    if (context == nullptr) {
        return 0;
    }
    const UINT previous = (isEmptyRect(context->bounds) ? DCB_RESET : DCB_SET) |
                          (context->boundsEnabled ? DCB_ENABLE : DCB_DISABLE);
    if ((flags & DCB_RESET) != 0) {
        context->bounds = RECT{};
    }
    if ((flags & DCB_ACCUMULATE) != 0 && rect != nullptr) {
        context->bounds = uniteRects(context->bounds, *rect);
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
    const UINT state = (isEmptyRect(context->bounds) ? DCB_RESET : DCB_SET) |
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
