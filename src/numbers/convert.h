// Error-tolerant, locale-aware number conversions.
#pragma once

#include <cstdint>
#include <string_view>

namespace chronalign {

// The text as a 16-bit (ToInteger) or 32-bit (ToLong) signed integer: blanks around it and a
// sign allowed, the decimal separator of the user's regional settings, a fraction rounded to
// the nearest integer with halves to even. Not a number, or out of range: 0.
std::int16_t ToInteger(std::string_view text);
std::int32_t ToLong(std::string_view text);

}  // namespace chronalign
