// The process-wide store of each thread's last error record, shared by every module of the host.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace so {

// Lives in the host's singleton storage (id 0xFFFFFFFF), so every module records into and reads
// from one map. The module that creates it supplies the destructor that runs at storage shutdown:
// a host creates it before loading modules (`Instance()` at start-up) so that the destructor never
// points into a module that has been unloaded.
class ErrorsStorage {
public:
    static constexpr std::uint32_t kStaticDataId = 0xFFFFFFFF;

    // Raises std::runtime_error when the storage has been destroyed (17) or the id is refused (7).
    static ErrorsStorage& Instance();
    // False once the host's singleton storage has been shut down: nothing is recorded then.
    static bool IsAvailable();

    void Store(std::uint32_t threadId, const SOErrorInfo& record);
    bool Load(std::uint32_t threadId, SOErrorInfo& record) const;
    void Clear(std::uint32_t threadId);

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::uint32_t, SOErrorInfo> records_;
};

// Builds the calling thread's record ("%s::%s() failed, code: 0x%08x") and stores it, unless the
// code is not a failure or the names are unknown. `detail`, when given (the message of the
// exception that ended the operation), follows the text after ": ". Never throws: recording
// happens on the way out of an operation, where a second failure has nowhere to go.
void RecordFailure(SOResult code, const char* interfaceName, const char* methodName, const char* file,
                   std::uint32_t line, const char* detail = nullptr) noexcept;

// Reads the calling thread's record: 0, or 9 with the info zeroed. 3 for a null out.
SOResult ReadLastErrorInfo(SOErrorInfo* out) noexcept;
// Forgets the calling thread's record (tests use it to start clean).
void ClearLastErrorInfo() noexcept;

} // namespace so
