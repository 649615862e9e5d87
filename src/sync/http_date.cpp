#include "sync/http_date.h"

#include <array>
#include <chrono>
#include <cstddef>

#include "numbers/integer.h"
#include "numbers/time_of_day.h"

namespace chronalign {

namespace {

constexpr std::array<std::string_view, 7> kDayNames{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The fields as the header names them; a field it does not hold stays -1.
struct Fields {
    int dayName = -1;
    int day = -1;
    int month = -1;  // 1 to 12
    int year = -1;
    int hour = -1;
    int minute = -1;
    int second = -1;
};

// Reads a header from left to right; once anything does not match, every later read fails.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool Literal(std::string_view expected) {
        ok_ = ok_ && text_.substr(at_, expected.size()) == expected;
        at_ += expected.size();
        return ok_;
    }

    // Exactly count digits; with padded, the first may be a blank instead (asctime's day).
    int Number(std::size_t count, bool padded = false) {
        int value = 0;
        for (std::size_t i = 0; ok_ && i < count; ++i, ++at_) {
            const char c = at_ < text_.size() ? text_[at_] : '\0';
            if (padded && i == 0 && c == ' ' && count > 1)
                continue;
            ok_ = IsDigit(c);
            value = value * 10 + (c - '0');
        }
        return ok_ ? value : -1;
    }

    // The position of a three-letter name in the list.
    template <std::size_t N>
    int Name(const std::array<std::string_view, N>& names) {
        for (std::size_t i = 0; ok_ && i < N; ++i)
            if (text_.substr(at_, 3) == names[i]) {
                at_ += 3;
                return static_cast<int>(i);
            }
        ok_ = false;
        return -1;
    }

    // hh:mm:ss
    void Time(Fields& f) {
        f.hour = Number(2);
        Literal(":");
        f.minute = Number(2);
        Literal(":");
        f.second = Number(2);
    }

    bool AtEnd() const { return ok_ && at_ == text_.size(); }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// "Sun, 06 Nov 1994 08:49:37 GMT"
bool ReadFixdate(std::string_view text, Fields& f) {
    Reader r(text);
    f.dayName = r.Name(kDayNames);
    r.Literal(", ");
    f.day = r.Number(2);
    r.Literal(" ");
    f.month = r.Name(kMonthNames) + 1;
    r.Literal(" ");
    f.year = r.Number(4);
    r.Literal(" ");
    r.Time(f);
    r.Literal(" GMT");
    return r.AtEnd();
}

// "Sun Nov  6 08:49:37 1994"
bool ReadAsctime(std::string_view text, Fields& f) {
    Reader r(text);
    f.dayName = r.Name(kDayNames);
    r.Literal(" ");
    f.month = r.Name(kMonthNames) + 1;
    r.Literal(" ");
    f.day = r.Number(2, true);
    r.Literal(" ");
    r.Time(f);
    r.Literal(" ");
    f.year = r.Number(4);
    return r.AtEnd();
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::int64_t> ParseHttpDate(std::string_view text) {
    text = Trimmed(text);
    Fields f;
    if (!ReadFixdate(text, f)) {
        f = Fields{};
        if (!ReadAsctime(text, f))
            return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{year{f.year}, month{static_cast<unsigned>(f.month)},
                              day{static_cast<unsigned>(f.day)}};
    if (f.year < 1601 || !date.ok() || f.hour > 23 || f.minute > 59 || f.second > 60)
        return std::nullopt;
    const sys_days days{date};
    if (weekday{days}.c_encoding() != static_cast<unsigned>(f.dayName))
        return std::nullopt;
    return std::int64_t{days.time_since_epoch().count()} * kSecondsPerDay +
           SecondsOf(f.hour, f.minute, f.second);
}

}  // namespace chronalign
