// Callbacks of host-side objects that want to hear about a model change, held weakly so that a
// watcher goes away with its owner without unregistering.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace headless {

template <class... Args>
class WatcherList {
public:
    using Callback = std::function<void(Args...)>;

    void Add(const std::shared_ptr<Callback>& watcher) {
        std::lock_guard lock(mutex_);
        std::erase_if(watchers_, [](const std::weak_ptr<Callback>& entry) { return entry.expired(); });
        watchers_.push_back(watcher);
    }

    // The watchers still alive, in the order they were added; the caller invokes them outside any lock.
    std::vector<std::shared_ptr<Callback>> Live() const {
        std::lock_guard lock(mutex_);
        std::vector<std::shared_ptr<Callback>> live;
        for (const auto& entry : watchers_)
            if (auto watcher = entry.lock())
                live.push_back(std::move(watcher));
        return live;
    }

    void Notify(Args... args) const {
        for (const auto& watcher : Live())
            (*watcher)(args...);
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<Callback>> watchers_;
};

} // namespace headless
