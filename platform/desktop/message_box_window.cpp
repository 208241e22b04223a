#include "platform/desktop/message_box_window.h"

#include "platform/desktop/labels.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace platform::desktop {

MessageBoxWindow::MessageBoxWindow(const std::string& text, const std::string& caption)
    : Fl_Double_Window(0, 0, 100, 100) {
    copy_label(caption.c_str());
    const std::string label = plainLabel(text);
    fl_font(FL_HELVETICA, kTextSize);
    int textWidth = kMaxTextWidth;
    int textHeight = 0;
    fl_measure(label.c_str(), textWidth, textHeight, 0);
    textWidth = std::clamp(textWidth, kMinTextWidth, kMaxTextWidth);
    const int width = textWidth + 2 * kMargin;
    const int height = textHeight + 3 * kMargin + kButtonHeight;
    size(width, height);
    begin();
    auto* message = new Fl_Box(kMargin, kMargin, textWidth, textHeight);
    message->copy_label(label.c_str());
    message->labelsize(kTextSize);
    message->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT | FL_ALIGN_WRAP);
    auto* ok = new Fl_Return_Button((width - kButtonWidth) / 2, height - kMargin - kButtonHeight,
                                    kButtonWidth, kButtonHeight, "OK");
    ok->labelsize(kTextSize);
    ok->callback(onOk, this);
    end();
    callback(onOk, this); // the close box and Escape dismiss it too
    set_modal();
}

void MessageBoxWindow::onOk(Fl_Widget*, void* data) {
    static_cast<MessageBoxWindow*>(data)->dismissed_ = true;
}

} // namespace platform::desktop
