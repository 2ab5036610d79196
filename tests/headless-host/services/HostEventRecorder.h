// Subscribes to host events the way a module does: a heap closure that owns a callback, handed over
// with invoke and release trampolines, and released by the source.
#pragma once

#include "host/BLEvents.h"
#include "service-common/HostCall.h"

#include <atomic>
#include <functional>

namespace testing_host {

// Counts releases of the closures it made; a closure must be released exactly once.
struct ClosureCounter {
    std::atomic<int> made{0};
    std::atomic<int> released{0};
};

namespace detail {
struct Closure {
    std::function<void(const void*)> callback;
    ClosureCounter* counter;
};
inline void InvokeClosure(void* closure, const void* arguments) {
    static_cast<Closure*>(closure)->callback(arguments);
}
inline void ReleaseClosure(void* closure) {
    auto* owned = static_cast<Closure*>(closure);
    if (owned->counter != nullptr)
        owned->counter->released.fetch_add(1);
    delete owned;
}
} // namespace detail

// Subscribes `callback(const Event::Arguments&)` through the source's Subscribe method; gives the
// cookie. When the source refuses, the closure is freed here (it stayed the caller's) and the
// ServiceObjectException of the refusal goes on.
template <class SubscribeMethod, class Event, class Callback>
host::HostEventCookie SubscribeEvent(ServiceObject* source, Callback callback,
                                     ClosureCounter* counter = nullptr) {
    auto* closure =
        new detail::Closure{[callback](const void* arguments) mutable {
                                callback(*static_cast<const typename Event::Arguments*>(arguments));
                            },
                            counter};
    if (counter != nullptr)
        counter->made.fetch_add(1);
    HostEventSubscription subscription{&detail::InvokeClosure, &detail::ReleaseClosure, closure};
    host::HostEventCookie cookie = 0;
    try {
        so::Call<SubscribeMethod>(source, Event::kEventId, &subscription, &cookie);
    } catch (...) {
        detail::ReleaseClosure(closure);
        throw;
    }
    return cookie;
}

} // namespace testing_host
