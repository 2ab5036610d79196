// "BLSelection": the objects selected in a view, and their properties context.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <memory>
#include <mutex>
#include <vector>

namespace headless {

class SelectionObject : public so::ObjectBase {
public:
    using Interface = host::BLSelection;
    static constexpr std::uint32_t kClassTag = 0xB15E1101;
    static void BindMethods(so::MethodBinder<SelectionObject>& binder);

    // `objects`: one or more (no selection is a null selection, not an empty one).
    SelectionObject(std::shared_ptr<DocumentState> state, std::vector<std::shared_ptr<ObjectModel>> objects);

    SOResult GetObjectCount(std::uint32_t* count);
    SOResult GetObjectName(std::uint32_t index, const wchar_t** name);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    // Made on the first request and kept: the panel holds its properties weakly.
    SOResult GetPropertiesContext(ServiceObject** context);

    // Raises OnInitialized or OnDisplayed.
    void RaiseInitialized();
    void RaiseDisplayed();

    const std::vector<std::shared_ptr<ObjectModel>>& Objects() const { return objects_; }

private:
    std::shared_ptr<DocumentState> state_;
    std::vector<std::shared_ptr<ObjectModel>> objects_;
    HostEventSource events_{host::BLSelection::kEventCount};
    std::mutex mutex_;
    so::Ref context_;
};

} // namespace headless
