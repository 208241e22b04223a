// The client area of a top-level window: shows the last presented frame and
// reports keyboard and mouse input in client coordinates.
#pragma once

#include "platform/core/backend.h"
#include "platform/desktop/image_copy.h"
#include "platform/desktop/key_codes.h"

#include <FL/Fl_Widget.H>

namespace platform::desktop {

class ClientArea : public Fl_Widget {
  public:
    ClientArea(int x, int y, int w, int h, WindowId id) : Fl_Widget(x, y, w, h), id_(id) {}

    // Takes the changed part of a presented frame and schedules its drawing.
    void present(const ImageView& image, const PixelRect& dirty);

    void setCaptured(bool captured) { captured_ = captured; }

    // True once after the area was drawn for an exposure (shown, uncovered,
    // resized) rather than for a presented frame.
    bool takeExposed();

    int handle(int event) override;

  protected:
    void draw() override;

  private:
    int clientX() const;
    int clientY() const;

    // The pointer is over the client area, or the window holds the capture:
    // only then does the window hear of the mouse. (The toolkit keeps
    // sending to the pressed widget while a button is held anywhere.)
    bool reachesWindow() const;

    int keyDown();

    WindowId id_;
    RgbCanvas canvas_;
    PixelRect pending_; // presented but not yet drawn
    KeyRepeatTracker keys_;
    bool captured_ = false;
    bool exposed_ = false;
};

} // namespace platform::desktop
