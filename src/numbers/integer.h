// Whole numbers as more than one layer reads and divides them.
#pragma once

#include <concepts>

namespace chronalign {

// a / b rounded down rather than towards zero: an instant before a midnight or an epoch falls
// into the day or the unit that holds it. b is not 0.
template <std::signed_integral T>
constexpr T FloorDiv(T a, T b) {
    const T q = a / b;
    return q * b != a && (a < 0) != (b < 0) ? q - 1 : q;
}

// One of the ten digits "0" to "9", in every locale (std::isdigit follows the C locale's).
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace chronalign
