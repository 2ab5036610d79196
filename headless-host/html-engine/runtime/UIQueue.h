// The UI thread's loop as the host program and tests own it: posted work first, then idle
// callbacks, until both are quiet.
#pragma once

#include "headless-host/html-engine/runtime/HtmlEngineExport.h"
#include "headless-host/html-engine/runtime/PumpReport.h"
#include "host/ServiceObject.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace html {

class UIQueueCore;

// The thread that makes the queue is the UI thread: its windows must be made, used and destroyed
// there, and only it may pump. The queue must outlive its windows.
class HTML_ENGINE_API UIQueue {
public:
    static constexpr std::size_t kDefaultMaxRounds = 10000;

    UIQueue();
    // Shuts down: blocks that never ran are destroyed.
    ~UIQueue();
    UIQueue(const UIQueue&) = delete;
    UIQueue& operator=(const UIQueue&) = delete;

    // The "UIInvoker" and "UIService" objects of this queue, owned by the queue (add a reference to
    // keep one). The host registers the service with its service provider under "UIService".
    ServiceObject* Invoker() const;
    ServiceObject* Service() const;

    bool IsUIThread() const;
    // Runs posted records and events, then idle callbacks, until neither has anything to do, or
    // gives up after `maxRounds` rounds (one round: one batch of posted work or one pass over the
    // idle callbacks) and says so in the report.
    PumpReport PumpUntilIdle(std::size_t maxRounds = kDefaultMaxRounds);
    void Shutdown();
    std::size_t PendingCount() const;
    std::size_t IdleCallbackCount() const;
    // Where failures of posted work and idle callbacks go (standard error by default).
    void SetErrorReporter(std::function<void(const std::string&)> reporter);

    const std::shared_ptr<UIQueueCore>& Core() const { return core_; }

private:
    std::shared_ptr<UIQueueCore> core_;
    ServiceObject* invoker_;
    ServiceObject* service_;
};

} // namespace html
