// The "UIInvoker" service object: the module's way to run work on the UI thread.
#pragma once

#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"

#include <memory>

namespace html {

class UIQueueCore;

// Every operation is [thread-safe]. The object keeps the queue's state alive, so a module that
// holds it after the queue shut down gets refusals instead of a dangling queue.
class UIInvokerObject : public so::ObjectBase {
public:
    using Interface = host::UIInvoker;
    static constexpr std::uint32_t kClassTag = 0x1A7D0C3F;
    static void BindMethods(so::MethodBinder<UIInvokerObject>& binder);

    explicit UIInvokerObject(std::shared_ptr<UIQueueCore> queue) : queue_(std::move(queue)) {}

    SOResult NeedsPost(std::uint8_t* needsPost);
    SOResult Allocate(std::uint32_t size, void (*destroy)(void* block), void** handle, void** block);
    SOResult Free(void* handle);
    SOResult Post(void (*invoke)(void* block), void* handle);

private:
    std::shared_ptr<UIQueueCore> queue_;
};

} // namespace html
