// Idle callbacks: the UI loop calls the handler's OnIdle when it has nothing else to do. Thread tags
// as in host/ServiceObject.h; the "UIService" the part registers with is [ui-thread].
#pragma once

#include "host/UIHandler.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>

namespace ui {

constexpr std::uint32_t kIdlePartMarker = so::FourCC("EBHA");
// The callback's answers: 0 did work, 1 nothing to do, 5 not an idle part, 17 no handler.
constexpr std::uint32_t kIdleDidWork = 0;
constexpr std::uint32_t kIdleNothingToDo = 1;
constexpr std::uint32_t kIdleBadMarker = 5;
constexpr std::uint32_t kIdleNoHandler = 17;

// The part of a handler that the "UIService" calls back: a marker, then the handler's OnIdle.
class UIIdleHandlerBase {
public:
    using IdleFunction = bool (*)(void* handler);

    UIIdleHandlerBase(void* handler, IdleFunction onIdle) : handler_(handler), onIdle_(onIdle) {}
    UIIdleHandlerBase(const UIIdleHandlerBase&) = delete;
    UIIdleHandlerBase& operator=(const UIIdleHandlerBase&) = delete;
    // [ui-thread] while registered, as it withdraws the registration; once withdrawn (the handler's
    // Detached) it calls nothing and may run on any thread.
    ~UIIdleHandlerBase() { Unregister(); }

    // [ui-thread] Registers with the "UIService" (once); raises ServiceObjectException when the
    // service is missing.
    void Register(const char* handlerName);
    // [ui-thread] Withdraws the registration if there is one. Never raises.
    void Unregister() noexcept;
    // [ui-thread] Register and Unregister change it without a lock.
    bool IsRegistered() const { return static_cast<bool>(service_); }

    // [ui-thread] The callback handed to the service; the UI loop calls it.
    static std::uint32_t Callback(void* idlePart);

private:
    std::uint32_t marker_ = kIdlePartMarker; // first, so that the callback can check it
    void* handler_;
    IdleFunction onIdle_;
    so::Ref service_;
};

// [ui-thread] The idle part of a handler class T whose `bool OnIdle()` does the work (true when it
// did some).
template <class T>
class UIIdleHandler : public UIIdleHandlerBase {
public:
    explicit UIIdleHandler(T* handler)
        : UIIdleHandlerBase(handler, [](void* self) { return static_cast<T*>(self)->OnIdle(); }) {}
};

} // namespace ui
