#include "app/model_loading.h"

#include "app/app_state.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "device/worker_pool.h"

#include <algorithm>
#include <utility>

namespace {

// Bytes a step of a Steps load parses, about: a few milliseconds of work,
// so that the page's frame loop keeps its pace while a model loads.
constexpr std::size_t kStepBytes = std::size_t{1} << 20;

// "Loading NAME … 43 % - Windows Application". The ellipsis is one
// character: UTF-8 where the platform's narrow texts are UTF-8; on the
// platform itself the title goes through the wide call, the name
// converted from the narrow code page the paths come in.
void showLoadingTitle(const std::string& path, int percent) {
    const std::string name = model::baseName(path);
    std::string tail(1, ' ');
    tail += std::to_string(percent);
    tail += " % - ";
    tail += kWindowTitle;
#if defined(_WIN32)
    std::wstring title = L"Loading ";
    const int length =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (length > 0) {
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                            length);
        title += wide;
    }
    title += L" \u2026";
    title.append(tail.begin(), tail.end());
    SetWindowTextW(appState.window, title.c_str());
#else
    std::string title = "Loading ";
    title += name;
    title += " \xE2\x80\xA6";
    title += tail;
    SetWindowTextA(appState.window, title.c_str());
#endif
}

void followProgress(const BackgroundLoad& load) {
    const int percent = load.percent();
    if (percent != appState.loading.shownPercent) {
        appState.loading.shownPercent = percent;
        showLoadingTitle(load.path(), percent);
    }
}

// Joins the loads given up whose threads have ended.
void reapGivenUp() {
    auto& givenUp = appState.loading.givenUp;
    givenUp.erase(
        std::remove_if(givenUp.begin(), givenUp.end(),
                       [](const std::unique_ptr<BackgroundLoad>& load) { return load->poll(); }),
        givenUp.end());
}

// The title for what is shown again, after a load that showed its
// progress there.
void endProgressTitle() {
    appState.loading.shownPercent = -1;
    SetWindowTextA(appState.window, shownTitle().c_str());
}

} // namespace

ModelLoadMode windowLoadMode() {
    return OCTASPIN_HAS_THREADS ? ModelLoadMode::Thread : ModelLoadMode::Steps;
}

model::LoadResult loadModelNow(const std::string& path) {
    if (auto& ahead = appState.loading.readAhead; ahead && ahead->first == path) {
        model::LoadResult result;
        result.model = std::move(ahead->second);
        ahead.reset();
        return result;
    }
    model::LoadOptions options = appState.loading.options;
    // Nothing draws while the frame loop waits for the load: the device's
    // threads are free to parse.
    if (options.pool == nullptr && appState.device != nullptr) {
        options.pool = appState.device->workers();
    }
    std::optional<ModelBytes> bytes;
    if (appState.loading.fileSource) {
        bytes = appState.loading.fileSource(path);
    }
    if (bytes && !bytes->failure.empty()) {
        model::LoadResult result;
        result.error = path + ": " + bytes->failure;
        return result;
    }
    if (bytes) {
        if (!options.readSibling) {
            options.readSibling = bytes->readSibling;
        }
        return model::loadModel(std::span<const std::uint8_t>(bytes->data.get(), bytes->size), path,
                                options);
    }
    return model::loadModelFile(path, options);
}

void startModelLoad(const std::string& path) {
    cancelModelLoad();
    ModelLoading& loading = appState.loading;
    std::optional<ModelBytes> bytes;
    if (loading.fileSource) {
        bytes = loading.fileSource(path);
    }
    model::LoadOptions options = loading.options;
    // The frame loop draws with the device's pool meanwhile: a thread load
    // starts a pool of its own, a stepped one parses alone.
    options.pool = nullptr;
    BackgroundLoad::Runner runner = BackgroundLoad::Runner::Thread;
    if (loading.mode == ModelLoadMode::Steps) {
        runner = BackgroundLoad::Runner::Steps;
        if (options.chunkBytes == 0) {
            options.chunkBytes = kStepBytes;
        }
    }
    loading.pending =
        std::make_unique<BackgroundLoad>(path, std::move(bytes), runner, std::move(options));
    followProgress(*loading.pending);
}

void pollModelLoad() {
    ModelLoading& loading = appState.loading;
    if (!loading.givenUp.empty()) {
        reapGivenUp();
    }
    if (!loading.pending) {
        return;
    }
    if (!loading.pending->poll()) {
        followProgress(*loading.pending);
        return;
    }
    const std::unique_ptr<BackgroundLoad> ended = std::move(loading.pending);
    model::LoadResult result = ended->result();
    endProgressTitle();
    if (result.ok()) {
        installLoadedModel(std::move(result.model), ended->path());
    } else if (!result.cancelled) {
        MessageBoxA(appState.window, result.error.c_str(), kMessageCaption, MB_OK | MB_ICONERROR);
    }
}

bool modelLoadPending() {
    return appState.loading.pending != nullptr;
}

bool cancelModelLoad() {
    ModelLoading& loading = appState.loading;
    if (!loading.pending) {
        return false;
    }
    loading.pending->cancel();
    loading.givenUp.push_back(std::move(loading.pending));
    endProgressTitle();
    reapGivenUp();
    return true;
}

void endModelLoads() {
    ModelLoading& loading = appState.loading;
    if (loading.pending) {
        loading.givenUp.push_back(std::move(loading.pending));
    }
    for (const auto& load : loading.givenUp) {
        load->cancel();
    }
    // Each destructor waits for its thread.
    loading.givenUp.clear();
    loading.shownPercent = -1;
}
