// The task and progress notification objects of a document: event sources the document raises,
// alike but for their interface.
#pragma once

#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"

namespace headless {

template <class EventsInterface, std::uint32_t Tag>
class NotificationObject : public so::ObjectBase {
public:
    using Interface = EventsInterface;
    static constexpr std::uint32_t kClassTag = Tag;
    static void BindMethods(so::MethodBinder<NotificationObject>& binder) {
        binder.template Bind<typename Interface::Subscribe, &NotificationObject::Subscribe>();
        binder.template Bind<typename Interface::Unsubscribe, &NotificationObject::Unsubscribe>();
    }

    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie) {
        return events_.Subscribe(eventId, subscription, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events_.Unsubscribe(cookie); }

    HostEventSource& Events() { return events_; }

private:
    HostEventSource events_{Interface::kEventCount};
};

using ExecuteNotificationObject = NotificationObject<host::ExecuteNotification, 0xE8EC0101>;
using ProgressNotificationObject = NotificationObject<host::ProgressNotification, 0xE8EC0102>;

} // namespace headless
