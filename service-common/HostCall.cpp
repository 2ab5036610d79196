#include "service-common/HostCall.h"

#include "service-common/ServiceObjectPtr.h"

namespace so {

namespace {
bool ReadErrorInfo(ServiceObject* object, SOErrorInfo& info, Ref* errorObject) {
    if (object->header.GetLastErrorInfo == nullptr)
        return false;
    ServiceObject* error = nullptr;
    bool ok = object->header.GetLastErrorInfo(object, &info, errorObject != nullptr ? &error : nullptr) == kOk;
    if (errorObject != nullptr)
        *errorObject = Ref::Adopt(error);
    return ok;
}
} // namespace

void CheckResult(ServiceObject* object, SOResult code) {
    if (!IsFailure(code))
        return;
    SOErrorInfo info{};
    Ref errorObject;
    if (!ReadErrorInfo(object, info, &errorObject))
        return;
    // The error object, when the callee gives one, holds the fuller record of the failure.
    SOErrorInfo detailed{};
    if (errorObject && ReadErrorInfo(errorObject.Get(), detailed, nullptr))
        throw ServiceObjectException(detailed);
    throw ServiceObjectException(info);
}

} // namespace so
