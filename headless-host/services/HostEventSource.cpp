#include "headless-host/services/HostEventSource.h"

#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <iostream>
#include <vector>

namespace headless {

namespace {
// Process-wide, so that a cookie given by one source is never valid for another.
std::atomic<host::HostEventCookie> nextCookie{1};

std::mutex reporterMutex;
std::function<void(const std::string&)> failureReporter;

void ReportFailure(std::uint32_t eventId, const std::string& what) {
    std::string message =
        (boost::format("A subscriber of host event %1% failed: %2%") % eventId % what).str();
    std::function<void(const std::string&)> reporter;
    {
        std::lock_guard lock(reporterMutex);
        reporter = failureReporter;
    }
    if (reporter)
        reporter(message);
    else
        std::cerr << message << "\n";
}
} // namespace

struct HostEventSource::Entry {
    std::uint32_t eventId;
    HostEventSubscription subscription;
    std::atomic<bool> active{true};

    Entry(std::uint32_t id, const HostEventSubscription& record) : eventId(id), subscription(record) {}
    // Runs on whichever thread drops the last reference: the source, Unsubscribe, or a raise that
    // was invoking the closure when it was withdrawn.
    ~Entry() { subscription.Release(subscription.closure); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
};

HostEventSource::HostEventSource(std::uint32_t eventCount) : eventCount_(eventCount) {}

HostEventSource::~HostEventSource() {
    Clear();
}

SOResult HostEventSource::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                    host::HostEventCookie* cookie) {
    if (subscription == nullptr || cookie == nullptr)
        return so::kInvalidArgument;
    *cookie = 0;
    if (eventId >= eventCount_)
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("Unknown event id %1% (the object has %2% events)") % eventId % eventCount_)
                .str());
    if (subscription->Invoke == nullptr || subscription->Release == nullptr)
        throw so::ServiceObjectException(
            so::kInvalidArgument, "An event subscription needs both an invoke and a release trampoline");
    auto entry = std::make_shared<Entry>(eventId, *subscription);
    host::HostEventCookie made = nextCookie.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(mutex_);
    entries_.emplace(made, std::move(entry));
    *cookie = made;
    return so::kOk;
}

SOResult HostEventSource::Unsubscribe(host::HostEventCookie cookie) {
    std::shared_ptr<Entry> entry; // released after the lock: the release trampoline may call back
    {
        std::lock_guard lock(mutex_);
        auto found = entries_.find(cookie);
        if (found == entries_.end())
            throw so::ServiceObjectException(
                so::kInvalidArgument,
                (boost::format("No event subscription with the cookie %1%") % cookie).str());
        entry = std::move(found->second);
        entries_.erase(found);
    }
    entry->active.store(false, std::memory_order_release);
    return so::kOk;
}

void HostEventSource::Raise(std::uint32_t eventId, const void* arguments) const {
    std::vector<std::shared_ptr<Entry>> receivers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [cookie, entry] : entries_)
            if (entry->eventId == eventId)
                receivers.push_back(entry);
    }
    for (const auto& entry : receivers) {
        if (!entry->active.load(std::memory_order_acquire))
            continue;
        try {
            entry->subscription.Invoke(entry->subscription.closure, arguments);
        } catch (const std::exception& e) {
            ReportFailure(eventId, e.what());
        } catch (...) {
            ReportFailure(eventId, "unknown exception");
        }
    }
}

void HostEventSource::SetFailureReporter(std::function<void(const std::string& message)> reporter) {
    std::lock_guard lock(reporterMutex);
    failureReporter = std::move(reporter);
}

std::size_t HostEventSource::SubscriberCount(std::uint32_t eventId) const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& [cookie, entry] : entries_)
        count += entry->eventId == eventId ? 1 : 0;
    return count;
}

std::size_t HostEventSource::SubscriberCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void HostEventSource::Clear() {
    std::map<host::HostEventCookie, std::shared_ptr<Entry>> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(entries_);
    }
    for (auto& [cookie, entry] : dropped)
        entry->active.store(false, std::memory_order_release);
}

} // namespace headless
