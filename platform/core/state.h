// The layer's own state: the tables behind every handle, the message queue
// and the drawing surfaces. Internal to the layer: its core's .cpp files
// and the headless backend, never a program or another folder.
//
// Handles are numbers drawn from one counter that never repeats, shared by
// every kind of object, so a stale handle (destroyed window, deleted bitmap)
// never names a newer object and a handle of one kind is never mistaken for
// another. They are looked up, never dereferenced.
//
// Window procedures may re-enter the layer (create, destroy, send) while it
// is running one of them; code that calls a procedure therefore looks the
// window up again afterwards instead of keeping references into the tables.
#pragma once

#include "platform/core/backend.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::core {

using Handle = std::uintptr_t;

Handle newHandle();

template <typename T> Handle handleOf(T pointerHandle) {
    return reinterpret_cast<Handle>(pointerHandle);
}
template <typename T> T asHandle(Handle value) {
    return reinterpret_cast<T>(value);
}

// A 24-bit BGR pixel grid with rows `stride` bytes apart; `bottomUp` when
// the first row in memory is the bottom row of the picture.
struct PixelTarget {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = false;

    bool valid() const { return bits != nullptr && width > 0 && height > 0; }
    // Start of picture row y (0 = top); y must be inside.
    std::uint8_t* row(int y) const {
        return bits + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride;
    }
};

// Pictures larger than this are not made: drawing into such a window or
// bitmap fails instead of exhausting memory.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

inline bool isEmptyRect(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The smallest rectangle holding both; an empty one does not count.
inline RECT uniteRects(const RECT& a, const RECT& b) {
    if (isEmptyRect(a)) {
        return isEmptyRect(b) ? RECT{} : b;
    }
    if (isEmptyRect(b)) {
        return a;
    }
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// A window's client-area picture: top-down rows, no padding;
// pixels.size() == width * height * 3 always (0 x 0 when too large to make
// or when its memory cannot be had).
struct Surface {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;

    PixelTarget target() {
        return PixelTarget{pixels.empty() ? nullptr : pixels.data(), width, height, width * 3,
                           false};
    }
    ImageView view() const {
        return ImageView{width, height, width * 3, pixels.empty() ? nullptr : pixels.data()};
    }
    // New size; what fits of the old picture stays at the top left, the rest
    // takes `fill`.
    void resize(int newWidth, int newHeight, COLORREF fill);
};

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    ResourceName menuName;
    bool hasMenuName = false;
};

// The built-in window class a dialog control is made of (None: a window of
// a registered class).
enum class ControlClass { None, Edit, Static, Button };

struct Window {
    Handle handle = 0;
    std::string className;
    UINT classStyle = 0;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    Handle parent = 0; // a child's parent
    Handle owner = 0;  // a dialog's owner
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    int controlId = 0;
    ControlClass control = ControlClass::None;
    LONG_PTR userData = 0;
    RECT outer{};
    int clientWidth = 0;
    int clientHeight = 0;
    int restoredWidth = 0; // client size to come back to after a minimize
    int restoredHeight = 0;
    bool minimized = false;
    bool visible = false;
    bool topLevel = false;   // has a backend window
    bool destroying = false; // DestroyWindow is under way
    int disabled = 0;        // modal loops that disabled this window
    Handle menu = 0;
    std::vector<Handle> children; // creation (= tab) order

    // Painting.
    bool invalid = false;
    bool eraseNeeded = false;
    RECT invalidRect{};
    Surface surface;
    bool surfaceChanged = false; // drawn into since the backend last heard
    RECT surfaceDirty{};         // the part drawn into since then (empty: none)

    // Dialogs.
    bool isDialog = false;
    DLGPROC dialogProc = nullptr;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    Handle focus = 0;

    // Files dropped on the window reach it (DragAcceptFiles).
    bool acceptsFiles = false;
};

struct MenuEntry {
    std::string text;
    UINT id = 0;
    bool separator = false;
    bool checked = false;
    bool grayed = false;
    Handle popup = 0;
};

struct Menu {
    Handle handle = 0;
    Handle parentMenu = 0; // the bar a pop-up belongs to
    Handle window = 0;     // the window a bar belongs to
    std::vector<MenuEntry> entries;
};

struct Bitmap {
    std::unique_ptr<std::uint8_t[]> bits;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = true;
    bool stock = false;
    Handle selectedInto = 0;

    PixelTarget target() const { return PixelTarget{bits.get(), width, height, stride, bottomUp}; }
};

struct Brush {
    COLORREF color = 0;
    bool stock = false;
    Handle selectedInto = 0;
};

enum class DcKind { Memory, Window, Paint, Screen };

struct DeviceContext {
    Handle handle = 0;
    DcKind kind = DcKind::Memory;
    Handle window = 0; // Window and Paint contexts
    Handle bitmap = 0; // Memory contexts
    Handle brush = 0;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    // SetBoundsRect / GetBoundsRect: whether drawing is being accumulated,
    // and the box around what was drawn (empty: nothing yet).
    bool boundsEnabled = false;
    RECT bounds{};
};

struct Icon {
    const IconResource* resource = nullptr; // null for a system icon or cursor
    std::vector<std::uint8_t> bgr;          // 32 x 32, rows from the top
};

struct State {
    std::map<std::string, WindowClass> classes; // by upper-cased name
    std::map<Handle, std::unique_ptr<Window>> windows;
    std::map<Handle, Menu> menus;
    std::map<Handle, Bitmap> bitmaps;
    std::map<Handle, Brush> brushes;
    std::map<Handle, DeviceContext> contexts;
    // Table nodes of freed contexts, reused by the next ones: a frame gets
    // and frees a window context and a memory context, and so allocates
    // nothing for them once warm.
    std::vector<std::map<Handle, DeviceContext>::node_type> spareContexts;
    std::map<Handle, Icon> icons;
    std::map<std::pair<Handle, std::string>, Handle> loadedIcons; // (module, name key)
    std::map<Handle, const ResourceModule*> modules;

    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    Handle capture = 0;

    Handle stockBrushes[5] = {};
    Handle stockBitmap = 0;
    Handle dialogBrush = 0;
    std::map<Handle, INT_PTR> dialogResults; // dialogs ended, until DialogBoxParamA returns
    std::map<Handle, std::vector<std::string>> drops; // dropped files, until DragFinish
    Handle systemIcon = 0;
    Handle arrowCursor = 0;

    std::function<DWORD()> clock;
};

State& state();

// Lookups: null when the handle names nothing of that kind (or a window
// whose destruction has finished).
Window* findWindow(Handle handle);
Window* findWindow(HWND window);
Menu* findMenu(Handle handle);
DeviceContext* findContext(HDC dc);

// Runs the window's procedure (the dialog manager's for a dialog).
LRESULT callWindowProc(Handle window, UINT message, WPARAM wParam, LPARAM lParam);

// The stock object for WHITE_BRUSH etc., created on first use.
Handle stockBrush(int index);
Handle stockBitmap();

// Painting.
void invalidate(Window& window, const RECT* rect, bool erase);
void sendPaintIfInvalid(Handle window);
// Delivers WM_PAINT to every visible window waiting for one, as the
// platform does once the queue is idle.
void deliverPendingPaints();
// Tells the backend about a changed dialog surface.
void flushSurface(Handle window);
// The picture a drawing context draws into; invalid when there is none
// (for instance, its window is gone).
PixelTarget contextTarget(const DeviceContext& dc);
// The window with its surface brought to its client size, or null.
Window* ensureSurface(Handle window);
// Called after drawing through a context touched `dirty`.
void contextDrew(DeviceContext& dc, const RECT& dirty);
COLORREF brushColor(Handle brush, bool* ok);

// Menus.
Handle loadMenu(const MenuResource& resource);
std::vector<MenuPopupView> menuView(Handle bar);
void destroyMenu(Handle menu);
const MenuEntry* findMenuCommand(Handle menu, UINT id);

// Dialogs.
LRESULT dialogWindowProc(Handle dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Windows. Client sizes are held to 0..kMaxClientSize, as WM_SIZE carries
// each in 16 bits.
constexpr int kMaxClientSize = 0xffff;
void setClientSize(Window& window, int width, int height);
// The 32 x 32 picture of a loaded icon, or an empty view.
ImageView iconView(HICON icon);
// CreateWindowExA without the failure injection (used for dialog controls).
HWND createWindow(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

// Messages.
void postMessage(Handle window, UINT message, WPARAM wParam, LPARAM lParam);
void dropQueuedMessages(Handle window);

// Text.
bool drawText(const PixelTarget& target, int x, int y, const char* text, int length, COLORREF color,
              const COLORREF* opaqueBackground, RECT* touched);

// The layer's millisecond clock (the test clock when one is set).
DWORD now();

std::string upper(const std::string& text);
std::string resourceKey(LPCSTR name);

} // namespace platform::core
