// The compiler built-ins the library uses, each behind one function with a
// plain fallback, so that the headers build on compilers that lack them.
#pragma once

#include <limits>
#include <type_traits>

namespace tarvel::detail {

// Asks for the cache line holding `address` to be fetched (for writing when
// `ForWrite`). Only a hint: without the built-in it does nothing.
template <bool ForWrite = false>
inline void prefetch(const void* address) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, ForWrite ? 1 : 0);
#else
    (void)address;
#endif
}

// addOverflows without the built-in, in plain comparisons.
template <class I>
bool addOverflowsPlainly(I a, I b, I& sum) noexcept {
    if constexpr (std::is_signed_v<I>) {
        if ((b > 0 && a > std::numeric_limits<I>::max() - b) || (b < 0 && a < std::numeric_limits<I>::min() - b)) {
            return true;
        }
        sum = static_cast<I>(a + b);
        return false;
    } else {
        sum = static_cast<I>(a + b);
        return sum < a;
    }
}

// sum = a + b; true when the exact sum does not fit in I (sum is then
// unspecified).
template <class I>
bool addOverflows(I a, I b, I& sum) noexcept {
    static_assert(std::is_integral_v<I>, "checked sums are of integers");
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_add_overflow(a, b, &sum);
#else
    return addOverflowsPlainly(a, b, sum);
#endif
}

}  // namespace tarvel::detail
