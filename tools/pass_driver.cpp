#include "tools/pass_driver.h"

#include "app/app_state.h"

namespace headless {

PassDriver::PassDriver(const RunnerOptions& options, const std::vector<ScriptEvent>& events,
                       platform::HeadlessBackend& backend)
    : options_(options), backend_(backend), input_(events, backend),
      capture_(backend, !options.pngPath.empty()), numbered_(options.pngPath) {}

void PassDriver::atPassStart() {
    const int pass = passes_++;
    const HWND window = appState.window;
    if (capture_.look(window) && pass > 0) {
        numbered_.save(capture_.lastFrame()); // the frame of the pass before
    }
    if (closed_) {
        return;
    }
    if (pass == 0) {
        timer_.start();
        if (options_.threads > 0 && appState.device != nullptr) {
            appState.device->setRenderThreads(options_.threads);
        }
        if (options_.clientWidth > 0) {
            backend_.resizeClient(window, options_.clientWidth, options_.clientHeight);
            capture_.look(window);
        }
    }
    if (pass == options_.frames) {
        // N passes are done: input still waiting is dropped (the run is
        // bounded by passes, not by the backlog) and the close box is
        // pressed.
        timer_.stop(options_.frames);
        closed_ = true;
        input_.dropWaiting(window);
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
    }
    input_.deliverDue(window, pass);
}

} // namespace headless
