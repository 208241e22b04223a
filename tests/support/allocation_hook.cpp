#include "tests/support/allocation_hook.h"
#include "tests/support/sanitizers.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace allocation_hook {
long failCountdown = -1;
std::size_t failSize = 0;
std::size_t largestAllocation = SIZE_MAX;
long allocationsSeen = 0;
long mallocsSeen = 0;

void disarm() {
    failCountdown = -1;
    failSize = 0;
    largestAllocation = SIZE_MAX;
}
} // namespace allocation_hook

namespace {

// Counts the call and says whether it is to fail.
bool failsNow(std::size_t size) {
    using namespace allocation_hook;
    ++allocationsSeen;
    if (failCountdown >= 0 && failCountdown-- == 0) {
        return true;
    }
    if (failSize != 0 && size == failSize) {
        failSize = 0;
        return true;
    }
    return size > largestAllocation;
}

} // namespace

// The replacements pair malloc with free themselves; the compiler cannot
// see that through inlining and warns of a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (failsNow(size)) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

// The over-aligned forms (types declared alignas(64), say), counted and
// failed alike; their blocks come from the C library's aligned allocator.
namespace {
void* alignedBlock(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t bytes = size == 0 ? align : size;
#if defined(_WIN32)
    return _aligned_malloc(bytes, align);
#else
    void* p = nullptr;
    return posix_memalign(&p, align < sizeof(void*) ? sizeof(void*) : align, bytes) == 0 ? p
                                                                                         : nullptr;
#endif
}
void freeAlignedBlock(void* p) {
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}
} // namespace
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (failsNow(size)) {
        throw std::bad_alloc();
    }
    if (void* p = alignedBlock(size, alignment)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return operator new(size, alignment);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment,
                     const std::nothrow_t& tag) noexcept {
    return operator new(size, alignment, tag);
}
void operator delete(void* p, std::align_val_t) noexcept {
    freeAlignedBlock(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    freeAlignedBlock(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    freeAlignedBlock(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    freeAlignedBlock(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    freeAlignedBlock(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    freeAlignedBlock(p);
}
#pragma GCC diagnostic pop

#if defined(__GLIBC__) && !defined(OCTASPIN_TEST_SANITIZED)

// The C library's own allocator under the names it exports for wrappers
// like these; every caller in the process reaches malloc through here.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) noexcept {
    ++allocation_hook::mallocsSeen;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    ++allocation_hook::mallocsSeen;
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    ++allocation_hook::mallocsSeen;
    return __libc_realloc(p, size);
}
void free(void* p) noexcept {
    __libc_free(p);
}
}

bool allocation_hook::countsMalloc() {
    return true;
}

#else

bool allocation_hook::countsMalloc() {
    return false;
}

#endif
