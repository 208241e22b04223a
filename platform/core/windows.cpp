// Window classes, icons and cursors, windows and their data, capture.
#include "platform/core/failure_points.h"
#include "platform/core/state.h"

#include <algorithm>
#include <cstring>

using namespace platform;
using namespace platform::core;

namespace platform::core {

void setClientSize(Window& window, int width, int height) {
    width = std::clamp(width, 0, kMaxClientSize);
    height = std::clamp(height, 0, kMaxClientSize);
    window.outer.right += width - window.clientWidth;
    window.outer.bottom += height - window.clientHeight;
    window.clientWidth = width;
    window.clientHeight = height;
    if (!window.surface.pixels.empty() || window.surface.width != 0) {
        bool ok = false;
        COLORREF fill = brushColor(handleOf(window.background), &ok);
        window.surface.resize(width, height, ok ? fill : RGB(255, 255, 255));
    }
}

ImageView iconView(HICON icon) {
    auto& icons = state().icons;
    auto it = icons.find(handleOf(icon));
    if (it == icons.end() || it->second.bgr.empty()) {
        return ImageView{};
    }
    constexpr int n = IconResource::kSize;
    return ImageView{n, n, n * 3, it->second.bgr.data()};
}

} // namespace platform::core

namespace {

// Default size for CW_USEDEFAULT: the program's own window size.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

// Icons are converted once to the backend's 24-bit picture.
Handle makeIcon(const IconResource* resource) {
    Handle handle = newHandle();
    Icon icon;
    icon.resource = resource;
    if (resource != nullptr) {
        constexpr int n = IconResource::kSize;
        icon.bgr.resize(static_cast<std::size_t>(n) * n * 3);
        for (int i = 0; i < n * n; ++i) {
            COLORREF c = resource->palette[resource->pixels[i] & 0x0f];
            icon.bgr[i * 3 + 0] = GetBValue(c);
            icon.bgr[i * 3 + 1] = GetGValue(c);
            icon.bgr[i * 3 + 2] = GetRValue(c);
        }
    }
    state().icons[handle] = std::move(icon);
    return handle;
}

void sendSize(Handle window) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return;
    }
    WPARAM kind = w->minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
    LPARAM size = MAKELPARAM(w->clientWidth, w->clientHeight);
    SendMessageA(asHandle<HWND>(window), WM_SIZE, kind, size);
}

ControlClass controlClassOf(const std::string& className) {
    std::string name = upper(className);
    if (name == "EDIT") {
        return ControlClass::Edit;
    }
    if (name == "STATIC") {
        return ControlClass::Static;
    }
    if (name == "BUTTON") {
        return ControlClass::Button;
    }
    return ControlClass::None;
}

// The controls' own procedure: they answer painting and nothing else.
LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
    if (wndClass == nullptr || wndClass->lpfnWndProc == nullptr ||
        wndClass->lpszClassName == nullptr || IS_INTRESOURCE(wndClass->lpszClassName) ||
        wndClass->lpszClassName[0] == '\0') {
        return 0;
    }
    if (platform::failsOnCue(platform::FailurePoint::RegisterClass)) {
        return 0;
    }
    std::string key = upper(wndClass->lpszClassName);
    State& s = state();
    if (s.classes.count(key) != 0 || controlClassOf(key) != ControlClass::None) {
        return 0; // already registered (the platform refuses a second registration)
    }
    WindowClass c;
    c.name = wndClass->lpszClassName;
    c.style = wndClass->style;
    c.proc = wndClass->lpfnWndProc;
    c.instance = wndClass->hInstance;
    c.icon = wndClass->hIcon;
    c.cursor = wndClass->hCursor;
    c.background = wndClass->hbrBackground;
    if (wndClass->lpszMenuName != nullptr) {
        c.hasMenuName = true;
        if (IS_INTRESOURCE(wndClass->lpszMenuName)) {
            c.menuName = ResourceName::numbered(LOWORD(wndClass->lpszMenuName));
        } else {
            c.menuName = ResourceName::named(wndClass->lpszMenuName);
        }
    }
    s.classes[key] = std::move(c);
    // Atoms of registered classes count up from the platform's first one.
    return static_cast<ATOM>(0xC000 + s.classes.size());
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (name == nullptr) {
        return nullptr;
    }
    State& s = state();
    if (instance == nullptr) {
        // System icons: one shared handle without a picture.
        if (IS_INTRESOURCE(name) && LOWORD(name) >= 32512 && LOWORD(name) <= 32518) {
            if (s.systemIcon == 0) {
                s.systemIcon = makeIcon(nullptr);
            }
            return asHandle<HICON>(s.systemIcon);
        }
        return nullptr;
    }
    const ResourceModule* module = moduleOf(instance);
    const IconResource* resource = module != nullptr ? module->findIcon(name) : nullptr;
    if (resource == nullptr) {
        return nullptr;
    }
    // Loading the same icon again gives the same handle.
    auto key = std::make_pair(handleOf(instance), resourceKey(name));
    auto it = s.loadedIcons.find(key);
    if (it != s.loadedIcons.end()) {
        return asHandle<HICON>(it->second);
    }
    Handle handle = makeIcon(resource);
    s.loadedIcons[key] = handle;
    return asHandle<HICON>(handle);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system cursors exist; the layer draws no cursor of its own.
    if (instance != nullptr || name == nullptr || !IS_INTRESOURCE(name) || LOWORD(name) < 32512 ||
        LOWORD(name) > 32651) {
        return nullptr;
    }
    State& s = state();
    if (s.arrowCursor == 0) {
        s.arrowCursor = makeIcon(nullptr);
    }
    return asHandle<HCURSOR>(s.arrowCursor);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    if (platform::backend() == nullptr) {
        return nullptr;
    }
    if (platform::failsOnCue(platform::FailurePoint::CreateWindow)) {
        return nullptr;
    }
    return createWindow(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                        instance, param);
}

namespace {

// The class part of a new window: a built-in control class for a child,
// otherwise a registered class with its procedure, background, icon and
// (for a top-level window given no menu) the menu the class names, loaded
// from the class's module. False when the class is not known.
bool takeClass(Window& w, LPCSTR className, bool child, HMENU menu) {
    const ControlClass control = controlClassOf(className);
    if (control != ControlClass::None && child) {
        w.className = upper(className);
        w.control = control;
        w.proc = controlProc;
        return true;
    }
    State& s = state();
    auto it = s.classes.find(upper(className));
    if (it == s.classes.end()) {
        return false;
    }
    const WindowClass& c = it->second;
    w.className = c.name;
    w.classStyle = c.style;
    w.proc = c.proc;
    w.background = c.background;
    w.icon = c.icon;
    if (!child && menu == nullptr && c.hasMenuName) {
        const ResourceModule* module = moduleOf(c.instance);
        LPCSTR name =
            c.menuName.text.empty() ? MAKEINTRESOURCEA(c.menuName.id) : c.menuName.text.c_str();
        const MenuResource* resource = module != nullptr ? module->findMenu(name) : nullptr;
        if (resource != nullptr) {
            w.menu = loadMenu(*resource);
        }
    }
    return true;
}

// A top-level window's menu bar given by the caller, or a child's control
// id (passed in the menu argument). False for a menu that is no free bar.
bool takeMenuOrId(Window& w, HMENU menu, bool child) {
    if (child) {
        w.controlId = static_cast<int>(reinterpret_cast<std::intptr_t>(menu));
        return true;
    }
    if (menu == nullptr) {
        return true;
    }
    Menu* m = findMenu(handleOf(menu));
    if (m == nullptr || m->window != 0 || m->parentMenu != 0) {
        return false; // not a menu bar, or one another window has
    }
    w.menu = handleOf(menu);
    return true;
}

struct Placement {
    int x;
    int y;
    int width;
    int height;
};

// CW_USEDEFAULT resolved, and positions and sizes held where the sums
// below and the 16-bit fields of WM_SIZE and WM_MOVE cannot overflow.
Placement placementOf(int x, int y, int width, int height) {
    if (x == CW_USEDEFAULT) {
        x = 0;
        y = 0;
    }
    if (width == CW_USEDEFAULT) {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }
    return Placement{std::clamp(x, -kMaxClientSize, kMaxClientSize),
                     std::clamp(y, -kMaxClientSize, kMaxClientSize),
                     std::clamp(width, 0, kMaxClientSize), std::clamp(height, 0, kMaxClientSize)};
}

// Gives a top-level window its client size as the backend frames it and
// its native window. False when the backend cannot make it.
bool openNativeWindow(platform::Backend& backend, Window& w, const Placement& at) {
    platform::TopLevelWindowView view;
    view.id = w.handle;
    view.title = w.text;
    view.outer = platform::PixelRect{at.x, at.y, at.x + at.width, at.y + at.height};
    if (w.menu != 0) {
        view.menu = menuView(w.menu);
    }
    view.icon = iconView(w.icon);
    platform::PixelRect client = backend.clientRectFor(view);
    w.clientWidth = std::clamp(client.width(), 0, kMaxClientSize);
    w.clientHeight = std::clamp(client.height(), 0, kMaxClientSize);
    return backend.createWindow(view);
}

// The messages of a window's creation, as the platform sends them:
// WM_NCCREATE and WM_CREATE (either may refuse it), WM_SIZE, WM_MOVE, and
// showing it when its style asks. Returns the window, or null when it was
// refused or its procedure destroyed it.
HWND announceCreation(Handle handle, CREATESTRUCTA& create) {
    HWND hwnd = asHandle<HWND>(handle);
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, createParam)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (findWindow(handle) == nullptr) {
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    sendSize(handle);
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(create.x, create.y));
    if (findWindow(handle) == nullptr) {
        return nullptr; // the procedure destroyed its own window
    }
    if ((create.style & WS_VISIBLE) != 0) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return findWindow(handle) != nullptr ? hwnd : nullptr;
}

} // namespace

HWND platform::core::createWindow(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                                  int x, int y, int width, int height, HWND parent, HMENU menu,
                                  HINSTANCE instance, LPVOID param) {
    platform::Backend* backend = platform::backend();
    if (backend == nullptr || className == nullptr || IS_INTRESOURCE(className)) {
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    Window* parentWindow = findWindow(parent);
    if ((child || parent != nullptr) && parentWindow == nullptr) {
        return nullptr; // a child needs a live parent, an owner must be alive
    }

    auto window = std::make_unique<Window>();
    Window& w = *window;
    if (!takeClass(w, className, child, menu) || !takeMenuOrId(w, menu, child)) {
        return nullptr;
    }
    const Placement at = placementOf(x, y, width, height);
    w.handle = newHandle();
    w.instance = instance;
    w.style = style & ~static_cast<DWORD>(WS_VISIBLE);
    w.exStyle = exStyle;
    w.text = windowName != nullptr && !IS_INTRESOURCE(windowName) ? windowName : "";
    w.outer = RECT{at.x, at.y, at.x + at.width, at.y + at.height};
    w.topLevel = !child;
    if (child) {
        w.parent = parentWindow->handle;
        w.clientWidth = at.width;
        w.clientHeight = at.height;
    } else {
        w.owner = parentWindow != nullptr ? parentWindow->handle : 0;
        if (!openNativeWindow(*backend, w, at)) {
            if (w.menu != 0 && menu == nullptr) {
                destroyMenu(w.menu); // the class menu loaded for it
            }
            return nullptr;
        }
    }
    w.restoredWidth = w.clientWidth;
    w.restoredHeight = w.clientHeight;
    w.invalid = true;
    w.eraseNeeded = true;
    w.invalidRect = RECT{0, 0, w.clientWidth, w.clientHeight};
    if (Menu* m = findMenu(w.menu)) {
        m->window = w.handle;
    }

    const Handle handle = w.handle;
    state().windows[handle] = std::move(window);
    if (child) {
        parentWindow->children.push_back(handle);
    }
    CREATESTRUCTA create{param,      instance,  menu,
                         parent,     at.height, at.width,
                         at.y,       at.x,      static_cast<LONG>(style),
                         windowName, className, exStyle};
    return announceCreation(handle, create);
}

BOOL ShowWindow(HWND window, int showCommand) {
    Window* w = findWindow(window);
    if (w == nullptr || w->destroying) {
        return FALSE;
    }
    Handle handle = w->handle;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    platform::Backend* backend = platform::backend();

    if (showCommand == SW_HIDE) {
        if (w->visible) {
            SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
            if ((w = findWindow(handle)) == nullptr) {
                return wasVisible;
            }
            w->visible = false;
            w->style &= ~static_cast<DWORD>(WS_VISIBLE);
            if (w->topLevel && backend != nullptr) {
                backend->showWindow(handle, false);
            }
        }
        return wasVisible;
    }

    bool minimize = showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE;
    bool sizeChanged = false;
    if (minimize && !w->minimized) {
        // A minimized window has no client area.
        w->restoredWidth = w->clientWidth;
        w->restoredHeight = w->clientHeight;
        w->minimized = true;
        setClientSize(*w, 0, 0);
        sizeChanged = true;
    } else if (!minimize && w->minimized) {
        w->minimized = false;
        setClientSize(*w, w->restoredWidth, w->restoredHeight);
        invalidate(*w, nullptr, true);
        sizeChanged = true;
    }
    if (!w->visible) {
        SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        if ((w = findWindow(handle)) == nullptr) {
            return wasVisible;
        }
        w->visible = true;
        w->style |= WS_VISIBLE;
        if (w->topLevel && backend != nullptr) {
            backend->showWindow(handle, true);
        }
        sizeChanged = true;
    }
    if (sizeChanged) {
        sendSize(handle);
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND window) {
    if (findWindow(window) == nullptr) {
        return FALSE;
    }
    sendPaintIfInvalid(handleOf(window));
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    Window* w = findWindow(window);
    if (w == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL DestroyWindow(HWND window) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return FALSE;
    }
    if (w->destroying) {
        return TRUE; // already on its way out (WM_DESTROY handler destroying itself)
    }
    Handle handle = w->handle;
    w->destroying = true;
    State& s = state();

    if (s.capture == handle) {
        ReleaseCapture();
    }
    // Windows owned by this one (its dialogs) go first, as the platform does.
    std::vector<Handle> owned;
    for (const auto& [h, other] : s.windows) {
        if (other->owner == handle) {
            owned.push_back(h);
        }
    }
    for (Handle h : owned) {
        DestroyWindow(asHandle<HWND>(h));
    }
    if ((w = findWindow(handle)) == nullptr) {
        return TRUE;
    }
    if (w->visible) {
        w->visible = false;
        if (w->topLevel && platform::backend() != nullptr) {
            platform::backend()->showWindow(handle, false);
        }
    }
    SendMessageA(window, WM_DESTROY, 0, 0);
    if ((w = findWindow(handle)) == nullptr) {
        return TRUE;
    }
    // Children after their parent has heard WM_DESTROY.
    std::vector<Handle> children = w->children;
    for (Handle h : children) {
        DestroyWindow(asHandle<HWND>(h));
    }
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    if ((w = findWindow(handle)) == nullptr) {
        return TRUE;
    }
    bool topLevel = w->topLevel;
    Handle menu = w->menu;
    Handle parent = w->parent;
    if (Window* p = findWindow(parent)) {
        auto& list = p->children;
        list.erase(std::remove(list.begin(), list.end(), handle), list.end());
    }
    // Contexts obtained for the window now draw nowhere; a frame presented
    // to the window after this point is dropped.
    s.windows.erase(handle);
    if (menu != 0) {
        destroyMenu(menu);
    }
    dropQueuedMessages(handle);
    if (topLevel && platform::backend() != nullptr) {
        platform::backend()->destroyWindow(handle);
    }
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return findWindow(window) != nullptr ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return nullptr;
    }
    // A child's parent, or the owner of an owned pop-up such as a dialog.
    Handle other = w->parent != 0 ? w->parent : w->owner;
    return findWindow(other) != nullptr ? asHandle<HWND>(other) : nullptr;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return 0;
    }
    switch (index) {
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_ID:
        return w->controlId;
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWLP_USERDATA:
        previous = w->userData;
        w->userData = value;
        break;
    case GWLP_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        break;
    case GWLP_WNDPROC:
        if (value == 0) {
            return 0; // a window without a procedure could not be sent anything
        }
        previous = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_ID:
        previous = w->controlId;
        w->controlId = static_cast<int>(value);
        break;
    default:
        return 0;
    }
    return previous;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return FALSE;
    }
    w->text = text != nullptr ? text : "";
    if (w->topLevel && !w->isDialog && platform::backend() != nullptr) {
        platform::backend()->titleChanged(handleOf(window), w->text);
    }
    // A single-line edit reports every change of its text to its parent,
    // including one made by the program, as the platform's edit does.
    if (w->control == ControlClass::Edit && findWindow(w->parent) != nullptr) {
        SendMessageA(asHandle<HWND>(w->parent), WM_COMMAND,
                     MAKEWPARAM(static_cast<WORD>(w->controlId), EN_CHANGE),
                     reinterpret_cast<LPARAM>(window));
    }
    return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
    Window* w = findWindow(window);
    if (text == nullptr || maxCount <= 0) {
        return 0;
    }
    if (w == nullptr) {
        text[0] = '\0';
        return 0;
    }
    // At most maxCount - 1 characters, always terminated.
    std::size_t count = std::min(w->text.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(text, w->text.data(), count);
    text[count] = '\0';
    return static_cast<int>(count);
}

BOOL RedrawWindow(HWND window, const RECT* updateRect, HRGN updateRegion, UINT flags) {
    (void)updateRegion; // regions are not supported: the whole client area is meant
    Window* w = findWindow(window);
    if (w == nullptr) {
        return FALSE;
    }
    if ((flags & RDW_INVALIDATE) != 0) {
        invalidate(*w, updateRect, (flags & RDW_ERASE) != 0);
    }
    if ((flags & RDW_UPDATENOW) != 0) {
        sendPaintIfInvalid(handleOf(window));
    }
    return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return FALSE;
    }
    invalidate(*w, rect, erase != FALSE);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Capture.

HWND SetCapture(HWND window) {
    State& s = state();
    Handle previous = s.capture;
    Window* w = findWindow(window);
    if (w == nullptr || w->destroying) {
        return nullptr;
    }
    if (previous == w->handle) {
        return window;
    }
    s.capture = w->handle;
    if (findWindow(previous) != nullptr) {
        SendMessageA(asHandle<HWND>(previous), WM_CAPTURECHANGED, 0,
                     reinterpret_cast<LPARAM>(window));
    }
    if (platform::backend() != nullptr && s.capture == handleOf(window)) {
        platform::backend()->captureChanged(handleOf(window));
    }
    return findWindow(previous) != nullptr ? asHandle<HWND>(previous) : nullptr;
}

BOOL ReleaseCapture() {
    State& s = state();
    Handle previous = s.capture;
    if (previous == 0) {
        return TRUE;
    }
    s.capture = 0;
    if (findWindow(previous) != nullptr) {
        SendMessageA(asHandle<HWND>(previous), WM_CAPTURECHANGED, 0, 0);
    }
    if (platform::backend() != nullptr) {
        platform::backend()->captureChanged(0);
    }
    return TRUE;
}

HWND GetCapture() {
    Handle capture = state().capture;
    return findWindow(capture) != nullptr ? asHandle<HWND>(capture) : nullptr;
}
