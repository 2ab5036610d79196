// The subscriptions of one host object's events: cookies, owned closures, and raising an event to
// its subscribers from any thread.
#pragma once

#include "host/BLEvents.h"
#include "host/ServiceObject.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace headless {

// The object's Subscribe / Unsubscribe methods forward here. [thread-safe]
class HostEventSource {
public:
    // Event ids run from 0 to eventCount - 1.
    explicit HostEventSource(std::uint32_t eventCount);
    // Releases the closures of the subscriptions still held (after any invocation under way).
    ~HostEventSource();
    HostEventSource(const HostEventSource&) = delete;
    HostEventSource& operator=(const HostEventSource&) = delete;

    // 0 and a cookie, the closure now owned here; raises ServiceObjectException (3) for an unknown
    // event id or a record without Invoke or Release, leaving the closure with the caller.
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    // Raises ServiceObjectException (3) for a cookie this source does not hold.
    SOResult Unsubscribe(host::HostEventCookie cookie);

    // Invokes the event's subscribers in subscription order, outside the lock. A subscriber added or
    // removed meanwhile is not seen, or no longer invoked, by this raise. A subscriber that throws is
    // reported (see SetFailureReporter) and the others are still invoked: the raiser's own operation
    // has happened and must not fail for it.
    void Raise(std::uint32_t eventId, const void* arguments) const;

    template <class Event>
    void Raise(const typename Event::Arguments& arguments) const {
        Raise(Event::kEventId, &arguments);
    }

    std::size_t SubscriberCount(std::uint32_t eventId) const;
    std::size_t SubscriberCount() const;
    // Drops every subscription (the closures go once no invocation uses them).
    void Clear();

    // Where failures of subscribers go, process-wide; by default to the standard error stream.
    // Null restores the default.
    static void SetFailureReporter(std::function<void(const std::string& message)> reporter);

private:
    struct Entry;

    const std::uint32_t eventCount_;
    mutable std::mutex mutex_;
    // Cookies grow, so the map's order is the subscription order.
    std::map<host::HostEventCookie, std::shared_ptr<Entry>> entries_;
};

} // namespace headless
