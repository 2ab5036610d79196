#include "service-common/ServiceObjectException.h"

#include <cstring>

namespace so {

namespace {
std::string FieldText(const char* field, std::size_t capacity) { return std::string(field, strnlen(field, capacity)); }
} // namespace

ServiceObjectException::ServiceObjectException(SOResult code, std::string message, std::string function,
                                               std::string file, std::uint32_t line)
    : code_(code), message_(std::move(message)), function_(std::move(function)), file_(std::move(file)),
      line_(line) {}

ServiceObjectException::ServiceObjectException(SOResult code, std::string message, SourceLocation where)
    : ServiceObjectException(code, std::move(message), where.function, where.file, where.line) {}

ServiceObjectException::ServiceObjectException(const SOErrorInfo& info)
    : ServiceObjectException(info.code, FieldText(info.message, sizeof info.message),
                             FieldText(info.function, sizeof info.function), FieldText(info.file, sizeof info.file),
                             info.line) {}

} // namespace so
