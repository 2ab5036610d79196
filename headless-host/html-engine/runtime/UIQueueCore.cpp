#include "headless-host/html-engine/runtime/UIQueueCore.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <new>

namespace html {

struct UIQueueCore::Block {
    void (*destroy)(void* block) = nullptr;
    void (*invoke)(void* block) = nullptr;
    bool posted = false;
    bool running = false;
    std::size_t size = 0;
    void* storage = nullptr;
};

namespace {
constexpr std::align_val_t kBlockAlignment{alignof(std::max_align_t)};
} // namespace

UIQueueCore::UIQueueCore() : uiThread_(std::this_thread::get_id()) {}

UIQueueCore::~UIQueueCore() {
    Shutdown();
    std::unordered_set<Block*> abandoned;
    {
        std::lock_guard lock(mutex_);
        abandoned.swap(blocks_);
    }
    for (Block* block : abandoned) {
        DestroyBlock(block);
    }
}

SOResult UIQueueCore::Allocate(std::uint32_t size, void (*destroy)(void* block), void** handle,
                               void** block) {
    if (handle == nullptr || block == nullptr || size == 0) {
        return so::kInvalidArgument;
    }
    *handle = nullptr;
    *block = nullptr;
    auto owned = std::make_unique<Block>();
    owned->destroy = destroy;
    owned->size = size;
    owned->storage = ::operator new(size, kBlockAlignment);
    std::memset(owned->storage, 0, size);
    std::lock_guard lock(mutex_);
    if (shutDown_) {
        ::operator delete(owned->storage, kBlockAlignment);
        return so::kNothingProvided;
    }
    *block = owned->storage;
    *handle = owned.get();
    blocks_.insert(owned.release());
    return so::kOk;
}

SOResult UIQueueCore::Free(void* handle) {
    auto* block = static_cast<Block*>(handle);
    {
        std::lock_guard lock(mutex_);
        if (block == nullptr || !blocks_.contains(block) || block->running) {
            return so::kInvalidArgument;
        }
        blocks_.erase(block);
        if (block->posted) {
            std::erase_if(tasks_, [block](const Task& task) { return task.block == block; });
        }
    }
    DestroyBlock(block);
    return so::kOk;
}

SOResult UIQueueCore::Post(void (*invoke)(void* block), void* handle) {
    auto* block = static_cast<Block*>(handle);
    {
        std::lock_guard lock(mutex_);
        if (block == nullptr || !blocks_.contains(block) || block->posted) {
            return so::kInvalidArgument;
        }
        if (invoke != nullptr && !shutDown_) {
            block->invoke = invoke;
            block->posted = true;
            tasks_.push_back({block, {}});
            return so::kOk;
        }
        blocks_.erase(block);
    }
    // Refused: the block is ours now and nobody will run it, so what it holds is released here,
    // on the posting thread.
    DestroyBlock(block);
    return invoke == nullptr ? so::kInvalidArgument : so::kNothingProvided;
}

bool UIQueueCore::PostTask(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    if (shutDown_) {
        return false;
    }
    tasks_.push_back({nullptr, std::move(task)});
    return true;
}

SOResult UIQueueCore::RegisterIdle(IdleCallback callback, void* idlePart, const char* name) {
    if (callback == nullptr) {
        return so::kInvalidArgument;
    }
    std::lock_guard lock(mutex_);
    for (auto& entry : idle_) {
        if (entry.callback == callback && entry.part == idlePart && !entry.removed) {
            return so::kOk;
        }
    }
    idle_.push_back({callback, idlePart, name != nullptr ? name : ""});
    return so::kOk;
}

SOResult UIQueueCore::UnregisterIdle(IdleCallback callback, void* idlePart) {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(idle_.begin(), idle_.end(), [&](const IdleEntry& entry) {
        return entry.callback == callback && entry.part == idlePart && !entry.removed;
    });
    if (found == idle_.end()) {
        return so::kNothingProvided;
    }
    // While the list is walked an entry is only marked, so that the walk's positions stay valid.
    if (idleIterations_ > 0) {
        found->removed = true;
    } else {
        idle_.erase(found);
    }
    return so::kOk;
}

std::size_t UIQueueCore::IdleCount() const {
    std::lock_guard lock(mutex_);
    return std::size_t(
        std::count_if(idle_.begin(), idle_.end(), [](const IdleEntry& e) { return !e.removed; }));
}

PumpReport UIQueueCore::PumpUntilIdle(std::size_t maxRounds) {
    PumpReport report;
    assert(IsUIThread() && "the UI loop runs on the UI thread only");
    if (!IsUIThread()) {
        Report("PumpUntilIdle called off the UI thread; refused");
        return report;
    }
    while (report.rounds < maxRounds) {
        ++report.rounds;
        // Posted work always goes before idle work.
        if (std::size_t ran = RunPostedRound(); ran > 0) {
            report.postedRun += ran;
            continue;
        }
        if (!RunIdleRound(report) && PendingCount() == 0) {
            report.quiet = true;
            return report;
        }
    }
    Report("The UI loop was still busy after " + std::to_string(maxRounds) + " rounds");
    return report;
}

std::size_t UIQueueCore::RunPostedRound() {
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = tasks_.size();
    }
    std::size_t ran = 0;
    for (; ran < count; ++ran) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) {
                break;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
            if (task.block != nullptr) {
                task.block->running = true;
            }
        }
        if (task.block != nullptr) {
            RunBlock(task.block);
            continue;
        }
        try {
            task.function();
        } catch (const std::exception& e) {
            Report(std::string("Posted UI work failed: ") + e.what());
        } catch (...) {
            Report("Posted UI work failed");
        }
    }
    return ran;
}

void UIQueueCore::RunBlock(Block* block) {
    try {
        block->invoke(block->storage);
    } catch (const std::exception& e) {
        Report(std::string("A posted invoke record failed: ") + e.what());
    } catch (...) {
        Report("A posted invoke record failed");
    }
    {
        std::lock_guard lock(mutex_);
        blocks_.erase(block);
    }
    DestroyBlock(block);
}

bool UIQueueCore::RunIdleRound(PumpReport& report) {
    bool didWork = false;
    {
        std::lock_guard lock(mutex_);
        ++idleIterations_;
    }
    for (std::size_t i = 0;; ++i) {
        IdleEntry entry;
        {
            std::lock_guard lock(mutex_);
            // Idle work runs only while nothing is posted: what a callback posts runs first.
            if (i >= idle_.size() || !tasks_.empty()) {
                break;
            }
            entry = idle_[i];
        }
        if (entry.removed) {
            continue;
        }
        ++report.idleCalls;
        try {
            if (entry.callback(entry.part) == 0) {
                didWork = true;
            }
        } catch (...) {
            Report("The idle callback \"" + entry.name + "\" failed");
        }
    }
    std::lock_guard lock(mutex_);
    if (--idleIterations_ == 0) {
        std::erase_if(idle_, [](const IdleEntry& entry) { return entry.removed; });
    }
    return didWork;
}

void UIQueueCore::Shutdown() {
    std::vector<Block*> blocks;
    std::deque<Task> tasks;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        tasks.swap(tasks_);
        // Only posted blocks are the queue's; a running one is no longer in the queue and is freed
        // by RunBlock.
        for (const Task& task : tasks) {
            if (task.block != nullptr) {
                blocks_.erase(task.block);
                blocks.push_back(task.block);
            }
        }
        idle_.clear();
    }
    for (Block* block : blocks) {
        DestroyBlock(block);
    }
}

bool UIQueueCore::IsShutDown() const {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

std::size_t UIQueueCore::PendingCount() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

std::size_t UIQueueCore::LiveBlockCount() const {
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

void UIQueueCore::SetErrorReporter(std::function<void(const std::string&)> reporter) {
    std::lock_guard lock(mutex_);
    reporter_ = std::move(reporter);
}

void UIQueueCore::DestroyBlock(Block* block) {
    std::unique_ptr<Block> owned(block);
    if (owned->destroy != nullptr) {
        try {
            owned->destroy(owned->storage);
        } catch (...) {
            // A destroy callback is C code by contract; one that throws anyway must not stop the
            // block from being freed.
        }
    }
    ::operator delete(owned->storage, kBlockAlignment);
}

void UIQueueCore::Report(const std::string& message) {
    std::function<void(const std::string&)> reporter;
    {
        std::lock_guard lock(mutex_);
        reporter = reporter_;
    }
    if (reporter) {
        reporter(message);
    } else {
        std::cerr << "html-engine: " << message << '\n';
    }
}

} // namespace html
