#include "module/ModuleExports.h"

#include "host/UIServices.h"
#include "module/ModuleState.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/ServiceQuery.h"

#include <vector>

namespace {

// Built on the first ReflectServiceObjectInfo and never rebuilt: atoms resolved later by
// CreateServiceObject do not show in it. The once-flags are plain globals, as the host calls the
// exports during start-up from one thread.
std::vector<ServiceObjectClassInfo> classInfo;
bool classInfoBuilt = false;
bool resourcesRegistered = false;

} // namespace

// The module hands nothing to "UIService" at start-up, so there is nothing to register or withdraw.
MODULE_EXPORT SOResult ServiceObjectModuleInitialize() { return so::kOk; }

MODULE_EXPORT SOResult ReflectServiceObjectInfo(const ServiceObjectClassInfo** entries, std::uint32_t* count) {
    if (entries == nullptr || count == nullptr)
        return so::kInvalidArgument;
    if (!classInfoBuilt) {
        for (auto* record = module::FirstClassRegistration(); record != nullptr; record = record->next)
            classInfo.push_back({record->atom, 0, record->className});
        if (!classInfo.empty())
            classInfo.push_back({0, 0, nullptr});
        classInfoBuilt = true;
    }
    if (classInfo.empty()) {
        *entries = nullptr;
        *count = 0;
        return so::kNoPublicServiceObjects;
    }
    *entries = classInfo.data();
    *count = std::uint32_t(classInfo.size() - 1);
    return so::kOk;
}

MODULE_EXPORT SOResult CreateServiceObject(SOAtom classAtom, ServiceObject** out) {
    if (classAtom == 0 || out == nullptr)
        return so::kInvalidArgument;
    *out = nullptr;
    for (auto* record = module::FirstClassRegistration(); record != nullptr; record = record->next) {
        if (record->atom == so::kUnresolvedAtom && SLGetAtomFromString(record->className, &record->atom) != so::kOk)
            record->atom = so::kUnresolvedAtom;
        if (record->atom != classAtom)
            continue;
        if (record->factory == nullptr)
            return so::kFactoryFunctionFailed;
        *out = record->factory();
        return *out != nullptr ? so::kOk : so::kFactoryFunctionFailed;
    }
    return so::kServiceNotSupportedByModule;
}

MODULE_EXPORT SOResult RegisterResources(ServiceObject* uiEngine) {
    if (uiEngine == nullptr)
        return so::kInvalidArgument;
    if (resourcesRegistered)
        return so::kOk;
    try {
        so::Ref package;
        so::Call<host::UIEngine::CreateResourcePackage>(uiEngine, module::ModuleHandle(), package.Put());
        if (package) {
            auto registered = so::Call<host::UIEngine::RegisterResourcePackage>(uiEngine, package.Get());
            resourcesRegistered = registered.has_value();
        }
    } catch (const so::ServiceObjectException&) {
        // The engine refused: the resources stay unregistered and a later call tries again.
    }
    return so::kOk;
}

MODULE_EXPORT SOResult ServiceObjectModuleOnCleanup() { return so::kOk; }

MODULE_EXPORT SOResult ServiceObjectModuleOnFree() { return so::kOk; }
