// "UIHandler": a native handler that the HTML engine attaches to an element and calls for that
// element's events. Every operation is [ui-thread]. Event operations answer 0 when they dealt with
// the event and 1 when the engine should apply its own behaviour.
#pragma once

#include "host/HtmlEngineApi.h"
#include "host/ServiceObject.h"

namespace host {

struct UIHandler {
    static constexpr std::uint32_t kId = 0x21D73E0D;
    static constexpr const char* kName = "UIHandler";
    // The handler itself for the "UIHandler" id; other ids, with askWindow set, from the UI window
    // of the attached element. The object carries one reference.
    using QueryServiceObject = so::Method<0,
                                          SOResult(std::uint32_t interfaceId, ServiceObject** out,
                                                   std::uint8_t askWindow, std::uint8_t option),
                                          "QueryServiceObject">;
    // The handler's class name (ASCII), owned by the handler.
    using GetHandlerName = so::Method<1, SOResult(const char** name), "GetHandlerName">;
    // The element the handler is attached to (no extra reference), or null.
    using GetElementAttachedTo = so::Method<2, SOResult(HELEMENT* element), "GetElementAttachedTo">;
    // The event groups (HtmlEventGroup bits) the engine delivers to the handler.
    using GetSubscribedEvents = so::Method<3, SOResult(std::uint32_t* mask), "GetSubscribedEvents">;
    using HandleMouse = so::Method<4, SOResult(HELEMENT element, HtmlMouseParams* params), "HandleMouse">;
    using HandleKey = so::Method<5, SOResult(HELEMENT element, HtmlKeyParams* params), "HandleKey">;
    using HandleFocus = so::Method<6, SOResult(HELEMENT element, HtmlFocusParams* params), "HandleFocus">;
    using HandleTimer = so::Method<7, SOResult(HELEMENT element, HtmlTimerParams* params), "HandleTimer">;
    using HandleSize = so::Method<8, SOResult(HELEMENT element), "HandleSize">;
    using HandleScroll = so::Method<9, SOResult(HELEMENT element, HtmlScrollParams* params), "HandleScroll">;
    using HandleDraw = so::Method<10, SOResult(HELEMENT element, HtmlDrawParams* params), "HandleDraw">;
    using HandleMethodCall =
        so::Method<11, SOResult(HELEMENT element, std::uint32_t methodId, void* params), "HandleMethodCall">;
    using HandleScriptCall =
        so::Method<12, SOResult(HELEMENT element, HtmlScriptingMethodParams* params), "HandleScriptCall">;
    using HandleEvent =
        so::Method<13, SOResult(std::uint8_t* handled, HELEMENT element, HtmlBehaviorEventParams* params),
                   "HandleEvent">;
    using HandleDataArrived = so::Method<14, SOResult(HELEMENT element, void* params), "HandleDataArrived">;
    using HandleGesture = so::Method<15, SOResult(HELEMENT element, void* params), "HandleGesture">;
    using HandleExchange = so::Method<16, SOResult(HELEMENT element, void* params), "HandleExchange">;
    using HandleSOM =
        so::Method<17, SOResult(std::uint8_t* handled, HELEMENT element, HtmlSomParams* params), "HandleSOM">;
    using Attached = so::Method<18, SOResult(HELEMENT element), "Attached">;
    using Detached = so::Method<19, SOResult(HELEMENT element), "Detached">;
    using OnInitComplete = so::Method<20, SOResult(), "OnInitComplete">;
    using OnShown = so::Method<21, SOResult(), "OnShown">;
    using OnLocaleChanged = so::Method<22, SOResult(), "OnLocaleChanged">;
    using Methods = so::MethodList<QueryServiceObject, GetHandlerName, GetElementAttachedTo,
                                   GetSubscribedEvents, HandleMouse, HandleKey, HandleFocus, HandleTimer,
                                   HandleSize, HandleScroll, HandleDraw, HandleMethodCall, HandleScriptCall,
                                   HandleEvent, HandleDataArrived, HandleGesture, HandleExchange, HandleSOM,
                                   Attached, Detached, OnInitComplete, OnShown, OnLocaleChanged>;
};

// The invoke record's own operations: 0 destroys what the record holds without freeing the block,
// 1 runs the work.
extern "C" struct InvokeRecordTable {
    void (*Destroy)(void* record);
    void (*Invoke)(void* record);
};

// "UIInvoker": runs work on the UI thread. [thread-safe]
struct UIInvoker {
    static constexpr std::uint32_t kId = 0x1A7D0C3E;
    static constexpr const char* kName = "UIInvoker";
    // True when the calling thread is not the UI thread (the work must be posted).
    using NeedsPost = so::Method<0, SOResult(std::uint8_t* needsPost), "NeedsPost">;
    // A zeroed block of `size` bytes, the caller's until it posts or frees it (a shutdown meanwhile
    // leaves it alone); `destroy` runs (with the block) whenever the block is freed. Refused
    // (non-zero) after shutdown.
    using Allocate =
        so::Method<1, SOResult(std::uint32_t size, void (*destroy)(void* block), void** handle, void** block),
                   "Allocate">;
    // Frees a block that will not be posted (its destroy runs).
    using Free = so::Method<2, SOResult(void* handle), "Free">;
    // Hands the block to the invoker, whatever the result: 0 queues it (`invoke` runs with it on the
    // UI thread, then the block is freed, also at shutdown if it never ran); a refusal frees it at
    // once. The caller never frees a block it passed to Post.
    using Post = so::Method<3, SOResult(void (*invoke)(void* block), void* handle), "Post">;
    using Methods = so::MethodList<NeedsPost, Allocate, Free, Post>;
};

// "UIService": the host's UI services. [ui-thread]
struct UIService {
    static constexpr std::uint32_t kId = 0x5E7A1CE0;
    static constexpr const char* kName = "UIService";
    static constexpr const char* kServiceName = "UIService";
    using IdleCallback = std::uint32_t (*)(void* idlePart);
    // Slots 0 to 5 belong to the host.
    // Calls `callback(idlePart)` whenever the UI loop is idle, until withdrawn. Results: 0 the
    // callback did work (the loop goes round again), 1 nothing to do.
    using RegisterIdleCallback =
        so::Method<6, SOResult(IdleCallback callback, void* idlePart, const char* name),
                   "RegisterIdleCallback">;
    using UnregisterIdleCallback =
        so::Method<7, SOResult(IdleCallback callback, void* idlePart), "UnregisterIdleCallback">;
};

} // namespace host
