// The host's logger: one process-wide "Logger" object, handed out by GetLogger. It keeps the most
// recent entries in memory as well, for the host's own checks (LogCapture.h).
#pragma once

#include "host/Logger.h"
#include "service-common/ServiceObjectCpp.h"

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace headless {

class LoggerService : public so::ObjectBase {
public:
    using Interface = host::Logger;
    static constexpr std::uint32_t kClassTag = 0x106C0001;
    static void BindMethods(so::MethodBinder<LoggerService>& binder);

    ~LoggerService();

    SOResult SetOutputFile(const char* path);
    SOResult SetMinimumLevel(std::uint32_t level);
    SOResult GetMinimumLevel(std::uint32_t* level);
    SOResult Flush();
    SOResult GetEntryCount(std::uint64_t* count);
    SOResult GetLastEntry(char* buffer, std::uint32_t* inOutLength);
    SOResult WriteNarrow(const char* text, std::uint32_t length, std::uint32_t level, const LogSource* source);
    SOResult WriteWide(const wchar_t* text, std::uint32_t length, std::uint32_t level, const LogSource* source);

    // The kept entries whose text contains `text` (all of them for an empty one).
    std::uint64_t CountKeptEntries(std::string_view text);
    void ForgetKeptEntries();

private:
    void Write(const std::string& text, std::uint32_t level, const LogSource* source);

    std::mutex mutex_;
    std::FILE* file_ = nullptr; // null: stderr
    std::uint32_t minimumLevel_ = 0;
    std::uint64_t entryCount_ = 0;
    std::string lastEntry_;
    // The texts of the most recent entries written, oldest first, at most kKeptLogEntries.
    std::deque<std::string> keptEntries_;
};

} // namespace headless
