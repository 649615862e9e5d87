// The conversions accept one written form: blanks, an optional sign, digits with the user's
// digit grouping, the user's decimal separator and a fraction, blanks. Grouping counts only in
// its proper shape (one to three digits, then groups of exactly three, before the separator),
// so that in a comma-decimal locale "1.5" is no number rather than fifteen. Exponents ("1e3"),
// hexadecimal ("&H10", "0x10") and other notations are no numbers either: every caller reads a
// small count of minutes or a two-digit time field, and a lax reading would turn a typo into a
// plausible value. The text is read in place; the separators are asked for only when the text
// holds something besides blanks, a sign and digits, so the common case costs no locale call.
#include "numbers/convert.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "numbers/integer.h"
#include "platform/locale.h"

namespace chronalign {

namespace {

// Far beyond any 32-bit value, and far below where 64 bits would overflow.
constexpr std::uint64_t kMagnitudeCap = 1'000'000'000'000ULL;

constexpr std::string_view kPoint = ".";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A separator that could be mistaken for part of a number is no separator.
bool Usable(const std::string& separator) {
    if (separator.empty())
        return false;
    const char c = separator.front();
    return !IsDigit(c) && c != '+' && c != '-';
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}
    Reader(const Reader&) = delete;  // the separators point into its own strings
    Reader& operator=(const Reader&) = delete;

    std::optional<std::int64_t> Read() {
        bool negative = false;
        if (!text_.empty() && (text_.front() == '+' || text_.front() == '-')) {
            negative = text_.front() == '-';
            text_.remove_prefix(1);
        }
        if (!ReadWhole() || !ReadFraction() || !text_.empty() || digits_ == 0)
            return std::nullopt;
        if (magnitude_ >= kMagnitudeCap)
            return std::nullopt;
        std::int64_t value = static_cast<std::int64_t>(magnitude_ + RoundsUp());
        return negative ? -value : value;
    }

  private:
    void Separators() {
        if (separatorsKnown_)
            return;
        separatorsKnown_ = true;
        userDecimal_ = platform::DecimalSeparator();
        userGroup_ = platform::ThousandSeparator();
        decimal_ = Usable(userDecimal_) ? std::string_view(userDecimal_) : kPoint;
        if (Usable(userGroup_) && userGroup_ != decimal_)
            group_ = userGroup_;
    }

    bool TakeDigit(std::uint64_t& into) {
        if (text_.empty() || !IsDigit(text_.front()))
            return false;
        if (into < kMagnitudeCap)
            into = into * 10 + static_cast<unsigned>(text_.front() - '0');
        text_.remove_prefix(1);
        ++digits_;
        return true;
    }

    bool Take(std::string_view separator) {
        if (separator.empty() || !text_.starts_with(separator))
            return false;
        text_.remove_prefix(separator.size());
        return true;
    }

    // The integer part; stops at the decimal separator or the end.
    bool ReadWhole() {
        int groupLength = 0;
        bool grouped = false;
        while (!text_.empty()) {
            if (TakeDigit(magnitude_)) {
                ++groupLength;
                continue;
            }
            Separators();
            if (text_.starts_with(decimal_))
                break;
            if (!Take(group_))
                return false;
            const bool shaped = grouped ? groupLength == 3 : groupLength >= 1 && groupLength <= 3;
            if (!shaped)
                return false;
            grouped = true;
            groupLength = 0;
        }
        return !grouped || groupLength == 3;
    }

    // Only the first digit and whether anything non-zero follows it matter to the rounding.
    bool ReadFraction() {
        if (text_.empty())
            return true;
        Separators();
        if (!Take(decimal_))
            return false;
        std::uint64_t first = 0;
        if (!TakeDigit(first))
            return text_.empty();
        firstFractionDigit_ = static_cast<int>(first);
        while (!text_.empty()) {
            std::uint64_t digit = 0;
            if (!TakeDigit(digit))
                return false;
            restNonZero_ = restNonZero_ || digit != 0;
        }
        return true;
    }

    // Halves go to the even neighbour.
    unsigned RoundsUp() const {
        if (firstFractionDigit_ != 5)
            return firstFractionDigit_ > 5 ? 1 : 0;
        return restNonZero_ || magnitude_ % 2 != 0 ? 1 : 0;
    }

    std::string_view text_;
    bool separatorsKnown_ = false;
    std::string userDecimal_, userGroup_;
    std::string_view decimal_, group_;  // empty group_: no grouping
    std::uint64_t magnitude_ = 0;
    int digits_ = 0;
    int firstFractionDigit_ = 0;
    bool restNonZero_ = false;
};

template <typename Int>
Int Convert(std::string_view text) {
    const auto value = Reader(Trimmed(text)).Read();
    if (!value || *value < std::numeric_limits<Int>::min() ||
        *value > std::numeric_limits<Int>::max())
        return 0;
    return static_cast<Int>(*value);
}

}  // namespace

std::int16_t ToInteger(std::string_view text) {
    return Convert<std::int16_t>(text);
}

std::int32_t ToLong(std::string_view text) {
    return Convert<std::int32_t>(text);
}

}  // namespace chronalign
