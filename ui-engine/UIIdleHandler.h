// Idle callbacks: the UI loop calls the handler's OnIdle when it has nothing else to do.
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
    ~UIIdleHandlerBase() { Unregister(); }

    // Registers with the "UIService" (once); raises ServiceObjectException when the service is missing.
    void Register(const char* handlerName);
    // Withdraws the registration if there is one. Never raises.
    void Unregister() noexcept;
    bool IsRegistered() const { return static_cast<bool>(service_); }

    // The callback handed to the service.
    static std::uint32_t Callback(void* idlePart);

private:
    std::uint32_t marker_ = kIdlePartMarker; // first, so that the callback can check it
    void* handler_;
    IdleFunction onIdle_;
    so::Ref service_;
};

// The idle part of a handler class T whose `bool OnIdle()` does the work (true when it did some).
template <class T>
class UIIdleHandler : public UIIdleHandlerBase {
public:
    explicit UIIdleHandler(T* handler)
        : UIIdleHandlerBase(handler, [](void* self) { return static_cast<T*>(self)->OnIdle(); }) {}
};

} // namespace ui
