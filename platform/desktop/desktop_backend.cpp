// The desktop backend on the toolkit: one toolkit window per top-level
// window (menu bar on top, the client area below), a toolkit window per
// modal dialog and per message box. Native events become the platform's
// messages through platform::input; nothing here knows the messages.
//
// No file of this backend that names toolkit types includes
// platform/core/win32.h: the toolkit's X11 headers define names (BOOL, Status,
// None) that clash with it.

#include "platform/desktop/desktop.h"
#include "platform/desktop/dialog_window.h"
#include "platform/desktop/file_dialogs.h"
#include "platform/desktop/fltk_support.h"
#include "platform/desktop/frame_extents.h"
#include "platform/desktop/main_window.h"
#include "platform/desktop/message_box_window.h"
#include "platform/desktop/window_layout.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {

using desktop::DialogWindow;
using desktop::FrameExtents;
using desktop::giveKeyboardTo;
using desktop::kModalPollSeconds;
using desktop::MainWindow;
using desktop::MessageBoxWindow;
using desktop::showAt;

// Windows are placed as the program asks: a top-level window's position and
// size are those of its outer rectangle, the window manager's frame
// included, so the frame's caption lies where the program put the window.
class DesktopBackend final : public Backend {
  public:
    // `frame`: the window manager's frame around a top-level window, zero
    // on every side when it cannot tell.
    explicit DesktopBackend(const FrameExtents& frame) : frame_(frame) {}

    ~DesktopBackend() override {
        for (auto& entry : windows_) {
            entry.second->hide();
            delete entry.second;
        }
        Fl::check();
    }

    PixelRect clientRectFor(const TopLevelWindowView& window) override {
        const PixelRect inner = desktop::windowRectInFrame(window.outer, frame_);
        return desktop::clientRectForWindow(inner.width(), inner.height(), !window.menu.empty());
    }

    bool createWindow(const TopLevelWindowView& view) override {
        if (windows_.count(view.id) != 0 || view.outer.width() <= 0 || view.outer.height() <= 0) {
            return false;
        }
        windows_[view.id] = new MainWindow(view, desktop::windowRectInFrame(view.outer, frame_));
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
        desktop::PixelPoint outer;
        if (owner != nullptr && owner->shown()) {
            // A dialog's frame is placed relative to its owner's client
            // area; this program's templates both ask for that area's
            // top-left corner.
            outer = {owner->x() + owner->client()->x(), owner->y() + owner->client()->y()};
        }
        const desktop::PixelPoint at =
            desktop::placeOnScreen(outer, std::max(view.clientWidth, 1),
                                   std::max(view.clientHeight, 1), frame_, screenAt(outer));
        auto* dialog = new DialogWindow(view, at.x, at.y);
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

    // Every box of the program has just its OK button; the icon flags are
    // not shown.
    void messageBox(WindowId ownerId, const std::string& text, const std::string& caption,
                    std::uint32_t /*type*/) override {
        MessageBoxWindow box(text, caption);
        // Centred, frame and all, over the owner's frame, or else over the
        // screen.
        MainWindow* owner = find(ownerId);
        PixelRect over = screenAt(desktop::PixelPoint{});
        if (owner != nullptr && owner->shown()) {
            over = desktop::frameAround(
                PixelRect{owner->x(), owner->y(), owner->x() + owner->w(), owner->y() + owner->h()},
                frame_);
        }
        const PixelRect boxFrame = desktop::frameAround(PixelRect{0, 0, box.w(), box.h()}, frame_);
        const desktop::PixelPoint centre =
            desktop::centredOver(over, boxFrame.width(), boxFrame.height());
        const desktop::PixelPoint at =
            desktop::placeOnScreen(centre, box.w(), box.h(), frame_, screenAt(centre));
        showAt(&box, at.x, at.y);
        giveKeyboardTo(&box);
        while (!box.dismissed()) {
            Fl::wait(kModalPollSeconds);
        }
        box.hide();
        Fl::check();
        giveKeyboardTo(find(ownerId));
    }

    void titleChanged(WindowId id, const std::string& title) override {
        if (MainWindow* window = find(id)) {
            window->copy_label(title.c_str());
        }
    }

    std::optional<std::string> openFile(const OpenFileView& request) override {
        std::optional<std::string> path = desktop::runOpenFileDialog(request);
        Fl::check();
        giveKeyboardTo(find(request.owner));
        return path;
    }

    std::optional<std::string> saveFile(const SaveFileView& request) override {
        std::optional<std::string> path = desktop::runSaveFileDialog(request);
        Fl::check();
        giveKeyboardTo(find(request.owner));
        return path;
    }

  private:
    // The usable part of the screen that holds the point.
    static PixelRect screenAt(desktop::PixelPoint point) {
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        Fl::screen_work_area(x, y, w, h, point.x, point.y);
        return PixelRect{x, y, x + w, y + h};
    }

    MainWindow* find(WindowId id) {
        auto it = windows_.find(id);
        return it == windows_.end() ? nullptr : it->second;
    }

    std::map<WindowId, MainWindow*> windows_;
    std::map<WindowId, DialogWindow*> dialogs_;
    FrameExtents frame_;
};

} // namespace

std::unique_ptr<Backend> createDesktopBackend() {
    // The toolkit ends the process when it cannot open the display itself,
    // so the display is opened here first and handed over.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    // Asked before the toolkit takes over the display, so that no window of
    // ours exists yet whose events the question could disturb.
    const FrameExtents frame = desktop::askFrameExtents(display).value_or(FrameExtents{});
    fl_open_display(display);
    Fl::visual(FL_RGB);
    return std::make_unique<DesktopBackend>(frame);
}

} // namespace platform
