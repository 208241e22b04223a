// Modal dialogs built from templates, their controls, and the dialog input
// the backend reports.
//
// Dialog units become pixels with the metrics of a classic 8-point dialog
// font: an average character 6 pixels wide and 13 pixels high. A dialog
// unit is a quarter of the average width and an eighth of the height, so
//   x pixels = dlu * 6 / 4,   y pixels = dlu * 13 / 8,
// each rounded to the nearest pixel (halves away from zero).
#include "platform/core/state.h"

#include <algorithm>
#include <cstring>

using namespace platform;
using namespace platform::core;

namespace {

// The light grey behind a dialog's controls.
constexpr COLORREF kDialogFace = RGB(240, 240, 240);

int roundDiv(long long value, long long divisor) {
    long long half = divisor / 2;
    return static_cast<int>(value >= 0 ? (value + half) / divisor : -((-value + half) / divisor));
}

int dluToPixelsX(int dlu) {
    return roundDiv(static_cast<long long>(dlu) * 6, 4);
}
int dluToPixelsY(int dlu) {
    return roundDiv(static_cast<long long>(dlu) * 13, 8);
}

HBRUSH dialogBrush() {
    State& s = state();
    if (s.dialogBrush == 0) {
        s.dialogBrush = handleOf(CreateSolidBrush(kDialogFace));
    }
    return asHandle<HBRUSH>(s.dialogBrush);
}

Window* findDialog(Handle handle) {
    Window* w = findWindow(handle);
    return w != nullptr && w->isDialog ? w : nullptr;
}

// An open dialog that can take input.
Window* liveDialog(platform::WindowId dialog) {
    Window* w = findDialog(dialog);
    return w != nullptr && !w->dialogEnded && !w->destroying ? w : nullptr;
}

Window* findControl(Window& dialog, int id) {
    for (Handle child : dialog.children) {
        Window* c = findWindow(child);
        if (c != nullptr && c->controlId == id) {
            return c;
        }
    }
    return nullptr;
}

bool isIconStatic(DWORD style) {
    return (style & 0x1f) == SS_ICON;
}

void sendCommand(Handle dialog, int id, WORD code, Handle control) {
    SendMessageA(asHandle<HWND>(dialog), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
                 static_cast<LPARAM>(control));
}

} // namespace

namespace platform::core {

LRESULT dialogWindowProc(Handle dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findDialog(dialog);
    if (w == nullptr) {
        return 0;
    }
    HWND hwnd = asHandle<HWND>(dialog);
    INT_PTR handled = w->dialogProc(hwnd, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        return handled;
    }
    if (handled != FALSE) {
        return TRUE;
    }
    // The dialog manager's own handling of what the procedure left alone.
    switch (message) {
    case WM_CLOSE:
        // The close box asks for Cancel; a procedure that ignores IDCANCEL
        // keeps its dialog open.
        sendCommand(dialog, IDCANCEL, BN_CLICKED, 0);
        return 0;
    case WM_ERASEBKGND: {
        Window* again = findDialog(dialog);
        if (again == nullptr) {
            return 0;
        }
        RECT all{0, 0, again->clientWidth, again->clientHeight};
        FillRect(reinterpret_cast<HDC>(wParam), &all, dialogBrush());
        return 1;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace platform::core

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                        LPARAM initParam) {
    platform::Backend* backend = platform::backend();
    if (owner != nullptr && findWindow(owner) == nullptr) {
        return 0; // the owner is not a window
    }
    const ResourceModule* module = platform::moduleOf(instance);
    const DialogTemplateResource* tpl =
        module != nullptr ? module->findDialog(templateName) : nullptr;
    if (backend == nullptr || tpl == nullptr || dialogProc == nullptr) {
        return -1;
    }
    State& s = state();

    // 1. The dialog window, sized from the template.
    auto window = std::make_unique<Window>();
    Window& d = *window;
    d.handle = newHandle();
    d.className = "DIALOG";
    d.isDialog = true;
    d.dialogProc = dialogProc;
    d.instance = instance;
    d.owner = owner != nullptr ? handleOf(owner) : 0;
    d.style = tpl->style;
    d.exStyle = tpl->exStyle;
    d.text = tpl->title;
    d.background = dialogBrush();
    d.clientWidth = std::max(dluToPixelsX(tpl->width), 0);
    d.clientHeight = std::max(dluToPixelsY(tpl->height), 0);
    d.outer = RECT{dluToPixelsX(tpl->x), dluToPixelsY(tpl->y), dluToPixelsX(tpl->x) + d.clientWidth,
                   dluToPixelsY(tpl->y) + d.clientHeight};
    d.invalid = true;
    d.eraseNeeded = true;
    d.invalidRect = RECT{0, 0, d.clientWidth, d.clientHeight};
    Handle handle = d.handle;
    HWND hwnd = asHandle<HWND>(handle);
    s.windows[handle] = std::move(window);

    // 2. Its controls, in template order.
    platform::DialogView view;
    view.id = handle;
    view.owner = d.owner;
    view.title = tpl->title;
    view.clientWidth = d.clientWidth;
    view.clientHeight = d.clientHeight;
    std::vector<bool> iconControl;
    for (const DialogControlResource& c : tpl->controls) {
        int x = dluToPixelsX(c.x);
        int y = dluToPixelsY(c.y);
        int width = dluToPixelsX(c.width);
        int height = dluToPixelsY(c.height);
        HWND control = createWindow(
            c.exStyle, c.className.c_str(), c.text.c_str(), c.style | WS_CHILD, x, y, width, height,
            hwnd, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(c.id)), instance, nullptr);
        if (control == nullptr) {
            DestroyWindow(hwnd);
            return -1; // a control of an unknown class
        }
        platform::ControlView cv;
        cv.id = c.id;
        cv.className = upper(c.className);
        cv.style = c.style | WS_CHILD;
        cv.exStyle = c.exStyle;
        cv.rect = platform::PixelRect{x, y, x + width, y + height};
        iconControl.push_back(cv.className == "STATIC" && isIconStatic(c.style));
        if (iconControl.back()) {
            // The text names the icon to show.
            cv.icon = iconView(LoadIconA(instance, c.text.c_str()));
        } else {
            cv.text = c.text;
        }
        view.controls.push_back(std::move(cv));
    }

    // 3. WM_INITDIALOG; TRUE gives the focus to the first tab stop.
    Handle firstTabStop = 0;
    int firstTabIndex = -1;
    if (Window* dw = findWindow(handle)) {
        for (std::size_t i = 0; i < dw->children.size(); ++i) {
            Window* c = findWindow(dw->children[i]);
            if (c != nullptr && (c->style & WS_TABSTOP) != 0 && (c->style & WS_DISABLED) == 0) {
                firstTabStop = c->handle;
                firstTabIndex = static_cast<int>(i);
                break;
            }
        }
    }
    LRESULT init = SendMessageA(hwnd, WM_INITDIALOG, static_cast<WPARAM>(firstTabStop), initParam);
    Window* dw = findDialog(handle);
    if (dw != nullptr && init != FALSE && firstTabStop != 0) {
        dw->focus = firstTabStop;
        view.focusIndex = firstTabIndex;
    }
    // Texts set during WM_INITDIALOG are what the dialog opens with.
    if (dw != nullptr) {
        for (std::size_t i = 0; i < dw->children.size() && i < view.controls.size(); ++i) {
            Window* c = findWindow(dw->children[i]);
            if (c != nullptr && !iconControl[i]) {
                view.controls[i].text = c->text;
            }
        }
    }

    // 4. Shown and painted once, then the modal loop with the owner
    //    disabled, unless the procedure ended the dialog already.
    Handle ownerHandle = dw != nullptr ? dw->owner : 0;
    if (dw != nullptr && !dw->dialogEnded) {
        dw->visible = true;
        dw->style |= WS_VISIBLE;
        deliverPendingPaints();
        if (Window* o = findWindow(ownerHandle)) {
            ++o->disabled;
        }
        if (Window* again = findDialog(handle); again != nullptr && !again->dialogEnded) {
            backend->runModalDialog(view);
        }
        if (Window* o = findWindow(ownerHandle)) {
            --o->disabled;
        }
    }

    // 5. The result, then the dialog goes.
    INT_PTR result = 0;
    auto ended = s.dialogResults.find(handle);
    if (ended != s.dialogResults.end()) {
        result = ended->second;
        s.dialogResults.erase(ended);
    }
    DestroyWindow(hwnd);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Window* w = findDialog(handleOf(dialog));
    if (w == nullptr || w->destroying) {
        return FALSE;
    }
    if (!w->dialogEnded) {
        w->dialogEnded = true;
        w->dialogResult = result;
        w->visible = false;
        state().dialogResults[w->handle] = result;
    }
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* d = findWindow(dialog);
    if (d == nullptr) {
        return nullptr;
    }
    Window* c = findControl(*d, id);
    return c != nullptr ? asHandle<HWND>(c->handle) : nullptr;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        if (text != nullptr && maxCount > 0) {
            text[0] = '\0';
        }
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(control, text, maxCount));
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr ? SetWindowTextA(control, text) : FALSE;
}

// ---------------------------------------------------------------------------
// Dialog input from the backend. Each event is handled completely, then
// the paints it caused are delivered, as the platform does once its queue
// is idle again.

namespace platform::input {

void editChanged(WindowId dialog, int controlId, const std::string& text) {
    Window* d = liveDialog(dialog);
    Window* c = d != nullptr ? findControl(*d, controlId) : nullptr;
    if (c == nullptr || c->control != ControlClass::Edit) {
        return;
    }
    c->text = text;
    sendCommand(dialog, controlId, EN_CHANGE, c->handle);
    deliverPendingPaints();
}

void buttonPressed(WindowId dialog, int controlId) {
    Window* d = liveDialog(dialog);
    Window* c = d != nullptr ? findControl(*d, controlId) : nullptr;
    if (c == nullptr || c->control != ControlClass::Button || (c->style & WS_DISABLED) != 0) {
        return;
    }
    sendCommand(dialog, controlId, BN_CLICKED, c->handle);
    deliverPendingPaints();
}

void enterPressed(WindowId dialog) {
    Window* d = liveDialog(dialog);
    if (d == nullptr) {
        return;
    }
    // Enter means the default push button, or IDOK when none is marked.
    int id = IDOK;
    for (Handle child : d->children) {
        Window* c = findWindow(child);
        if (c != nullptr && c->control == ControlClass::Button &&
            (c->style & 0x0f) == BS_DEFPUSHBUTTON) {
            id = c->controlId;
            break;
        }
    }
    Window* button = findControl(*d, id);
    sendCommand(dialog, id, BN_CLICKED, button != nullptr ? button->handle : 0);
    deliverPendingPaints();
}

bool dialogEnded(WindowId dialog) {
    Window* d = findDialog(dialog);
    return d == nullptr || d->dialogEnded;
}

ImageView dialogImage(WindowId dialog) {
    if (findDialog(dialog) == nullptr) {
        return ImageView{};
    }
    Window* d = ensureSurface(dialog);
    return d != nullptr ? d->surface.view() : ImageView{};
}

} // namespace platform::input
