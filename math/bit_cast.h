// bitCast: the bits of one trivially copyable value as another type of the
// same size. std::bit_cast where the standard library has it; otherwise the
// compiler's builtin, which std::bit_cast is made of (the web build's
// library predates it).
#pragma once

#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#endif

#include <type_traits>

template <typename To, typename From> constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}
