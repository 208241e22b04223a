// How the shell loads a model file: at once, or in the background while
// the frame loop goes on drawing what was shown (the demo or the last
// model).
//
// In the background the window's title tells the progress, "Loading NAME
// … 43 % - Windows Application" (NAME the file's name, the percentage of
// its bytes consumed); the frame and its overlay stay as they are. Esc and
// File > Cancel Loading give the load up: the title and the picture stay
// what was shown. Opening another file while one loads gives the first up
// the same way. A load that fails is told in the message box that a
// foreground load shows; one that succeeds is installed (installLoadedModel,
// app/model_scene.h) by the frame loop, never while a modal dialog runs.
// Shut-down gives every load up and waits for their threads.
#pragma once

#include "app/background_load.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class ModelLoadMode {
    Now,    // openModel returns with the model shown (the headless runner, tests)
    Thread, // a loading thread; the frame loop installs the model
    Steps,  // one step of the load a frame-loop pass, on the frame loop's thread
};

// The mode of a program in a window: Thread where the build has threads,
// Steps where it has none (the web page).
ModelLoadMode windowLoadMode();

// The bytes of a file named by `path` when the program holds them in
// memory (the web page's picked and dropped files); nothing: the path is
// read from the disk.
using ModelFileSource = std::function<std::optional<ModelBytes>(const std::string& path)>;

// The shell's loading state, a part of appState.
struct ModelLoading {
    ModelLoadMode mode = ModelLoadMode::Now;
    ModelFileSource fileSource;
    // The base of every load's options (its memory limit, chunk size and
    // any progress callback of the caller's; tests slow a load with them).
    model::LoadOptions options;
    // The load whose progress the title shows, if any.
    std::unique_ptr<BackgroundLoad> pending;
    // Loads given up whose threads have not yet seen it; each is joined
    // once it has ended, and all of them at shut-down.
    std::vector<std::unique_ptr<BackgroundLoad>> givenUp;
    // A model read before the program started, with the path it came
    // from: the first load of that path takes it rather than reading the
    // file again (the headless runner reads its model first, so that a bad
    // file stops the run before it starts).
    std::optional<std::pair<std::string, model::LoadedModel>> readAhead;
    // The percentage the title shows, -1 before the first.
    int shownPercent = -1;
};

// Loads the model at `path` on the frame loop's thread (the device's
// worker threads parse it) and returns the result: ModelLoadMode::Now. A
// model read ahead for that path is taken as it is.
model::LoadResult loadModelNow(const std::string& path);

// Starts loading the model at `path` in the background (ModelLoadMode
// Thread or Steps), giving up a load in progress.
void startModelLoad(const std::string& path);

// Once a frame-loop pass, before the frame: a Steps load takes a step; the
// title follows the progress; an ended load is installed, or its failure
// told. Loads given up are joined once they have ended.
void pollModelLoad();

// True while a model loads in the background.
bool modelLoadPending();

// Esc and File > Cancel Loading: gives up the load in progress; false when
// there was none.
bool cancelModelLoad();

// Shut-down: gives up every load and waits for their threads.
void endModelLoads();
