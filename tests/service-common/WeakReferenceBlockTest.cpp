// The weak-reference block on its own: its counts, and the owner's destroy path against an owner
// that was revived meanwhile.
#include "service-common/WeakReferenceBlock.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

bool AlwaysRevives(ServiceObject*) {
    return true;
}

class WeakReferenceBlock : public ::testing::Test {
protected:
    ServiceObject owner_{};
    so::WeakReferenceBlock* block_ = so::WeakReferenceBlock::Create(&owner_, &AlwaysRevives);
    SOWeakReference* weak_ = &block_->table;
};

TEST_F(WeakReferenceBlock, AddRefAndReleaseGiveTheNewCount) {
    EXPECT_EQ(weak_->AddRef(weak_), 2u);
    EXPECT_EQ(weak_->AddRef(weak_), 3u);
    EXPECT_EQ(weak_->Release(weak_), 2u);
    EXPECT_EQ(weak_->Release(weak_), 1u);
    // The owner's reference, the last: the block goes (a block that stays is what LeakSanitizer, in
    // the asan preset, reports).
    EXPECT_EQ(weak_->Release(weak_), 0u);
}

TEST_F(WeakReferenceBlock, DetachOwnerLeavesAnOwnerThatWasRevivedToOneReference) {
    weak_->AddRef(weak_); // a holder's, to look at the block after the owner let it go
    std::atomic<std::uint32_t> ownerCount{1};
    EXPECT_FALSE(block_->DetachOwner(ownerCount));
    EXPECT_NE(weak_->IsAlive(weak_), 0u);
    EXPECT_EQ(weak_->GetRefCount(weak_), 2u) << "the owner still holds its reference to the block";

    ownerCount = 0;
    EXPECT_TRUE(block_->DetachOwner(ownerCount));
    EXPECT_EQ(weak_->IsAlive(weak_), 0u);
    EXPECT_EQ(weak_->Lock(weak_), nullptr);
    EXPECT_EQ(weak_->Release(weak_), 0u);
}

} // namespace
