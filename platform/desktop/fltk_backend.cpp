// The desktop backend on the toolkit: one toolkit window per top-level
// window (menu bar on top, the client area below), a toolkit window per
// modal dialog and per message box. Native events become the platform's
// messages through platform::input; nothing here knows the messages.
//
// This file must not include platform/win32.h: the toolkit's X11 headers
// define names (BOOL, Status, None) that clash with it.

#include "platform/desktop/desktop.h"
#include "platform/desktop/image_copy.h"
#include "platform/desktop/key_codes.h"
#include "platform/desktop/labels.h"
#include "platform/desktop/menu_bar_model.h"
#include "platform/desktop/window_layout.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {

using desktop::ControlKind;
using desktop::kDialogFontSize;
using desktop::kMenuBarHeight;
using desktop::RgbCanvas;

// A modal loop re-checks its end condition at least this often, even when
// no event arrives.
constexpr double kModalPollSeconds = 0.25;

// Draws `part` of the canvas, the canvas's origin at (x, y).
void drawCanvas(const RgbCanvas& canvas, const PixelRect& part, int x, int y) {
    if (part.width() <= 0 || part.height() <= 0) {
        return;
    }
    const std::uint8_t* start = canvas.rgb.data() + part.top * canvas.stride() + part.left * 3;
    fl_draw_image(start, x + part.left, y + part.top, part.width(), part.height(), 3,
                  canvas.stride());
}

// Fills what a canvas at (x, y) leaves uncovered of a w x h area.
void fillUncovered(const RgbCanvas& canvas, int x, int y, int w, int h, Fl_Color fill) {
    fl_color(fill);
    if (canvas.width < w) {
        fl_rectf(x + canvas.width, y, w - canvas.width, h);
    }
    if (canvas.height < h) {
        fl_rectf(x, y + canvas.height, std::min(canvas.width, w), h - canvas.height);
    }
}

// A 24-bit icon as a toolkit image; null for an empty view.
std::unique_ptr<Fl_RGB_Image> iconImage(const ImageView& icon, RgbCanvas& pixels) {
    if (desktop::takeFrame(pixels, icon, PixelRect{0, 0, icon.width, icon.height}).width() <= 0) {
        return nullptr;
    }
    return std::make_unique<Fl_RGB_Image>(pixels.rgb.data(), pixels.width, pixels.height, 3,
                                          pixels.stride());
}

// Shows a top-level window with its top-left corner at (x, y). The toolkit
// creates a new bordered window off the screen edge, to leave room for a
// frame it guesses at, without telling the window; the window manager puts
// its own frame around it, so the window is moved back to where it was
// asked for.
void showAt(Fl_Window* window, int x, int y) {
    window->show();
    XMoveWindow(fl_display, fl_xid(window), x, y);
}

// Gives a shown top-level window the keyboard, as a window manager does for
// a window the user works with; a modal window opened by the window that
// has the keyboard takes it over this way.
void giveKeyboardTo(Fl_Window* window) {
    if (window == nullptr || !window->shown() || !window->visible()) {
        return;
    }
    window->wait_for_expose();
    XSetInputFocus(fl_display, fl_xid(window), RevertToParent, CurrentTime);
}

// ---------------------------------------------------------------------------
// The client area of a top-level window: shows the last presented frame and
// reports keyboard and mouse input in client coordinates.

class ClientArea : public Fl_Widget {
  public:
    ClientArea(int x, int y, int w, int h, WindowId id) : Fl_Widget(x, y, w, h), id_(id) {}

    void present(const ImageView& image, const PixelRect& dirty) {
        const PixelRect changed = desktop::takeFrame(canvas_, image, dirty);
        if (changed.width() > 0) {
            pending_ = desktop::uniteRects(pending_, changed);
            damage(FL_DAMAGE_USER1);
        }
    }

    void setCaptured(bool captured) { captured_ = captured; }

    // True once after the area was drawn for an exposure (shown, uncovered,
    // resized) rather than for a presented frame.
    bool takeExposed() {
        const bool exposed = exposed_;
        exposed_ = false;
        return exposed;
    }

    int handle(int event) override {
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
            keys_.release(desktop::virtualKeyFor(Fl::event_key()));
            return 1;
        case FL_PUSH:
            take_focus();
            if (Fl::event_button() == FL_LEFT_MOUSE) {
                input::leftButtonDown(id_, clientX(), clientY());
            }
            return 1;
        case FL_DRAG:
        case FL_MOVE:
            if (reachesWindow()) {
                input::mouseMove(id_, clientX(), clientY(), Fl::event_state(FL_BUTTON1) != 0);
            }
            return 1;
        case FL_RELEASE:
            if (Fl::event_button() == FL_LEFT_MOUSE && reachesWindow()) {
                input::leftButtonUp(id_, clientX(), clientY());
            }
            return 1;
        default:
            return Fl_Widget::handle(event);
        }
    }

  protected:
    void draw() override {
        fl_push_clip(x(), y(), w(), h());
        if (damage() == FL_DAMAGE_USER1) {
            drawCanvas(canvas_, desktop::clipRect(pending_, w(), h()), x(), y());
        } else {
            drawCanvas(canvas_,
                       desktop::clipRect(PixelRect{0, 0, canvas_.width, canvas_.height}, w(), h()),
                       x(), y());
            fillUncovered(canvas_, x(), y(), w(), h(), FL_WHITE);
            exposed_ = true;
        }
        fl_pop_clip();
        pending_ = PixelRect{};
    }

  private:
    int clientX() const { return Fl::event_x() - x(); }
    int clientY() const { return Fl::event_y() - y(); }

    // The pointer is over the client area, or the window holds the capture:
    // only then does the window hear of the mouse. (The toolkit keeps
    // sending to the pressed widget while a button is held anywhere.)
    bool reachesWindow() const {
        const int cx = clientX();
        const int cy = clientY();
        return captured_ || (cx >= 0 && cy >= 0 && cx < w() && cy < h());
    }

    int keyDown() {
        const unsigned virtualKey = desktop::virtualKeyFor(Fl::event_key());
        if (virtualKey == 0) {
            return 0;
        }
        const bool altHeld = Fl::event_state(FL_ALT) != 0;
        input::keyDown(id_, virtualKey, altHeld, keys_.press(virtualKey));
        // With Alt held the key goes on to the menu bar as a mnemonic.
        return altHeld ? 0 : 1;
    }

    WindowId id_;
    RgbCanvas canvas_;
    PixelRect pending_; // presented but not yet drawn
    desktop::KeyRepeatTracker keys_;
    bool captured_ = false;
    bool exposed_ = false;
};

// ---------------------------------------------------------------------------
// A top-level window: the menu bar and the client area.

class MainWindow : public Fl_Window {
  public:
    explicit MainWindow(const TopLevelWindowView& view)
        : Fl_Window(view.outer.left, view.outer.top, view.outer.width(), view.outer.height()),
          id_(view.id), askedX_(view.outer.left), askedY_(view.outer.top) {
        copy_label(view.title.c_str());
        const int menuHeight = view.menu.empty() ? 0 : kMenuBarHeight;
        begin();
        if (menuHeight > 0) {
            menuBar_ = new Fl_Menu_Bar(0, 0, w(), menuHeight);
        }
        const PixelRect client = desktop::clientRectForOuter(w(), h(), menuHeight > 0);
        client_ = new ClientArea(0, menuHeight, client.width(), client.height(), id_);
        end();
        resizable(client_);
        size_range(desktop::kMinWindowWidth, desktop::kMinWindowHeight);
        reportedWidth_ = client_->w();
        reportedHeight_ = client_->h();
        callback(onClose);
        if (menuBar_ != nullptr) {
            setMenu(view.menu);
        }
        icon_ = iconImage(view.icon, iconPixels_);
        if (icon_) {
            icon(icon_.get());
        }
    }

    ClientArea* client() { return client_; }
    int askedX() const { return askedX_; }
    int askedY() const { return askedY_; }

    void setMenu(const std::vector<MenuPopupView>& menu) {
        if (menuBar_ == nullptr) {
            return;
        }
        const bool sameLayout = !items_.empty() && desktop::sameMenuLayout(menu, menuView_);
        menuView_ = menu;
        entries_ = desktop::flattenMenuBar(menu);
        if (!sameLayout) {
            buildMenuItems();
            menuBar_->menu(items_.data());
        } else {
            applyMenuFlags();
        }
        menuBar_->redraw();
    }

    void resize(int x, int y, int w, int h) override {
        Fl_Window::resize(x, y, w, h);
        if (client_ != nullptr &&
            (client_->w() != reportedWidth_ || client_->h() != reportedHeight_)) {
            reportedWidth_ = client_->w();
            reportedHeight_ = client_->h();
            input::clientResized(id_, reportedWidth_, reportedHeight_);
        }
    }

  private:
    // The close box asks; Escape (which also reaches a window's callback)
    // does nothing to the window itself.
    static void onClose(Fl_Widget* widget, void*) {
        if (Fl::event() == FL_CLOSE) {
            input::closeRequested(static_cast<MainWindow*>(widget)->id_);
        }
    }

    static void onMenuItem(Fl_Widget* widget, void* data) {
        auto* window = static_cast<MainWindow*>(widget->window());
        const auto index = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(data));
        // The toolkit flips a toggle item's mark when it is chosen; the
        // marks are the program's to set, so they are put back first.
        window->applyMenuFlags();
        input::menuCommand(window->id_, window->entries_[index].id);
    }

    static int itemFlags(const desktop::MenuBarEntry& entry) {
        int flags = 0;
        if (entry.divider) {
            flags |= FL_MENU_DIVIDER;
        }
        if (entry.checked) {
            flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
        }
        return flags;
    }

    void buildMenuItems() {
        items_.assign(entries_.size() + 1, Fl_Menu_Item{});
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const desktop::MenuBarEntry& entry = entries_[i];
            Fl_Menu_Item& item = items_[i];
            switch (entry.kind) {
            case desktop::MenuBarEntry::Kind::Popup:
                item.text = entry.label.c_str();
                item.flags = FL_SUBMENU;
                break;
            case desktop::MenuBarEntry::Kind::Item:
                item.text = entry.label.c_str();
                item.callback_ = onMenuItem;
                item.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i));
                item.flags = itemFlags(entry);
                break;
            case desktop::MenuBarEntry::Kind::EndOfPopup:
                break; // all zero: closes the submenu
            }
        }
    }

    // Same layout as the items were built from: only the flags change. The
    // item texts keep pointing into the previous entries, so those are
    // re-pointed too.
    void applyMenuFlags() {
        for (std::size_t i = 0; i < entries_.size() && i < items_.size(); ++i) {
            const desktop::MenuBarEntry& entry = entries_[i];
            if (entry.kind == desktop::MenuBarEntry::Kind::Item) {
                items_[i].text = entry.label.c_str();
                items_[i].flags = itemFlags(entry);
            } else if (entry.kind == desktop::MenuBarEntry::Kind::Popup) {
                items_[i].text = entry.label.c_str();
            }
        }
    }

    WindowId id_;
    int askedX_;
    int askedY_;
    Fl_Menu_Bar* menuBar_ = nullptr;
    ClientArea* client_ = nullptr;
    int reportedWidth_ = 0;
    int reportedHeight_ = 0;
    std::vector<MenuPopupView> menuView_;
    std::vector<desktop::MenuBarEntry> entries_;
    std::vector<Fl_Menu_Item> items_;
    RgbCanvas iconPixels_;
    std::unique_ptr<Fl_RGB_Image> icon_;
};

// ---------------------------------------------------------------------------
// Modal dialogs.

// A static text control: its '&' marks a mnemonic as in a button.
class StaticText : public Fl_Box {
  public:
    StaticText(int x, int y, int w, int h) : Fl_Box(x, y, w, h) { set_flag(SHORTCUT_LABEL); }
};

// A static's text wraps at word breaks and is clipped to its rectangle.
Fl_Align alignFor(desktop::TextAlign align) {
    constexpr Fl_Align kStatic = FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP;
    switch (align) {
    case desktop::TextAlign::Center:
        return kStatic | FL_ALIGN_TOP;
    case desktop::TextAlign::Right:
        return kStatic | FL_ALIGN_TOP_RIGHT;
    case desktop::TextAlign::Left:
        break;
    }
    return kStatic | FL_ALIGN_TOP_LEFT;
}

class DialogWindow : public Fl_Double_Window {
  public:
    DialogWindow(const DialogView& view, int x, int y)
        : Fl_Double_Window(x, y, std::max(view.clientWidth, 1), std::max(view.clientHeight, 1)),
          id_(view.id), askedX_(x), askedY_(y) {
        copy_label(view.title.c_str());
        setBackground(input::dialogImage(id_));
        begin();
        for (const ControlView& control : view.controls) {
            Fl_Widget* widget = createControl(control);
            controls_.push_back(widget);
            if (widget != nullptr && !desktop::isVisible(control)) {
                widget->hide();
            }
        }
        end();
        callback(onClose);
        set_modal();
        focusIndex_ = view.focusIndex;
    }

    void setBackground(const ImageView& image) {
        desktop::takeFrame(background_, image, PixelRect{0, 0, image.width, image.height});
        redraw();
    }

    // Shows the dialog with the focus where the dialog procedure left it
    // (the first tab stop), the whole text of an edit field selected, as a
    // dialog does when it gives a field the focus.
    void open() {
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

    int handle(int event) override {
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

  protected:
    void draw() override {
        if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
            fl_color(FL_BACKGROUND_COLOR);
            fl_rectf(0, 0, w(), h());
            drawCanvas(
                background_,
                desktop::clipRect(PixelRect{0, 0, background_.width, background_.height}, w(), h()),
                0, 0);
        }
        draw_children();
    }

  private:
    Fl_Widget* createControl(const ControlView& control) {
        const PixelRect& r = control.rect;
        const int w = std::max(r.width(), 1);
        const int h = std::max(r.height(), 1);
        switch (desktop::controlKindOf(control)) {
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
            text->copy_label(desktop::plainLabel(control.text).c_str());
            text->labelsize(kDialogFontSize);
            text->align(alignFor(desktop::textAlignOf(control.style)));
            text->box(desktop::hasSunkenEdge(control) ? FL_THIN_DOWN_FRAME : FL_NO_BOX);
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
            Fl_Button* button = desktop::controlKindOf(control) == ControlKind::DefaultPushButton
                                    ? new Fl_Return_Button(r.left, r.top, w, h)
                                    : new Fl_Button(r.left, r.top, w, h);
            button->copy_label(desktop::plainLabel(control.text).c_str());
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

    static void setTabStop(Fl_Widget* widget, const ControlView& control) {
        if (!desktop::isTabStop(control)) {
            widget->clear_visible_focus();
        }
    }

    // Enter presses the push button that has the focus, else the dialog's
    // default button (the core knows which that is).
    void pressEnter() {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            if (controls_[i] != nullptr && controls_[i] == Fl::focus() &&
                dynamic_cast<Fl_Button*>(controls_[i]) != nullptr) {
                input::buttonPressed(id_, static_cast<int>(controls_[i]->argument()));
                return;
            }
        }
        input::enterPressed(id_);
    }

    static void onEdit(Fl_Widget* widget, long controlId) {
        auto* dialog = static_cast<DialogWindow*>(widget->window());
        input::editChanged(dialog->id_, static_cast<int>(controlId),
                           static_cast<Fl_Input*>(widget)->value());
    }

    static void onButton(Fl_Widget* widget, long controlId) {
        auto* dialog = static_cast<DialogWindow*>(widget->window());
        input::buttonPressed(dialog->id_, static_cast<int>(controlId));
    }

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

// ---------------------------------------------------------------------------
// A message box: the text, the caption as the title, and an OK button.

class MessageBoxWindow : public Fl_Double_Window {
  public:
    MessageBoxWindow(const std::string& text, const std::string& caption)
        : Fl_Double_Window(0, 0, 100, 100) {
        copy_label(caption.c_str());
        const std::string label = desktop::plainLabel(text);
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
        auto* ok =
            new Fl_Return_Button((width - kButtonWidth) / 2, height - kMargin - kButtonHeight,
                                 kButtonWidth, kButtonHeight, "OK");
        ok->labelsize(kTextSize);
        ok->callback(onOk, this);
        end();
        callback(onOk, this); // the close box and Escape dismiss it too
        set_modal();
    }

    bool dismissed() const { return dismissed_; }

  private:
    static constexpr int kTextSize = 12;
    static constexpr int kMargin = 14;
    static constexpr int kMinTextWidth = 180;
    static constexpr int kMaxTextWidth = 480;
    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 26;

    static void onOk(Fl_Widget*, void* data) {
        static_cast<MessageBoxWindow*>(data)->dismissed_ = true;
    }

    bool dismissed_ = false;
};

// ---------------------------------------------------------------------------

class DesktopBackend final : public Backend {
  public:
    ~DesktopBackend() override {
        for (auto& entry : windows_) {
            entry.second->hide();
            delete entry.second;
        }
        Fl::check();
    }

    PixelRect clientRectFor(const TopLevelWindowView& window) override {
        return desktop::clientRectForOuter(window.outer.width(), window.outer.height(),
                                           !window.menu.empty());
    }

    bool createWindow(const TopLevelWindowView& view) override {
        if (windows_.count(view.id) != 0 || view.outer.width() <= 0 || view.outer.height() <= 0) {
            return false;
        }
        windows_[view.id] = new MainWindow(view);
        return true;
    }

    void showWindow(WindowId id, bool visible) override {
        MainWindow* window = find(id);
        if (window == nullptr) {
            return;
        }
        if (visible) {
            showAt(window, window->askedX(), window->askedY());
            window->client()->take_focus();
        } else {
            window->hide();
        }
    }

    void destroyWindow(WindowId id) override {
        auto it = windows_.find(id);
        if (it == windows_.end()) {
            return;
        }
        it->second->hide();
        // May run inside one of the window's own callbacks: the toolkit
        // deletes it once control is back in its event loop.
        Fl::delete_widget(it->second);
        windows_.erase(it);
    }

    void menuChanged(WindowId id, const std::vector<MenuPopupView>& menu) override {
        if (MainWindow* window = find(id)) {
            window->setMenu(menu);
        }
    }

    void windowPresented(WindowId id, const ImageView& image, const PixelRect& dirty) override {
        MainWindow* window = find(id);
        if (window == nullptr) {
            return;
        }
        window->client()->present(image, dirty);
        if (window->shown()) {
            Fl::flush(); // the copy reaches the screen now, as a blit does
        }
    }

    void captureChanged(WindowId id) override {
        for (auto& entry : windows_) {
            entry.second->client()->setCaptured(entry.first == id);
        }
    }

    // The toolkit handles what is pending and redraws; a window it had to
    // repaint from its own copy then gets the paint request the platform
    // sends for an uncovered window (after the event handling, never from
    // inside the toolkit's drawing).
    void pollEvents() override {
        Fl::check();
        std::vector<WindowId> exposed;
        for (auto& entry : windows_) {
            if (entry.second->client()->takeExposed()) {
                exposed.push_back(entry.first);
            }
        }
        for (WindowId id : exposed) {
            input::paintRequested(id);
        }
    }

    void runModalDialog(const DialogView& view) override {
        MainWindow* owner = find(view.owner);
        int x = 0;
        int y = 0;
        if (owner != nullptr && owner->shown()) {
            // A dialog is placed relative to its owner's client area; this
            // program's templates both ask for that area's top-left corner.
            x = owner->x() + owner->client()->x();
            y = owner->y() + owner->client()->y();
        }
        auto* dialog = new DialogWindow(view, x, y);
        dialogs_[view.id] = dialog;
        dialog->open();
        while (!input::dialogEnded(view.id)) {
            Fl::wait(kModalPollSeconds);
        }
        dialogs_.erase(view.id);
        dialog->hide();
        Fl::delete_widget(dialog);
        giveKeyboardTo(find(view.owner)); // the owner may be gone by now
    }

    void dialogPainted(WindowId id, const ImageView& image) override {
        auto it = dialogs_.find(id);
        if (it != dialogs_.end()) {
            it->second->setBackground(image);
        }
    }

    void messageBox(WindowId ownerId, const std::string& text,
                    const std::string& caption) override {
        MessageBoxWindow box(text, caption);
        MainWindow* owner = find(ownerId);
        if (owner != nullptr && owner->shown()) {
            box.position(owner->x() + (owner->w() - box.w()) / 2,
                         owner->y() + (owner->h() - box.h()) / 2);
        } else {
            box.position((Fl::w() - box.w()) / 2, (Fl::h() - box.h()) / 2);
        }
        box.show();
        giveKeyboardTo(&box);
        while (!box.dismissed()) {
            Fl::wait(kModalPollSeconds);
        }
        box.hide();
        Fl::check();
        giveKeyboardTo(find(ownerId));
    }

  private:
    MainWindow* find(WindowId id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    std::map<WindowId, MainWindow*> windows_;
    std::map<WindowId, DialogWindow*> dialogs_;
};

} // namespace

std::unique_ptr<Backend> createDesktopBackend() {
    // The toolkit ends the process when it cannot open the display itself,
    // so the display is opened here first and handed over.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    fl_open_display(display);
    Fl::visual(FL_RGB);
    return std::make_unique<DesktopBackend>();
}

} // namespace platform
