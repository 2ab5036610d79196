// What a handler shows the engine's script object model: a passport naming its class, and the
// handler object itself as the asset.
#pragma once

#include <cstdint>

namespace ui {

struct ScriptPassport {
    std::uint32_t flags;
    const char* name; // the handler's class name
};

} // namespace ui
