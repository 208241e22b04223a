// The backend seam: the one backend the layer's core talks to.
#include "platform/core/backend.h"

namespace platform {

namespace {
Backend* gBackend = nullptr;
} // namespace

void setBackend(Backend* backend) {
    gBackend = backend;
}
Backend* backend() {
    return gBackend;
}

} // namespace platform
