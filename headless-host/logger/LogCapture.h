// What the host reads back of its own log: functions of liblogger.so that only the host calls,
// found with dlsym as the logger itself is, so that the "Logger" table modules use stays as it is.
#pragma once

#include <cstdint>

extern "C" {

// [thread-safe] The number of kept entries whose text (without its level and source) contains the
// UTF-8 `text`; every entry for an empty or null `text`. The logger keeps the most recent
// kKeptLogEntries entries it has written, dropped ones (below the minimum level) never.
using CountLogEntriesFn = std::uint64_t (*)(const char* text);
// [thread-safe] Forgets the kept entries; the log file and GetEntryCount are not affected.
using ForgetLogEntriesFn = void (*)();

} // extern "C"

namespace headless {

constexpr std::uint64_t kKeptLogEntries = 100000;
constexpr const char* kCountLogEntriesName = "CountLogEntries";
constexpr const char* kForgetLogEntriesName = "ForgetLogEntries";

} // namespace headless
