// The allocation hook of the test programs that link it: the global
// operator new (plain and nothrow, single and array, over-aligned or not)
// is replaced by one that counts every call and fails on cue, so a test
// can take memory away from exactly the allocation it means. A throwing
// form throws std::bad_alloc, a nothrow form returns null. Where the C
// library lets itself be wrapped (glibc, outside sanitizer builds, whose
// runtime owns malloc), malloc, calloc and realloc are counted too,
// whoever calls them.
#pragma once

#include <cstddef>

namespace allocation_hook {

extern long failCountdown;   // -1: never fail; n: the n-th operator new from now fails
extern std::size_t failSize; // 0: none; else the next operator new of exactly this size fails
extern std::size_t largestAllocation; // operator new of more bytes than this fails
extern long allocationsSeen;          // calls of operator new
extern long mallocsSeen; // calls of malloc, calloc and realloc (operator new's included)

// False where malloc is not counted: mallocsSeen then stays 0.
bool countsMalloc();

// Puts every setting back: nothing fails.
void disarm();

} // namespace allocation_hook
