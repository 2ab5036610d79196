#include "service-common/ErrorsStorage.h"

#include "host/SupportLibrary.h"
#include "host/WindowsApi.h"

#include <boost/format.hpp>

#include <cstdio>
#include <cstring>
#include <string>
#include <new>
#include <stdexcept>

namespace so {

namespace {

void Construct(void* memory) { new (memory) ErrorsStorage(); }
void Destroy(void* memory) { static_cast<ErrorsStorage*>(memory)->~ErrorsStorage(); }

template <std::size_t N>
void CopyField(char (&field)[N], const char* text) {
    if (text == nullptr) {
        field[0] = '\0';
        return;
    }
    std::size_t length = strnlen(text, N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

void StoreRecord(SOResult code, const char* function, const char* message, const char* file,
                 std::uint32_t line) noexcept {
    try {
        if (!ErrorsStorage::IsAvailable())
            return;
        SOErrorInfo record{};
        std::memcpy(record.marker, "SOEX", 4);
        record.code = code;
        CopyField(record.function, function);
        CopyField(record.file, file);
        record.line = line;
        CopyField(record.message, message);
        ErrorsStorage::Instance().Store(GetCurrentThreadId(), record);
    } catch (...) {
        // The storage is going away or memory is exhausted: the failure stays unrecorded.
    }
}

} // namespace

ErrorsStorage& ErrorsStorage::Instance() {
    void* data = nullptr;
    SOResult status = GetSingletonStaticData(kStaticDataId, &data);
    if (status == kSingletonNotCreated) {
        CreateSingletonStaticData(kStaticDataId, sizeof(ErrorsStorage), &Construct, &Destroy);
        status = GetSingletonStaticData(kStaticDataId, &data);
    }
    if (status == kSingletonStorageDestroyed)
        throw std::runtime_error("Fail to get ErrorsStorage instance! Is is already destroyed!");
    if (status == kSingletonWrongId)
        throw std::runtime_error("Fail to get ErrorsStorage instance! Incorrect StaticDataID!");
    if (status != kOk || data == nullptr)
        throw std::runtime_error((boost::format("Fail to get ErrorsStorage instance! Status: %1%") % status).str());
    return *static_cast<ErrorsStorage*>(data);
}

bool ErrorsStorage::IsAvailable() { return IsSingletonStaticDataStorageAvailable() == 0; }

void ErrorsStorage::Store(std::uint32_t threadId, const SOErrorInfo& record) {
    std::lock_guard lock(mutex_);
    records_[threadId] = record;
}

bool ErrorsStorage::Load(std::uint32_t threadId, SOErrorInfo& record) const {
    std::lock_guard lock(mutex_);
    auto found = records_.find(threadId);
    if (found == records_.end())
        return false;
    record = found->second;
    return true;
}

void ErrorsStorage::Clear(std::uint32_t threadId) {
    std::lock_guard lock(mutex_);
    records_.erase(threadId);
}

void RecordFailure(SOResult code, const char* interfaceName, const char* methodName, const char* file,
                   std::uint32_t line, const char* detail) noexcept {
    if (!IsFailure(code) || interfaceName == nullptr || methodName == nullptr)
        return;
    try {
        std::string function = std::string(interfaceName) + "::" + methodName;
        char text[128];
        std::snprintf(text, sizeof text, "%s::%s() failed, code: 0x%08x", interfaceName, methodName, code);
        std::string message = text;
        if (detail != nullptr && *detail != '\0')
            message.append(": ").append(detail);
        StoreRecord(code, function.c_str(), message.c_str(), file, line);
    } catch (...) {
    }
}

SOResult ReadLastErrorInfo(SOErrorInfo* out) noexcept {
    if (out == nullptr)
        return kInvalidArgument;
    *out = SOErrorInfo{};
    try {
        if (ErrorsStorage::IsAvailable() && ErrorsStorage::Instance().Load(GetCurrentThreadId(), *out))
            return kOk;
    } catch (...) {
    }
    *out = SOErrorInfo{};
    return kNoErrorRecord;
}

void ClearLastErrorInfo() noexcept {
    try {
        if (ErrorsStorage::IsAvailable())
            ErrorsStorage::Instance().Clear(GetCurrentThreadId());
    } catch (...) {
    }
}

} // namespace so
