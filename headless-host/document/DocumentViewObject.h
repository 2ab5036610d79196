// "BLDocumentView": the business side of one view of a document: its selection, its locked state and
// the fifteen view events.
#pragma once

#include "headless-host/document/DocumentState.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace headless {

class DocumentViewObject : public so::ObjectBase {
public:
    using Interface = host::BLDocumentView;
    static constexpr std::uint32_t kClassTag = 0x3D9D6301;
    static void BindMethods(so::MethodBinder<DocumentViewObject>& binder);

    // `document` is the view's BLDocument (a DocumentObject).
    static so::Ref Make(so::Ref document);
    explicit DocumentViewObject(so::Ref document);

    SOResult GetDocument(ServiceObject** document);
    SOResult GetLockedState(std::uint32_t* state);
    SOResult Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                       host::HostEventCookie* cookie);
    SOResult Unsubscribe(host::HostEventCookie cookie);
    SOResult GetFocusPage(std::uint64_t* page);
    SOResult GetSelection(ServiceObject** selection);

    // Selects the named objects (none: nothing selected) in a new selection: OnInitialized of the new
    // selection, OnSelectionChanging, OnSelectionChanged, then OnDisplayed. Raises
    // std::invalid_argument naming an object the document does not have (nothing changes then).
    void Select(const std::vector<std::wstring>& objectNames);
    // The current selection (null when nothing is selected).
    so::Ref Selection() const;
    void SetFocusPage(std::uint64_t page);

    // Raises one of the view's events.
    template <class Event>
    void Raise(const typename Event::Arguments& arguments) const {
        events_.Raise<Event>(arguments);
    }
    std::size_t SubscriberCount() const { return events_.SubscriberCount(); }
    const std::shared_ptr<DocumentState>& State() const { return state_; }

private:
    void Connect();

    so::Ref document_;
    std::shared_ptr<DocumentState> state_;
    HostEventSource events_{host::BLDocumentView::kEventCount};
    std::shared_ptr<WatcherList<std::uint32_t>::Callback> lockWatcher_;
    mutable std::mutex mutex_;
    so::Ref selection_;
    std::recursive_mutex selectMutex_; // one selection change at a time, events included
    std::atomic<std::uint64_t> focusPage_{0};
};

} // namespace headless
