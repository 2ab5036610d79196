// The host's "UIDocumentsCollection": the document views of the window, the active view and the
// side-by-side views, with the nine collection events.
#pragma once

#include "headless-host/services/HostEventSource.h"
#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <mutex>
#include <vector>

namespace headless {

// The interface methods are [thread-safe]. The host-side operations (adding, activating, closing)
// run one at a time, each raising its events in order on the calling thread after the state changed.
class DocumentsCollectionService : public so::ObjectBase {
public:
    using Interface = host::UIDocumentsCollection;
    static constexpr std::uint32_t kClassTag = 0x468F6918;
    static void BindMethods(so::MethodBinder<DocumentsCollectionService>& binder);

    SOResult GetViewCount(std::uint32_t* count);
    SOResult GetView(std::uint32_t index, ServiceObject** view);
    SOResult HasActiveView(std::uint8_t* has);
    SOResult GetActiveView(ServiceObject** view);
    SOResult HasActiveSbSView(std::uint8_t* has);
    SOResult GetActiveSbSView(ServiceObject** view);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    SOResult GetSbSViewCount(std::uint32_t* count);
    SOResult GetSbSView(std::uint32_t index, ServiceObject** view);

    // A new UIDocumentView: OnDocumentViewCreated.
    void AddView(ServiceObject* view);
    // OnDocumentViewDeactivated for the active view (with `view` as the other one), then
    // OnDocumentViewActivated. Nothing when `view` is active already. Raises std::invalid_argument
    // for a view the collection does not hold.
    void ActivateView(ServiceObject* view);
    // OnDocumentViewDeactivated for the active view (no other view); nothing when none is active.
    void DeactivateActiveView();
    // OnDocumentViewClose; when no subscriber cancels: deactivation if it was active, removal and
    // OnDocumentViewDestroyed. False when a subscriber kept the view open.
    bool CloseView(ServiceObject* view);

    // Side-by-side views: created, activated (the previous one deactivated first), deactivated, destroyed.
    void AddSbSView(ServiceObject* view);
    void ActivateSbSView(ServiceObject* view);
    void DeactivateActiveSbSView();
    void RemoveSbSView(ServiceObject* view);

    so::Ref ActiveView() const;
    std::vector<so::Ref> Views() const;
    std::size_t SubscriberCount() const { return events_.SubscriberCount(); }

private:
    std::recursive_mutex operationMutex_; // a subscriber may call a host-side operation from an event
    mutable std::mutex mutex_;
    std::vector<so::Ref> views_;
    so::Ref activeView_;
    std::vector<so::Ref> sbsViews_;
    so::Ref activeSbSView_;
    HostEventSource events_{host::UIDocumentsCollection::kEventCount};
};

} // namespace headless
