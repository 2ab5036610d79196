// "BLPropertiesContext" of a selection: the groups and properties that every selected object has,
// merged, and the default-settings context of their kind.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLProperties.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <memory>
#include <mutex>
#include <vector>

namespace headless {

class PropertiesContextObject : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContext;
    static constexpr std::uint32_t kClassTag = 0x8E7A0103;
    static void BindMethods(so::MethodBinder<PropertiesContextObject>& binder);

    // `objects`: at least one. Groups and properties are matched by name (and kind flags, and type code)
    // in the first object's order; what one of the objects lacks is left out.
    static so::Ref Make(std::shared_ptr<DocumentState> state,
                        std::vector<std::shared_ptr<ObjectModel>> objects);
    PropertiesContextObject(std::shared_ptr<DocumentState> state,
                            std::vector<std::shared_ptr<ObjectModel>> objects);

    SOResult GetObjectCount(std::uint32_t* count);
    SOResult GetObjectName(const wchar_t** name);
    SOResult GetGroupCount(std::uint32_t* count);
    SOResult GetGroup(std::uint32_t index, ServiceObject** group);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    SOResult GetDefaultContext(ServiceObject** defaultContext);
    SOResult IsDefaultSupported(std::uint8_t* supported);

    const std::vector<so::Ref>& Groups() const { return groups_; }
    // True once the document lost a property this context shows: a new context is due.
    bool ShowsRemoved() const;

private:
    void Connect();

    std::shared_ptr<DocumentState> state_;
    std::vector<std::shared_ptr<ObjectModel>> objects_;
    std::wstring kindName_; // empty when the objects differ in kind
    bool defaultSupported_;
    std::vector<so::Ref> groups_;
    std::vector<std::shared_ptr<PropertyModel>> properties_; // every property shown, for OnChanged
    std::shared_ptr<HostEventSource> events_;
    std::shared_ptr<WatcherList<>::Callback> watcher_;
    std::mutex mutex_;
    so::Ref defaultContext_; // made on first request
};

} // namespace headless
