#include "headless-host/services/ResourceStore.h"

#include "headless-host/support/HostSupport.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"

namespace headless {

void ResourceStore::BindMethods(so::MethodBinder<ResourceStore>& binder) {
    binder.Bind<host::UIResourceStore::GetResource, &ResourceStore::GetResource>();
}

ResourceStore::ResourceStore(so::Ref engine) : engine_(std::move(engine)) {}

SOResult ResourceStore::GetResource(const wchar_t* path, ServiceObject** blob) {
    if (path == nullptr || blob == nullptr)
        return so::kInvalidArgument;
    *blob = nullptr;
    so::Ref found;
    so::Call<host::UIEngine::LoadResourceData>(engine_.Get(), path, found.Put());
    if (!found)
        return so::kOk;
    std::uint64_t size = 0;
    so::Call<host::Blob::GetSize>(found.Get(), &size);
    if (size != 0)
        *blob = found.Detach();
    return so::kOk;
}

void ResourceService::BindMethods(so::MethodBinder<ResourceService>& binder) {
    binder.Bind<host::UIResourceService::GetResourceStore, &ResourceService::GetResourceStore>();
}

ResourceService::ResourceService(so::Ref engine) : store_(so::Make<ResourceStore>(std::move(engine))) {}

SOResult ResourceService::GetResourceStore(ServiceObject** store) {
    if (store == nullptr)
        return so::kInvalidArgument;
    *store = so::Ref(store_).Detach();
    return so::kOk;
}

void RegisterResourceService(so::Ref engine) {
    so::Ref service = so::Make<ResourceService>(std::move(engine));
    SOResult code = ServiceProviderRegisterObject(host::UIResourceService::kServiceNumber, service.Get());
    if (code != so::kOk)
        throw so::ServiceObjectException(code, "The resource service could not be registered");
}

} // namespace headless
