// The one way to call a method of another module's service object: the table-size rule, the call,
// and the failure check that turns an error into a ServiceObjectException.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectException.h"

#include <optional>
#include <utility>

namespace so {

// Code and message of a call on a missing host object.
constexpr SOResult kNotInitialized = 2;

// After a call that returned `code`: a failure (above 1, not 11) is raised from the object's
// error record when the object gives one; otherwise it is not raised.
void CheckResult(ServiceObject* object, SOResult code);

// Calls the interface method M of `object`. Gives nullopt without calling when the object's table
// is too short to hold M (an older interface version): the caller takes its default. Raises
// ServiceObjectException with code 2 "Not initialized" for a null object.
template <class M, class... Args>
std::optional<SOResult> Call(ServiceObject* object, Args&&... args) {
    if (object == nullptr)
        throw ServiceObjectException(kNotInitialized, "Not initialized");
    if (object->header.tableSize <= 8u * M::kPosition)
        return std::nullopt;
    auto function = reinterpret_cast<typename M::Function>(MethodSlots(object)[M::kPosition]);
    SOResult code = function(object, std::forward<Args>(args)...);
    CheckResult(object, code);
    return code;
}

} // namespace so
