// Lock racing the last Release, from many threads: a locker gets a live object or null, never a
// destroyed one, and every object is destroyed exactly once.
#include "tests/service-common/TestObjects.h"
#include "tests/support/TestHost.h"

#include "service-common/ServiceObjectPtr.h"
#include "service-common/WeakReferenceBlock.h"

#include <barrier>
#include <thread>
#include <vector>

using namespace testing_objects;

namespace {

class WeakReferenceStress : public testing_host::HostTest {};

TEST_F(WeakReferenceStress, LockRacingLastReleaseNeverSeesADestroyedObject) {
    constexpr int kRounds = 400;
    constexpr int kLockers = 4;
    int destroyedBefore = destroyedCalculators;
    std::atomic<int> lockedAlive{0};
    std::atomic<int> lockedDead{0};

    for (int round = 0; round < kRounds; ++round) {
        ServiceObject* object = CalculatorObject::Create();
        SOWeakReference* weak = nullptr;
        ASSERT_EQ(object->header.GetWeakReference(object, &weak), so::kOk);
        std::barrier start(kLockers + 1);

        std::vector<std::thread> lockers;
        for (int i = 0; i < kLockers; ++i) {
            lockers.emplace_back([&] {
                start.arrive_and_wait();
                for (int attempt = 0; attempt < 50; ++attempt) {
                    ServiceObject* locked = weak->Lock(weak);
                    if (locked == nullptr)
                        continue;
                    // A locked object must be whole until we let it go.
                    if (CalculatorObject::From(locked).alive.load())
                        ++lockedAlive;
                    else
                        ++lockedDead;
                    locked->header.Release(locked);
                }
            });
        }
        start.arrive_and_wait();
        object->header.Release(object);
        for (auto& locker : lockers)
            locker.join();
        EXPECT_EQ(weak->Lock(weak), nullptr);
        weak->Release(weak);
    }
    EXPECT_EQ(lockedDead, 0);
    EXPECT_EQ(destroyedCalculators - destroyedBefore, kRounds);
    EXPECT_EQ(liveCalculators, 0);
}

TEST_F(WeakReferenceStress, ConcurrentFirstWeakReferencesShareOneBlock) {
    for (int round = 0; round < 200; ++round) {
        so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
        SOWeakReference* blocks[4] = {};
        std::vector<std::thread> threads;
        for (auto& block : blocks)
            threads.emplace_back([&] { object.Get()->header.GetWeakReference(object.Get(), &block); });
        for (auto& thread : threads)
            thread.join();
        for (SOWeakReference* block : blocks) {
            EXPECT_EQ(block, blocks[0]);
            block->Release(block);
        }
    }
}

// The spin flag is the one lock between the last Release and Lock: while one thread holds it, no
// other gets it. The counter is deliberately not atomic; only the flag orders its updates (and
// ThreadSanitizer sees the race if it does not).
TEST_F(WeakReferenceStress, SpinFlagLetsOneThreadInAtATime) {
    constexpr int kThreads = 3;
    constexpr int kRounds = 300;
    ServiceObject owner{};
    so::WeakReferenceBlock* block =
        so::WeakReferenceBlock::Create(&owner, [](ServiceObject*) { return true; });
    int counter = 0;
    std::barrier start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) {
                block->AcquireSpin();
                int seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
                block->ReleaseSpin();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, kThreads * kRounds);
    block->table.Release(&block->table);
}

} // namespace
