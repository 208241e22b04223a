#include "app/menu_commands.h"

#include "app/app_state.h"
#include "app/camera_framing.h"
#include "app/model_colors_item.h"
#include "app/model_loading.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "app/save_image.h"

#include <cstdio>
#include <cstdlib>

namespace {

// 1/255 in single precision: a byte value times this is the colour
// component, and trunc(component * 255.0) gives the byte back for every
// value 0..255.
constexpr float kByteToUnit = 0.003921569f;

// The preview rectangle in the colour dialog's client pixels (right and
// bottom exclusive).
constexpr RECT kPreviewRect{20, 70, 170, 100};

HINSTANCE mainInstance() {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(appState.window, GWLP_HINSTANCE));
}

// The colour the open colour dialog edits: its address is the owner's user
// data while the dialog runs.
Color3* editedColor(HWND dialog) {
    return reinterpret_cast<Color3*>(GetWindowLongPtrA(GetParent(dialog), GWLP_USERDATA));
}

void showComponent(HWND dialog, int controlId, float component) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(component * 255.0));
    SetWindowTextA(GetDlgItem(dialog, controlId), text);
}

// Position of a fill style in the Render pop-up: Flat 1, Gouraud 2, any
// other value 0 (Wireframe's position).
UINT renderModeMenuPosition(std::uint32_t mode) {
    switch (mode) {
    case RenderMode::Flat:
        return 1;
    case RenderMode::Gouraud:
        return 2;
    default:
        return 0;
    }
}

} // namespace

void handleMenuCommand(UINT commandId) {
    switch (commandId) {
    case IDM_ABOUT:
        DialogBoxParamA(mainInstance(), MAKEINTRESOURCEA(IDD_ORVANDEABOUT), appState.window,
                        aboutDialogProc, 0);
        break;
    case IDM_EXIT:
        SendMessageA(appState.window, WM_DESTROY, 0, 0);
        break;
    case IDM_FLAT:
    case IDM_GOURAUD:
    case IDM_WIREFRAME:
        if (appState.device != nullptr) {
            const std::uint32_t mode = commandId == IDM_FLAT      ? RenderMode::Flat
                                       : commandId == IDM_GOURAUD ? RenderMode::Gouraud
                                                                  : RenderMode::Wireframe;
            selectRenderMode(*appState.device, mode);
        }
        break;
    case IDM_OPEN:
        openModelFromDialog();
        break;
    case IDM_CANCEL_LOADING:
        cancelModelLoad();
        break;
    case IDM_RESET:
        // The start orientation; a model also gets its framed camera back,
        // while the demo's camera stays where the keys put it. The colours
        // and the fill style stay; so does a drag in progress.
        identity(appState.modelRotation);
        identity(appState.dragRotation);
        if (!appState.model.meshes.empty()) {
            frameCamera(kStartViewSide);
        }
        break;
    case IDM_SAVE_IMAGE:
        saveImageFromDialog();
        break;
    case IDM_FIT:
        fitCamera();
        break;
    case IDM_MODEL_COLORS:
        toggleModelColors();
        break;
    case IDM_DIFFUSE_COLOR:
        if (appState.material != nullptr && appState.device != nullptr) {
            appState.material->diffuse = runColorDialog(appState.material->diffuse);
            appState.device->setMaterial(appState.material.get());
        }
        break;
    case IDM_AMBIENT_COLOR:
        if (appState.ambientLight != nullptr && appState.device != nullptr) {
            appState.ambientLight->color = runColorDialog(appState.ambientLight->color);
            appState.device->setLight(LightKind::Ambient, appState.ambientLight.get());
        }
        break;
    default:
        break;
    }
}

void selectRenderMode(RenderDevice& device, std::uint32_t mode) {
    HMENU renderMenu = GetSubMenu(GetMenu(appState.window), 1);
    // Unchecking first leaves exactly one mark, also when mode is unchanged.
    CheckMenuItem(renderMenu, renderModeMenuPosition(device.renderMode),
                  MF_BYPOSITION | MF_UNCHECKED);
    CheckMenuItem(renderMenu, renderModeMenuPosition(mode), MF_BYPOSITION | MF_CHECKED);
    device.renderMode = mode;
}

Color3 runColorDialog(Color3 color) {
    Color3 edited = color;
    // The user data holds an address: it takes the pointer-sized slot.
    SetWindowLongPtrA(appState.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&edited));
    DialogBoxParamA(mainInstance(), MAKEINTRESOURCEA(IDD_COLORDLG), appState.window,
                    colorDialogProc, 0);
    // The local colour dies with this call; leave no address behind.
    SetWindowLongPtrA(appState.window, GWLP_USERDATA, 0);
    return edited;
}

int readColorField(HWND dialog, int controlId) {
    char text[4] = {};
    GetDlgItemTextA(dialog, controlId, text, sizeof text);
    const int value = std::atoi(text);
    if (value <= 0) {
        return 0;
    }
    if (value >= 255) {
        return 255;
    }
    return value;
}

INT_PTR CALLBACK colorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG: {
        if (const Color3* color = editedColor(dialog)) {
            showComponent(dialog, IDC_RED, color->r);
            showComponent(dialog, IDC_GREEN, color->g);
            showComponent(dialog, IDC_BLUE, color->b);
        }
        // The dialog manager gives the focus to the first tab stop.
        return TRUE;
    }
    case WM_COMMAND:
        if (wParam == IDOK) {
            if (Color3* color = editedColor(dialog)) {
                color->r = static_cast<float>(readColorField(dialog, IDC_RED) * kByteToUnit);
                color->g = static_cast<float>(readColorField(dialog, IDC_GREEN) * kByteToUnit);
                color->b = static_cast<float>(readColorField(dialog, IDC_BLUE) * kByteToUnit);
            }
            EndDialog(dialog, 1);
        }
        if (HIWORD(wParam) == EN_CHANGE) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE);
        }
        return FALSE;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(dialog, &paint);
        const int red = readColorField(dialog, IDC_RED);
        const int green = readColorField(dialog, IDC_GREEN);
        const int blue = readColorField(dialog, IDC_BLUE);
        HBRUSH brush = CreateSolidBrush(RGB(red, green, blue));
        FillRect(dc, &kPreviewRect, brush);
        DeleteObject(brush);
        EndPaint(dialog, &paint);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        // OK is the default button, so Enter arrives as IDOK too. Cancel
        // (Escape, the close box) is deliberately ignored.
        if (wParam == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
