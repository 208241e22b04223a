// The drawing objects: stock brushes and the stock bitmap, device-
// independent bitmap sections, solid brushes, and selecting objects into
// contexts and deleting them.
#include "platform/core/failure_points.h"
#include "platform/core/state.h"

#include <memory>
#include <new>

using namespace platform;
using namespace platform::core;

namespace platform::core {

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

} // namespace platform::core

HGDIOBJ GetStockObject(int object) {
    if (object < WHITE_BRUSH || object > BLACK_BRUSH) {
        return nullptr;
    }
    return reinterpret_cast<HGDIOBJ>(stockBrush(object));
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

HBRUSH CreateSolidBrush(COLORREF color) {
    Handle handle = newHandle();
    Brush brush;
    brush.color = color & 0x00ffffff;
    state().brushes[handle] = brush;
    return asHandle<HBRUSH>(handle);
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
