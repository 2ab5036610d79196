// The UI queue: invoker blocks and their lifetime, idle callbacks and the pump's order and bounds.
#include "headless-host/html-engine/runtime/UIQueue.h"

#include "headless-host/html-engine/runtime/UIServiceObject.h"
#include "host/UIHandler.h"
#include "service-common/HostCall.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace html::test {
namespace {

using ::testing::ElementsAre;

// A block's content: where to record, and what.
struct Record {
    std::vector<std::string>* log;
    const char* name;
    int* destroyed;
};

void Invoke(void* block) {
    auto* record = static_cast<Record*>(block);
    record->log->push_back(std::string("ran ") + record->name);
}

void Destroy(void* block) {
    ++*static_cast<Record*>(block)->destroyed;
}

class UIQueue : public ::testing::Test {
public:
    // For the idle callbacks below.
    void Note(const std::string& line) { log_.push_back(line); }
    void PostNamed(const char* name) { Post(Allocate(name)); }
    ServiceObject* Service() const { return queue_.Service(); }

protected:
    UIQueue() {
        queue_.SetErrorReporter([this](const std::string& message) { errors_.push_back(message); });
    }

    // Allocates and fills a block; gives its handle.
    void* Allocate(const char* name) {
        void* handle = nullptr;
        void* block = nullptr;
        auto code = so::Call<host::UIInvoker::Allocate>(queue_.Invoker(), std::uint32_t(sizeof(Record)),
                                                        &Destroy, &handle, &block);
        EXPECT_EQ(code, so::kOk);
        if (block != nullptr) {
            *static_cast<Record*>(block) = {&log_, name, &destroyed_};
        }
        return handle;
    }

    void Post(void* handle) {
        EXPECT_EQ(so::Call<host::UIInvoker::Post>(queue_.Invoker(), &Invoke, handle), so::kOk);
    }

    std::vector<std::string> log_;
    std::vector<std::string> errors_;
    int destroyed_ = 0;
    html::UIQueue queue_;
};

TEST_F(UIQueue, TheUIThreadNeedsNoPost) {
    std::uint8_t needsPost = 1;
    ASSERT_EQ(so::Call<host::UIInvoker::NeedsPost>(queue_.Invoker(), &needsPost), so::kOk);
    EXPECT_EQ(needsPost, 0);
}

TEST_F(UIQueue, PostedBlocksRunInOrderWhenPumpedAndAreFreedAfter) {
    Post(Allocate("a"));
    Post(Allocate("b"));
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(queue_.PendingCount(), 2u);
    PumpReport report = queue_.PumpUntilIdle();
    EXPECT_TRUE(report.quiet);
    EXPECT_EQ(report.postedRun, 2u);
    EXPECT_THAT(log_, ElementsAre("ran a", "ran b"));
    EXPECT_EQ(destroyed_, 2);
}

TEST_F(UIQueue, FreeingABlockDestroysItAndTakesItOffTheQueue) {
    void* unposted = Allocate("unposted");
    void* posted = Allocate("posted");
    Post(posted);
    EXPECT_EQ(so::Call<host::UIInvoker::Free>(queue_.Invoker(), unposted), so::kOk);
    EXPECT_EQ(so::Call<host::UIInvoker::Free>(queue_.Invoker(), posted), so::kOk);
    EXPECT_EQ(destroyed_, 2);
    queue_.PumpUntilIdle();
    EXPECT_TRUE(log_.empty());
    EXPECT_THROW(so::Call<host::UIInvoker::Free>(queue_.Invoker(), posted), so::ServiceObjectException)
        << "an unknown handle is an invalid argument";
}

TEST_F(UIQueue, ShutdownDestroysPostedBlocksThatNeverRanAndRefusesNewOnes) {
    Post(Allocate("queued"));
    queue_.Shutdown();
    EXPECT_EQ(destroyed_, 1);
    EXPECT_TRUE(log_.empty());
    void* handle = nullptr;
    void* block = nullptr;
    EXPECT_EQ(so::Call<host::UIInvoker::Allocate>(queue_.Invoker(), 16u, &Destroy, &handle, &block),
              so::kNothingProvided);
    EXPECT_EQ(block, nullptr);
}

TEST_F(UIQueue, ShutdownLeavesAnUnpostedBlockToItsAllocatorWhosePostThenDestroysIt) {
    void* handle = Allocate("being filled");
    queue_.Shutdown();
    EXPECT_EQ(destroyed_, 0) << "the allocator may still be writing into the block";
    EXPECT_EQ(so::Call<host::UIInvoker::Post>(queue_.Invoker(), &Invoke, handle), so::kNothingProvided);
    EXPECT_EQ(destroyed_, 1) << "a refused post releases what the block holds";
    EXPECT_TRUE(log_.empty());
    EXPECT_THROW(so::Call<host::UIInvoker::Free>(queue_.Invoker(), handle), so::ServiceObjectException)
        << "the refused block is gone: freeing it again is an invalid argument";
    EXPECT_EQ(destroyed_, 1);
}

TEST_F(UIQueue, AnUnpostedBlockMayStillBeFreedAfterShutdown) {
    void* handle = Allocate("given back");
    queue_.Shutdown();
    EXPECT_EQ(so::Call<host::UIInvoker::Free>(queue_.Invoker(), handle), so::kOk);
    EXPECT_EQ(destroyed_, 1);
}

TEST_F(UIQueue, BlocksOfAQueueThatGoesAreDestroyedWithIt) {
    int destroyed = 0;
    {
        html::UIQueue queue;
        void* handle = nullptr;
        void* block = nullptr;
        so::Call<host::UIInvoker::Allocate>(queue.Invoker(), std::uint32_t(sizeof(Record)), &Destroy, &handle,
                                            &block);
        *static_cast<Record*>(block) = {&log_, "never", &destroyed};
        so::Call<host::UIInvoker::Post>(queue.Invoker(), &Invoke, handle);
        so::Call<host::UIInvoker::Allocate>(queue.Invoker(), std::uint32_t(sizeof(Record)), &Destroy, &handle,
                                            &block);
        *static_cast<Record*>(block) = {&log_, "abandoned", &destroyed};
    }
    EXPECT_EQ(destroyed, 2) << "the posted block and the one its allocator never handed back";
    EXPECT_TRUE(log_.empty());
}

// An idle part that records its calls, posts one record on its first call, and reports work
// `busyCalls` times.
struct IdlePart {
    UIQueue* test;
    int calls = 0;
    int busyCalls = 1;
    static std::uint32_t Callback(void* part) {
        auto* self = static_cast<IdlePart*>(part);
        ++self->calls;
        self->test->Note("idle " + std::to_string(self->calls));
        if (self->calls == 1) {
            self->test->PostNamed("from idle");
        }
        return self->calls <= self->busyCalls ? 0 : 1;
    }
};

TEST_F(UIQueue, IdleCallbacksRunOnlyWhenNothingIsPosted) {
    IdlePart part{this};
    ASSERT_EQ(so::Call<UIServiceInterface::RegisterIdleCallback>(queue_.Service(), &IdlePart::Callback,
                                                                 static_cast<void*>(&part), "part"),
              so::kOk);
    Post(Allocate("first"));
    EXPECT_TRUE(queue_.PumpUntilIdle().quiet);
    EXPECT_THAT(log_, ElementsAre("ran first", "idle 1", "ran from idle", "idle 2"));
    ASSERT_EQ(so::Call<UIServiceInterface::UnregisterIdleCallback>(queue_.Service(), &IdlePart::Callback,
                                                                   static_cast<void*>(&part)),
              so::kOk);
    EXPECT_EQ(queue_.IdleCallbackCount(), 0u);
    log_.clear();
    queue_.PumpUntilIdle();
    EXPECT_TRUE(log_.empty());
}

TEST_F(UIQueue, ACallbackThatAlwaysWorksStopsThePumpAtItsLimit) {
    IdlePart part{this};
    part.busyCalls = 1'000'000;
    so::Call<UIServiceInterface::RegisterIdleCallback>(queue_.Service(), &IdlePart::Callback,
                                                       static_cast<void*>(&part), "busy");
    PumpReport report = queue_.PumpUntilIdle(50);
    EXPECT_FALSE(report.quiet);
    EXPECT_EQ(report.rounds, 50u);
    EXPECT_THAT(errors_, ElementsAre(::testing::HasSubstr("still busy after 50 rounds")));
}

// Unregisters itself on its first call.
std::uint32_t Withdrawing(void* part) {
    auto* test = static_cast<UIQueue*>(part);
    test->Note("withdrawing");
    so::Call<UIServiceInterface::UnregisterIdleCallback>(test->Service(), &Withdrawing, part);
    return 0;
}

TEST_F(UIQueue, ACallbackMayWithdrawItselfWhileTheLoopRuns) {
    so::Call<UIServiceInterface::RegisterIdleCallback>(queue_.Service(), &Withdrawing,
                                                       static_cast<void*>(this), "w");
    EXPECT_TRUE(queue_.PumpUntilIdle().quiet);
    EXPECT_THAT(log_, ElementsAre("withdrawing"));
}

} // namespace
} // namespace html::test
