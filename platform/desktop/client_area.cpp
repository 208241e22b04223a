#include "platform/desktop/client_area.h"

#include "platform/desktop/file_transfer.h"
#include "platform/desktop/fltk_support.h"
#include "platform/desktop/mouse_codes.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <string>

namespace platform::desktop {

// Only the changed rectangle is copied and redrawn: the window's damage
// region is that rectangle, so the toolkit clips its drawing to it.
void ClientArea::present(const ImageView& image, const PixelRect& dirty) {
    const PixelRect changed = takeFrame(canvas_, image, dirty);
    if (changed.width() > 0) {
        pending_ = uniteRects(pending_, changed);
        damage(FL_DAMAGE_USER1, x() + changed.left, y() + changed.top, changed.width(),
               changed.height());
    }
}

bool ClientArea::takeExposed() {
    const bool exposed = exposed_;
    exposed_ = false;
    return exposed;
}

int ClientArea::handle(int event) {
    switch (event) {
    case FL_FOCUS:
    case FL_ENTER:
    case FL_LEAVE:
        return 1;
    case FL_UNFOCUS:
        keys_.releaseAll();
        return 1;
    case FL_KEYDOWN:
        return keyDown();
    case FL_KEYUP:
        keys_.release(virtualKeyFor(Fl::event_key()));
        return 1;
    case FL_PUSH:
        take_focus();
        if (const auto button = mouseButtonFor(Fl::event_button())) {
            input::buttonDown(id_, *button, clientX(), clientY(), mouseKeysFor(Fl::event_state()));
        }
        return 1;
    case FL_DRAG:
    case FL_MOVE:
        if (reachesWindow()) {
            input::mouseMoveHolding(id_, clientX(), clientY(), mouseKeysFor(Fl::event_state()));
        }
        return 1;
    case FL_RELEASE:
        if (const auto button = mouseButtonFor(Fl::event_button()); button && reachesWindow()) {
            input::buttonUp(id_, *button, clientX(), clientY(), mouseKeysFor(Fl::event_state()));
        }
        return 1;
    case FL_MOUSEWHEEL:
        if (Fl::event_dy() != 0) {
            input::wheelTurned(id_, clientX(), clientY(), wheelDeltaFor(Fl::event_dy()),
                               mouseKeysFor(Fl::event_state()));
        }
        return 1;
    // Files dragged over the window: taken when the program takes them;
    // their text arrives as a paste after the release.
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_RELEASE:
        return input::acceptsDroppedFiles(id_) ? 1 : 0;
    case FL_DND_LEAVE:
        return 1;
    case FL_PASTE:
        if (Fl::event_text() != nullptr) {
            input::filesDropped(id_,
                                droppedPaths(std::string(Fl::event_text(), Fl::event_length())));
        }
        return 1;
    default:
        return Fl_Widget::handle(event);
    }
}

void ClientArea::draw() {
    fl_push_clip(x(), y(), w(), h());
    if (damage() == FL_DAMAGE_USER1) {
        drawCanvas(canvas_, clipRect(pending_, w(), h()), x(), y());
    } else {
        drawCanvas(canvas_, clipRect(PixelRect{0, 0, canvas_.width, canvas_.height}, w(), h()), x(),
                   y());
        fillUncovered(canvas_, x(), y(), w(), h(), FL_WHITE);
        exposed_ = true;
    }
    fl_pop_clip();
    pending_ = PixelRect{};
}

int ClientArea::clientX() const {
    return Fl::event_x() - x();
}

int ClientArea::clientY() const {
    return Fl::event_y() - y();
}

bool ClientArea::reachesWindow() const {
    const int cx = clientX();
    const int cy = clientY();
    return captured_ || (cx >= 0 && cy >= 0 && cx < w() && cy < h());
}

int ClientArea::keyDown() {
    const unsigned virtualKey = virtualKeyFor(Fl::event_key());
    if (virtualKey == 0) {
        return 0;
    }
    const bool altHeld = Fl::event_state(FL_ALT) != 0;
    const bool controlHeld = Fl::event_state(FL_CTRL) != 0;
    input::keyDown(id_, virtualKey, altHeld, keys_.press(virtualKey), controlHeld);
    // With Alt held the key goes on to the menu bar as a mnemonic.
    return altHeld ? 0 : 1;
}

} // namespace platform::desktop
