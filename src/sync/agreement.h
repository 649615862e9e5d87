// Agreement among several time pages. Each page's reading is an interval of the clock's offset,
// its offset less and plus its bound; only the largest group of pages whose intervals share an
// instant speaks for the time, as NTP's selection (Marzullo's algorithm) finds it, and only when
// it holds more than half of the pages listed, so that one wrong page, or one down, among three
// moves nothing. Pure.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "sync/clock_offset.h"

namespace chronalign {

struct Agreement {
    // The middle of what every member allows, the bound its half-width; the whole instant when
    // every member gave it.
    OffsetEstimate offset;
    std::vector<std::size_t> members;  // the group's pages, by their place in the list
};

// readings holds one entry per page listed, in the list's order: its reading, or nothing for a
// page that gave no time, which counts against. Nothing when the largest group holds half of the
// pages or fewer, or when two different groups are of that size (no instant is shared by more
// pages than any other).
std::optional<Agreement> SelectAgreeing(std::span<const std::optional<OffsetEstimate>> readings);

}  // namespace chronalign
