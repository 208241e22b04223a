// The allocation hook of the allocation test program: the global operator
// new (plain and nothrow, single and array) is replaced by one that counts
// every call and can be told to fail the n-th allocation from now. Outside
// sanitizer builds (whose runtime owns malloc) malloc, calloc and realloc
// are counted too, whoever calls them (the C++ library, the font code).
#pragma once

#include <cstddef>

namespace allocation_hook {

extern long failCountdown;   // -1: never fail; n: the n-th operator new from now throws
extern long allocationsSeen; // calls of operator new
extern long mallocsSeen;     // calls of malloc, calloc and realloc (operator new's included)
// operator new of more bytes than this throws: memory that cannot be had.
extern std::size_t largestAllocation;

// False in a sanitizer build: mallocsSeen then stays 0.
bool countsMalloc();

} // namespace allocation_hook
