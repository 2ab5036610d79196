// What one pump of the UI loop did.
#pragma once

#include "headless-host/html-engine/runtime/HtmlEngineExport.h"

#include <cstddef>

namespace html {

struct HTML_ENGINE_API PumpReport {
    // True when the loop stopped because both the queue and the idle callbacks were quiet; false
    // when it gave up after its round limit (something keeps posting or keeps reporting work), or
    // when it was called off the UI thread.
    bool quiet = false;
    std::size_t rounds = 0;
    std::size_t postedRun = 0;
    std::size_t idleCalls = 0;
};

} // namespace html
