#include "headless-host/logger/LoggerService.h"

#include "headless-host/logger/LogCapture.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/TextConversion.h"
#include "service-common/TwoCallText.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace headless {

namespace {

const char* LevelName(std::uint32_t level) {
    static const char* const kNames[] = {"trace", "debug", "info", "warning", "error"};
    return level < std::size(kNames) ? kNames[level] : "error";
}

// The host's logger lives as long as the library: the library's own reference goes when it is
// unloaded, after the modules that took references of their own have been unloaded and let go.
ServiceObject* TheLogger() {
    static const so::Ref logger = so::Make<LoggerService>();
    return logger.Get();
}

} // namespace

void LoggerService::BindMethods(so::MethodBinder<LoggerService>& binder) {
    binder.Bind<host::Logger::SetOutputFile, &LoggerService::SetOutputFile>();
    binder.Bind<host::Logger::SetMinimumLevel, &LoggerService::SetMinimumLevel>();
    binder.Bind<host::Logger::GetMinimumLevel, &LoggerService::GetMinimumLevel>();
    binder.Bind<host::Logger::Flush, &LoggerService::Flush>();
    binder.Bind<host::Logger::GetEntryCount, &LoggerService::GetEntryCount>();
    binder.Bind<host::Logger::GetLastEntry, &LoggerService::GetLastEntry>();
    binder.Bind<host::Logger::WriteNarrow, &LoggerService::WriteNarrow>();
    binder.Bind<host::Logger::WriteWide, &LoggerService::WriteWide>();
}

LoggerService::~LoggerService() {
    if (file_ != nullptr)
        std::fclose(file_);
}

SOResult LoggerService::SetOutputFile(const char* path) {
    std::FILE* file = nullptr;
    if (path != nullptr) {
        file = std::fopen(path, "a");
        if (file == nullptr)
            throw so::ServiceObjectException(so::kInvalidArgument, std::string("Cannot open the log file ") +
                                                                       path + ": " + std::strerror(errno));
    }
    std::lock_guard lock(mutex_);
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = file;
    return so::kOk;
}

SOResult LoggerService::SetMinimumLevel(std::uint32_t level) {
    std::lock_guard lock(mutex_);
    minimumLevel_ = level;
    return so::kOk;
}

SOResult LoggerService::GetMinimumLevel(std::uint32_t* level) {
    if (level == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *level = minimumLevel_;
    return so::kOk;
}

SOResult LoggerService::Flush() {
    std::lock_guard lock(mutex_);
    std::fflush(file_ != nullptr ? file_ : stderr);
    return so::kOk;
}

SOResult LoggerService::GetEntryCount(std::uint64_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *count = entryCount_;
    return so::kOk;
}

SOResult LoggerService::GetLastEntry(char* buffer, std::uint32_t* inOutLength) {
    std::lock_guard lock(mutex_);
    return so::DeliverText(lastEntry_, buffer, inOutLength);
}

SOResult LoggerService::WriteNarrow(const char* text, std::uint32_t length, std::uint32_t level,
                                    const LogSource* source) {
    if (text == nullptr)
        return so::kInvalidArgument;
    Write(std::string(text, length), level, source);
    return so::kOk;
}

SOResult LoggerService::WriteWide(const wchar_t* text, std::uint32_t length, std::uint32_t level,
                                  const LogSource* source) {
    if (text == nullptr)
        return so::kInvalidArgument;
    Write(so::Utf8FromWide(std::wstring_view(text, length)), level, source);
    return so::kOk;
}

std::uint64_t LoggerService::CountKeptEntries(std::string_view text) {
    std::lock_guard lock(mutex_);
    return std::uint64_t(
        std::count_if(keptEntries_.begin(), keptEntries_.end(),
                      [text](const std::string& entry) { return entry.find(text) != std::string::npos; }));
}

void LoggerService::ForgetKeptEntries() {
    std::lock_guard lock(mutex_);
    keptEntries_.clear();
}

void LoggerService::Write(const std::string& text, std::uint32_t level, const LogSource* source) {
    std::string entry = std::string("[") + LevelName(level) + "] ";
    if (source != nullptr && source->file != nullptr) {
        entry += source->file;
        entry += ':' + std::to_string(source->line);
        if (source->function != nullptr)
            entry += std::string(" ") + source->function;
        entry += ": ";
    }
    entry += text;
    std::lock_guard lock(mutex_);
    if (level < minimumLevel_)
        return;
    std::fprintf(file_ != nullptr ? file_ : stderr, "%s\n", entry.c_str());
    ++entryCount_;
    lastEntry_ = std::move(entry);
    if (keptEntries_.size() == kKeptLogEntries)
        keptEntries_.pop_front();
    keptEntries_.push_back(text);
}

} // namespace headless

extern "C" __attribute__((visibility("default"))) SOResult GetLogger(ServiceObject** out) {
    if (out == nullptr)
        return so::kInvalidArgument;
    ServiceObject* logger = headless::TheLogger();
    logger->header.AddRef(logger);
    *out = logger;
    return so::kOk;
}

extern "C" __attribute__((visibility("default"))) std::uint64_t CountLogEntries(const char* text) {
    auto& logger = so::ServiceObjectCppTheConcrete<headless::LoggerService>::From(headless::TheLogger());
    return logger.CountKeptEntries(text != nullptr ? std::string_view(text) : std::string_view());
}

extern "C" __attribute__((visibility("default"))) void ForgetLogEntries() {
    so::ServiceObjectCppTheConcrete<headless::LoggerService>::From(headless::TheLogger()).ForgetKeptEntries();
}

static_assert(std::is_same_v<decltype(&CountLogEntries), CountLogEntriesFn>);
static_assert(std::is_same_v<decltype(&ForgetLogEntries), ForgetLogEntriesFn>);
