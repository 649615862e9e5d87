// The synchronization core with nothing of the window: one compare against a page that states no
// time, which touches the worker it runs on and the page's extraction, and nothing else.
#include "sync/sync_core.h"

int main() {
    const auto result = chronalign::CompareWithTimePages(
        [](const std::string&, std::uint32_t) { return std::optional<platform::PageAnswer>(); },
        {""}, 0, 0);
    return result.outcome == chronalign::SyncOutcome::NoServerTime ? 0 : 1;
}
