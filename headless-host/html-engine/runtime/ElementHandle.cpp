#include "headless-host/html-engine/runtime/ElementHandle.h"

#include "headless-host/html-engine/dom/Element.h"

#include <vector>

namespace html {

namespace {
constexpr std::uint32_t kHandleMarker = 0x4D4C4548; // "HELM"
} // namespace

struct HandleTable::Entry {
    std::uint32_t marker = kHandleMarker;
    std::uint32_t refCount = 0; // guarded by the table's mutex
    std::shared_ptr<Element> element;
    Window* window = nullptr;
};

HandleTable& HandleTable::Instance() {
    // Never destroyed: handles may still be released while static objects go away at exit.
    static auto* table = new HandleTable();
    return *table;
}

HandleTable::Entry* HandleTable::EntryOf(HELEMENT handle) {
    auto* entry = reinterpret_cast<Entry*>(handle);
    return entry != nullptr && entry->marker == kHandleMarker ? entry : nullptr;
}

HELEMENT HandleTable::Acquire(Element& element, Window* window) {
    std::lock_guard lock(mutex_);
    Entry*& entry = entries_[&element];
    if (entry == nullptr) {
        entry = new Entry();
        entry->element = std::static_pointer_cast<Element>(element.shared_from_this());
        entry->window = window;
    } else if (entry->window == nullptr) {
        entry->window = window;
    }
    ++entry->refCount;
    return reinterpret_cast<HELEMENT>(entry);
}

bool HandleTable::AddRef(HELEMENT handle) {
    std::lock_guard lock(mutex_);
    Entry* entry = EntryOf(handle);
    if (entry == nullptr || entry->refCount == 0) {
        return false;
    }
    ++entry->refCount;
    return true;
}

bool HandleTable::Release(HELEMENT handle) {
    std::unique_ptr<Entry> dead;
    {
        std::lock_guard lock(mutex_);
        Entry* entry = EntryOf(handle);
        if (entry == nullptr || entry->refCount == 0) {
            return false;
        }
        if (--entry->refCount == 0) {
            entries_.erase(entry->element.get());
            entry->marker = 0;
            dead.reset(entry);
        }
    }
    // The element may die with the handle; that happens outside the lock.
    return true;
}

HandleTarget HandleTable::Resolve(HELEMENT handle) {
    std::lock_guard lock(mutex_);
    Entry* entry = EntryOf(handle);
    if (entry == nullptr || entry->refCount == 0) {
        return {};
    }
    return {entry->element, entry->window};
}

void HandleTable::ForgetWindow(const Window* window) {
    std::lock_guard lock(mutex_);
    for (auto& [element, entry] : entries_) {
        if (entry->window == window) {
            entry->window = nullptr;
        }
    }
}

std::size_t HandleTable::Count() {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace html
