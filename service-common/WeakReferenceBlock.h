// The weak-reference block every implemented service object hands out from GetWeakReference.
#pragma once

#include "host/ServiceObject.h"

#include <atomic>
#include <cstdint>

namespace so {

// Laid out as the binary interface expects: the SOWeakReference table, then the block's own
// count, the owner and the spin flag. The owner keeps one reference to the block.
//
// Lock revives an owner only while its strong count is above zero (tryAddRef). Reviving an owner
// whose count already reached zero would let two threads both run the destroy path (the reviver's
// own last Release races the original one), so a Lock that arrives after the last Release began
// gets null instead.
struct WeakReferenceBlock {
    using TryAddRefFn = bool (*)(ServiceObject* owner);

    SOWeakReference table;
    std::atomic<std::uint32_t> refCount{1};
    std::atomic<ServiceObject*> owner;
    std::atomic<std::uint32_t> spin{0};
    TryAddRefFn tryAddRef;

    // A new block with one reference, which belongs to the owner.
    static WeakReferenceBlock* Create(ServiceObject* owner, TryAddRefFn tryAddRef);
    static WeakReferenceBlock* From(SOWeakReference* reference) {
        return reinterpret_cast<WeakReferenceBlock*>(reference);
    }

    // The owner's destroy path: returns false (and changes nothing) when the owner was revived
    // meanwhile; otherwise detaches the owner and drops the owner's reference to the block.
    bool DetachOwner(const std::atomic<std::uint32_t>& ownerCount);

    // Atomic exchange; on contention retries, sleeping 1 ms before every retry after the first.
    void AcquireSpin();
    void ReleaseSpin() { spin.store(0, std::memory_order_release); }
};

static_assert(offsetof(WeakReferenceBlock, table) == 0);

} // namespace so
