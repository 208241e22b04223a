// The message queue, sending and dispatching, default processing, painting
// requests and the input the backend reports.
#include "platform/core/state.h"

#include <algorithm>
#include <climits>

using namespace platform;
using namespace platform::core;

namespace platform::core {

LRESULT callWindowProc(Handle window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(window);
    if (w == nullptr) {
        return 0;
    }
    if (w->isDialog) {
        return dialogWindowProc(window, message, wParam, lParam);
    }
    WNDPROC proc = w->proc;
    return proc(asHandle<HWND>(window), message, wParam, lParam);
}

void postMessage(Handle window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = asHandle<HWND>(window);
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = now();
    state().queue.push_back(msg);
}

void dropQueuedMessages(Handle window) {
    auto& queue = state().queue;
    HWND hwnd = asHandle<HWND>(window);
    queue.erase(
        std::remove_if(queue.begin(), queue.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
        queue.end());
}

void invalidate(Window& window, const RECT* rect, bool erase) {
    RECT r = rect != nullptr ? *rect : RECT{0, 0, window.clientWidth, window.clientHeight};
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, window.clientWidth);
    r.bottom = std::min<LONG>(r.bottom, window.clientHeight);
    if (r.left >= r.right || r.top >= r.bottom) {
        return; // nothing of the client area is meant
    }
    if (window.invalid) {
        RECT& u = window.invalidRect;
        u = RECT{std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
                 std::max(u.bottom, r.bottom)};
    } else {
        window.invalidRect = r;
    }
    window.invalid = true;
    window.eraseNeeded = window.eraseNeeded || erase;
}

void sendPaintIfInvalid(Handle window) {
    Window* w = findWindow(window);
    if (w == nullptr || !w->invalid) {
        return;
    }
    SendMessageA(asHandle<HWND>(window), WM_PAINT, 0, 0);
}

void deliverPendingPaints() {
    // A procedure that never validates would be asked again and again; one
    // round per call is enough, as the next idle moment asks once more.
    std::vector<Handle> waiting;
    for (const auto& [handle, window] : state().windows) {
        if (window->invalid && window->visible) {
            waiting.push_back(handle);
        }
    }
    for (Handle handle : waiting) {
        sendPaintIfInvalid(handle);
    }
}

} // namespace platform::core

namespace {

bool inRange(UINT message, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return message >= filterMin && message <= filterMax;
}

// A message for `target` passes the window filter when the filter is null
// or names the target or one of its ancestors.
bool passesWindowFilter(HWND target, HWND filter) {
    if (filter == nullptr) {
        return true;
    }
    Handle wanted = handleOf(filter);
    for (Window* w = findWindow(target); w != nullptr; w = findWindow(w->parent)) {
        if (w->handle == wanted) {
            return true;
        }
    }
    return false;
}

bool acceptsInput(platform::WindowId window) {
    Window* w = findWindow(window);
    return w != nullptr && !w->destroying && w->disabled == 0;
}

// Mouse coordinates travel as signed 16-bit values; anything beyond is held
// at the limit rather than wrapped around to the other side.
LPARAM packPoint(int x, int y) {
    x = std::clamp(x, SHRT_MIN, SHRT_MAX);
    y = std::clamp(y, SHRT_MIN, SHRT_MAX);
    return MAKELPARAM(static_cast<short>(x), static_cast<short>(y));
}

// The key-state bits a mouse message carries.
constexpr unsigned kMouseKeyBits = MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON;

struct ButtonMessages {
    UINT down;
    UINT up;
    unsigned bit; // the button's key-state bit
};

ButtonMessages buttonMessages(platform::input::MouseButton button) {
    switch (button) {
    case platform::input::MouseButton::Middle:
        return {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON};
    case platform::input::MouseButton::Right:
        return {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON};
    case platform::input::MouseButton::Left:
        break;
    }
    return {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON};
}

bool gPolling = false;

// A key-down's lParam bit that says Ctrl was held: one of the bits the
// platform leaves reserved (25 to 28), so the layer's own; the program
// reads the state through TranslateMessage's character only.
constexpr LPARAM kControlHeldBit = LPARAM{1} << 25;

} // namespace

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    if (msg == nullptr) {
        return FALSE;
    }
    if (window != nullptr && findWindow(window) == nullptr) {
        return FALSE;
    }
    platform::Backend* backend = platform::backend();
    if (backend != nullptr && !gPolling) {
        gPolling = true;
        backend->pollEvents();
        gPolling = false;
    }
    State& s = state();
    bool remove = (removeMessage & PM_REMOVE) != 0;

    // 1. Posted messages, oldest first.
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (inRange(it->message, filterMin, filterMax) && passesWindowFilter(it->hwnd, window)) {
            *msg = *it;
            if (remove) {
                s.queue.erase(it);
            }
            return TRUE;
        }
    }
    // 2. The quit request, once the posted messages are worked off.
    if (s.quitPosted && window == nullptr && inRange(WM_QUIT, filterMin, filterMax)) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(s.quitCode);
        msg->time = now();
        if (remove) {
            s.quitPosted = false;
        }
        return TRUE;
    }
    // 3. WM_PAINT for a window waiting for one; it stays until the window
    //    is validated (BeginPaint), whatever the remove flag.
    if (inRange(WM_PAINT, filterMin, filterMax)) {
        for (const auto& [handle, w] : s.windows) {
            HWND hwnd = asHandle<HWND>(handle);
            if (w->invalid && w->visible && passesWindowFilter(hwnd, window)) {
                *msg = MSG{};
                msg->hwnd = hwnd;
                msg->message = WM_PAINT;
                msg->time = now();
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    // Character keys also produce a character message, which comes next.
    // Shift is not tracked, so letters give their lower-case character;
    // with Ctrl held, their control character.
    WPARAM key = msg->wParam;
    int character = -1;
    if (key >= 'A' && key <= 'Z' && (msg->lParam & kControlHeldBit) != 0 &&
        msg->message == WM_KEYDOWN) {
        character = static_cast<int>(key - 'A' + 1);
    } else if (key >= 'A' && key <= 'Z') {
        character = static_cast<int>(key - 'A' + 'a');
    } else if ((key >= '0' && key <= '9') || key == VK_SPACE || key == VK_RETURN ||
               key == VK_BACK || key == VK_TAB || key == VK_ESCAPE) {
        character = static_cast<int>(key);
    }
    if (character < 0) {
        return FALSE;
    }
    MSG charMsg = *msg;
    charMsg.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    charMsg.wParam = static_cast<WPARAM>(character);
    state().queue.push_front(charMsg);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || findWindow(msg->hwnd) == nullptr) {
        return 0;
    }
    return callWindowProc(handleOf(msg->hwnd), msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    Window* w = findWindow(window);
    if (w == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        // Answering the request validates the window.
        PAINTSTRUCT paint;
        if (BeginPaint(window, &paint) != nullptr) {
            EndPaint(window, &paint);
        }
        return 0;
    }
    case WM_ERASEBKGND: {
        if (w->background == nullptr) {
            return 0;
        }
        RECT all{0, 0, w->clientWidth, w->clientHeight};
        FillRect(reinterpret_cast<HDC>(wParam), &all, w->background);
        return 1;
    }
    default:
        return 0;
    }
}

void PostQuitMessage(int exitCode) {
    State& s = state();
    s.quitPosted = true;
    s.quitCode = exitCode;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A null window posts a message to the thread itself.
    if (window != nullptr && findWindow(window) == nullptr) {
        return FALSE;
    }
    postMessage(handleOf(window), message, wParam, lParam);
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callWindowProc(handleOf(window), message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Input from the backend.

namespace platform::input {

void keyDown(WindowId window, unsigned virtualKey, bool altHeld, bool repeat, bool controlHeld) {
    if (!acceptsInput(window)) {
        return;
    }
    // lParam: repeat count 1, bit 29 when Alt is held, bit 30 for a repeat,
    // the layer's bit 25 when Ctrl is.
    LPARAM flags = controlHeld ? kControlHeldBit | 1 : 1;
    if (altHeld) {
        flags |= LPARAM{1} << 29;
    }
    if (repeat) {
        flags |= LPARAM{1} << 30;
    }
    // F10 and any key with Alt are system keys.
    UINT message = altHeld || virtualKey == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    postMessage(window, message, virtualKey, flags);
}

void mouseMove(WindowId window, int x, int y, bool leftButtonHeld) {
    mouseMoveHolding(window, x, y, leftButtonHeld ? MK_LBUTTON : 0);
}

void leftButtonDown(WindowId window, int x, int y) {
    buttonDown(window, MouseButton::Left, x, y, 0);
}

void leftButtonUp(WindowId window, int x, int y) {
    buttonUp(window, MouseButton::Left, x, y, 0);
}

void mouseMoveHolding(WindowId window, int x, int y, unsigned keys) {
    if (!acceptsInput(window)) {
        return;
    }
    postMessage(window, WM_MOUSEMOVE, keys & kMouseKeyBits, packPoint(x, y));
}

void buttonDown(WindowId window, MouseButton button, int x, int y, unsigned keys) {
    if (!acceptsInput(window)) {
        return;
    }
    const ButtonMessages m = buttonMessages(button);
    postMessage(window, m.down, (keys & kMouseKeyBits) | m.bit, packPoint(x, y));
}

void buttonUp(WindowId window, MouseButton button, int x, int y, unsigned keys) {
    // A release reaches a captured window even when it would otherwise
    // take no input, so a drag can always end.
    Window* w = findWindow(window);
    if (w == nullptr || (w->disabled != 0 && state().capture != window)) {
        return;
    }
    const ButtonMessages m = buttonMessages(button);
    postMessage(window, m.up, keys & kMouseKeyBits & ~m.bit, packPoint(x, y));
}

void wheelTurned(WindowId window, int x, int y, int delta, unsigned keys) {
    if (!acceptsInput(window)) {
        return;
    }
    // The pointer travels in screen coordinates: the client area's origin
    // taken to lie inside the outer rectangle with equal frames at the
    // left, the right and the bottom.
    const Window* w = findWindow(window);
    const LONG frame = (w->outer.right - w->outer.left - w->clientWidth) / 2;
    const long long screenX = static_cast<long long>(x) + w->outer.left + frame;
    const long long screenY = static_cast<long long>(y) + w->outer.bottom - frame - w->clientHeight;
    const auto turn = static_cast<short>(std::clamp(delta, SHRT_MIN, SHRT_MAX));
    postMessage(window, WM_MOUSEWHEEL,
                MAKEWPARAM(static_cast<WORD>(keys & kMouseKeyBits), static_cast<WORD>(turn)),
                packPoint(static_cast<int>(std::clamp<long long>(screenX, INT_MIN, INT_MAX)),
                          static_cast<int>(std::clamp<long long>(screenY, INT_MIN, INT_MAX))));
}

void menuCommand(WindowId window, unsigned commandId) {
    if (!acceptsInput(window)) {
        return;
    }
    // Only an item of the window's own menu that is not greyed reaches it.
    const MenuEntry* entry = findMenuCommand(findWindow(window)->menu, commandId);
    if (entry == nullptr || entry->grayed) {
        return;
    }
    postMessage(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(commandId), 0), 0);
}

void closeRequested(WindowId window) {
    if (!acceptsInput(window)) {
        return;
    }
    postMessage(window, WM_CLOSE, 0, 0);
}

void clientResized(WindowId window, int width, int height) {
    Window* w = findWindow(window);
    if (w == nullptr || w->destroying) {
        return;
    }
    if (w->minimized) {
        // Restored by the user: back from the minimized state.
        w->minimized = false;
    }
    setClientSize(*w, width, height);
    invalidate(*w, nullptr, true);
    SendMessageA(asHandle<HWND>(window), WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(w->clientWidth, w->clientHeight));
    sendPaintIfInvalid(window);
}

void paintRequested(WindowId window) {
    Window* w = findWindow(window);
    if (w == nullptr || w->destroying) {
        return;
    }
    invalidate(*w, nullptr, true);
    sendPaintIfInvalid(window);
}

} // namespace platform::input
