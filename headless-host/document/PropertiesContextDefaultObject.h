// "BLPropertiesContextDefault": the stored default settings of the selected objects' kind, compared
// with, taken from and given back to the selected objects.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLProperties.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <memory>
#include <vector>

namespace headless {

class PropertiesContextDefaultObject : public so::ObjectBase {
public:
    using Interface = host::BLPropertiesContextDefault;
    static constexpr std::uint32_t kClassTag = 0x8E7A0104;
    static void BindMethods(so::MethodBinder<PropertiesContextDefaultObject>& binder);

    // `objects`: one or more objects of one kind with default settings.
    static so::Ref Make(std::shared_ptr<DocumentState> state,
                        std::vector<std::shared_ptr<ObjectModel>> objects);
    PropertiesContextDefaultObject(std::shared_ptr<DocumentState> state,
                                   std::vector<std::shared_ptr<ObjectModel>> objects);

    SOResult IsCurrentEqualToDefaults(ServiceObject* group, std::uint8_t* equal);
    SOResult GetKindName(const wchar_t** kind);
    SOResult StoreCurrentAsDefaults();
    SOResult AreDefaultsOriginal(ServiceObject* group, std::uint8_t* original);
    SOResult RestoreOriginalDefaults(std::uint32_t mode);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);

private:
    void Connect();
    // The entries of the kind inside `group` (a group of a context of this host, or null for all).
    std::vector<const DefaultEntry*> EntriesIn(ServiceObject* group) const;
    // The current values of the entry's property in the selected objects (those that have it).
    std::vector<std::pair<std::shared_ptr<PropertyModel>, StoredValue>>
    CurrentValues(const DefaultEntry& entry) const;

    std::shared_ptr<DocumentState> state_;
    std::vector<std::shared_ptr<ObjectModel>> objects_;
    std::wstring kind_;
    const KindDefaults* defaults_; // null when the document names no defaults for the kind
    std::shared_ptr<HostEventSource> events_;
    std::shared_ptr<WatcherList<>::Callback> watcher_;
};

} // namespace headless
