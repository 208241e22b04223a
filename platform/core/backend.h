// The seam between the platform layer's core (windows, messages, menus,
// dialogs, GDI, all in platform/core/*.cpp and identical everywhere) and what
// differs between a headless run and a real screen.
//
// This header deliberately does not include platform/core/win32.h: a desktop
// backend includes toolkit and X11 headers, whose macros (BOOL, Status,
// None, ...) collide with the platform's names. Everything that crosses the
// seam uses the plain types below; the core translates them to and from
// handles and messages.
//
// Direction of calls:
//  - core -> backend: the virtual functions of Backend (create and show a
//    native window, show a presented frame, update the menu bar, run a
//    modal dialog, show a message box, poll pending events, retitle a
//    window, ask for a file to open or a name to save under);
//  - backend -> core: the functions in namespace platform::input, which
//    turn native events into the platform's messages (posted to the queue,
//    or sent at once where the platform sends them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A window as the backend sees it; equals the window's handle value.
using WindowId = std::uintptr_t;

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// A 24-bit image, rows from the top, bytes in the order blue, green, red,
// rows `stride` bytes apart.
struct ImageView {
    int width = 0;
    int height = 0;
    int stride = 0;
    const std::uint8_t* bgr = nullptr;
};

struct MenuItemView {
    std::string text; // with '&' before the mnemonic letter
    unsigned id = 0;
    bool separator = false;
    bool checked = false;
    bool grayed = false; // shown dimmed; choosing it does nothing
};

struct MenuPopupView {
    std::string text;
    std::vector<MenuItemView> items;
};

struct TopLevelWindowView {
    WindowId id = 0;
    std::string title;
    PixelRect outer;                 // outer rectangle as asked for
    std::vector<MenuPopupView> menu; // empty: no menu bar
    ImageView icon;                  // 32 x 32, may be empty
};

// A dialog control, laid out in client pixels of its dialog.
struct ControlView {
    int id = -1;
    std::string className; // "EDIT", "STATIC", "BUTTON"
    std::string text;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    PixelRect rect;
    ImageView icon; // for an SS_ICON static
};

struct DialogView {
    WindowId id = 0;
    WindowId owner = 0;
    std::string title;
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlView> controls; // template (= tab) order
    int focusIndex = -1;               // the control with the focus at opening; -1: none
};

// A filter of the open-file dialog: "3D models" with "*.obj", "*.ply", ...
struct FileFilterView {
    std::string description;
    std::vector<std::string> patterns;
};

struct OpenFileView {
    WindowId owner = 0; // 0: none
    std::string title;  // empty: the backend's own
    std::vector<FileFilterView> filters;
    std::size_t filterIndex = 0; // the filter chosen at first (0-based)
    std::string initialDir;      // empty: the backend's choice
};

// The save-file dialog: the open-file dialog's fields, the name it
// suggests at first, and whether it asks before naming a file that exists.
struct SaveFileView : OpenFileView {
    std::string suggestedName; // a bare file name, or empty
    bool overwritePrompt = false;
};

class Backend {
  public:
    virtual ~Backend() = default;

    // The client size a top-level window of this outer size gets (frame,
    // caption and menu bar taken off). Used before the window exists.
    virtual PixelRect clientRectFor(const TopLevelWindowView& window) = 0;

    // Creates the native window; false when it cannot (for instance, no
    // display), and then CreateWindowExA fails.
    virtual bool createWindow(const TopLevelWindowView& window) = 0;
    virtual void showWindow(WindowId window, bool visible) = 0;
    virtual void destroyWindow(WindowId window) = 0;

    // The menu's check marks or greyed items changed; `menu` is the whole
    // bar as it is now.
    virtual void menuChanged(WindowId window, const std::vector<MenuPopupView>& menu) = 0;

    // A BitBlt reached the window: `image` is the window's whole client
    // area as it now stands, `dirty` the part that changed.
    virtual void windowPresented(WindowId window, const ImageView& image,
                                 const PixelRect& dirty) = 0;

    // Mouse capture taken (window != 0) or released (window == 0).
    virtual void captureChanged(WindowId window) = 0;

    // Handles pending native events without ever waiting, reporting them
    // through platform::input.
    virtual void pollEvents() = 0;

    // Runs a modal loop for a dialog the core has created (WM_INITDIALOG
    // already sent) until platform::input::dialogEnded(dialog) is true.
    // Meanwhile the owner takes no input. User actions are reported through
    // platform::input (editChanged, buttonPressed, dialogKey).
    virtual void runModalDialog(const DialogView& dialog) = 0;

    // The dialog's client image changed (a WM_PAINT filled something).
    virtual void dialogPainted(WindowId dialog, const ImageView& image) = 0;

    // Shows a modal message box with an OK button; returns when dismissed.
    // `type` holds MessageBoxA's MB_* flags as the program passed them.
    virtual void messageBox(WindowId owner, const std::string& text, const std::string& caption,
                            std::uint32_t type) = 0;

    // A top-level window's title changed (SetWindowTextA).
    virtual void titleChanged(WindowId window, const std::string& title) {
        (void)window;
        (void)title;
    }

    // Runs the open-file dialog, modal over its owner (the core has
    // disabled the owner); returns the path chosen, in the platform's
    // narrow encoding, or nothing when the user cancelled. A backend
    // without a dialog answers nothing.
    virtual std::optional<std::string> openFile(const OpenFileView& request) {
        (void)request;
        return std::nullopt;
    }

    // Runs the save-file dialog the same way: the path the user named (with
    // overwritePrompt, confirmed when the file exists), or nothing when the
    // user cancelled. A backend whose files go elsewhere (the web page's, as
    // downloads) answers a path of its own that the program then writes.
    virtual std::optional<std::string> saveFile(const SaveFileView& request) {
        (void)request;
        return std::nullopt;
    }
};

// Installs the backend the layer uses from now on (not owned; must outlive
// its use). Without one, window creation fails.
void setBackend(Backend* backend);
Backend* backend();

// Native events reported by a backend. Coordinates are client pixels.
namespace input {

// The mouse buttons and the keys held during a mouse event, as bits: the
// values of the platform's MK_ flags, which the mouse messages carry.
inline constexpr unsigned kLeftButton = 0x01;
inline constexpr unsigned kRightButton = 0x02;
inline constexpr unsigned kShiftKey = 0x04;
inline constexpr unsigned kControlKey = 0x08;
inline constexpr unsigned kMiddleButton = 0x10;
enum class MouseButton { Left, Middle, Right };

// With `controlHeld`, TranslateMessage makes a letter's control character
// (Ctrl+A is 1, ..., Ctrl+Z is 26), as the platform does.
void keyDown(WindowId window, unsigned virtualKey, bool altHeld, bool repeat,
             bool controlHeld = false);
void mouseMove(WindowId window, int x, int y, bool leftButtonHeld);
void leftButtonDown(WindowId window, int x, int y);
void leftButtonUp(WindowId window, int x, int y);
// The same for any button, with `keys` (the bits above) held as well; a press
// adds its own button's bit, a release takes it away.
void mouseMoveHolding(WindowId window, int x, int y, unsigned keys);
void buttonDown(WindowId window, MouseButton button, int x, int y, unsigned keys);
void buttonUp(WindowId window, MouseButton button, int x, int y, unsigned keys);
// The wheel turned by `delta` (120 a notch, positive away from the user,
// held to a 16-bit value) with the pointer at client (x, y).
void wheelTurned(WindowId window, int x, int y, int delta, unsigned keys);
void menuCommand(WindowId window, unsigned commandId);
// The close box: posts WM_CLOSE.
void closeRequested(WindowId window);
// The user resized the window: the new client size; sends WM_SIZE at once.
void clientResized(WindowId window, int width, int height);
// A window needs repainting: sends WM_PAINT.
void paintRequested(WindowId window);

// Files were dropped on a window: posts WM_DROPFILES when the window takes
// them (DragAcceptFiles) and input; paths in the platform's narrow encoding.
void filesDropped(WindowId window, const std::vector<std::string>& paths);
// Whether a drop on the window would reach it (for the pointer's look while
// dragging over it).
bool acceptsDroppedFiles(WindowId window);

// Inside a modal dialog.
void editChanged(WindowId dialog, int controlId, const std::string& text); // sends EN_CHANGE
void buttonPressed(WindowId dialog, int controlId);                        // sends BN_CLICKED
void enterPressed(WindowId dialog);                                        // the default button
bool dialogEnded(WindowId dialog);
// The dialog's client image (for painting the window under the controls).
ImageView dialogImage(WindowId dialog);

} // namespace input

} // namespace platform
