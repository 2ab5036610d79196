#include "headless-host/document/DocumentViewObject.h"

#include "headless-host/document/DocumentObject.h"
#include "headless-host/document/SelectionObject.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <algorithm>
#include <stdexcept>

namespace headless {

void DocumentViewObject::BindMethods(so::MethodBinder<DocumentViewObject>& binder) {
    using C = DocumentViewObject;
    using I = host::BLDocumentView;
    binder.Bind<I::GetDocument, &C::GetDocument>();
    binder.Bind<I::GetLockedState, &C::GetLockedState>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<I::GetFocusPage, &C::GetFocusPage>();
    binder.Bind<I::GetSelection, &C::GetSelection>();
}

so::Ref DocumentViewObject::Make(so::Ref document) {
    so::Ref object = so::Make<DocumentViewObject>(std::move(document));
    so::ServiceObjectCppTheConcrete<DocumentViewObject>::From(object.Get()).Connect();
    return object;
}

DocumentViewObject::DocumentViewObject(so::Ref document)
    : document_(std::move(document)),
      state_(so::ServiceObjectCppTheConcrete<DocumentObject>::From(document_.Get()).State()) {}

void DocumentViewObject::Connect() {
    lockWatcher_ = std::make_shared<WatcherList<std::uint32_t>::Callback>(
        [self = so::WeakRef::To(Self())](std::uint32_t state) {
            so::Ref alive = self.Lock();
            if (!alive)
                return;
            so::ServiceObjectCppTheConcrete<DocumentViewObject>::From(alive.Get())
                .Raise<host::BLDocumentView::OnLockedStateChanged>({state});
        });
    state_->WatchLockedState(lockWatcher_);
}

SOResult DocumentViewObject::GetDocument(ServiceObject** document) {
    if (document == nullptr)
        return so::kInvalidArgument;
    *document = so::Ref(document_).Detach();
    return so::kOk;
}

SOResult DocumentViewObject::GetLockedState(std::uint32_t* state) {
    if (state == nullptr)
        return so::kInvalidArgument;
    *state = state_->LockedState();
    return so::kOk;
}

SOResult DocumentViewObject::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                       host::HostEventCookie* cookie) {
    return events_.Subscribe(eventId, subscription, cookie);
}

SOResult DocumentViewObject::Unsubscribe(host::HostEventCookie cookie) {
    return events_.Unsubscribe(cookie);
}

SOResult DocumentViewObject::GetFocusPage(std::uint64_t* page) {
    if (page == nullptr)
        return so::kInvalidArgument;
    *page = focusPage_.load();
    return so::kOk;
}

SOResult DocumentViewObject::GetSelection(ServiceObject** selection) {
    if (selection == nullptr)
        return so::kInvalidArgument;
    *selection = Selection().Detach();
    return *selection != nullptr ? so::kOk : so::kNothingProvided;
}

so::Ref DocumentViewObject::Selection() const {
    std::lock_guard lock(mutex_);
    return selection_;
}

void DocumentViewObject::Select(const std::vector<std::wstring>& objectNames) {
    std::vector<std::shared_ptr<ObjectModel>> objects;
    for (const auto& name : objectNames) {
        auto object = FindObject(state_->Model(), name);
        if (!object)
            throw std::invalid_argument("The document has no object named \"" + so::Utf8FromWide(name) +
                                        "\"");
        if (std::find(objects.begin(), objects.end(), object) == objects.end())
            objects.push_back(std::move(object));
    }
    std::lock_guard selecting(selectMutex_);
    so::Ref next;
    if (!objects.empty()) {
        next = so::Ref::Adopt(
            so::ServiceObjectCppTheConcrete<SelectionObject>::Create(state_, std::move(objects)));
        so::ServiceObjectCppTheConcrete<SelectionObject>::From(next.Get()).RaiseInitialized();
    }
    so::Ref previous = Selection();
    events_.Raise<host::BLDocumentView::OnSelectionChanging>({previous.Get(), next.Get()});
    {
        std::lock_guard lock(mutex_);
        selection_ = next;
    }
    events_.Raise<host::BLDocumentView::OnSelectionChanged>({next.Get()});
    if (next)
        so::ServiceObjectCppTheConcrete<SelectionObject>::From(next.Get()).RaiseDisplayed();
}

void DocumentViewObject::SetFocusPage(std::uint64_t page) {
    if (focusPage_.exchange(page) != page)
        events_.Raise<host::BLDocumentView::OnFocusPageChanged>({page});
}

} // namespace headless
