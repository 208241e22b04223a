#include "platform/desktop/fltk_support.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdint>

namespace platform::desktop {

void drawCanvas(const RgbCanvas& canvas, const PixelRect& part, int x, int y) {
    if (part.width() <= 0 || part.height() <= 0) {
        return;
    }
    const std::uint8_t* start = canvas.rgb.data() + part.top * canvas.stride() + part.left * 3;
    fl_draw_image(start, x + part.left, y + part.top, part.width(), part.height(), 3,
                  canvas.stride());
}

void fillUncovered(const RgbCanvas& canvas, int x, int y, int w, int h, Fl_Color fill) {
    fl_color(fill);
    if (canvas.width < w) {
        fl_rectf(x + canvas.width, y, w - canvas.width, h);
    }
    if (canvas.height < h) {
        fl_rectf(x, y + canvas.height, std::min(canvas.width, w), h - canvas.height);
    }
}

std::unique_ptr<Fl_RGB_Image> iconImage(const ImageView& icon, RgbCanvas& pixels) {
    if (takeFrame(pixels, icon, PixelRect{0, 0, icon.width, icon.height}).width() <= 0) {
        return nullptr;
    }
    return std::make_unique<Fl_RGB_Image>(pixels.rgb.data(), pixels.width, pixels.height, 3,
                                          pixels.stride());
}

// The toolkit creates a new bordered window off the screen edge, to leave
// room for a frame it guesses at, without telling the window; the window
// manager puts its own frame around it, so the window is moved back to
// where it was asked for.
void showAt(Fl_Window* window, int x, int y) {
    window->show();
    XMoveWindow(fl_display, fl_xid(window), x, y);
}

// A modal window opened by the window that has the keyboard takes it over
// this way.
void giveKeyboardTo(Fl_Window* window) {
    if (window == nullptr || !window->shown() || !window->visible()) {
        return;
    }
    window->wait_for_expose();
    XSetInputFocus(fl_display, fl_xid(window), RevertToParent, CurrentTime);
}

} // namespace platform::desktop
