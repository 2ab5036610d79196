#include "headless-host/html-engine/runtime/UIServiceObject.h"

#include "headless-host/html-engine/runtime/UIQueueCore.h"

namespace html {

void UIServiceObject::BindMethods(so::MethodBinder<UIServiceObject>& binder) {
    binder.Bind<UIServiceInterface::RegisterIdleCallback, &UIServiceObject::RegisterIdleCallback>();
    binder.Bind<UIServiceInterface::UnregisterIdleCallback, &UIServiceObject::UnregisterIdleCallback>();
}

SOResult UIServiceObject::RegisterIdleCallback(host::UIService::IdleCallback callback, void* idlePart,
                                               const char* name) {
    return queue_->RegisterIdle(callback, idlePart, name);
}

SOResult UIServiceObject::UnregisterIdleCallback(host::UIService::IdleCallback callback, void* idlePart) {
    return queue_->UnregisterIdle(callback, idlePart);
}

} // namespace html
