// The shell's process-wide state: one record, shared by WinMain's frame
// loop, the window procedure and the dialog procedures, all on one thread.
#pragma once

#include "app/model_loading.h"
#include "device/render_device.h"
#include "geometry/mesh.h"
#include "math/vector_math.h"
#include "model/load_model.h"
#include "platform/core/win32.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

struct AppState {
    HWND window = nullptr;
    // From the end of scene set-up until the frame loop ends; the size and
    // mouse handlers do nothing while it is false.
    bool running = false;
    bool dragging = false;
    // Client coordinates of the press that started the drag.
    std::int32_t pressX = 0;
    std::int32_t pressY = 0;
    // The look-at camera; zero vectors until the scene is set up.
    Vec3 eye;
    Vec3 target;
    Vec3 up;
    Matrix4 modelRotation;
    // The drag in progress, relative to the press point.
    Matrix4 dragRotation;
    // The pan in progress: the key-state bit of the button that holds it
    // (MK_MBUTTON or MK_RBUTTON; 0 while there is none) and the client
    // point the pointer was last seen at.
    unsigned panButton = 0;
    std::int32_t panX = 0;
    std::int32_t panY = 0;
    // Owned from setupScene to shutdown. The device borrows the lights and
    // the material, so it must be released before they are freed.
    std::unique_ptr<RenderDevice> device;
    std::unique_ptr<Mesh> polyhedron;
    std::unique_ptr<Material> material;
    std::unique_ptr<Light> ambientLight;
    std::unique_ptr<Light> directionalLight;
    // The model opened from a file, shown instead of the polyhedron while
    // it has meshes (app/model_scene.h), and the path it came from.
    model::LoadedModel model;
    std::string modelPath;
    // How models load, and the loads under way (app/model_loading.h).
    ModelLoading loading;
    // Where Save Image puts a picture's PNG bytes (app/save_image.h): null
    // writes the file at the path; a program without files (the page) hands
    // them on. True when they are taken; false with "PATH: reason".
    std::function<bool(const std::string& path, std::span<const std::uint8_t> png,
                       std::string& error)>
        pictureSink;
};

extern AppState appState;

// Returns appState to its process-start values, releasing whatever it still
// owns (device first). For tests that run WinMain more than once.
void resetAppState();
