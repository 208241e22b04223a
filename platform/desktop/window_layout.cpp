#include "platform/desktop/window_layout.h"

#include "platform/core/win32.h"

#include <algorithm>

namespace platform::desktop {

namespace {

// The low bits of a static's or button's style are its kind, not flags.
constexpr std::uint32_t kStaticKindMask = 0x1F;
constexpr std::uint32_t kButtonKindMask = 0x0F;

} // namespace

PixelRect windowRectInFrame(const PixelRect& outer, const FrameExtents& frame) {
    const int left = outer.left + frame.left;
    const int top = outer.top + frame.top;
    const int width = std::max(outer.width() - frame.left - frame.right, 1);
    const int height = std::max(outer.height() - frame.top - frame.bottom, 1);
    return PixelRect{left, top, left + width, top + height};
}

PixelRect frameAround(const PixelRect& window, const FrameExtents& frame) {
    return PixelRect{window.left - frame.left, window.top - frame.top, window.right + frame.right,
                     window.bottom + frame.bottom};
}

PixelRect clientRectForWindow(int windowWidth, int windowHeight, bool hasMenu) {
    const int width = std::max(windowWidth, 0);
    const int height = std::max(windowHeight - (hasMenu ? kMenuBarHeight : 0), 0);
    return PixelRect{0, 0, width, height};
}

PixelPoint centredOver(const PixelRect& area, int outerWidth, int outerHeight) {
    return PixelPoint{area.left + (area.width() - outerWidth) / 2,
                      area.top + (area.height() - outerHeight) / 2};
}

PixelPoint placeOnScreen(PixelPoint outerTopLeft, int width, int height, const FrameExtents& frame,
                         const PixelRect& screen) {
    const int outerWidth = width + frame.left + frame.right;
    const int outerHeight = height + frame.top + frame.bottom;
    // Off the far edges first, then the near edges win.
    const int x = std::max(std::min(outerTopLeft.x, screen.right - outerWidth), screen.left);
    const int y = std::max(std::min(outerTopLeft.y, screen.bottom - outerHeight), screen.top);
    return PixelPoint{x + frame.left, y + frame.top};
}

ControlKind controlKindOf(const ControlView& control) {
    if (control.className == "EDIT") {
        return ControlKind::Edit;
    }
    if (control.className == "STATIC") {
        return (control.style & kStaticKindMask) == SS_ICON ? ControlKind::Icon : ControlKind::Text;
    }
    if (control.className == "BUTTON") {
        switch (control.style & kButtonKindMask) {
        case BS_PUSHBUTTON:
            return ControlKind::PushButton;
        case BS_DEFPUSHBUTTON:
            return ControlKind::DefaultPushButton;
        default:
            return ControlKind::Unsupported;
        }
    }
    return ControlKind::Unsupported;
}

TextAlign textAlignOf(std::uint32_t style) {
    switch (style & kStaticKindMask) {
    case SS_CENTER:
        return TextAlign::Center;
    case SS_RIGHT:
        return TextAlign::Right;
    default:
        return TextAlign::Left;
    }
}

bool isVisible(const ControlView& control) {
    return (control.style & WS_VISIBLE) != 0;
}

bool hasSunkenEdge(const ControlView& control) {
    return (control.exStyle & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)) != 0;
}

bool isTabStop(const ControlView& control) {
    const ControlKind kind = controlKindOf(control);
    const bool focusable = kind == ControlKind::Edit || kind == ControlKind::PushButton ||
                           kind == ControlKind::DefaultPushButton;
    return focusable && (control.style & WS_TABSTOP) != 0 && isVisible(control) &&
           (control.style & WS_DISABLED) == 0;
}

} // namespace platform::desktop
