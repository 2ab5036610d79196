// "BLProperty" of a selection: one property of every selected object, read merged and written to all.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLProperties.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace headless {

class PropertyObject : public so::ObjectBase {
public:
    using Interface = host::BLProperty;
    static constexpr std::uint32_t kClassTag = 0x8E7A0101;
    static void BindMethods(so::MethodBinder<PropertyObject>& binder);

    // `targets` are the like-named properties of the selected objects (at least one, same type).
    static so::Ref Make(std::shared_ptr<DocumentState> state,
                        std::vector<std::shared_ptr<PropertyModel>> targets);
    PropertyObject(std::shared_ptr<DocumentState> state, std::vector<std::shared_ptr<PropertyModel>> targets);

    SOResult GetName(const wchar_t** name);
    SOResult GetType(std::uint32_t* typeCode);
    SOResult GetValueKind(std::uint32_t* valueKind);
    SOResult IsMixed(std::uint8_t* mixed);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    SOResult IsReadOnly(std::uint8_t* readOnly);
    SOResult IsHidden(std::uint8_t* hidden);
    SOResult GetValue(std::uint32_t valueKind, void* record);
    SOResult SetValue(std::uint32_t valueKind, const void* record);
    SOResult NoticePendingValue(std::uint32_t valueKind, const void* record);
    SOResult IsNoColorAvailable(std::uint8_t* available);

    // For the host's dumps and tests.
    StoredValue CurrentValue(bool* mixed = nullptr) const;
    // The message GetValue fails with (the first selected object's that has one), or null.
    const std::string* ReadError() const;
    std::optional<StoredValue> PendingValue() const;
    std::size_t SubscriberCount() const { return events_->SubscriberCount(); }
    const std::vector<std::shared_ptr<PropertyModel>>& Targets() const { return targets_; }

private:
    void Connect();
    void CheckKind(std::uint32_t valueKind) const;
    void CheckPresent() const;

    std::shared_ptr<DocumentState> state_;
    std::vector<std::shared_ptr<PropertyModel>> targets_;
    const PropertyModel& first_;
    bool readOnly_;
    bool hidden_;
    std::shared_ptr<HostEventSource> events_;
    // Held here, watched weakly by the model: raising goes through it from any thread.
    std::shared_ptr<WatcherList<>::Callback> watcher_;
};

} // namespace headless
