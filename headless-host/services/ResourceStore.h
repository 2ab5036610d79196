// The host's UI resource store and the resource service that hands it out under the fixed service
// number 18: modules read their registered "UI-DATA" resources (templates above all) by path.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

namespace headless {

// Serves resources through the "UIEngine" service's packages, so that the store sees exactly the
// packages registered there, whenever they were registered. [thread-safe]
class ResourceStore : public so::ObjectBase {
public:
    using Interface = host::UIResourceStore;
    static constexpr std::uint32_t kClassTag = 0x7E5C57A1;
    static void BindMethods(so::MethodBinder<ResourceStore>& binder);

    // `engine` is the "UIEngine" service object; the store keeps a reference.
    explicit ResourceStore(so::Ref engine);

    // The resource as a blob with one reference; 0 and null for a path no package holds and for an
    // empty resource (callers treat both as "no template"). A failure of the engine is passed on.
    SOResult GetResource(const wchar_t* path, ServiceObject** blob);

private:
    so::Ref engine_;
};

// The object answering service number 18. Its slots 0 to 5 answer 1.
class ResourceService : public so::ObjectBase {
public:
    using Interface = host::UIResourceService;
    static constexpr std::uint32_t kClassTag = 0x7E5C0019;
    static void BindMethods(so::MethodBinder<ResourceService>& binder);

    explicit ResourceService(so::Ref engine);

    SOResult GetResourceStore(ServiceObject** store);

private:
    so::Ref store_;
};

// Registers the resource service (number 18) with the service provider, reading through `engine`.
// Raises ServiceObjectException when the provider refuses it.
void RegisterResourceService(so::Ref engine);

} // namespace headless
