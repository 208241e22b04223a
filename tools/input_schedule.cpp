#include "tools/input_schedule.h"

namespace headless {

namespace {

// The button message of a button's key-state bit, pressed or released.
UINT buttonMessage(unsigned button, bool down) {
    switch (button) {
    case MK_MBUTTON:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case MK_RBUTTON:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}

} // namespace

void InputSchedule::deliverDue(HWND window, int pass) {
    while (next_ < events_.size() && events_[next_].frame <= pass) {
        deliver(window, events_[next_++]);
    }
}

void InputSchedule::dropWaiting(HWND window) {
    MSG message{};
    while (PeekMessageA(&message, window, WM_CLOSE, WM_MOUSEWHEEL, PM_REMOVE)) {
        ++dropped_;
    }
}

void InputSchedule::deliver(HWND window, const ScriptEvent& event) {
    const LPARAM point = MAKELPARAM(event.a, event.b);
    switch (event.kind) {
    case EventKind::Key:
        // Repeat count 1 in the low word.
        PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(event.a), 1);
        break;
    case EventKind::Press:
        PostMessageA(window, buttonMessage(event.keys, true), event.keys, point);
        break;
    case EventKind::Drag:
        PostMessageA(window, WM_MOUSEMOVE, event.keys, point);
        break;
    case EventKind::Move:
        PostMessageA(window, WM_MOUSEMOVE, 0, point);
        break;
    case EventKind::Release:
        PostMessageA(window, buttonMessage(event.keys, false), 0, point);
        break;
    case EventKind::Wheel: {
        RECT client{};
        GetClientRect(window, &client);
        backend_.turnWheel(window, client.right / 2, client.bottom / 2, event.a, event.keys);
        break;
    }
    case EventKind::Menu:
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(event.a, 0), 0);
        break;
    case EventKind::Fields:
        fields_.add(event.fields);
        break;
    case EventKind::Resize:
        backend_.resizeClient(window, event.a, event.b);
        break;
    case EventKind::Close:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    }
}

} // namespace headless
