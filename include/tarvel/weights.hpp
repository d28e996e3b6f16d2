// Arithmetic on weights: the type in which distances are summed for each
// weight type, the checked sum, and the rules for accepting a weight.
//
// Distances are exact for every weight type:
// - integral W: sums are 64-bit signed integers. A path has fewer than 2^32
//   edges, so for W of at most 32 bits no path sum can overflow; for wider
//   W (and for 32-bit unsigned W) every sum is checked and an overflow
//   throws std::overflow_error instead of giving a wrong answer;
// - floating-point W: sums are taken in the wider of W and double, so double
//   and float graphs give exactly what double arithmetic gives, +-infinity
//   included when a sum of finite weights overflows: such a path is still
//   found, and its length is that infinity.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "detail/builtins.hpp"

namespace tarvel {

template <class W>
struct WeightTraits {
    static_assert(std::is_arithmetic_v<W> && !std::is_same_v<W, bool>, "edge weights must be numbers");

    using Distance = std::conditional_t<
        std::is_integral_v<W>, std::int64_t,
        std::conditional_t<(std::numeric_limits<W>::digits > std::numeric_limits<double>::digits), W, double>>;

    // Whether a sum along a path can leave the range of Distance.
    static constexpr bool mayOverflow =
        std::is_integral_v<W> && (sizeof(W) >= 8 || (std::is_unsigned_v<W> && sizeof(W) >= 4));
};

template <class W>
using Distance = typename WeightTraits<W>::Distance;

// The distance a search gives a node before it reaches it. For integral W
// it is never a real distance (a checked sum that would reach it throws).
// For floating-point W it is +infinity, which a path also has when its sum
// overflows (1e308 + 1e308): a search tells whether it reached a node by
// the node's predecessor, never by its distance (see detail::improves).
template <class W>
inline constexpr Distance<W> Unreached = std::is_floating_point_v<Distance<W>>
                                             ? std::numeric_limits<Distance<W>>::infinity()
                                             : std::numeric_limits<Distance<W>>::max();

namespace detail {

[[noreturn]] inline void distanceOverflow() {
    throw std::overflow_error("a path weight exceeds the range of 64-bit integers");
}

// `weight` as a distance, exactly (a 64-bit unsigned weight above 2^63 - 1
// has no exact distance and throws).
template <class W>
Distance<W> asDistance(W weight) {
    if constexpr (std::is_integral_v<W> && std::is_unsigned_v<W> && sizeof(W) >= 8) {
        if (weight > static_cast<W>(std::numeric_limits<std::int64_t>::max())) distanceOverflow();
        return static_cast<std::int64_t>(weight);
    } else {
        return weight;  // widening: exact
    }
}

// `base` + `weight` in Distance<W>. Checked where a sum can overflow: the
// result is then always below Unreached<W>.
template <class W>
Distance<W> extend(Distance<W> base, W weight) {
    if constexpr (WeightTraits<W>::mayOverflow) {
        Distance<W> sum;
        if (addOverflows(base, asDistance(weight), sum) || sum == Unreached<W>) distanceOverflow();
        return sum;
    } else {
        return base + asDistance(weight);
    }
}

// Whether a path of distance `candidate` to a node now at `current`
// improves it: strictly shorter, or, for floating-point W, the first path
// to reach the node at all when its sum overflowed to +infinity (the
// distance an unreached node holds too). `reached()` tells whether the node
// was reached before; it is asked only for such a sum, so the searches read
// nothing more in the common case. An integral sum never equals Unreached.
template <class W, class Reached>
bool improves(Distance<W> current, Distance<W> candidate, Reached&& reached) {
    if (current > candidate) return true;
    if constexpr (std::is_floating_point_v<Distance<W>>) {
        return candidate == Unreached<W> && !reached();
    } else {
        (void)reached;
        return false;
    }
}

// Like extend, checked for every integral W: for sums whose length is not
// bounded by the number of nodes (Bellman-Ford around a negative cycle).
template <class W>
bool extendChecked(Distance<W> base, W weight, Distance<W>& sum) {
    if constexpr (std::is_integral_v<W>) {
        return !addOverflows(base, asDistance(weight), sum) && sum != Unreached<W>;
    } else {
        sum = base + weight;
        return true;
    }
}

// Floating-point weights must be finite: a NaN has no order, and a sum
// with an infinite weight could meet -infinity and give NaN. (A finite
// weight's sum may still overflow to +-infinity: that is the path's
// length, as IEEE arithmetic gives it.)
template <class W>
void checkWeight(W weight) {
    if constexpr (std::is_floating_point_v<W>) {
        if (!std::isfinite(weight)) throw std::invalid_argument("edge weights must be finite");
    } else {
        (void)weight;
    }
}

}  // namespace detail
}  // namespace tarvel
