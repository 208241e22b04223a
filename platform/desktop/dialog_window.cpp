#include "platform/desktop/dialog_window.h"

#include "platform/desktop/fltk_support.h"
#include "platform/desktop/labels.h"
#include "platform/desktop/window_layout.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace platform::desktop {

namespace {

// A static text control: its '&' marks a mnemonic as in a button.
class StaticText : public Fl_Box {
  public:
    StaticText(int x, int y, int w, int h) : Fl_Box(x, y, w, h) { set_flag(SHORTCUT_LABEL); }
};

// A static's text wraps at word breaks and is clipped to its rectangle.
Fl_Align alignFor(TextAlign align) {
    constexpr Fl_Align kStatic = FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP;
    switch (align) {
    case TextAlign::Center:
        return kStatic | FL_ALIGN_TOP;
    case TextAlign::Right:
        return kStatic | FL_ALIGN_TOP_RIGHT;
    case TextAlign::Left:
        break;
    }
    return kStatic | FL_ALIGN_TOP_LEFT;
}

} // namespace

DialogWindow::DialogWindow(const DialogView& view, int x, int y)
    : Fl_Double_Window(x, y, std::max(view.clientWidth, 1), std::max(view.clientHeight, 1)),
      id_(view.id), askedX_(x), askedY_(y) {
    copy_label(view.title.c_str());
    setBackground(input::dialogImage(id_));
    begin();
    for (const ControlView& control : view.controls) {
        Fl_Widget* widget = createControl(control);
        controls_.push_back(widget);
        if (widget != nullptr && !isVisible(control)) {
            widget->hide();
        }
    }
    end();
    callback(onClose);
    set_modal();
    focusIndex_ = view.focusIndex;
}

void DialogWindow::setBackground(const ImageView& image) {
    takeFrame(background_, image, PixelRect{0, 0, image.width, image.height});
    redraw();
}

void DialogWindow::open() {
    showAt(this, askedX_, askedY_);
    if (focusIndex_ >= 0 && focusIndex_ < static_cast<int>(controls_.size()) &&
        controls_[static_cast<std::size_t>(focusIndex_)] != nullptr) {
        Fl_Widget* first = controls_[static_cast<std::size_t>(focusIndex_)];
        first->take_focus();
        if (auto* field = dynamic_cast<Fl_Input*>(first)) {
            field->position(field->size(), 0);
        }
    }
    giveKeyboardTo(this);
}

int DialogWindow::handle(int event) {
    if (event == FL_KEYBOARD || event == FL_SHORTCUT) {
        const int key = Fl::event_key();
        if (key == FL_Escape) {
            return 1; // no cancel path: the dialog stays open
        }
        if (key == FL_Enter || key == FL_KP_Enter) {
            pressEnter();
            return 1;
        }
    }
    return Fl_Double_Window::handle(event);
}

void DialogWindow::draw() {
    if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
        fl_color(FL_BACKGROUND_COLOR);
        fl_rectf(0, 0, w(), h());
        drawCanvas(background_,
                   clipRect(PixelRect{0, 0, background_.width, background_.height}, w(), h()), 0,
                   0);
    }
    draw_children();
}

Fl_Widget* DialogWindow::createControl(const ControlView& control) {
    const PixelRect& r = control.rect;
    const int w = std::max(r.width(), 1);
    const int h = std::max(r.height(), 1);
    switch (controlKindOf(control)) {
    case ControlKind::Edit: {
        auto* field = new Fl_Input(r.left, r.top, w, h);
        field->box(FL_DOWN_BOX);
        field->textsize(kDialogFontSize);
        field->value(control.text.c_str());
        field->when(FL_WHEN_CHANGED);
        field->callback(onEdit, static_cast<long>(control.id));
        setTabStop(field, control);
        return field;
    }
    case ControlKind::Text: {
        auto* text = new StaticText(r.left, r.top, w, h);
        text->copy_label(plainLabel(control.text).c_str());
        text->labelsize(kDialogFontSize);
        text->align(alignFor(textAlignOf(control.style)));
        text->box(hasSunkenEdge(control) ? FL_THIN_DOWN_FRAME : FL_NO_BOX);
        return text;
    }
    case ControlKind::Icon: {
        auto* box = new Fl_Box(r.left, r.top, w, h);
        auto pixels = std::make_unique<RgbCanvas>();
        std::unique_ptr<Fl_RGB_Image> image = iconImage(control.icon, *pixels);
        if (image) {
            box->image(image.get());
            box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
            images_.push_back(std::move(image));
            imagePixels_.push_back(std::move(pixels));
        }
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
        Fl_Button* button = controlKindOf(control) == ControlKind::DefaultPushButton
                                ? new Fl_Return_Button(r.left, r.top, w, h)
                                : new Fl_Button(r.left, r.top, w, h);
        button->copy_label(plainLabel(control.text).c_str());
        button->labelsize(kDialogFontSize);
        button->callback(onButton, static_cast<long>(control.id));
        setTabStop(button, control);
        return button;
    }
    case ControlKind::Unsupported:
        break;
    }
    return nullptr;
}

void DialogWindow::setTabStop(Fl_Widget* widget, const ControlView& control) {
    if (!isTabStop(control)) {
        widget->clear_visible_focus();
    }
}

// Enter presses the push button that has the focus, else the dialog's
// default button (the core knows which that is).
void DialogWindow::pressEnter() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] != nullptr && controls_[i] == Fl::focus() &&
            dynamic_cast<Fl_Button*>(controls_[i]) != nullptr) {
            input::buttonPressed(id_, static_cast<int>(controls_[i]->argument()));
            return;
        }
    }
    input::enterPressed(id_);
}

void DialogWindow::onEdit(Fl_Widget* widget, long controlId) {
    auto* dialog = static_cast<DialogWindow*>(widget->window());
    input::editChanged(dialog->id_, static_cast<int>(controlId),
                       static_cast<Fl_Input*>(widget)->value());
}

void DialogWindow::onButton(Fl_Widget* widget, long controlId) {
    auto* dialog = static_cast<DialogWindow*>(widget->window());
    input::buttonPressed(dialog->id_, static_cast<int>(controlId));
}

} // namespace platform::desktop
