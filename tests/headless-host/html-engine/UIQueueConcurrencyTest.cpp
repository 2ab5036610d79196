// Work from other threads reaches the UI thread only through the queue, and only when it is pumped.
#include "EngineTestSupport.h"

#include "service-common/HostCall.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

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

void Destroy(void* block) {
    static_cast<Record*>(block)->destroyed->fetch_add(1);
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
}

} // namespace
} // namespace html::test
