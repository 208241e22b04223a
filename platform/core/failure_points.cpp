// Failures on cue: the injector the layer's calls ask.
#include "platform/core/failure_points.h"

namespace platform {

namespace {
FailureInjector* gFailureInjector = nullptr;
} // namespace

void setFailureInjector(FailureInjector* injector) {
    gFailureInjector = injector;
}
bool failsOnCue(FailurePoint point) {
    return gFailureInjector != nullptr && gFailureInjector->shouldFail(point);
}

} // namespace platform
