// The web backend. Native events reach the program only from inside its own
// calls: the page queues them (platform/web/page/) and the backend takes them
// off the queue in pollEvents and in its modal loops, reporting each through
// platform::input. The program's one thread is the page's: every pass of
// the frame loop suspends it (PeekMessageA -> pollEvents -> page_yield,
// under asyncify) for one message-channel round trip, so the page stays
// responsive without the delay a zero timeout would add; the modal loops
// suspend it until the next event.
//
// A presented frame is copied, its changed part only, into a picture of
// the window that the page puts on the canvas once per animation frame.
//
// Files reach the program by paths of the page's own (/models/3/knot.obj):
// the page holds a file chosen in the browser's file picker, or dropped on
// the canvas, in memory, and the program reads it from there
// (platform/web/page_files.h). A file the program saves (the save-file
// dialog) is written under /downloads/ and handed to the browser as a
// download once the program is back in its frame loop.
#include "platform/web/web.h"

#include "platform/web/input_map.h"
#include "platform/web/page_views.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

// clang-format off
EM_JS(void, page_create_window, (int id, const char* title, const char* menu, int clientWidth,
                                 int clientHeight), {
    Module.octaspinPage.createWindow(id, UTF8ToString(title), JSON.parse(UTF8ToString(menu)),
                                     clientWidth, clientHeight);
});
EM_JS(void, page_window_icon, (int id, const void* bgr, int width, int height, int stride), {
    Module.octaspinPage.windowIcon(id, bgr, width, height, stride);
});
EM_JS(void, page_show_window, (int id, int visible), {
    Module.octaspinPage.showWindow(id, visible != 0);
});
EM_JS(void, page_destroy_window, (int id), { Module.octaspinPage.destroyWindow(id); });
EM_JS(void, page_set_menu, (int id, const char* menu), {
    Module.octaspinPage.setMenu(id, JSON.parse(UTF8ToString(menu)));
});
EM_JS(void, page_present, (int id, const void* bgr, int width, int height, int left, int top,
                           int right, int bottom), {
    Module.octaspinPage.present(id, bgr, width, height, left, top, right, bottom);
});
EM_JS(void, page_capture, (int id), { Module.octaspinPage.capture(id); });
EM_JS(void, page_open_dialog, (int owner, const char* dialog), {
    Module.octaspinPage.openDialog(owner, JSON.parse(UTF8ToString(dialog)));
});
EM_JS(void, page_dialog_icon, (int id, int control, const void* bgr, int width, int height,
                               int stride), {
    Module.octaspinPage.dialogIcon(id, control, bgr, width, height, stride);
});
EM_JS(void, page_paint_dialog, (int id, const void* bgr, int width, int height, int stride), {
    Module.octaspinPage.paintDialog(id, bgr, width, height, stride);
});
EM_JS(void, page_close_dialog, (int id), { Module.octaspinPage.closeDialog(id); });
EM_JS(void, page_open_message_box, (int owner, const char* text, const char* caption), {
    Module.octaspinPage.openMessageBox(owner, UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(void, page_close_message_box, (), { Module.octaspinPage.closeMessageBox(); });
EM_JS(int, page_next_event, (double* numbers, int count, char* text, int textSize), {
    return Module.octaspinPage.nextEvent(numbers, count, text, textSize);
});
EM_JS(void, page_set_title, (int id, const char* title), {
    Module.octaspinPage.setTitle(id, UTF8ToString(title));
});
EM_JS(void, page_program_ended, (int code), { Module.octaspinPage.programEnded(code); });
EM_ASYNC_JS(void, page_yield, (), { await Module.octaspinPage.yieldOnce(); });
EM_ASYNC_JS(void, page_wait_for_event, (int milliseconds), {
    await Module.octaspinPage.waitForEvent(milliseconds);
});
// The chosen file's path into `path` (at most `size` bytes with the ending
// zero): 1, or 0 when the user cancelled.
EM_ASYNC_JS(int, page_choose_file, (int owner, const char* title, const char* accept, char* path,
                                    int size), {
    const chosen = await Module.octaspinPage.chooseFile(owner, UTF8ToString(title),
                                                        UTF8ToString(accept));
    if (chosen === null) {
        return 0;
    }
    stringToUTF8(chosen, path, size);
    return 1;
});
// clang-format on

namespace platform {

namespace {

// Event kinds and their numbers, as the page queues them
// (platform/web/page/input_queue.js).
enum EventKind {
    kNoEvent = 0,
    kKey = 1, // window, alt held, repeat, ctrl held; text: KeyboardEvent.code
    // window, kind (0 down, 1 move, 2 up, 3 wheel), button (wheel: deltaMode),
    // buttons, x, y, css w, h, keys (1 Shift, 2 Ctrl), wheel deltaY
    kPointer = 2,
    kMenu = 3,         // window, command id
    kEdit = 4,         // dialog, control; text: the field's text
    kButton = 5,       // dialog, control
    kEnter = 6,        // dialog
    kMessageBoxOk = 7, // -
    kClose = 8,        // window
    kDrop = 9,         // window; text: the held files' paths, one a line
};
constexpr int kEventNumbers = 10;
constexpr int kEventTextSize = 1024;
// A modal loop looks at its end condition at least this often.
constexpr int kModalWaitMilliseconds = 250;

int idOf(WindowId id) {
    return static_cast<int>(id);
}

struct PageWindow {
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<std::uint8_t> bgr; // the window's picture, rows from the top, no padding
    int width = 0;
    int height = 0;
};

class WebBackend final : public Backend {
  public:
    // No frame around a window on the page: a caption bar and the menu bar
    // above the client area.
    static constexpr int kCaption = 22;
    static constexpr int kMenuBar = 22;

    PixelRect clientRectFor(const TopLevelWindowView& window) override {
        const int height = window.outer.height() - kCaption - (window.menu.empty() ? 0 : kMenuBar);
        return PixelRect{0, 0, std::max(window.outer.width(), 0), std::max(height, 0)};
    }

    bool createWindow(const TopLevelWindowView& view) override {
        if (windows_.count(view.id) != 0) {
            return false;
        }
        const PixelRect client = clientRectFor(view);
        PageWindow& w = windows_[view.id];
        w.clientWidth = client.width();
        w.clientHeight = client.height();
        page_create_window(idOf(view.id), view.title.c_str(), web::menuJson(view.menu).c_str(),
                           w.clientWidth, w.clientHeight);
        if (view.icon.bgr != nullptr) {
            page_window_icon(idOf(view.id), view.icon.bgr, view.icon.width, view.icon.height,
                             view.icon.stride);
        }
        return true;
    }

    void showWindow(WindowId window, bool visible) override {
        if (windows_.count(window) != 0) {
            page_show_window(idOf(window), visible ? 1 : 0);
        }
    }

    void destroyWindow(WindowId window) override {
        if (windows_.erase(window) != 0) {
            page_destroy_window(idOf(window));
        }
    }

    void menuChanged(WindowId window, const std::vector<MenuPopupView>& menu) override {
        if (windows_.count(window) != 0) {
            page_set_menu(idOf(window), web::menuJson(menu).c_str());
        }
    }

    // The changed rows are copied as they are; the page reorders the bytes
    // for the canvas once per animation frame, not once per pass.
    void windowPresented(WindowId window, const ImageView& image, const PixelRect& dirty) override {
        auto it = windows_.find(window);
        if (it == windows_.end() || image.bgr == nullptr || image.width <= 0 || image.height <= 0 ||
            image.stride < image.width * 3) {
            return;
        }
        PageWindow& w = it->second;
        PixelRect area{std::max(dirty.left, 0), std::max(dirty.top, 0),
                       std::min(dirty.right, image.width), std::min(dirty.bottom, image.height)};
        if (w.width != image.width || w.height != image.height) {
            w.bgr.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0);
            w.width = image.width;
            w.height = image.height;
            area = PixelRect{0, 0, image.width, image.height};
        }
        if (area.left >= area.right || area.top >= area.bottom) {
            area = PixelRect{};
        }
        const auto bytes = static_cast<std::size_t>(area.width()) * 3;
        for (int y = area.top; y < area.bottom; ++y) {
            std::memcpy(w.bgr.data() + (static_cast<std::size_t>(y) * w.width + area.left) * 3,
                        image.bgr + static_cast<std::ptrdiff_t>(y) * image.stride + area.left * 3,
                        bytes);
        }
        page_present(idOf(window), w.bgr.data(), w.width, w.height, area.left, area.top, area.right,
                     area.bottom);
    }

    void captureChanged(WindowId window) override {
        capture_ = window;
        page_capture(idOf(window));
    }

    // One yield to the browser, then everything the page queued meanwhile.
    void pollEvents() override {
        page_yield();
        drainEvents();
    }

    void runModalDialog(const DialogView& dialog) override {
        page_open_dialog(idOf(dialog.owner), web::dialogJson(dialog).c_str());
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            const ImageView& icon = dialog.controls[i].icon;
            if (icon.bgr != nullptr) {
                page_dialog_icon(idOf(dialog.id), static_cast<int>(i), icon.bgr, icon.width,
                                 icon.height, icon.stride);
            }
        }
        dialogPainted(dialog.id, input::dialogImage(dialog.id));
        while (!input::dialogEnded(dialog.id)) {
            page_wait_for_event(kModalWaitMilliseconds);
            drainEvents();
        }
        page_close_dialog(idOf(dialog.id));
    }

    void dialogPainted(WindowId dialog, const ImageView& image) override {
        if (image.bgr != nullptr) {
            page_paint_dialog(idOf(dialog), image.bgr, image.width, image.height, image.stride);
        }
    }

    // Every box of the program has just its OK button; the icon flags are
    // not shown.
    void messageBox(WindowId owner, const std::string& text, const std::string& caption,
                    std::uint32_t /*type*/) override {
        page_open_message_box(idOf(owner), text.c_str(), caption.c_str());
        messageBoxDismissed_ = false;
        while (!messageBoxDismissed_) {
            page_wait_for_event(kModalWaitMilliseconds);
            drainEvents();
        }
        page_close_message_box();
    }

    void titleChanged(WindowId window, const std::string& title) override {
        if (windows_.count(window) != 0) {
            page_set_title(idOf(window), title.c_str());
        }
    }

    // The browser's file picker, showing the files of the filter chosen at
    // first. Events that arrive meanwhile wait in the page's queue.
    std::optional<std::string> openFile(const OpenFileView& request) override {
        const std::string accept =
            request.filterIndex < request.filters.size()
                ? web::acceptForPatterns(request.filters[request.filterIndex].patterns)
                : std::string();
        char path[kEventTextSize];
        if (page_choose_file(idOf(request.owner), request.title.c_str(), accept.c_str(), path,
                             kEventTextSize) == 0) {
            return std::nullopt;
        }
        return std::string(path);
    }

    // No dialog: the name suggested, under a folder of the page's own (a
    // download does not replace anything, so there is nothing to confirm).
    // The page has no files: what the program saves there is handed to the
    // browser as a download of that name (platform/web/page_files.h).
    std::optional<std::string> saveFile(const SaveFileView& request) override {
        std::string name = request.suggestedName;
        if (name.empty() || name.find('/') != std::string::npos) {
            name = "picture.png";
        }
        return "/downloads/" + name;
    }

  private:

    void drainEvents() {
        double n[kEventNumbers];
        char text[kEventTextSize];
        for (;;) {
            const int kind = page_next_event(n, kEventNumbers, text, kEventTextSize);
            if (kind == kNoEvent) {
                return;
            }
            handle(kind, n, text);
        }
    }

    void handle(int kind, const double* n, const char* text) {
        const auto target = static_cast<WindowId>(n[0]);
        switch (kind) {
        case kKey:
            if (const unsigned key = web::virtualKeyForCode(text); key != 0) {
                input::keyDown(target, key, n[1] != 0.0, n[2] != 0.0, n[3] != 0.0);
            }
            break;
        case kPointer:
            pointer(target, n);
            break;
        case kMenu:
            input::menuCommand(target, static_cast<unsigned>(n[1]));
            break;
        case kEdit:
            input::editChanged(target, static_cast<int>(n[1]), text);
            break;
        case kButton:
            input::buttonPressed(target, static_cast<int>(n[1]));
            break;
        case kEnter:
            input::enterPressed(target);
            break;
        case kMessageBoxOk:
            messageBoxDismissed_ = true;
            break;
        case kClose:
            input::closeRequested(target);
            break;
        case kDrop:
            input::filesDropped(target, lines(text));
            break;
        default:
            break;
        }
    }

    // A move outside the canvas reaches the window only while it holds the
    // capture, as on the desktop; the page keeps the pointer captured from
    // press to release so that such moves arrive at all.
    void pointer(WindowId window, const double* n) {
        auto it = windows_.find(window);
        if (it == windows_.end()) {
            return;
        }
        const PageWindow& w = it->second;
        const int kind = static_cast<int>(n[1]);
        const auto number = [&](int i) { return static_cast<int>(n[i]); };
        const unsigned keys =
            web::mouseKeysFor(number(3), (number(8) & 1) != 0, (number(8) & 2) != 0);
        const web::ClientPoint p =
            web::clientPointFor(n[4], n[5], n[6], n[7], w.clientWidth, w.clientHeight);
        const bool inside = p.x >= 0 && p.y >= 0 && p.x < w.clientWidth && p.y < w.clientHeight;
        if (!inside && capture_ != window) {
            return;
        }
        const std::optional<input::MouseButton> button = web::mouseButtonFor(number(2));
        switch (kind) {
        case 0:
            if (button) {
                input::buttonDown(window, *button, p.x, p.y, keys);
            }
            break;
        case 1:
            input::mouseMoveHolding(window, p.x, p.y, keys);
            break;
        case 2:
            if (button) {
                input::buttonUp(window, *button, p.x, p.y, keys);
            }
            break;
        case 3:
            if (const int delta = web::wheelDeltaFor(n[9], number(2)); delta != 0) {
                input::wheelTurned(window, p.x, p.y, delta, keys);
            }
            break;
        default:
            break;
        }
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (end > start) {
                result.push_back(text.substr(start, end - start));
            }
            start = end + 1;
        }
        return result;
    }

    std::map<WindowId, PageWindow> windows_;
    WindowId capture_ = 0;
    bool messageBoxDismissed_ = false;
};

} // namespace

std::unique_ptr<Backend> createWebBackend() {
    return std::make_unique<WebBackend>();
}

void web::programEnded(int exitCode) {
    page_program_ended(exitCode);
}

} // namespace platform
