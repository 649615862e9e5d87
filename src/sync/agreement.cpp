#include "sync/agreement.h"

#include <algorithm>

namespace chronalign {

namespace {

Microseconds Low(const OffsetEstimate& r) {
    return r.offset - r.bound;
}

Microseconds High(const OffsetEstimate& r) {
    return r.offset + r.bound;
}

}  // namespace

std::optional<Agreement> SelectAgreeing(std::span<const std::optional<OffsetEstimate>> readings) {
    struct End {
        Microseconds at;
        int step;  // +1 where an interval begins, -1 where it ends
    };
    std::vector<End> ends;
    for (const std::optional<OffsetEstimate>& r : readings)
        if (r) {
            ends.push_back({Low(*r), +1});
            ends.push_back({High(*r), -1});
        }
    // The intervals hold their ends: at one instant beginnings come first, so that intervals
    // that touch share it.
    std::sort(ends.begin(), ends.end(), [](const End& a, const End& b) {
        return a.at < b.at || (a.at == b.at && a.step > b.step);
    });
    // The sweep counts the intervals that hold each instant; the deepest stretch is the group's.
    std::size_t depth = 0, best = 0;
    bool inBest = false, tied = false;
    Microseconds lo = 0, hi = 0;
    for (const End& e : ends) {
        if (e.step > 0) {
            if (++depth > best) {
                best = depth;
                lo = e.at;
                inBest = true;
                tied = false;
            } else if (depth == best && !inBest) {
                tied = true;  // another stretch as deep, held by another group
            }
        } else {
            if (inBest && depth == best) {
                hi = e.at;
                inBest = false;
            }
            --depth;
        }
    }
    if (tied || best * 2 <= readings.size())
        return std::nullopt;
    Agreement agreement;
    agreement.offset = {lo + (hi - lo) / 2, (hi - lo + 1) / 2, true};
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const std::optional<OffsetEstimate>& r = readings[i];
        if (r && Low(*r) <= lo && hi <= High(*r)) {
            agreement.members.push_back(i);
            agreement.offset.wholeInstant = agreement.offset.wholeInstant && r->wholeInstant;
        }
    }
    return agreement;
}

}  // namespace chronalign
