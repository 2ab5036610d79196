#include "headless-host/html-engine/runtime/UIInvokerObject.h"

#include "headless-host/html-engine/runtime/UIQueueCore.h"

namespace html {

void UIInvokerObject::BindMethods(so::MethodBinder<UIInvokerObject>& binder) {
    binder.Bind<host::UIInvoker::NeedsPost, &UIInvokerObject::NeedsPost>();
    binder.Bind<host::UIInvoker::Allocate, &UIInvokerObject::Allocate>();
    binder.Bind<host::UIInvoker::Free, &UIInvokerObject::Free>();
    binder.Bind<host::UIInvoker::Post, &UIInvokerObject::Post>();
}

SOResult UIInvokerObject::NeedsPost(std::uint8_t* needsPost) {
    if (needsPost == nullptr) {
        return so::kInvalidArgument;
    }
    *needsPost = queue_->IsUIThread() ? 0 : 1;
    return so::kOk;
}

SOResult UIInvokerObject::Allocate(std::uint32_t size, void (*destroy)(void* block), void** handle,
                                   void** block) {
    return queue_->Allocate(size, destroy, handle, block);
}

SOResult UIInvokerObject::Free(void* handle) {
    return queue_->Free(handle);
}

SOResult UIInvokerObject::Post(void (*invoke)(void* block), void* handle) {
    return queue_->Post(invoke, handle);
}

} // namespace html
