// Work handed to the UI thread through the window's "UIInvoker", as InvokeInfoAsync records laid
// out in blocks the invoker allocates. Thread tags as in host/ServiceObject.h.
#pragma once

#include "host/UIHandler.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"
#include "ui-engine/Logging.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <type_traits>
#include <utility>

namespace ui {

constexpr std::uint32_t kInvokeRecordMarker = so::FourCC("INAS");

// The record's header; the captured work follows it in the same block.
struct InvokeInfoAsyncHeader {
    const host::InvokeRecordTable* table;
    std::uint32_t marker; // "INAS"
    std::uint32_t size;   // bytes of the whole record
    void* handle;         // the invoker's handle for the block
};

template <class Work>
struct InvokeInfoAsync {
    InvokeInfoAsyncHeader header;
    Work work;

    // [thread-safe] Runs on whichever thread frees the block (see PostToInvoker).
    static void Destroy(void* record) { static_cast<InvokeInfoAsync*>(record)->~InvokeInfoAsync(); }
    // [ui-thread] The invoker runs the record there.
    static void Invoke(void* record) {
        try {
            static_cast<InvokeInfoAsync*>(record)->work();
        } catch (const std::exception& e) {
            // Posted work has no caller to report to; the failure goes to the log.
            Log(host::LogLevel::Error, FormatMessage(L"Posted UI work failed: %1%", e.what()));
        }
    }
    static constexpr host::InvokeRecordTable kTable{&Destroy, &Invoke};
};

// The trampolines handed to the invoker. A block that does not start with an "INAS" record is
// ignored.
// [ui-thread] The invoker runs posted blocks on the UI thread.
void InvokeTrampoline(void* block);
// [thread-safe] The invoker frees a block on any thread: after it ran, on a refused post or a Free
// (the posting thread), at shutdown.
void DestroyTrampoline(void* block);

// [thread-safe] Allocates a record in a block of the invoker, moves the work into it and posts it.
// Gives false, and drops the work, when there is no invoker or it refuses the block or the post.
//
// The block is ours from Allocate until Post is called, and the invoker's from then on: a refused
// post has already run the record's destroy and freed the block, so it is freed here only when Post
// could not be called at all.
//
// Dropped work is destroyed on the posting thread, so what it captures must be releasable on any
// thread: service-object references, yes; an Element, whose release is [ui-thread], no.
template <class Work>
bool PostToInvoker(ServiceObject* invoker, Work&& work) {
    using Record = InvokeInfoAsync<std::decay_t<Work>>;
    if (invoker == nullptr)
        return false;
    try {
        void* handle = nullptr;
        void* block = nullptr;
        auto allocated = so::Call<host::UIInvoker::Allocate>(invoker, std::uint32_t(sizeof(Record)),
                                                             &DestroyTrampoline, &handle, &block);
        if (!allocated || *allocated != so::kOk || block == nullptr)
            return false;
        // The marker goes in last: until the work is in place the destroy trampoline must see no
        // record, should the block have to be given back.
        try {
            new (block)
                Record{{&Record::kTable, 0, std::uint32_t(sizeof(Record)), handle}, std::forward<Work>(work)};
        } catch (...) {
            so::Call<host::UIInvoker::Free>(invoker, handle);
            throw;
        }
        static_cast<Record*>(block)->header.marker = kInvokeRecordMarker;
        auto posted = so::Call<host::UIInvoker::Post>(invoker, &InvokeTrampoline, handle);
        if (!posted) {
            so::Call<host::UIInvoker::Free>(invoker, handle);
            return false;
        }
        return *posted == so::kOk;
    } catch (const so::ServiceObjectException& e) {
        Log(host::LogLevel::Warning, FormatMessage(L"UI work dropped: %1%", e.what()));
        return false;
    }
}

// [thread-safe] True when the calling thread must post to reach the UI thread (the invoker decides,
// not the thread id remembered at creation). Without an invoker nothing can run, so the answer is
// true.
bool NeedsPost(ServiceObject* invoker);

// [thread-safe] Run-or-post: at once when on the UI thread, else through the invoker. False when
// dropped.
template <class Work>
bool RunOrPost(ServiceObject* invoker, Work&& work) {
    if (invoker != nullptr && !NeedsPost(invoker)) {
        work();
        return true;
    }
    return PostToInvoker(invoker, std::forward<Work>(work));
}

} // namespace ui
