// The engine's part of the "UIService" service object: idle callback registration.
#pragma once

#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"

#include <array>
#include <memory>

namespace html {

class UIQueueCore;

// The host's full "UIService" table: slots 0 to 5 are host operations the module never calls and
// this host does not offer (they answer 1); slots 6 and 7 manage idle callbacks.
struct UIServiceInterface : host::UIService {
    using Methods = so::MethodList<RegisterIdleCallback, UnregisterIdleCallback>;
};

// [ui-thread], as the interface says; the registrations themselves are guarded, so a stray call
// from another thread is not a data race.
class UIServiceObject : public so::ObjectBase {
public:
    using Interface = UIServiceInterface;
    static constexpr std::uint32_t kClassTag = 0x5E7A1CE1;
    static void BindMethods(so::MethodBinder<UIServiceObject>& binder);

    explicit UIServiceObject(std::shared_ptr<UIQueueCore> queue) : queue_(std::move(queue)) {}

    SOResult RegisterIdleCallback(host::UIService::IdleCallback callback, void* idlePart, const char* name);
    SOResult UnregisterIdleCallback(host::UIService::IdleCallback callback, void* idlePart);

private:
    std::shared_ptr<UIQueueCore> queue_;
};

} // namespace html
