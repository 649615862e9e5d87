// One log of the calls the fakes receive, across facilities, so that a test can check their
// order ("SetForegroundWindow before ShowMainWindow").
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace fake {

inline std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

inline void Record(std::string entry) {
    Log().push_back(std::move(entry));
}

// The entries that start with prefix, in order.
inline std::vector<std::string> LogOf(std::string_view prefix) {
    std::vector<std::string> out;
    for (const auto& e : Log())
        if (e.starts_with(prefix))
            out.push_back(e);
    return out;
}

// Position of the first entry at or after from that equals entry, or -1.
inline int LogIndex(std::string_view entry, int from = 0) {
    auto it = std::find(Log().begin() + from, Log().end(), entry);
    return it == Log().end() ? -1 : static_cast<int>(it - Log().begin());
}

// Position of the first entry that starts with prefix, or -1.
inline int LogIndexOfPrefix(std::string_view prefix) {
    auto it = std::find_if(Log().begin(), Log().end(),
                           [&](const std::string& e) { return e.starts_with(prefix); });
    return it == Log().end() ? -1 : static_cast<int>(it - Log().begin());
}

}  // namespace fake
