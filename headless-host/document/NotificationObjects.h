// The task and progress notification objects of a document: event sources the document raises.
#pragma once

#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"

namespace headless {

class ExecuteNotificationObject : public so::ObjectBase {
public:
    using Interface = host::ExecuteNotification;
    static constexpr std::uint32_t kClassTag = 0xE8EC0101;
    static void BindMethods(so::MethodBinder<ExecuteNotificationObject>& binder);

    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie) {
        return events_.Subscribe(eventId, subscription, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events_.Unsubscribe(cookie); }

    HostEventSource& Events() { return events_; }

private:
    HostEventSource events_{host::ExecuteNotification::kEventCount};
};

class ProgressNotificationObject : public so::ObjectBase {
public:
    using Interface = host::ProgressNotification;
    static constexpr std::uint32_t kClassTag = 0xE8EC0102;
    static void BindMethods(so::MethodBinder<ProgressNotificationObject>& binder);

    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie) {
        return events_.Subscribe(eventId, subscription, cookie);
    }
    SOResult Unsubscribe(host::HostEventCookie cookie) { return events_.Unsubscribe(cookie); }

    HostEventSource& Events() { return events_; }

private:
    HostEventSource events_{host::ProgressNotification::kEventCount};
};

} // namespace headless
