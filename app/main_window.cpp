#include "app/main_window.h"

#include "app/app_state.h"
#include "app/camera_framing.h"
#include "app/camera_input.h"
#include "app/demo_scene.h"
#include "app/menu_commands.h"
#include "app/model_colors_item.h"
#include "app/model_loading.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "app/save_image.h"
#include "app/shown_frame.h"
#include "app/winmain_command_line.h"
#include "scene/demo_view.h"

#include <new>
#include <string>

namespace {

constexpr char kOutOfMemoryText[] = "Not enough memory to run the program";

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, ORVANDE_ICON);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = ORVANDEMENU;
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassA(&windowClass) != 0;
}

// Start-up, the model the command line names (if any), the frame loop and
// shut-down. Allocation failures surface here as std::bad_alloc.
int runProgram(HINSTANCE instance, int showCommand, const std::string& modelPath) {
#if defined(_WIN32)
    // On the platform itself WinMain is the program in its window.
    appState.loading.mode = windowLoadMode();
#endif
    if (!startProgram(instance, showCommand)) {
        shutdown();
        return 0;
    }
    // A model that cannot be opened has been reported; the polyhedron
    // stays.
    if (!modelPath.empty()) {
        openModel(modelPath);
    }
    appState.running = true;
    MSG message{};
    while (runFramePass(message)) {
    }
    appState.running = false;
    shutdown();
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR commandLine,
                   int showCommand) {
    try {
        return runProgram(instance, showCommand, firstArgument(commandLine));
    } catch (const std::bad_alloc&) {
        // The heap could not supply a scene object or a frame's working
        // memory: tell the user, give back what was built, end normally.
        appState.running = false;
        appState.dragging = false;
        shutdown();
        try {
            MessageBoxA(nullptr, kOutOfMemoryText, kMessageCaption, MB_OK);
        } catch (const std::bad_alloc&) {
            // Not even the message box could be shown; exit quietly.
        }
        return 0;
    }
}

bool startProgram(HINSTANCE instance, int showCommand) {
    if (!registerMainWindowClass(instance)) {
        return false;
    }
    appState.window =
        CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, kWindowWidth,
                        kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (appState.window == nullptr) {
        return false;
    }
    ShowWindow(appState.window, showCommand);
    UpdateWindow(appState.window);
    // A device that cannot be bound has shown its message box.
    if (!setupScene()) {
        return false;
    }
    // The program starts in Flat fill, its menu item checked.
    selectRenderMode(*appState.device, RenderMode::Flat);
    // The demo has no colours of its own: Model Colors starts greyed.
    showModelColorsItem(false);
    // Model files dropped on the window open (WM_DROPFILES).
    DragAcceptFiles(appState.window, TRUE);
    return true;
}

bool runFramePass(MSG& message) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    pollModelLoad();
    updateModelRotation();
    renderFrame();
    return true;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        // Sizes sent while the window is being created and shown arrive
        // before the device exists.
        if (appState.running && appState.device != nullptr) {
            if (!appState.device->resize()) {
                return 0;
            }
            fitModelProjection();
        }
        break;
    case WM_PAINT: {
        // The picture comes from the frame loop; only answer the request.
        // The window's picture may have been painted over (erased, or
        // uncovered), so the next frame is copied to it whole.
        PAINTSTRUCT paint{};
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        if (appState.device != nullptr) {
            appState.device->resendWholeFrame();
        }
        break;
    }
    case WM_KEYDOWN:
        // F fits the camera; Esc gives up a model's load (when none is
        // loading, it is handed on, and no camera key takes it).
        if (wParam == 'F') {
            fitCamera();
        } else if (wParam != VK_ESCAPE || !cancelModelLoad()) {
            handleCameraKey(wParam);
        }
        break;
    case WM_CHAR:
        // Ctrl+O and Ctrl+S, as TranslateMessage makes them: the frame loop
        // translates keys but no accelerators, and Alt-keys belong to the
        // menu bar.
        if (wParam == kControlO) {
            openModelFromDialog();
        } else if (wParam == kControlS) {
            saveImageFromDialog();
        }
        break;
    case WM_DROPFILES:
        openDroppedModel(reinterpret_cast<HDROP>(wParam));
        break;
    case WM_COMMAND:
        handleMenuCommand(LOWORD(wParam));
        break;
    case WM_MOUSEMOVE:
        handleMouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        handlePanMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONDOWN:
        handleLeftButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONUP:
        handleLeftButtonUp();
        break;
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        handlePanButtonDown(message == WM_MBUTTONDOWN ? MK_MBUTTON : MK_RBUTTON,
                            GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
        handlePanButtonUp(message == WM_MBUTTONUP ? MK_MBUTTON : MK_RBUTTON);
        break;
    case WM_MOUSEWHEEL:
        handleMouseWheel(wParam);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void updateModelRotation() {
    if (appState.device == nullptr) {
        return;
    }
    if (appState.dragging) {
        Matrix4 world;
        multiply(world, appState.modelRotation, appState.dragRotation);
        appState.device->setWorldMatrix(world);
        return;
    }
    demo::spinStep(appState.modelRotation);
    appState.device->setWorldMatrix(appState.modelRotation);
}

void renderFrame() {
    if (drawShownMeshes()) {
        appState.device->present();
    }
}

void shutdown() {
    // A loading thread holds nothing of the scene, but it ends before the
    // process does.
    endModelLoads();
    // The device borrows the lights and the material: release it first.
    if (appState.device != nullptr) {
        appState.device->release();
        appState.device.reset();
    }
    appState.directionalLight.reset();
    appState.ambientLight.reset();
    appState.material.reset();
    appState.polyhedron.reset();
    appState.model = model::LoadedModel{};
    appState.modelPath.clear();
}
