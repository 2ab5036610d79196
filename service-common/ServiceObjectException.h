// The exception that carries a failed host call or template operation through the module.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/SourceLocation.h"

#include <cstdint>
#include <exception>
#include <string>

namespace so {

// Not derived from std::runtime_error on purpose: code that converts "runtime errors" into
// ServiceObjectExceptions must let these pass unchanged.
class ServiceObjectException : public std::exception {
public:
    ServiceObjectException(SOResult code, std::string message, std::string function, std::string file,
                           std::uint32_t line);
    // Records where it was raised from the caller's position.
    ServiceObjectException(SOResult code, std::string message,
                           SourceLocation where = SourceLocation::Current());
    // Built from an error record read back through GetLastErrorInfo.
    explicit ServiceObjectException(const SOErrorInfo& info);

    const char* what() const noexcept override { return message_.c_str(); }
    SOResult Code() const { return code_; }
    const std::string& Message() const { return message_; } // UTF-8
    const std::string& Function() const { return function_; }
    const std::string& File() const { return file_; }
    std::uint32_t Line() const { return line_; }

private:
    SOResult code_;
    std::string message_;
    std::string function_;
    std::string file_;
    std::uint32_t line_;
};

} // namespace so
