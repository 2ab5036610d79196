// The UI thread's queue: invoker blocks, posted engine work and idle callbacks, shared by the
// queue's owner and the service objects that hand it to the module.
#pragma once

#include "headless-host/html-engine/PumpReport.h"
#include "host/ServiceObject.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace html {

class UIQueueCore {
public:
    using IdleCallback = std::uint32_t (*)(void* idlePart);

    // The calling thread becomes the UI thread.
    UIQueueCore();
    ~UIQueueCore();
    UIQueueCore(const UIQueueCore&) = delete;
    UIQueueCore& operator=(const UIQueueCore&) = delete;

    bool IsUIThread() const { return std::this_thread::get_id() == uiThread_; }

    // ---- Invoker blocks [thread-safe] ----------------------------------------------------------
    // A zeroed block owned by the queue until it ran or was freed; refused after shutdown.
    SOResult Allocate(std::uint32_t size, void (*destroy)(void* block), void** handle, void** block);
    // Runs the block's destroy and frees it; a posted block is taken off the queue first.
    SOResult Free(void* handle);
    // Queues the block; `invoke` runs with it on the UI thread, then the block is freed. A refused
    // post leaves the block to the caller (who frees it).
    SOResult Post(void (*invoke)(void* block), void* handle);

    // Engine work (posted events) [thread-safe]. False after shutdown: the task is dropped.
    bool PostTask(std::function<void()> task);

    // ---- Idle callbacks [ui-thread] --------------------------------------------------------------
    // Registering the same callback and part again keeps one registration.
    SOResult RegisterIdle(IdleCallback callback, void* idlePart, const char* name);
    SOResult UnregisterIdle(IdleCallback callback, void* idlePart);
    std::size_t IdleCount() const;

    // ---- The loop [ui-thread] ---------------------------------------------------------------------
    PumpReport PumpUntilIdle(std::size_t maxRounds);
    // Destroys every block that never ran, drops posted work and refuses blocks from then on.
    void Shutdown();
    bool IsShutDown() const;
    std::size_t PendingCount() const;
    std::size_t LiveBlockCount() const;

    // Failures of posted work and idle callbacks (which have no caller to report to).
    void SetErrorReporter(std::function<void(const std::string&)> reporter);

private:
    struct Block;
    struct Task {
        Block* block = nullptr; // an invoker block, or
        std::function<void()> function;
    };
    struct IdleEntry {
        IdleCallback callback;
        void* part;
        std::string name;
        bool removed = false;
    };

    // Runs the tasks queued when it starts (later ones wait for the next round); gives how many.
    std::size_t RunPostedRound();
    // Each idle callback once while nothing is posted; gives whether one did work.
    bool RunIdleRound(PumpReport& report);
    void RunBlock(Block* block);
    static void DestroyBlock(Block* block);
    void Report(const std::string& message);

    const std::thread::id uiThread_;
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
    std::unordered_set<Block*> blocks_;
    bool shutDown_ = false;
    std::vector<IdleEntry> idle_;
    int idleIterations_ = 0; // >0 while the idle list is being walked
    std::function<void(const std::string&)> reporter_;
};

} // namespace html
