#include "headless-host/services/PluginSiteObject.h"

#include <boost/format.hpp>

namespace headless {

void PluginSiteObject::BindMethods(so::MethodBinder<PluginSiteObject>& binder) {
    binder.Bind<host::UIPluginSite::GetContextBinding, &PluginSiteObject::GetContextBinding>();
}

SOResult PluginSiteObject::GetContextBinding(void** record) {
    if (record == nullptr)
        return so::kInvalidArgument;
    *record = &binding_;
    return so::kOk;
}

void PluginSiteObject::BindContext(ServiceObject* context) { boundContext_.store(context); }

void WindowContextObject::BindMethods(so::MethodBinder<WindowContextObject>& binder) {
    binder.Bind<host::UIWindowContext::QueryServiceObject, &WindowContextObject::QueryServiceObject>();
}

void WindowContextObject::SetServiceObject(std::uint32_t interfaceId, ServiceObject* object) {
    so::Ref previous;
    std::lock_guard lock(mutex_);
    if (object != nullptr) {
        previous = std::exchange(objects_[interfaceId], so::Ref::Share(object));
    } else if (auto found = objects_.find(interfaceId); found != objects_.end()) {
        previous = std::move(found->second);
        objects_.erase(found);
    }
}

SOResult WindowContextObject::QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out) {
    if (interfaceId == 0 || out == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    auto found = objects_.find(interfaceId);
    if (found == objects_.end()) {
        *out = nullptr;
        throw so::ServiceObjectException(
            so::kServiceNotSupportedByProvider,
            (boost::format("The window has no service object with the interface id 0x%08X") % interfaceId).str());
    }
    *out = so::Ref(found->second).Detach();
    return so::kOk;
}

} // namespace headless
