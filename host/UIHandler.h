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
    using QueryServiceObject = so::Method<0, SOResult(std::uint32_t interfaceId, ServiceObject** out,
                                                      std::uint8_t askWindow, std::uint8_t option)>;
    // The handler's class name (ASCII), owned by the handler.
    using GetHandlerName = so::Method<1, SOResult(const char** name)>;
    // The element the handler is attached to (no extra reference), or null.
    using GetElementAttachedTo = so::Method<2, SOResult(HELEMENT* element)>;
    // The event groups (HtmlEventGroup bits) the engine delivers to the handler.
    using GetSubscribedEvents = so::Method<3, SOResult(std::uint32_t* mask)>;
    using HandleMouse = so::Method<4, SOResult(HELEMENT element, HtmlMouseParams* params)>;
    using HandleKey = so::Method<5, SOResult(HELEMENT element, HtmlKeyParams* params)>;
    using HandleFocus = so::Method<6, SOResult(HELEMENT element, HtmlFocusParams* params)>;
    using HandleTimer = so::Method<7, SOResult(HELEMENT element, HtmlTimerParams* params)>;
    using HandleSize = so::Method<8, SOResult(HELEMENT element)>;
    using HandleScroll = so::Method<9, SOResult(HELEMENT element, HtmlScrollParams* params)>;
    using HandleDraw = so::Method<10, SOResult(HELEMENT element, HtmlDrawParams* params)>;
    using HandleMethodCall = so::Method<11, SOResult(HELEMENT element, std::uint32_t methodId, void* params)>;
    using HandleScriptCall = so::Method<12, SOResult(HELEMENT element, HtmlScriptingMethodParams* params)>;
    using HandleEvent =
        so::Method<13, SOResult(std::uint8_t* handled, HELEMENT element, HtmlBehaviorEventParams* params)>;
    using HandleDataArrived = so::Method<14, SOResult(HELEMENT element, void* params)>;
    using HandleGesture = so::Method<15, SOResult(HELEMENT element, void* params)>;
    using HandleExchange = so::Method<16, SOResult(HELEMENT element, void* params)>;
    using HandleSOM =
        so::Method<17, SOResult(std::uint8_t* handled, HELEMENT element, HtmlSomParams* params)>;
    using Attached = so::Method<18, SOResult(HELEMENT element)>;
    using Detached = so::Method<19, SOResult(HELEMENT element)>;
    using OnInitComplete = so::Method<20, SOResult()>;
    using OnShown = so::Method<21, SOResult()>;
    using OnLocaleChanged = so::Method<22, SOResult()>;
    using Methods = so::MethodList<QueryServiceObject, GetHandlerName, GetElementAttachedTo,
                                   GetSubscribedEvents, HandleMouse, HandleKey, HandleFocus, HandleTimer,
                                   HandleSize, HandleScroll, HandleDraw, HandleMethodCall, HandleScriptCall,
                                   HandleEvent, HandleDataArrived, HandleGesture, HandleExchange, HandleSOM,
                                   Attached, Detached, OnInitComplete, OnShown, OnLocaleChanged>;
    static constexpr const char* kMethodNames[] = {"QueryServiceObject",
                                                   "GetHandlerName",
                                                   "GetElementAttachedTo",
                                                   "GetSubscribedEvents",
                                                   "HandleMouse",
                                                   "HandleKey",
                                                   "HandleFocus",
                                                   "HandleTimer",
                                                   "HandleSize",
                                                   "HandleScroll",
                                                   "HandleDraw",
                                                   "HandleMethodCall",
                                                   "HandleScriptCall",
                                                   "HandleEvent",
                                                   "HandleDataArrived",
                                                   "HandleGesture",
                                                   "HandleExchange",
                                                   "HandleSOM",
                                                   "Attached",
                                                   "Detached",
                                                   "OnInitComplete",
                                                   "OnShown",
                                                   "OnLocaleChanged"};
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
    using NeedsPost = so::Method<0, SOResult(std::uint8_t* needsPost)>;
    // A zeroed block of `size` bytes, the caller's until it posts or frees it (a shutdown meanwhile
    // leaves it alone); `destroy` runs (with the block) whenever the block is freed. Refused
    // (non-zero) after shutdown.
    using Allocate = so::Method<1, SOResult(std::uint32_t size, void (*destroy)(void* block), void** handle,
                                            void** block)>;
    // Frees a block that will not be posted (its destroy runs).
    using Free = so::Method<2, SOResult(void* handle)>;
    // Hands the block to the invoker, whatever the result: 0 queues it (`invoke` runs with it on the
    // UI thread, then the block is freed, also at shutdown if it never ran); a refusal frees it at
    // once. The caller never frees a block it passed to Post.
    using Post = so::Method<3, SOResult(void (*invoke)(void* block), void* handle)>;
    using Methods = so::MethodList<NeedsPost, Allocate, Free, Post>;
    static constexpr const char* kMethodNames[] = {"NeedsPost", "Allocate", "Free", "Post"};
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
        so::Method<6, SOResult(IdleCallback callback, void* idlePart, const char* name)>;
    using UnregisterIdleCallback = so::Method<7, SOResult(IdleCallback callback, void* idlePart)>;
};

} // namespace host
