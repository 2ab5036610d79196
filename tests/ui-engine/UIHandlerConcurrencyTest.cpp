// Host events raised on other threads reach a handler only on the UI thread, through its invoker.
#include "tests/support/TestHost.h"

#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/UIQueue.h"
#include "ui-engine/internal/UIHandlerStdImpl.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Observer : ui::UIHandlerStdImpl<Observer> {
    static constexpr std::uint32_t kClassTag = 0x7E57A0B5;
    static constexpr std::uint32_t kEventMask = 0x8100;
    // Written only by work running on the UI thread.
    std::vector<DWORD> threads;
};

class UIHandlerThreads : public testing_host::HostTest {
protected:
    html::UIQueue queue_;
    html::EngineWindow window_{queue_};
};

TEST_F(UIHandlerThreads, EventsFromOtherThreadsRunOnTheUIThread) {
    window_.LoadHtml("<html><body><div #panel></div></body></html>");
    HELEMENT root = nullptr, panel = nullptr;
    ui::Engine().GetRootElement(window_.Handle(), &root);
    ui::Engine().SelectFirst(root, "#panel", &panel);
    so::Ref handler = Observer::Create();
    ASSERT_EQ(ui::Engine().AttachEventHandler(panel, handler.Get()), kHtmlOk);
    Observer& observer = Observer::From(handler.Get());

    constexpr int kThreads = 4;
    constexpr int kEventsEach = 50;
    std::atomic<int> accepted{0};
    std::vector<std::thread> hosts;
    for (int t = 0; t < kThreads; ++t) {
        hosts.emplace_back([&] {
            for (int i = 0; i < kEventsEach; ++i) {
                // What an observer's subscription callback does with a host event.
                if (observer.RunOrPost([](Observer& self) { self.threads.push_back(GetCurrentThreadId()); }))
                    ++accepted;
            }
        });
    }
    for (auto& host : hosts)
        host.join();
    EXPECT_TRUE(observer.threads.empty()); // nothing ran before the UI loop did
    queue_.PumpUntilIdle();

    EXPECT_EQ(accepted, kThreads * kEventsEach);
    ASSERT_EQ(observer.threads.size(), std::size_t(kThreads * kEventsEach));
    for (DWORD thread : observer.threads)
        EXPECT_EQ(thread, GetCurrentThreadId());

    ui::Engine().DetachEventHandler(panel, handler.Get());
    ui::Engine().ElementRelease(panel);
    ui::Engine().ElementRelease(root);
}

TEST_F(UIHandlerThreads, PostingWhileTheHandlerIsDetachedAndAttachedAgainIsSafe) {
    window_.LoadHtml("<html><body><div #panel></div></body></html>");
    HELEMENT root = nullptr, panel = nullptr;
    ui::Engine().GetRootElement(window_.Handle(), &root);
    ui::Engine().SelectFirst(root, "#panel", &panel);
    so::Ref handler = Observer::Create();
    Observer& observer = Observer::From(handler.Get());
    ASSERT_EQ(ui::Engine().AttachEventHandler(panel, handler.Get()), kHtmlOk);

    // Another thread posts all along while the UI thread detaches and attaches the handler: every
    // post either reaches the window's invoker or is dropped, never a released one.
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::thread host([&] {
        while (!stop.load()) {
            if (observer.PostWeak([](Observer& self) { self.threads.push_back(GetCurrentThreadId()); }))
                ++posted;
        }
    });
    for (int round = 0; round < 200; ++round) {
        ui::Engine().DetachEventHandler(panel, handler.Get());
        queue_.PumpUntilIdle();
        ui::Engine().AttachEventHandler(panel, handler.Get());
        queue_.PumpUntilIdle();
    }
    stop = true;
    host.join();
    queue_.PumpUntilIdle();
    for (DWORD thread : observer.threads)
        EXPECT_EQ(thread, GetCurrentThreadId());

    ui::Engine().DetachEventHandler(panel, handler.Get());
    ui::Engine().ElementRelease(panel);
    ui::Engine().ElementRelease(root);
}

} // namespace
