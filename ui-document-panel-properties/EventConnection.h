// Subscriptions to the events of host objects (host/BLEvents.h): a connection owns one
// subscription and withdraws it when disconnected or destroyed.
#pragma once

#include "host/BLEvents.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"
#include "ui-engine/Logging.h"

#include <exception>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace panel {

class EventConnection {
public:
    // Subscribes `callback(const Event::Arguments&)` to `Event` of `source`, an object of interface
    // `Source`. Null when the source has no such event or refuses it; host failures raise. The
    // callback runs on whichever thread raises the event; an exception leaving it is logged, never
    // passed back into the host.
    template <class Source, class Event, class Callback>
    static std::shared_ptr<EventConnection> Subscribe(ServiceObject* source, Callback callback) {
        using Arguments = typename Event::Arguments;
        struct Closure {
            Callback callback;
        };
        auto closure = std::make_unique<Closure>(Closure{std::move(callback)});
        const HostEventSubscription subscription{
            [](void* self, const void* arguments) {
                try {
                    static_cast<Closure*>(self)->callback(*static_cast<const Arguments*>(arguments));
                } catch (const std::exception& e) {
                    ui::Log(host::LogLevel::Error,
                            ui::FormatMessage(L"Event callback failed: %1%", e.what()));
                } catch (...) {
                    ui::Log(host::LogLevel::Error, L"Event callback failed");
                }
            },
            [](void* self) { delete static_cast<Closure*>(self); }, closure.get()};
        host::HostEventCookie cookie = 0;
        auto code = so::Call<typename Source::Subscribe>(source, Event::kEventId, &subscription, &cookie);
        if (!code || *code != so::kOk || cookie == 0)
            return nullptr;
        closure.release(); // the source owns it now
        return std::shared_ptr<EventConnection>(new EventConnection(source, cookie, &Unsubscribe<Source>));
    }

    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection() { Disconnect(); }

    // Withdraws the subscription while the source lives (a dead source has released it already).
    // Never raises: it runs on teardown paths.
    void Disconnect() noexcept;

private:
    using UnsubscribeFunction = void (*)(ServiceObject* source, host::HostEventCookie cookie);

    template <class Source>
    static void Unsubscribe(ServiceObject* source, host::HostEventCookie cookie) {
        so::Call<typename Source::Unsubscribe>(source, cookie);
    }

    EventConnection(ServiceObject* source, host::HostEventCookie cookie, UnsubscribeFunction unsubscribe);

    so::WeakRef source_;
    // Objects without weak references are held strongly instead, so that the cookie can still be
    // given back.
    so::Ref strongSource_;
    host::HostEventCookie cookie_;
    UnsubscribeFunction unsubscribe_;
    std::once_flag disconnected_;
};

using EventConnectionPtr = std::shared_ptr<EventConnection>;

// A list of connections that may be filled and emptied from any thread. Disconnecting happens
// outside the list's lock, so an event already under way may take other locks meanwhile.
class EventConnectionList {
public:
    void Add(EventConnectionPtr connection) {
        if (!connection)
            return;
        std::lock_guard lock(mutex_);
        connections_.push_back(std::move(connection));
    }
    void DisconnectAll() noexcept {
        std::vector<EventConnectionPtr> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(connections_);
        }
        for (auto& connection : taken)
            connection->Disconnect();
    }
    std::size_t Size() const {
        std::lock_guard lock(mutex_);
        return connections_.size();
    }
    ~EventConnectionList() { DisconnectAll(); }

private:
    mutable std::mutex mutex_;
    std::vector<EventConnectionPtr> connections_;
};

} // namespace panel
