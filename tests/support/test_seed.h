// The seed of a test's random cases: a new one each run, printed with a failure, and
// CHRONALIGN_SEED=<seed> runs the same cases again.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace testsupport {

inline std::uint64_t TestSeed() {
    if (const char* text = std::getenv("CHRONALIGN_SEED"))
        return std::strtoull(text, nullptr, 10);
    return std::random_device{}();
}

// What replays the cases of a seed, for the failure's trace.
inline std::string Replay(std::uint64_t seed) {
    return "CHRONALIGN_SEED=" + std::to_string(seed);
}

// Whole numbers drawn evenly from..to, both included, from the test's seed.
struct Pick {
    std::uint64_t seed = TestSeed();
    std::mt19937_64 random{seed};

    std::int64_t operator()(std::int64_t from, std::int64_t to) {
        return std::uniform_int_distribution<std::int64_t>(from, to)(random);
    }
};

}  // namespace testsupport
