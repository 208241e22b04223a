// The in-memory backend: windows, menus, presented frames and message
// boxes are kept for inspection, and modal dialogs run scripts.
#include "platform/headless/headless.h"

#include "platform/core/state.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// What a dialog script works through: the dialog's controls as a user sees
// them, with every action going through the same input path a real screen
// uses.
class ScriptDriver final : public DialogDriver {
  public:
    explicit ScriptDriver(const DialogView& view) : view_(view) {}

    HWND dialog() const override { return core::asHandle<HWND>(view_.id); }
    std::string title() const override { return view_.title; }
    std::string text(int controlId) const override {
        core::Window* c = core::findWindow(GetDlgItem(dialog(), controlId));
        return c != nullptr ? c->text : std::string();
    }
    void type(int controlId, const std::string& text) override {
        input::editChanged(view_.id, controlId, text);
    }
    void click(int controlId) override { input::buttonPressed(view_.id, controlId); }
    void pressEnter() override { input::enterPressed(view_.id); }
    int focusedControl() const override {
        core::Window* d = core::findWindow(view_.id);
        core::Window* c = d != nullptr ? core::findWindow(d->focus) : nullptr;
        return c != nullptr ? c->controlId : 0;
    }
    ImageView image() const override { return input::dialogImage(view_.id); }
    bool ended() const override { return input::dialogEnded(view_.id); }

  private:
    DialogView view_;
};

// Keeps a record at its last `kept` entries, dropping the oldest half
// when it outgrows them, so an append costs O(1) on average.
template <typename T> void keepLast(std::vector<T>& records, std::size_t kept) {
    if (records.size() > kept) {
        records.erase(records.begin(),
                      records.begin() + static_cast<std::ptrdiff_t>(records.size() - kept / 2));
    }
}

} // namespace

HeadlessBackend::HeadlessBackend() = default;

HeadlessBackend::~HeadlessBackend() {
    if (backend() == this) {
        setBackend(nullptr);
    }
}

PixelRect HeadlessBackend::clientRectFor(const TopLevelWindowView& window) {
    using M = HeadlessMetrics;
    int width = window.outer.width() - 2 * M::kFrame;
    int height = window.outer.height() - 2 * M::kFrame - M::kCaption -
                 (window.menu.empty() ? 0 : M::kMenuBar);
    return PixelRect{0, 0, std::max(width, 0), std::max(height, 0)};
}

bool HeadlessBackend::createWindow(const TopLevelWindowView& window) {
    WindowState& state = windows_[window.id];
    state = WindowState{};
    state.menu = window.menu;
    state.title = window.title;
    return true;
}

void HeadlessBackend::showWindow(WindowId window, bool visible) {
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        it->second.visible = visible;
    }
}

void HeadlessBackend::destroyWindow(WindowId window) {
    // The record stays so that a test can still read the last frame.
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        it->second.destroyed = true;
        it->second.visible = false;
    }
}

void HeadlessBackend::menuChanged(WindowId window, const std::vector<MenuPopupView>& menu) {
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        it->second.menu = menu;
    }
}

// Only the changed rectangle is copied into the screen image; a picture of
// another size (the window was resized) replaces it whole.
void HeadlessBackend::windowPresented(WindowId window, const ImageView& image,
                                      const PixelRect& dirty) {
    auto it = windows_.find(window);
    if (it == windows_.end() || it->second.destroyed) {
        return;
    }
    WindowState& state = it->second;
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(image.width, 0)) * 3;
    PixelRect area{std::max(dirty.left, 0), std::max(dirty.top, 0),
                   std::min(dirty.right, image.width), std::min(dirty.bottom, image.height)};
    if (state.width != image.width || state.height != image.height || state.screen.empty()) {
        state.width = image.width;
        state.height = image.height;
        // A new size gets storage of its own size: a window once made large
        // does not keep that memory after it shrinks.
        state.screen = std::vector<std::uint8_t>(
            rowBytes * static_cast<std::size_t>(std::max(image.height, 0)));
        area = PixelRect{0, 0, image.width, image.height};
    }
    if (image.bgr != nullptr && area.left < area.right && area.top < area.bottom) {
        const auto bytes = static_cast<std::size_t>(area.width()) * 3;
        for (int y = area.top; y < area.bottom; ++y) {
            std::memcpy(state.screen.data() + rowBytes * static_cast<std::size_t>(y) +
                            static_cast<std::size_t>(area.left) * 3,
                        image.bgr + static_cast<std::ptrdiff_t>(y) * image.stride + area.left * 3,
                        bytes);
        }
    }
    ++state.presents;
}

void HeadlessBackend::captureChanged(WindowId window) {
    capture_ = core::asHandle<HWND>(window);
}

void HeadlessBackend::pollEvents() {
    if (pollHook_ && !inPollHook_) {
        inPollHook_ = true;
        pollHook_();
        inPollHook_ = false;
    }
}

void HeadlessBackend::runModalDialog(const DialogView& dialog) {
    dialogTitles_.push_back(dialog.title);
    keepLast(dialogTitles_, kRecordsKept);
    ++dialogCount_;
    ScriptDriver driver(dialog);
    if (!scripts_.empty()) {
        DialogScript script = std::move(scripts_.front());
        scripts_.pop_front();
        if (script) {
            script(driver);
        }
    }
    if (!driver.ended()) {
        driver.pressEnter();
    }
    if (!driver.ended()) {
        // Nothing the user could do ended it: end it here so nothing hangs.
        EndDialog(driver.dialog(), 0);
        ++abandoned_;
    }
}

void HeadlessBackend::dialogPainted(WindowId dialog, const ImageView& image) {
    // The picture stays with the layer; DialogDriver::image reads it there.
    (void)dialog;
    (void)image;
    ++dialogPaints_;
}

void HeadlessBackend::messageBox(WindowId owner, const std::string& text,
                                 const std::string& caption, std::uint32_t type) {
    boxes_.push_back(RecordedMessageBox{core::asHandle<HWND>(owner), text, caption, type});
    keepLast(boxes_, kRecordsKept);
}

void HeadlessBackend::titleChanged(WindowId window, const std::string& title) {
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        it->second.title = title;
    }
}

std::optional<std::string> HeadlessBackend::openFile(const OpenFileView& request) {
    openFileRequests_.push_back(request);
    keepLast(openFileRequests_, kRecordsKept);
    if (openFileAnswers_.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(openFileAnswers_.front());
    openFileAnswers_.pop_front();
    return answer;
}

void HeadlessBackend::queueOpenFileAnswer(std::optional<std::string> path) {
    openFileAnswers_.push_back(std::move(path));
}

std::optional<std::string> HeadlessBackend::saveFile(const SaveFileView& request) {
    saveFileRequests_.push_back(request);
    keepLast(saveFileRequests_, kRecordsKept);
    if (saveFileAnswers_.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(saveFileAnswers_.front());
    saveFileAnswers_.pop_front();
    return answer;
}

void HeadlessBackend::queueSaveFileAnswer(std::optional<std::string> path) {
    saveFileAnswers_.push_back(std::move(path));
}

void HeadlessBackend::turnWheel(HWND window, int x, int y, int delta, unsigned keys) {
    input::wheelTurned(core::handleOf(window), x, y, delta, keys);
}

void HeadlessBackend::dropFiles(HWND window, const std::vector<std::string>& paths) {
    input::filesDropped(core::handleOf(window), paths);
}

std::string HeadlessBackend::title(HWND window) const {
    auto it = windows_.find(core::handleOf(window));
    return it == windows_.end() ? std::string() : it->second.title;
}

void HeadlessBackend::queueDialogScript(DialogScript script) {
    scripts_.push_back(std::move(script));
}

void HeadlessBackend::resizeClient(HWND window, int width, int height) {
    input::clientResized(core::handleOf(window), width, height);
}

ImageView HeadlessBackend::screen(HWND window) const {
    auto it = windows_.find(core::handleOf(window));
    if (it == windows_.end() || it->second.screen.empty()) {
        return ImageView{};
    }
    const WindowState& state = it->second;
    return ImageView{state.width, state.height, state.width * 3, state.screen.data()};
}

int HeadlessBackend::presentCount(HWND window) const {
    auto it = windows_.find(core::handleOf(window));
    return it == windows_.end() ? 0 : it->second.presents;
}

bool HeadlessBackend::visible(HWND window) const {
    auto it = windows_.find(core::handleOf(window));
    return it != windows_.end() && it->second.visible;
}

const std::vector<MenuPopupView>* HeadlessBackend::menuBar(HWND window) const {
    auto it = windows_.find(core::handleOf(window));
    return it == windows_.end() ? nullptr : &it->second.menu;
}

LiveObjects liveObjects() {
    const core::State& s = core::state();
    LiveObjects live;
    live.windows = s.windows.size();
    live.menus = s.menus.size();
    live.contexts = s.contexts.size();
    for (const auto& [handle, bitmap] : s.bitmaps) {
        live.bitmaps += bitmap.stock ? 0 : 1;
    }
    for (const auto& [handle, brush] : s.brushes) {
        live.brushes += brush.stock || handle == s.dialogBrush ? 0 : 1;
    }
    live.drops = s.drops.size();
    return live;
}

} // namespace platform
