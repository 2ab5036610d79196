// Log entries to the host's logger, found once per process among the loaded modules. Thread tags as
// in host/ServiceObject.h.
#pragma once

#include "host/Logger.h"
#include "service-common/SourceLocation.h"

#include <boost/format.hpp>

#include <string>
#include <string_view>

namespace ui {

// [thread-safe] True when the host's logger was found ("logger.dll" exporting GetLogger). Looked up
// on first use, in a function-local static; the outcome is remembered either way.
bool IsLoggerAvailable();

// [thread-safe], as the logger is: writes one entry; without a logger nothing happens. Never throws.
void Log(host::LogLevel level, std::wstring_view message, so::SourceLocation where = so::SourceLocation::Current());

// [thread-safe] "%1%", "%2%"… filled in order.
template <class... Args>
std::wstring FormatMessage(const wchar_t* pattern, const Args&... args) {
    boost::wformat format(pattern);
    format.exceptions(boost::io::no_error_bits);
    (format % ... % args);
    return format.str();
}

} // namespace ui
