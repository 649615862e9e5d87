// ToInteger and ToLong on any text, under a dot-decimal and a comma-decimal locale (the first
// byte chooses). The two conversions must agree wherever both ranges hold the value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fake_locale.h"
#include "numbers/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    auto& locale = fake::Locale();
    const bool comma = (data[0] & 1) != 0;
    locale.decimalSeparator = comma ? "," : ".";
    locale.thousandSeparator = comma ? "." : ",";
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::int32_t wide = chronalign::ToLong(text);
    const std::int16_t narrow = chronalign::ToInteger(text);
    const bool fits = wide >= INT16_MIN && wide <= INT16_MAX;
    if (narrow != (fits ? wide : 0))
        std::abort();
    return 0;
}
