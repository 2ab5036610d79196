#include "module/ModuleExports.h"

#include "host/UIServices.h"
#include "module/ModuleState.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/ServiceQuery.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <mutex>
#include <new>
#include <vector>

namespace {

// Built on the first ReflectServiceObjectInfo and never rebuilt: atoms resolved later by
// CreateServiceObject do not show in it. A service provider may create objects from whichever
// thread first asks for a service, so the entry points that keep state take this lock.
std::mutex exportsMutex;
std::vector<ServiceObjectClassInfo> classInfo;
bool classInfoBuilt = false;
bool resourcesRegistered = false;

} // namespace

// The module hands nothing to "UIService" at start-up, so there is nothing to register or withdraw.
MODULE_EXPORT SOResult ServiceObjectModuleInitialize() {
    return so::kOk;
}

MODULE_EXPORT SOResult ReflectServiceObjectInfo(const ServiceObjectClassInfo** entries,
                                                std::uint32_t* count) {
    if (entries == nullptr || count == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(exportsMutex);
    if (!classInfoBuilt) {
        // No exception may leave an entry point: a failed build leaves nothing for the next call.
        try {
            for (auto* record = module::FirstClassRegistration(); record != nullptr; record = record->next)
                classInfo.push_back({record->atom, 0, record->className});
            if (!classInfo.empty())
                classInfo.push_back({0, 0, nullptr});
        } catch (const std::bad_alloc&) {
            classInfo.clear();
            return so::kGenericFailure;
        }
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
    module::ClassRegistration* found = nullptr;
    {
        std::lock_guard lock(exportsMutex);
        for (auto* record = module::FirstClassRegistration(); record != nullptr && found == nullptr;
             record = record->next) {
            if (record->atom == so::kUnresolvedAtom &&
                SLGetAtomFromString(record->className, &record->atom) != so::kOk)
                record->atom = so::kUnresolvedAtom;
            // A class whose name could not be resolved answers to no atom, not to the marker.
            if (record->atom == classAtom && record->atom != so::kUnresolvedAtom)
                found = record;
        }
    }
    if (found == nullptr)
        return so::kServiceNotSupportedByModule;
    if (found->factory == nullptr)
        return so::kFactoryFunctionFailed;
    try {
        *out = found->factory();
    } catch (...) {
        *out = nullptr;
    }
    return *out != nullptr ? so::kOk : so::kFactoryFunctionFailed;
}

MODULE_EXPORT SOResult RegisterResources(ServiceObject* uiEngine) {
    if (uiEngine == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(exportsMutex);
    if (resourcesRegistered)
        return so::kOk;
    try {
        so::Ref package;
        so::Call<host::UIEngine::CreateResourcePackage>(uiEngine, module::ModuleHandle(), package.Put());
        if (package) {
            auto registered = so::Call<host::UIEngine::RegisterResourcePackage>(uiEngine, package.Get());
            resourcesRegistered = registered.has_value();
            // The store serves other templates from now on; the host announces no such change.
            if (resourcesRegistered)
                ui::TemplatesPreprocessor::Invalidate();
        }
    } catch (...) {
        // The engine refused (or failed): the resources stay unregistered and a later call tries
        // again; nothing is thrown across the boundary.
    }
    return so::kOk;
}

MODULE_EXPORT SOResult ServiceObjectModuleOnCleanup() {
    return so::kOk;
}

MODULE_EXPORT SOResult ServiceObjectModuleOnFree() {
    return so::kOk;
}
