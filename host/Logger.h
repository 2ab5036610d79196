// The host's logger, exported by "logger.dll" (liblogger.so) as GetLogger.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

extern "C" {

struct LogSource {
    const char* file;
    std::uint32_t line;
    const char* function;
};

using GetLoggerFn = SOResult (*)(ServiceObject** out);

} // extern "C"

namespace host {

enum class LogLevel : std::uint32_t { Trace = 0, Debug = 1, Info = 2, Warning = 3, Error = 4 };

// "Logger" [thread-safe]: entries are written whole, one line each, in the order they arrive.
struct Logger {
    static constexpr std::uint32_t kId = 0x4C4F4752;
    static constexpr const char* kName = "Logger";
    // Writes from now on to the file at the UTF-8 path (appending), or to stderr for null.
    using SetOutputFile = so::Method<0, SOResult(const char* path), "SetOutputFile">;
    // Entries below the level are dropped.
    using SetMinimumLevel = so::Method<1, SOResult(std::uint32_t level), "SetMinimumLevel">;
    using GetMinimumLevel = so::Method<2, SOResult(std::uint32_t* level), "GetMinimumLevel">;
    using Flush = so::Method<3, SOResult(), "Flush">;
    // Number of entries written since the logger was made.
    using GetEntryCount = so::Method<4, SOResult(std::uint64_t* count), "GetEntryCount">;
    // The last entry's text (two-call pattern, UTF-8).
    using GetLastEntry = so::Method<5, SOResult(char* buffer, std::uint32_t* inOutLength), "GetLastEntry">;
    using WriteNarrow = so::Method<
        6, SOResult(const char* text, std::uint32_t length, std::uint32_t level, const LogSource* source),
        "WriteNarrow">;
    using WriteWide = so::Method<
        7, SOResult(const wchar_t* text, std::uint32_t length, std::uint32_t level, const LogSource* source),
        "WriteWide">;
    using Methods = so::MethodList<SetOutputFile, SetMinimumLevel, GetMinimumLevel, Flush, GetEntryCount,
                                   GetLastEntry, WriteNarrow, WriteWide>;
};

} // namespace host
