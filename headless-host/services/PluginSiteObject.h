// The host's site for an in-place plug-in, and the UI window context of its panel.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <array>
#include <atomic>
#include <map>
#include <mutex>

namespace headless {

// The host's full site interface: slots 0 to 31 are host operations the panel module never calls
// and this host does not offer (they answer 1); slot 32 gives the context binding.
struct PluginSiteInterface : host::UIPluginSite {
    using Methods = so::MethodList<GetContextBinding>;
};

class PluginSiteObject : public so::ObjectBase {
public:
    using Interface = PluginSiteInterface;
    static constexpr std::uint32_t kClassTag = 0x51E51701;
    static void BindMethods(so::MethodBinder<PluginSiteObject>& binder);

    SOResult GetContextBinding(void** record);

    // The window context the plug-in bound through the record, or null.
    ServiceObject* BoundContext() const { return boundContext_.load(); }

private:
    static void BindContext(ServiceObject* context);

    // The binding record carries no pointer back to its site, so the bound context is process-wide:
    // one panel per host process.
    static inline std::atomic<ServiceObject*> boundContext_{nullptr};
    host::UIPluginSiteContextBinding binding_{nullptr, &PluginSiteObject::BindContext};
};

// Gives the service objects of a window by interface id.
class WindowContextObject : public so::ObjectBase {
public:
    using Interface = host::UIWindowContext;
    static constexpr std::uint32_t kClassTag = 0x3C0A7E48;
    static void BindMethods(so::MethodBinder<WindowContextObject>& binder);

    // Adds (or, with null, withdraws) the window's object for an interface id.
    void SetServiceObject(std::uint32_t interfaceId, ServiceObject* object);

    SOResult QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out);

private:
    std::mutex mutex_;
    std::map<std::uint32_t, so::Ref> objects_;
};

} // namespace headless
