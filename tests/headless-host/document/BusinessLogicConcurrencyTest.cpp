// Host events raised on other threads: writes, undo and selection changes made off the main thread
// reach their subscribers on the thread that made them, while other threads subscribe, unsubscribe
// and read. Run under ThreadSanitizer too.
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace {

using host::BLProperty;
using testing_host::SubscribeEvent;
using BusinessLogicConcurrency = testing_host::SampleDocumentTest;

const std::vector<std::wstring> kOpacity = {L"Appearance", L"Style", L"Opacity"};

TEST_F(BusinessLogicConcurrency, WritesOnOtherThreadsRaiseOnChangeOnThoseThreads) {
    so::Ref opacity = Property(L"Square 1", kOpacity);
    std::mutex mutex;
    std::set<std::thread::id> raisedOn;
    std::atomic<int> changes{0};
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
        opacity.Get(), [&](const host::ObjectEventArguments& arguments) {
            // A subscriber reads back while others write: the value is always a whole record.
            host::NumberValue value{};
            so::Call<BLProperty::GetValue>(arguments.object, host::kValueKindOf<host::NumberValue>,
                                           static_cast<void*>(&value));
            EXPECT_GE(value.value, 0);
            EXPECT_LE(value.value, 100);
            std::lock_guard lock(mutex);
            raisedOn.insert(std::this_thread::get_id());
            ++changes;
        });

    constexpr int kThreads = 4;
    constexpr int kWrites = 50;
    std::vector<std::thread> writers;
    std::set<std::thread::id> writerIds;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i) {
                host::NumberValue value{(t * kWrites + i) % 101, 0, 100, 1};
                EXPECT_EQ(Write(opacity.Get(), value), so::kOk);
            }
        });
    for (auto& writer : writers) {
        writerIds.insert(writer.get_id());
        writer.join();
    }
    EXPECT_EQ(changes.load(), kThreads * kWrites) << "every accepted write raises OnChange";
    EXPECT_EQ(raisedOn, writerIds);
    EXPECT_LE(UndoCount(), std::uint32_t(kThreads * kWrites));
    EXPECT_GT(UndoCount(), 0u);
}

TEST_F(BusinessLogicConcurrency, SubscribersComeAndGoWhileEventsAreRaised) {
    so::Ref opacity = Property(L"Square 1", kOpacity);
    testing_host::ClosureCounter counter;
    std::atomic<bool> stop{false};
    std::atomic<int> heard{0};
    std::thread writer([&] {
        int value = 0;
        while (!stop.load())
            Write(opacity.Get(), host::NumberValue{value++ % 100, 0, 100, 1});
    });
    std::vector<std::thread> subscribers;
    for (int t = 0; t < 3; ++t)
        subscribers.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto cookie = SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(
                    opacity.Get(), [&](const host::ObjectEventArguments&) { heard.fetch_add(1); }, &counter);
                so::Call<BLProperty::Unsubscribe>(opacity.Get(), cookie);
            }
        });
    for (auto& subscriber : subscribers)
        subscriber.join();
    stop = true;
    writer.join();
    EXPECT_EQ(counter.made.load(), 600);
    EXPECT_EQ(counter.released.load(), 600) << "every closure released exactly once";
}

TEST_F(BusinessLogicConcurrency, UndoOnAnotherThreadIsHeardWhereItRuns) {
    so::Ref opacity = Property(L"Square 1", kOpacity);
    for (int value : {10, 20, 30})
        ASSERT_EQ(Write(opacity.Get(), host::NumberValue{value, 0, 100, 1}), so::kOk);
    std::thread::id heardOn;
    std::mutex mutex;
    SubscribeEvent<BLProperty::Subscribe, BLProperty::OnChange>(opacity.Get(),
                                                                [&](const host::ObjectEventArguments&) {
                                                                    std::lock_guard lock(mutex);
                                                                    heardOn = std::this_thread::get_id();
                                                                });
    so::Ref document = Document();
    std::thread undoer([&] {
        EXPECT_EQ(so::Call<host::BLDocument::Undo>(document.Get()), so::kOk);
        std::lock_guard lock(mutex);
        EXPECT_EQ(heardOn, std::this_thread::get_id());
    });
    // Meanwhile the panel reads the value: it is the one before or the one after the undo.
    for (int i = 0; i < 200; ++i) {
        host::NumberValue value{};
        so::Call<BLProperty::GetValue>(opacity.Get(), host::kValueKindOf<host::NumberValue>,
                                       static_cast<void*>(&value));
        EXPECT_TRUE(value.value == 30 || value.value == 20) << value.value;
    }
    undoer.join();
    EXPECT_EQ(Stored(L"Square 1", kOpacity), "20");
    EXPECT_EQ(UndoCount(), 2u);
    EXPECT_EQ(RedoCount(), 1u);
}

TEST_F(BusinessLogicConcurrency, SelectionChangesOnAnotherThreadReachTheViewsSubscribers) {
    using View = host::BLDocumentView;
    so::Ref view = BusinessView();
    std::atomic<int> changed{0};
    std::atomic<bool> offMain{true};
    const auto mainThread = std::this_thread::get_id();
    SubscribeEvent<View::Subscribe, View::OnSelectionChanged>(
        view.Get(), [&](const View::SelectionArguments& arguments) {
            if (std::this_thread::get_id() == mainThread)
                offMain = false;
            if (arguments.selection != nullptr) {
                so::Ref context;
                so::Call<host::BLSelection::GetPropertiesContext>(arguments.selection, context.Put());
                std::uint32_t groups = 0;
                so::Call<host::BLPropertiesContext::GetGroupCount>(context.Get(), &groups);
                EXPECT_GT(groups, 0u);
            }
            changed.fetch_add(1);
        });
    std::thread selector([&] {
        for (int i = 0; i < 20; ++i)
            workspace->Select(i % 2 == 0 ? std::vector<std::wstring>{L"Square 1"}
                                         : std::vector<std::wstring>{L"Name Field", L"City Field"});
    });
    // The panel's reads of the current selection go on meanwhile.
    for (int i = 0; i < 100; ++i) {
        so::Ref selection;
        so::Call<View::GetSelection>(view.Get(), selection.Put());
    }
    selector.join();
    EXPECT_EQ(changed.load(), 20);
    EXPECT_TRUE(offMain.load());
}

} // namespace
