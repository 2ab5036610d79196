// The framework every native handler is built on: the "UIHandler" table with its default answers,
// attach and detach, UI-thread posting and the idle part. A handler class T derives from
// UIHandlerStdImpl<T> and gives bodies (by name) only for what it handles itself:
//   static constexpr std::uint32_t kClassTag;       required: the word after "EOFT" that tells its
//                                                    objects from every other class's
//   static constexpr std::uint32_t kEventMask;      the event groups it receives
//   void OnBehaviorEvent(std::uint8_t& handled, HtmlBehaviorEventParams& event)
//                                                    behaviour events (set `handled` to take one)
//   SOResult HandleMouse(HELEMENT, HtmlMouseParams*) and the other Handle… operations
//   void OnAttached(); void OnDetached();           hooks after attach, after detach
//   bool OnIdle();                                   with kHasIdle = true: work at idle time
// Thread tags as in host/ServiceObject.h. The engine calls the "UIHandler" operations, the hooks and
// OnIdle on the UI thread; the posting helpers are how any other thread reaches it.
#pragma once

#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/ServiceQuery.h"
#include "ui-engine/Element.h"
#include "ui-engine/Logging.h"
#include "ui-engine/ScriptAsset.h"
#include "ui-engine/UIIdleHandler.h"
#include "ui-engine/UIInvokeWrapper.h"
#include "ui-engine/internal/UIWndServiceObjectRequester.h"

#include <boost/format.hpp>

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <typeinfo>

namespace ui {

// [thread-safe] The class name of T as its type information gives it, without a leading "struct "
// or "class ".
std::string HandlerClassName(const std::type_info& type);

template <class T>
class UIHandlerStdImpl : public so::ObjectBase {
public:
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kEventMask = 0;
    static constexpr bool kHasIdle = false;

    // [thread-safe] The table: every operation bound to T's member of that name (T's own body, or the
    // default). Fills the slots of the one object being made.
    static void BindMethods(so::MethodBinder<T>& binder) {
        using H = host::UIHandler;
        binder.template Bind<H::QueryServiceObject, &T::QueryServiceObject>();
        binder.template Bind<H::GetHandlerName, &T::GetHandlerName>();
        binder.template Bind<H::GetElementAttachedTo, &T::GetElementAttachedTo>();
        binder.template Bind<H::GetSubscribedEvents, &T::GetSubscribedEvents>();
        binder.template Bind<H::HandleMouse, &T::HandleMouse>();
        binder.template Bind<H::HandleKey, &T::HandleKey>();
        binder.template Bind<H::HandleFocus, &T::HandleFocus>();
        binder.template Bind<H::HandleTimer, &T::HandleTimer>();
        binder.template Bind<H::HandleSize, &T::HandleSize>();
        binder.template Bind<H::HandleScroll, &T::HandleScroll>();
        binder.template Bind<H::HandleDraw, &T::HandleDraw>();
        binder.template Bind<H::HandleMethodCall, &T::HandleMethodCall>();
        binder.template Bind<H::HandleScriptCall, &T::HandleScriptCall>();
        static_assert(std::is_same_v<decltype(&T::HandleEvent), decltype(&UIHandlerStdImpl::HandleEvent)>,
                      "a handler takes behaviour events in OnBehaviorEvent, after the framework's checks");
        binder.template Bind<H::HandleEvent, &T::HandleEvent>();
        binder.template Bind<H::HandleDataArrived, &T::HandleDataArrived>();
        binder.template Bind<H::HandleGesture, &T::HandleGesture>();
        binder.template Bind<H::HandleExchange, &T::HandleExchange>();
        binder.template Bind<H::HandleSOM, &T::HandleSOM>();
        binder.template Bind<H::Attached, &T::Attached>();
        binder.template Bind<H::Detached, &T::Detached>();
        binder.template Bind<H::OnInitComplete, &T::OnInitComplete>();
        binder.template Bind<H::OnShown, &T::OnShown>();
        binder.template Bind<H::OnLocaleChanged, &T::OnLocaleChanged>();
    }

    // [thread-safe] as far as T's constructor is: a new handler with one reference, as a "UIHandler"
    // object.
    template <class... Args>
    static so::Ref Create(Args&&... args) {
        static_assert(T::kClassTag != host::UIHandler::kId,
                      "a handler class has a tag of its own, not the interface's id");
        return so::Make<T>(std::forward<Args>(args)...);
    }
    // [thread-safe] The handler behind a "UIHandler" object made by Create.
    static T& From(ServiceObject* object) { return so::ServiceObjectCppTheConcrete<T>::From(object); }

    // ---- Operations with default bodies --------------------------------------------------------
    // Every one is [ui-thread], as host/UIHandler.h says: the engine calls them.

    SOResult QueryServiceObject(std::uint32_t interfaceId, ServiceObject** out, std::uint8_t askWindow,
                                std::uint8_t) {
        if (interfaceId == 0 || out == nullptr)
            return so::kInvalidArgument;
        *out = nullptr;
        if (interfaceId == host::UIHandler::kId) {
            AddRefSelf();
            *out = Self();
            return so::kOk;
        }
        if (askWindow == 0)
            return so::kNothingProvided;
        // A record left by an earlier failure must not be taken for this query's.
        so::ClearLastErrorInfo();
        so::Ref object = QueryFromWindow(interfaceId);
        if (!object) {
            SOErrorInfo info{};
            if (so::ReadLastErrorInfo(&info) == so::kOk)
                throw so::ServiceObjectException(info);
            throw so::ServiceObjectException(
                so::kNoErrorRecord,
                (boost::format("Failed to query service object ID:%1% from UIWnd!") % interfaceId).str());
        }
        *out = object.Detach();
        return so::kOk;
    }

    SOResult GetHandlerName(const char** name) {
        if (name == nullptr)
            return so::kInvalidArgument;
        if (handlerName_.empty())
            handlerName_ = HandlerClassName(typeid(T));
        *name = handlerName_.c_str();
        return so::kOk;
    }

    SOResult GetElementAttachedTo(HELEMENT* element) {
        if (element == nullptr)
            return so::kInvalidArgument;
        *element = element_.Handle();
        return so::kOk;
    }

    SOResult GetSubscribedEvents(std::uint32_t* mask) {
        if (mask == nullptr)
            return so::kInvalidArgument;
        *mask = Derived().SubscribedEvents();
        return so::kOk;
    }

    SOResult HandleMouse(HELEMENT, HtmlMouseParams*) { return so::kNothingProvided; }
    SOResult HandleKey(HELEMENT, HtmlKeyParams*) { return so::kNothingProvided; }
    SOResult HandleFocus(HELEMENT, HtmlFocusParams*) { return so::kNothingProvided; }
    SOResult HandleTimer(HELEMENT, HtmlTimerParams*) { return so::kNothingProvided; }
    SOResult HandleSize(HELEMENT) { return so::kNothingProvided; }
    SOResult HandleScroll(HELEMENT, HtmlScrollParams*) { return so::kNothingProvided; }
    SOResult HandleDraw(HELEMENT, HtmlDrawParams*) { return so::kNothingProvided; }
    SOResult HandleMethodCall(HELEMENT, std::uint32_t, void*) { return so::kNothingProvided; }
    SOResult HandleScriptCall(HELEMENT, HtmlScriptingMethodParams*) { return so::kNothingProvided; }
    // Behaviour events reach T's OnBehaviorEvent: a missing record is refused here, `handled` starts
    // clear, and the handler is kept alive meanwhile (what T does may make the host detach and
    // release it). 0 when T handled the event, else 1.
    SOResult HandleEvent(std::uint8_t* handled, HELEMENT, HtmlBehaviorEventParams* event) {
        if (handled == nullptr || event == nullptr)
            return so::kInvalidArgument;
        *handled = 0;
        so::Ref keepAlive = so::Ref::Share(Self());
        Derived().OnBehaviorEvent(*handled, *event);
        return *handled != 0 ? so::kOk : so::kNothingProvided;
    }
    // Passed on: not handled.
    void OnBehaviorEvent(std::uint8_t&, HtmlBehaviorEventParams&) {}
    SOResult HandleDataArrived(HELEMENT, void*) { return so::kNothingProvided; }
    SOResult HandleGesture(HELEMENT, void*) { return so::kNothingProvided; }
    SOResult HandleExchange(HELEMENT, void*) { return so::kNothingProvided; }

    SOResult HandleSOM(std::uint8_t* handled, HELEMENT, HtmlSomParams* params) {
        if (params == nullptr)
            return so::kInvalidArgument;
        if (params->cmd == kSomGetPassport) {
            if (passport_.name == nullptr) {
                const char* name = nullptr;
                GetHandlerName(&name);
                passport_.name = name;
            }
            params->data.passport = &passport_;
        } else if (params->cmd == kSomGetAsset) {
            params->data.asset = &Derived();
        } else {
            return so::kNothingProvided;
        }
        if (handled != nullptr)
            *handled = 1;
        return so::kOk;
    }

    SOResult Attached(HELEMENT element) {
        element_ = Element(element);
        // A window that gives no invoker leaves none: work for this attachment is then dropped,
        // never posted into the window the handler was attached to before.
        ServiceObject* invoker = nullptr;
        so::Ref attachedInvoker;
        if (Engine().GetUIInvoker(element, &invoker) == kHtmlOk)
            attachedInvoker = so::Ref::Adopt(invoker);
        {
            std::lock_guard lock(invokerMutex_);
            invoker_ = std::move(attachedInvoker);
        }
        Derived().OnAttached();
        if constexpr (T::kHasIdle) {
            const char* name = nullptr;
            GetHandlerName(&name);
            Idle().Register(name);
        }
        return so::kOk;
    }

    SOResult Detached(HELEMENT) {
        if constexpr (T::kHasIdle)
            Idle().Unregister();
        element_ = Element();
        so::Ref released;
        {
            std::lock_guard lock(invokerMutex_);
            released = std::move(invoker_);
        }
        Derived().OnDetached();
        return so::kOk;
    }

    SOResult OnInitComplete() { return so::kNothingProvided; }
    SOResult OnShown() { return so::kNothingProvided; }
    SOResult OnLocaleChanged() { return so::kNothingProvided; }

    // ---- Hooks and helpers for T ----------------------------------------------------------------

    // [thread-safe] A constant of the class.
    std::uint32_t SubscribedEvents() const { return T::kEventMask; }
    // [ui-thread] Called by Attached and Detached.
    void OnAttached() {}
    void OnDetached() {}

    // [ui-thread] The element (empty while detached), and whether there is one: Attached and
    // Detached change it without a lock.
    const Element& AttachedElement() const { return element_; }
    bool IsAttached() const { return static_cast<bool>(element_); }

    // [thread-safe] The invoker of the window the handler is attached to; null while detached.
    so::Ref CurrentInvoker() const {
        std::lock_guard lock(invokerMutex_);
        return invoker_;
    }
    // [thread-safe] Whether work must be posted to reach the UI thread, as the invoker says. True
    // while detached: nothing may run at once then, and posting drops the work.
    bool MustPost() const {
        so::Ref invoker = CurrentInvoker();
        return !invoker || NeedsPost(invoker.Get());
    }

    // [thread-safe] Posts `work(T&)` to the UI thread even from the UI thread itself. The record
    // keeps the handler alive until it ran or was discarded; work that runs after Detached does
    // nothing. False when dropped (not attached, or the invoker refused).
    template <class Work>
    bool PostAlways(Work&& work) {
        so::Ref self = so::Ref::Share(Self());
        so::Ref invoker = CurrentInvoker();
        return PostToInvoker(invoker.Get(),
                             [self = std::move(self), work = std::forward<Work>(work)]() mutable {
                                 T& handler = From(self.Get());
                                 if (handler.IsAttached())
                                     work(handler);
                             });
    }

    // [thread-safe] The same with a weak reference: the work is skipped when the handler is gone or
    // detached.
    template <class Work>
    bool PostWeak(Work&& work) {
        so::WeakRef weak = so::WeakRef::To(Self());
        so::Ref invoker = CurrentInvoker();
        return PostToInvoker(invoker.Get(),
                             [weak = std::move(weak), work = std::forward<Work>(work)]() mutable {
                                 if (so::Ref self = weak.Lock()) {
                                     T& handler = From(self.Get());
                                     if (handler.IsAttached())
                                         work(handler);
                                 }
                             });
    }

    // [thread-safe] Runs `work(T&)` at once when the invoker says no post is needed, else posts it
    // (keeping the handler alive). False when dropped.
    template <class Work>
    bool RunOrPost(Work&& work) {
        if (!MustPost()) {
            work(Derived());
            return true;
        }
        return PostAlways(std::forward<Work>(work));
    }

    // [ui-thread] A service object of the panel's window by interface id, or null (logged with the
    // service's name). Asked of the window context the plug-in kept at start; a handler made outside
    // a plug-in asks its element's window instead.
    so::Ref QueryFromWindow(std::uint32_t interfaceId) {
        so::Ref context = PluginWindowContext();
        if (!context) {
            ServiceObject* elementContext = nullptr;
            if (!element_ || Engine().GetWindowContext(element_.Handle(), &elementContext) != kHtmlOk ||
                elementContext == nullptr)
                return {};
            context = so::Ref::Adopt(elementContext);
        }
        return QueryServiceObjectFromUIWnd(context.Get(), interfaceId,
                                           WindowServiceName(interfaceId).c_str());
    }

private:
    T& Derived() { return static_cast<T&>(*this); }
    const T& Derived() const { return static_cast<const T&>(*this); }

    UIIdleHandler<T>& Idle() {
        if (!idle_)
            idle_ = std::make_unique<UIIdleHandler<T>>(&Derived());
        return *idle_;
    }

    // Set at attach and reset at detach on the UI thread, read by posting threads.
    mutable std::mutex invokerMutex_;
    so::Ref invoker_;
    Element element_;
    std::string handlerName_;
    ScriptPassport passport_{0, nullptr};
    std::unique_ptr<UIIdleHandler<T>> idle_;
};

} // namespace ui
