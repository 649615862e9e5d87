// Procedures whose steps stand alone: one that fails (out of memory, say) is skipped, the next
// still runs, and nothing escapes into the window's event handler that called them.
#pragma once

#include <exception>

namespace chronalign {

template <typename Step>
void RunStep(Step step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace chronalign
