// Host events of the business-logic objects and the document views: the subscription record a
// subscriber hands over, and the argument records the events deliver.
//
// Rules shared by every event source of the host (each source declares its events as nested
// structs with kEventId and Arguments, and a Subscribe / Unsubscribe pair of methods):
//   - Subscribe(eventId, subscription, out cookie) gives 0 and a non-zero cookie. From then on the
//     source owns the closure: it calls Release(closure) exactly once, after Unsubscribe(cookie) or
//     when the source dies, and never calls Invoke after that. When Subscribe fails (or is absent)
//     the caller keeps the closure.
//   - Invoke(closure, arguments) runs on the thread that raised the event, which may be any thread,
//     never under a lock of the source, so a subscriber may call back into the source. An
//     invocation already under way may finish after Unsubscribe has returned: the closure is
//     released only after it.
//   - Service objects in argument records are borrowed for the duration of the call; a subscriber
//     that keeps one takes its own (weak) reference.
//   - Subscribers of one event are invoked in subscription order.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

extern "C" {

// What a subscriber hands to a source. The record itself is copied; the closure is not.
struct HostEventSubscription {
    // Delivers one event; `arguments` points to the event's Arguments record.
    void (*Invoke)(void* closure, const void* arguments);
    // Frees the closure. Called once by whoever owns the closure at the end.
    void (*Release)(void* closure);
    void* closure;
};

} // extern "C"

namespace host {

// Non-zero for every accepted subscription; unique in the process.
using HostEventCookie = std::uint64_t;

// A range of zero-based page indices, both ends included; first > last means no page.
struct PageRange {
    std::uint64_t first;
    std::uint64_t last;
};

// The state of one scroll bar of a view, in document units.
struct ScrollState {
    std::int32_t position;
    std::int32_t minimum;
    std::int32_t maximum;
    std::int32_t page;
};

// The arguments of events that only name the object they concern.
struct ObjectEventArguments {
    ServiceObject* object;
};

} // namespace host
