// Whether this test program is built with AddressSanitizer, whose checks
// make memory-heavy loops many times slower. Long randomized loops run
// fewer rounds there: what the sanitizer checks (every access of a round)
// needs no more, and the other builds run them all.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define OCTASPIN_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OCTASPIN_TEST_SANITIZED 1
#endif
#endif

namespace testsupport {

#ifdef OCTASPIN_TEST_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

} // namespace testsupport
