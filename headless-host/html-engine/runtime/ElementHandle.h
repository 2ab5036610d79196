// HELEMENT: one counted handle per element, so that two queries for the same element give the same
// handle (the module compares handles for identity).
#pragma once

#include "host/HtmlEngineApi.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace html {

class Element;
class Window;

// What a handle names: the element (kept alive by the handle) and the window it was reached
// through (null once that window is gone).
struct HandleTarget {
    std::shared_ptr<Element> element;
    Window* window = nullptr;
    explicit operator bool() const { return element != nullptr; }
};

// The process-wide table of live handles. A handle keeps its element alive, also after the element
// left its document, until the last reference is released. Reference counting and lookups are
// [thread-safe] (posted events reference handles from other threads); everything a handle is used
// for beyond that is the window's business and [ui-thread].
class HandleTable {
public:
    static HandleTable& Instance();

    // The element's handle with one more reference (made on first use).
    HELEMENT Acquire(Element& element, Window* window);
    // False for a handle this table does not know (null, or not a handle).
    bool AddRef(HELEMENT handle);
    bool Release(HELEMENT handle);
    HandleTarget Resolve(HELEMENT handle);
    // The window is going: its handles stay valid as element references but lose the window.
    void ForgetWindow(const Window* window);
    std::size_t Count();

private:
    struct Entry;
    static Entry* EntryOf(HELEMENT handle);

    std::mutex mutex_;
    std::unordered_map<const Element*, Entry*> entries_;
};

// A reference to a handle for the length of a scope (a handler call, a callback).
class ScopedHandle {
public:
    ScopedHandle(Element& element, Window* window)
        : handle_(HandleTable::Instance().Acquire(element, window)) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { HandleTable::Instance().Release(handle_); }
    HELEMENT Get() const { return handle_; }

private:
    HELEMENT handle_;
};

} // namespace html
