// Work from other threads reaches the UI thread only through the queue, and only when it is pumped.
#include "EngineTestSupport.h"

#include "service-common/HostCall.h"

#include <gmock/gmock.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace html::test {
namespace {

struct Record {
    std::atomic<int>* ran;
    std::thread::id* ranOn;
    std::atomic<int>* destroyed;
};

void Invoke(void* block) {
    auto* record = static_cast<Record*>(block);
    *record->ranOn = std::this_thread::get_id();
    record->ran->fetch_add(1);
}

// Like the module's trampoline, ignores a block that holds no record yet.
void Destroy(void* block) {
    if (auto* record = static_cast<Record*>(block); record->destroyed != nullptr) {
        record->destroyed->fetch_add(1);
    }
}

// Calls the invoker as a module does and gives the result, also when it is a failure.
SOResult PostBlock(ServiceObject* invoker, void* handle) {
    try {
        return so::Call<host::UIInvoker::Post>(invoker, &Invoke, handle).value_or(so::kNothingProvided);
    } catch (const so::ServiceObjectException& e) {
        return e.Code();
    }
}

class UIQueueConcurrency : public EngineTest {};

TEST_F(UIQueueConcurrency, WorkPostedFromAnotherThreadRunsOnTheUIThreadWhenPumped) {
    Load("<div id=target></div>");
    so::Ref handler = Attach("#target", "target", kHandleBehaviorEvent);
    Handle target = Find("#target");
    ServiceObject* invoker = nullptr;
    ASSERT_EQ(Api().GetUIInvoker(target.Get(), &invoker), kHtmlOk);
    so::Ref invokerRef = so::Ref::Adopt(invoker);

    constexpr int kRecords = 50;
    std::atomic<int> ran{0};
    std::atomic<int> destroyed{0};
    std::thread::id ranOn;
    std::uint8_t needsPost = 0;
    std::thread poster([&] {
        so::Call<host::UIInvoker::NeedsPost>(invoker, &needsPost);
        for (int i = 0; i < kRecords; ++i) {
            void* handle = nullptr;
            void* block = nullptr;
            so::Call<host::UIInvoker::Allocate>(invoker, std::uint32_t(sizeof(Record)), &Destroy, &handle,
                                                &block);
            *static_cast<Record*>(block) = {&ran, &ranOn, &destroyed};
            so::Call<host::UIInvoker::Post>(invoker, &Invoke, handle);
            HtmlBehaviorEventParams event{1028, target.Get(), target.Get(), 0, {}};
            Api().FireEvent(&event, 1, nullptr);
        }
    });
    poster.join();
    EXPECT_EQ(needsPost, 1);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_TRUE(log_.empty());

    EXPECT_TRUE(queue_.PumpUntilIdle().quiet);
    EXPECT_EQ(ran.load(), kRecords);
    EXPECT_EQ(destroyed.load(), kRecords);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(log_.size(), std::size_t(kRecords));
}

TEST_F(UIQueueConcurrency, ElementOperationsOffTheUIThreadAreRefused) {
    Load("<div id=a></div>");
    Handle root = Root();
    HtmlResult result = kHtmlOk;
    HELEMENT found = nullptr;
    std::thread other([&] { result = Api().SelectFirst(root.Get(), "#a", &found); });
    other.join();
    EXPECT_EQ(result, kHtmlOperationFailed);
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(errors_.empty()) << "the window's reporter runs on its UI thread only";
    EXPECT_TRUE(queue_.PumpUntilIdle().quiet);
    EXPECT_THAT(errors_, ::testing::ElementsAre(::testing::HasSubstr("off the UI thread")));
}

// The allocating thread is between Allocate and Post when the UI thread shuts the queue down: the
// block is still its own to fill, and its post, refused, releases what it holds.
TEST(UIQueueShutdown, ABlockBeingFilledDuringShutdownIsReleasedByItsRefusedPost) {
    html::UIQueue queue;
    ServiceObject* invoker = queue.Invoker();
    std::atomic<int> ran{0};
    std::atomic<int> destroyed{0};
    std::thread::id ranOn;
    std::promise<void> allocated;
    std::promise<void> shutDown;
    SOResult allocateResult = so::kGenericFailure;
    SOResult postResult = so::kGenericFailure;

    std::thread poster([&] {
        void* handle = nullptr;
        void* block = nullptr;
        allocateResult = so::Call<host::UIInvoker::Allocate>(invoker, std::uint32_t(sizeof(Record)), &Destroy,
                                                             &handle, &block)
                             .value_or(so::kGenericFailure);
        allocated.set_value();
        shutDown.get_future().wait();
        if (block == nullptr) {
            return;
        }
        *static_cast<Record*>(block) = {&ran, &ranOn, &destroyed};
        postResult = PostBlock(invoker, handle);
    });
    allocated.get_future().wait();
    queue.Shutdown();
    shutDown.set_value();
    poster.join();

    ASSERT_EQ(allocateResult, so::kOk);
    EXPECT_EQ(postResult, so::kNothingProvided);
    EXPECT_EQ(destroyed.load(), 1) << "the refused block's destroy runs once";
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(queue.PumpUntilIdle().postedRun, 0u);
}

// Posters that keep going while the UI thread runs their work and then shuts down: whichever side
// of the shutdown each block falls on, it is destroyed exactly once.
TEST(UIQueueShutdown, EveryAllocatedBlockIsDestroyedOnceWhenPostersRaceShutdown) {
    constexpr int kPosters = 3;
    constexpr int kBlocksEach = 100;
    html::UIQueue queue;
    queue.SetErrorReporter([](const std::string&) {}); // one-round pumps report that work remains
    ServiceObject* invoker = queue.Invoker();
    std::atomic<int> ran{0};
    std::atomic<int> destroyed{0};
    std::atomic<int> allocatedBlocks{0};
    std::thread::id ranOn;

    std::vector<std::thread> posters;
    for (int i = 0; i < kPosters; ++i) {
        posters.emplace_back([&] {
            for (int n = 0; n < kBlocksEach; ++n) {
                void* handle = nullptr;
                void* block = nullptr;
                auto code = so::Call<host::UIInvoker::Allocate>(invoker, std::uint32_t(sizeof(Record)),
                                                                &Destroy, &handle, &block);
                if (code != so::kOk || block == nullptr) {
                    return; // shut down
                }
                ++allocatedBlocks;
                *static_cast<Record*>(block) = {&ran, &ranOn, &destroyed};
                PostBlock(invoker, handle);
            }
        });
    }
    // Shut down part-way: once some of the work ran, while the posters are likely still at it.
    while (ran.load() < kPosters * kBlocksEach / 4) {
        queue.PumpUntilIdle(1);
    }
    queue.Shutdown();
    for (auto& poster : posters) {
        poster.join();
    }

    EXPECT_EQ(destroyed.load(), allocatedBlocks.load());
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

} // namespace
} // namespace html::test
