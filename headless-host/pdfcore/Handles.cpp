#include "headless-host/pdfcore/Handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace pdfcore {

namespace {

// Every live handle, so that a stale or foreign pointer is refused instead of followed. Pointers
// are kept as integers: a released one is compared, never dereferenced.
class HandleRegistry {
public:
    void Add(const Handle* handle) {
        std::lock_guard lock(mutex_);
        live_.insert(Key(handle));
    }

    Handle* Find(PDHandle handle) {
        std::lock_guard lock(mutex_);
        return live_.count(Key(handle)) != 0 ? static_cast<Handle*>(handle) : nullptr;
    }

    // Drops one reference; gives the handle back when that was the last one, no longer live, for
    // the caller to delete outside the lock (a document may take a while to go).
    Handle* Release(PDHandle handle) {
        std::lock_guard lock(mutex_);
        auto found = live_.find(Key(handle));
        if (found == live_.end())
            throw Failure(kPDInvalidHandle, "the handle is not live");
        auto* live = static_cast<Handle*>(handle);
        if (live->references.fetch_sub(1, std::memory_order_acq_rel) != 1)
            return nullptr;
        live_.erase(found);
        return live;
    }

private:
    static std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

    std::mutex mutex_;
    std::unordered_set<std::uintptr_t> live_;
};

HandleRegistry& Registry() {
    static HandleRegistry registry;
    return registry;
}

thread_local std::string lastError;

} // namespace

PDHandle NewHandle(std::shared_ptr<Document> document, QPDFObjectHandle object) {
    auto handle = std::make_unique<Handle>();
    handle->document = std::move(document);
    handle->object = std::move(object);
    Registry().Add(handle.get());
    return handle.release();
}

void AcquireHandle(PDHandle handle) {
    ResolveHandle(handle, "the handle").references.fetch_add(1, std::memory_order_relaxed);
}

void ReleaseHandle(PDHandle handle) {
    if (handle == nullptr)
        throw Failure(kPDInvalidHandle, "the handle is null");
    delete Registry().Release(handle);
}

Handle& ResolveHandle(PDHandle handle, std::string_view what) {
    if (handle == nullptr)
        throw Failure(kPDInvalidHandle, std::string(what) + " is null");
    Handle* live = Registry().Find(handle);
    if (live == nullptr)
        throw Failure(kPDInvalidHandle, std::string(what) + " is not a live handle");
    return *live;
}

Handle& ResolveDocument(PDHandle handle) {
    Handle& live = ResolveHandle(handle, "the document");
    if (!live.IsDocument())
        throw Failure(kPDWrongKind, "the handle names an object, not a document");
    return live;
}

Handle& ResolveObject(PDHandle handle, std::string_view what) {
    Handle& live = ResolveHandle(handle, what);
    if (live.IsDocument())
        throw Failure(kPDWrongKind, std::string(what) + " is a document's handle");
    return live;
}

void RecordLastError(std::string_view function, std::string_view message) {
    lastError.assign(function);
    lastError.append(": ");
    lastError.append(message);
}

const std::string& LastError() {
    return lastError;
}

} // namespace pdfcore
