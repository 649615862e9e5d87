// The selection of agreeing pages: a table of the cases that matter, and random readings against
// a slow selection written from the definition (every instant an interval ends at, and who holds
// it). The random test prints its seed on failure; CHRONALIGN_SEED=<seed> replays it.
#include "sync/agreement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "test_seed.h"

namespace chronalign {
namespace {

using Readings = std::vector<std::optional<OffsetEstimate>>;
using Members = std::vector<std::size_t>;

constexpr Microseconds kHour = 3'600'000'000;

std::optional<OffsetEstimate> R(Microseconds offset, Microseconds bound, bool whole = false) {
    return OffsetEstimate{offset, bound, whole};
}

TEST(AgreementTest, TheLargestGroupSharingAnInstantDecidesWhenItHoldsMoreThanHalf) {
    const struct {
        const char* what;
        Readings readings;
        std::optional<Members> members;  // nothing: no agreement
        Microseconds offset = 0, bound = 0;
    } cases[] = {
        {"one page is believed as it is", {R(7, 3)}, Members{0}, 7, 3},
        {"one an hour off among three", {R(10, 2), R(11, 2), R(kHour, 2)}, Members{0, 1}, 10, 2},
        {"two an hour apart", {R(0, 2), R(kHour, 2)}, std::nullopt},
        {"one silent among three", {R(0, 1), std::nullopt, R(1, 2)}, Members{0, 2}, 0, 1},
        {"two silent among three", {R(0, 1), std::nullopt, std::nullopt}, std::nullopt},
        {"none gave a time", {std::nullopt, std::nullopt}, std::nullopt},
        {"two against two", {R(0, 1), R(0, 1), R(kHour, 1), R(kHour, 1)}, std::nullopt},
        {"intervals that touch share an instant",
         {R(0, 1), R(2, 1), R(kHour, 1)},
         Members{0, 1},
         1,
         0},
        // A wide page agrees with two narrow ones that disagree with each other: two groups of
        // two, neither more right than the other.
        {"two groups of the same size", {R(5, 5), R(1, 1), R(9, 1)}, std::nullopt},
        {"three of five, the other two apart",
         {R(-kHour, 1), R(0, 4), R(2, 2), R(1, 1), R(kHour, 1)},
         Members{1, 2, 3},
         1,
         1},
    };
    for (const auto& c : cases) {
        const std::optional<Agreement> got = SelectAgreeing(c.readings);
        ASSERT_EQ(got.has_value(), c.members.has_value()) << c.what;
        if (!got)
            continue;
        EXPECT_EQ(got->members, *c.members) << c.what;
        EXPECT_EQ(got->offset.offset, c.offset) << c.what;
        EXPECT_EQ(got->offset.bound, c.bound) << c.what;
    }
    // The whole instant only when every member gave it.
    EXPECT_TRUE(
        SelectAgreeing(Readings{R(0, 1, true), R(0, 1, true), R(kHour, 1)})->offset.wholeInstant);
    EXPECT_FALSE(SelectAgreeing(Readings{R(0, 1, true), R(0, 1)})->offset.wholeInstant);
}

TEST(AgreementRandomTest, TheSweepFindsWhatEveryInstantsHoldersShow) {
    testsupport::Pick pick;
    SCOPED_TRACE(testsupport::Replay(pick.seed));
    for (int run = 0; run < 5000 && !HasFailure(); ++run) {
        // Up to nine pages, some silent, on a small scale so that intervals often meet.
        Readings readings(static_cast<std::size_t>(pick(1, 9)));
        for (auto& r : readings)
            if (pick(0, 4) != 0)
                r = R(pick(-20, 20), pick(0, 6));
        // Who holds each instant where an interval ends; the largest such groups.
        std::set<Members> largest;
        for (const auto& at : readings) {
            if (!at)
                continue;
            for (const Microseconds p : {at->offset - at->bound, at->offset + at->bound}) {
                Members holders;
                for (std::size_t i = 0; i < readings.size(); ++i)
                    if (readings[i] && readings[i]->offset - readings[i]->bound <= p &&
                        p <= readings[i]->offset + readings[i]->bound)
                        holders.push_back(i);
                if (!largest.empty() && holders.size() > largest.begin()->size())
                    largest.clear();
                if (largest.empty() || holders.size() == largest.begin()->size())
                    largest.insert(holders);
            }
        }
        const std::optional<Agreement> got = SelectAgreeing(readings);
        SCOPED_TRACE("run " + std::to_string(run));
        const bool agreed = largest.size() == 1 && largest.begin()->size() * 2 > readings.size();
        ASSERT_EQ(got.has_value(), agreed);
        if (!got)
            continue;
        EXPECT_EQ(got->members, *largest.begin());
        // The middle and half-width of what every member allows.
        Microseconds lo = -1000, hi = 1000;
        for (const std::size_t i : got->members) {
            lo = std::max(lo, readings[i]->offset - readings[i]->bound);
            hi = std::min(hi, readings[i]->offset + readings[i]->bound);
        }
        EXPECT_LE(got->offset.offset - got->offset.bound, lo);
        EXPECT_GE(got->offset.offset + got->offset.bound, hi);
        EXPECT_LE(got->offset.bound, (hi - lo + 1) / 2);
    }
}

}  // namespace
}  // namespace chronalign
