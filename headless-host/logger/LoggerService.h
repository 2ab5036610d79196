// The host's logger: one process-wide "Logger" object, handed out by GetLogger.
#pragma once

#include "host/Logger.h"
#include "service-common/ServiceObjectCpp.h"

#include <cstdio>
#include <mutex>
#include <string>

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

private:
    void Write(const std::string& text, std::uint32_t level, const LogSource* source);

    std::mutex mutex_;
    std::FILE* file_ = nullptr; // null: stderr
    std::uint32_t minimumLevel_ = 0;
    std::uint64_t entryCount_ = 0;
    std::string lastEntry_;
};

} // namespace headless
