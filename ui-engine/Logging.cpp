#include "ui-engine/Logging.h"

#include "host/WindowsApi.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"

#include <mutex>

namespace ui {

namespace {

// The logger reference lives until the module unloads; the host keeps the library loaded longer.
const so::Ref& Logger() {
    static const so::Ref logger = [] {
        HMODULE module = GetModuleHandleW(L"logger.dll");
        auto getLogger = reinterpret_cast<GetLoggerFn>(GetProcAddress(module, "GetLogger"));
        ServiceObject* found = nullptr;
        if (getLogger == nullptr || getLogger(&found) != so::kOk)
            return so::Ref();
        return so::Ref::Adopt(found);
    }();
    return logger;
}

} // namespace

bool IsLoggerAvailable() { return static_cast<bool>(Logger()); }

void Log(host::LogLevel level, std::wstring_view message, so::SourceLocation where) {
    try {
        const so::Ref& logger = Logger();
        if (!logger)
            return;
        LogSource source{where.file, where.line, where.function};
        so::Call<host::Logger::WriteWide>(logger.Get(), message.data(), std::uint32_t(message.size()),
                                          std::uint32_t(level), &source);
    } catch (...) {
        // A failing logger must not turn a log entry into a failure of the caller.
    }
}

} // namespace ui
