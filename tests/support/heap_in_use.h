// The heap bytes a test program has in use, as its allocator counts them
// (the sanitizer's allocator in a sanitizer build). For checks that memory
// stays flat; compare two readings taken in the same state.
#pragma once

#include "tests/support/sanitizers.h"

#include <cstddef>

#ifdef OCTASPIN_TEST_SANITIZED
// The sanitizer runtime's count (GCC ships no header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

inline std::size_t heapInUse() {
#ifdef OCTASPIN_TEST_SANITIZED
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
