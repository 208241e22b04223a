// The heap bytes a test program has in use, as its allocator counts them
// (the sanitizer's allocator in a sanitizer build). For checks that memory
// stays flat; compare two readings taken in the same state.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define OCTASPIN_HEAP_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OCTASPIN_HEAP_ASAN 1
#endif
#endif

#ifdef OCTASPIN_HEAP_ASAN
// The sanitizer runtime's count (GCC ships no header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

inline std::size_t heapInUse() {
#ifdef OCTASPIN_HEAP_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
