// Where a call was made from, captured by a default argument. std::source_location would do, but
// not every standard library this builds with has it.
#pragma once

#include <cstdint>

namespace so {

struct SourceLocation {
    const char* file;
    std::uint32_t line;
    const char* function;

    static constexpr SourceLocation Current(const char* file = __builtin_FILE(), std::uint32_t line = __builtin_LINE(),
                                            const char* function = __builtin_FUNCTION()) {
        return {file, line, function};
    }
};

} // namespace so
