// The headless backend: windows live in memory, for tests, benchmarks, CI
// and the headless runner.
//
// Window metrics are fixed and used everywhere (tests, runner, README):
// a 4-pixel frame on all four sides (the top one above the caption), an
// 18-pixel caption and a 20-pixel menu bar. A 640 x 480 window with a menu
// therefore gets a client area of 632 x 434 pixels (640 - 2 * 4 by
// 480 - 2 * 4 - 18 - 20), a render frame of 632 x 432.
//
// What a test can do through it: inject any message (PostMessageA /
// SendMessageA work as usual), resize the client area as a user would,
// script the next modal dialogs, read what was presented to a window and
// what was painted into a dialog, and read the message boxes shown.
// (Failures on cue, the test clock and resets between tests:
// platform/headless/test_controls.h.)
#pragma once

#include "platform/core/backend.h"
#include "platform/core/win32.h"
#include "platform/headless/test_controls.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct HeadlessMetrics {
    static constexpr int kFrame = 4;
    static constexpr int kCaption = 18;
    static constexpr int kMenuBar = 20;
};

// What a dialog script can do while a modal dialog is open.
class DialogDriver {
  public:
    virtual ~DialogDriver() = default;
    virtual HWND dialog() const = 0;
    virtual std::string title() const = 0;
    // The current text of a control.
    virtual std::string text(int controlId) const = 0;
    // Replaces a field's text as a user would type it; sends EN_CHANGE (and
    // the repaint that follows an invalidation).
    virtual void type(int controlId, const std::string& text) = 0;
    // Clicks a push button (sends WM_COMMAND with BN_CLICKED and its id).
    virtual void click(int controlId) = 0;
    // Presses Enter: WM_COMMAND with the default push button's id (IDOK
    // when the template marks none).
    virtual void pressEnter() = 0;
    // The id of the control that has the focus, 0 when none has.
    virtual int focusedControl() const = 0;
    // The dialog's client image as last painted (24-bit, rows from the top).
    virtual ImageView image() const = 0;
    virtual bool ended() const = 0;
};

using DialogScript = std::function<void(DialogDriver&)>;

struct RecordedMessageBox {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

class HeadlessBackend final : public Backend {
  public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    // --- Backend ---------------------------------------------------------
    PixelRect clientRectFor(const TopLevelWindowView& window) override;
    bool createWindow(const TopLevelWindowView& window) override;
    void showWindow(WindowId window, bool visible) override;
    void destroyWindow(WindowId window) override;
    void menuChanged(WindowId window, const std::vector<MenuPopupView>& menu) override;
    void windowPresented(WindowId window, const ImageView& image, const PixelRect& dirty) override;
    void captureChanged(WindowId window) override;
    void pollEvents() override;
    void runModalDialog(const DialogView& dialog) override;
    void dialogPainted(WindowId dialog, const ImageView& image) override;
    void messageBox(WindowId owner, const std::string& text, const std::string& caption,
                    std::uint32_t type) override;
    void titleChanged(WindowId window, const std::string& title) override;
    std::optional<std::string> openFile(const OpenFileView& request) override;
    std::optional<std::string> saveFile(const SaveFileView& request) override;

    // --- Test and runner controls -----------------------------------------

    // Queues a script for the next modal dialog that opens. With no script
    // queued a dialog is confirmed with Enter at once. A dialog that is
    // still open when its script returns gets Enter; if even that does not
    // end it, the backend ends it (result 0) so a run never hangs, and
    // counts it in abandonedDialogs().
    void queueDialogScript(DialogScript script);
    int abandonedDialogs() const { return abandoned_; }
    // Titles of the dialogs opened so far, in order: the latest of them, at
    // most kRecordsKept (and at least half that once so many were opened),
    // so a long run's memory stays flat.
    const std::vector<std::string>& dialogsOpened() const { return dialogTitles_; }
    // How many dialogs were opened in all.
    long long dialogCount() const { return dialogCount_; }
    static constexpr std::size_t kRecordsKept = 256;
    // How often a dialog's picture changed (dialogPainted calls).
    int dialogPaints() const { return dialogPaints_; }

    // Called at the start of every pollEvents (that is, every PeekMessageA):
    // lets a runner or test inject input between frames.
    void setPollHook(std::function<void()> hook) { pollHook_ = std::move(hook); }

    // The user resizes the window so that its client area becomes
    // width x height: WM_SIZE is sent at once, as the platform does.
    void resizeClient(HWND window, int width, int height);

    // What the window shows: its client area as the last BitBlt to it left
    // it (client size then, 24-bit, rows from the top). Empty before the
    // first present. Still readable after the window is destroyed.
    ImageView screen(HWND window) const;
    int presentCount(HWND window) const;
    bool visible(HWND window) const;

    // The message boxes shown, in order; the latest, kept as the titles are.
    const std::vector<RecordedMessageBox>& messageBoxes() const { return boxes_; }
    HWND capture() const { return capture_; }
    const std::vector<MenuPopupView>* menuBar(HWND window) const;
    // The window's title as it now stands.
    std::string title(HWND window) const;

    // The answers of the next open-file dialogs, in order: a path, or
    // nothing for Cancel. A dialog with no answer queued is cancelled.
    void queueOpenFileAnswer(std::optional<std::string> path);
    // The open-file dialogs shown, in order; the latest, kept as the titles
    // are.
    const std::vector<OpenFileView>& openFileRequests() const { return openFileRequests_; }
    // The same for the save-file dialogs: the paths the user names (taken
    // as confirmed where the file exists), or nothing for Cancel.
    void queueSaveFileAnswer(std::optional<std::string> path);
    const std::vector<SaveFileView>& saveFileRequests() const { return saveFileRequests_; }
    // The user turns the mouse wheel by `delta` with the pointer at client
    // (x, y) and `keys` held (see platform::input::wheelTurned).
    void turnWheel(HWND window, int x, int y, int delta, unsigned keys);
    // The user drops files on the window (see platform::input::filesDropped).
    void dropFiles(HWND window, const std::vector<std::string>& paths);

  private:
    struct WindowState {
        std::vector<std::uint8_t> screen; // client area, rows from the top, BGR
        int width = 0;
        int height = 0;
        int presents = 0;
        bool visible = false;
        bool destroyed = false;
        std::vector<MenuPopupView> menu;
        std::string title;
    };
    std::map<WindowId, WindowState> windows_;
    std::deque<DialogScript> scripts_;
    std::vector<std::string> dialogTitles_;
    std::vector<RecordedMessageBox> boxes_;
    std::deque<std::optional<std::string>> openFileAnswers_;
    std::vector<OpenFileView> openFileRequests_;
    std::deque<std::optional<std::string>> saveFileAnswers_;
    std::vector<SaveFileView> saveFileRequests_;
    std::function<void()> pollHook_;
    HWND capture_ = nullptr;
    long long dialogCount_ = 0;
    int abandoned_ = 0;
    int dialogPaints_ = 0;
    bool inPollHook_ = false;
};

// What the layer still holds: windows, menus, drawing contexts, and the
// bitmaps and brushes that are not stock objects (nor the dialogs' face
// brush, made once and kept). A program that has ended and given back
// everything leaves them all at 0.
struct LiveObjects {
    std::size_t windows = 0;
    std::size_t menus = 0;
    std::size_t contexts = 0;
    std::size_t bitmaps = 0;
    std::size_t brushes = 0;
    std::size_t drops = 0; // dropped-file lists not given back (DragFinish)
    bool none() const { return windows + menus + contexts + bitmaps + brushes + drops == 0; }
};
LiveObjects liveObjects();

} // namespace platform
