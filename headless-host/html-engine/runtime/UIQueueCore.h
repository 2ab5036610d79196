// The UI thread's queue: invoker blocks, posted engine work and idle callbacks, shared by the
// queue's owner and the service objects that hand it to the module.
#pragma once

#include "headless-host/html-engine/runtime/PumpReport.h"
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
    // Shuts down, then frees the blocks their allocators never posted nor freed: with the queue
    // gone nobody can hand them back.
    ~UIQueueCore();
    UIQueueCore(const UIQueueCore&) = delete;
    UIQueueCore& operator=(const UIQueueCore&) = delete;

    bool IsUIThread() const { return std::this_thread::get_id() == uiThread_; }

    // ---- Invoker blocks [thread-safe] ----------------------------------------------------------
    // A block belongs to its allocator until it is posted, and to the queue from then on. Shutdown
    // therefore never touches a block that is still being filled: the allocator may write into it
    // and then post or free it whatever the UI thread does meanwhile.
    //
    // A zeroed block for the caller; refused (1) after shutdown.
    SOResult Allocate(std::uint32_t size, void (*destroy)(void* block), void** handle, void** block);
    // Runs the block's destroy and frees it: a block of the caller's, or a posted one that has not
    // started running (it is taken off the queue). 3 for an unknown handle or a running block.
    SOResult Free(void* handle);
    // Takes the caller's block. Queued (0): `invoke` runs with it on the UI thread, then its destroy,
    // and it is freed. Refused, after shutdown (1) or without `invoke` (3): its destroy runs and it
    // is freed at once, so that what the block holds is released; the caller must not free it.
    // 3 without taking anything for a handle that is not an unposted block of this queue.
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
    // Destroys every posted block that never ran, drops posted work and refuses blocks and work
    // from then on. Blocks not yet posted stay their allocators'.
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
