#include "ui-engine/UIIdleHandler.h"

#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "ui-engine/Logging.h"

#include <cstring>

namespace ui {

void UIIdleHandlerBase::Register(const char* handlerName) {
    if (service_)
        return;
    so::Ref service = so::QueryServiceObject(host::UIService::kServiceName);
    so::Call<host::UIService::RegisterIdleCallback>(service.Get(), &UIIdleHandlerBase::Callback,
                                                    static_cast<void*>(this), handlerName);
    service_ = std::move(service);
}

void UIIdleHandlerBase::Unregister() noexcept {
    if (!service_)
        return;
    try {
        so::Call<host::UIService::UnregisterIdleCallback>(service_.Get(), &UIIdleHandlerBase::Callback,
                                                          static_cast<void*>(this));
    } catch (const std::exception& e) {
        Log(host::LogLevel::Warning, FormatMessage(L"Idle callback not withdrawn: %1%", e.what()));
    }
    service_.Reset();
}

std::uint32_t UIIdleHandlerBase::Callback(void* idlePart) {
    if (idlePart == nullptr)
        return kIdleNoHandler;
    std::uint32_t marker = 0;
    std::memcpy(&marker, idlePart, sizeof marker);
    if (marker != kIdlePartMarker)
        return kIdleBadMarker;
    auto* part = static_cast<UIIdleHandlerBase*>(idlePart);
    if (part->handler_ == nullptr)
        return kIdleNoHandler;
    try {
        return part->onIdle_(part->handler_) ? kIdleDidWork : kIdleNothingToDo;
    } catch (const std::exception& e) {
        Log(host::LogLevel::Error, FormatMessage(L"Idle work failed: %1%", e.what()));
        return kIdleNothingToDo;
    }
}

} // namespace ui
