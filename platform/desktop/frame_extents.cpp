#include "platform/desktop/frame_extents.h"

#include <X11/Xatom.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace platform::desktop {

namespace {

// A window manager answers within milliseconds on an idle desktop; the
// margin is for a machine so busy that the manager is not scheduled at once
// (without an answer the window's frame would end up off the screen).
constexpr std::chrono::milliseconds kAnswerWait{3000};
constexpr std::chrono::milliseconds kRequestRepeat{200};
// Larger frames are taken for a confused answer.
constexpr long kMaxFrameSide = 500;

// Errors while the window manager's windows are read (one may vanish under
// our feet) are expected; they only make the answer empty.
bool xErrorSeen = false;
int noteXError(Display*, XErrorEvent*) {
    xErrorSeen = true;
    return 0;
}

// A window property of `count` items of format 32, or false.
bool readLongs(Display* display, Window window, Atom property, Atom type, long* values,
               unsigned long count) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, window, property, 0, static_cast<long>(count), False, type,
                           &actualType, &actualFormat, &items, &after, &data);
    const bool ok = status == Success && actualType == type && actualFormat == 32 && items == count;
    if (ok) {
        // Format-32 items arrive as longs, whatever their width on the wire.
        std::memcpy(values, data, count * sizeof(long));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return ok;
}

// A window manager that follows the desktop conventions runs (its check
// window names itself) and lists the frame-size request among what it
// supports.
bool managerOffersFrameExtents(Display* display, Window root) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    long manager = 0;
    long self = 0;
    if (!readLongs(display, root, check, XA_WINDOW, &manager, 1) ||
        !readLongs(display, static_cast<Window>(manager), check, XA_WINDOW, &self, 1) ||
        self != manager) {
        return false;
    }
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool listed = false;
    if (XGetWindowProperty(display, root, supported, 0, 4096, False, XA_ATOM, &type, &format,
                           &items, &after, &data) == Success &&
        type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < items && !listed; ++i) {
            listed = static_cast<Atom>(atoms[i]) == request;
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return listed;
}

// Asks the window manager to set on `probe` the frame it would give it.
void requestFrameExtents(Display* display, Window root, Window probe) {
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = probe;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &request);
    XFlush(display);
}

// Waits for the window manager to set the frame size on `probe`. A manager
// that is still starting (it already names itself but does not yet handle
// requests) drops the request, so it is repeated while no answer comes.
bool awaitFrameExtents(Display* display, Window root, Window probe, Atom extents) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kAnswerWait;
    auto nextRequest = Clock::now();
    for (;;) {
        XEvent event;
        while (XCheckTypedWindowEvent(display, probe, PropertyNotify, &event)) {
            if (event.xproperty.atom == extents && event.xproperty.state == PropertyNewValue) {
                return true;
            }
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        if (now >= nextRequest) {
            requestFrameExtents(display, root, probe);
            nextRequest = now + kRequestRepeat;
        }
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(std::min(deadline, nextRequest) - now);
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(wait.count()));
    }
}

} // namespace

std::optional<FrameExtents> askFrameExtents(Display* display) {
    const Window root = DefaultRootWindow(display);
    xErrorSeen = false;
    XSync(display, False);
    const auto previousHandler = XSetErrorHandler(noteXError);
    std::optional<FrameExtents> answer;
    if (managerOffersFrameExtents(display, root) && !xErrorSeen) {
        // An unmapped window of the kind the program shows: the manager
        // sets the frame it would give it as a property.
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        const Window probe = XCreateWindow(display, root, 0, 0, 100, 100, 0, CopyFromParent,
                                           InputOutput, CopyFromParent, CWEventMask, &attributes);
        const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
        long sides[4] = {0, 0, 0, 0}; // left, right, top, bottom
        if (awaitFrameExtents(display, root, probe, extents) &&
            readLongs(display, probe, extents, XA_CARDINAL, sides, 4)) {
            bool sane = true;
            for (long side : sides) {
                sane = sane && side >= 0 && side <= kMaxFrameSide;
            }
            if (sane) {
                answer = FrameExtents{static_cast<int>(sides[0]), static_cast<int>(sides[1]),
                                      static_cast<int>(sides[2]), static_cast<int>(sides[3])};
            }
        }
        XEvent late;
        while (XCheckWindowEvent(display, probe, PropertyChangeMask, &late)) {
        }
        XDestroyWindow(display, probe);
    }
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    if (xErrorSeen) {
        answer.reset();
    }
    return answer;
}

} // namespace platform::desktop
