#include "service-common/WeakReferenceBlock.h"

#include "host/WindowsApi.h"

namespace so {

namespace {

std::uint32_t BlockAddRef(SOWeakReference* self) {
    return WeakReferenceBlock::From(self)->refCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::uint32_t BlockRelease(SOWeakReference* self) {
    WeakReferenceBlock* block = WeakReferenceBlock::From(self);
    std::uint32_t remaining = block->refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0)
        delete block;
    return remaining;
}

std::uint32_t BlockGetRefCount(SOWeakReference* self) {
    return WeakReferenceBlock::From(self)->refCount.load(std::memory_order_relaxed);
}

std::uint32_t BlockIsAlive(SOWeakReference* self) {
    return WeakReferenceBlock::From(self)->owner.load(std::memory_order_acquire) != nullptr ? 1 : 0;
}

ServiceObject* BlockLock(SOWeakReference* self) {
    WeakReferenceBlock* block = WeakReferenceBlock::From(self);
    block->AcquireSpin();
    ServiceObject* owner = block->owner.load(std::memory_order_acquire);
    if (owner != nullptr && !block->tryAddRef(owner))
        owner = nullptr;
    block->ReleaseSpin();
    return owner;
}

} // namespace

WeakReferenceBlock* WeakReferenceBlock::Create(ServiceObject* owner, TryAddRefFn tryAddRef) {
    auto* block = new WeakReferenceBlock{
        .table = {&BlockAddRef, &BlockRelease, &BlockGetRefCount, &BlockIsAlive, &BlockLock},
        .refCount = {},
        .owner = {},
        .spin = {},
        .tryAddRef = tryAddRef,
    };
    block->refCount.store(1, std::memory_order_relaxed);
    block->owner.store(owner, std::memory_order_release);
    return block;
}

bool WeakReferenceBlock::DetachOwner(const std::atomic<std::uint32_t>& ownerCount) {
    AcquireSpin();
    if (ownerCount.load(std::memory_order_acquire) > 0) {
        ReleaseSpin();
        return false;
    }
    owner.store(nullptr, std::memory_order_release);
    ReleaseSpin();
    BlockRelease(&table);
    return true;
}

void WeakReferenceBlock::AcquireSpin() {
    for (int attempt = 0; spin.exchange(1, std::memory_order_acquire) != 0; ++attempt) {
        if (attempt > 0)
            Sleep(1);
    }
}

} // namespace so
