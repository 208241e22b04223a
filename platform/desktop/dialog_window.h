// A modal dialog of the desktop backend: the controls of the dialog's
// template over the image the dialog procedure painted.
#pragma once

#include "platform/core/backend.h"
#include "platform/desktop/image_copy.h"

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>

#include <memory>
#include <vector>

namespace platform::desktop {

class DialogWindow : public Fl_Double_Window {
  public:
    DialogWindow(const DialogView& view, int x, int y);

    void setBackground(const ImageView& image);

    // Shows the dialog with the focus where the dialog procedure left it
    // (the first tab stop), the whole text of an edit field selected, as a
    // dialog does when it gives a field the focus.
    void open();

    int handle(int event) override;

  protected:
    void draw() override;

  private:
    Fl_Widget* createControl(const ControlView& control);
    static void setTabStop(Fl_Widget* widget, const ControlView& control);
    void pressEnter();
    static void onEdit(Fl_Widget* widget, long controlId);
    static void onButton(Fl_Widget* widget, long controlId);
    // The close box (and Escape) leave a dialog open.
    static void onClose(Fl_Widget*, void*) {}

    WindowId id_;
    int askedX_;
    int askedY_;
    RgbCanvas background_;
    std::vector<Fl_Widget*> controls_; // template order; null where unsupported
    std::vector<std::unique_ptr<Fl_RGB_Image>> images_;
    std::vector<std::unique_ptr<RgbCanvas>> imagePixels_;
    int focusIndex_ = -1;
};

} // namespace platform::desktop
