#include "headless-host/services/DocumentsCollectionService.h"

#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <algorithm>
#include <stdexcept>

namespace headless {

namespace {

using Collection = host::UIDocumentsCollection;

bool Contains(const std::vector<so::Ref>& views, ServiceObject* view) {
    return std::any_of(views.begin(), views.end(),
                       [view](const so::Ref& held) { return held.Get() == view; });
}

ServiceObject* At(const std::vector<so::Ref>& views, std::uint32_t index) {
    if (index >= views.size())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no view %1% (the collection has %2%)") % index % views.size()).str());
    return so::Ref(views[index]).Detach();
}

} // namespace

void DocumentsCollectionService::BindMethods(so::MethodBinder<DocumentsCollectionService>& binder) {
    using C = DocumentsCollectionService;
    binder.Bind<Collection::GetViewCount, &C::GetViewCount>();
    binder.Bind<Collection::GetView, &C::GetView>();
    binder.Bind<Collection::HasActiveView, &C::HasActiveView>();
    binder.Bind<Collection::GetActiveView, &C::GetActiveView>();
    binder.Bind<Collection::HasActiveSbSView, &C::HasActiveSbSView>();
    binder.Bind<Collection::GetActiveSbSView, &C::GetActiveSbSView>();
    binder.Bind<Collection::Subscribe, &C::Subscribe>();
    binder.Bind<Collection::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<Collection::GetSbSViewCount, &C::GetSbSViewCount>();
    binder.Bind<Collection::GetSbSView, &C::GetSbSView>();
}

SOResult DocumentsCollectionService::GetViewCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *count = std::uint32_t(views_.size());
    return so::kOk;
}

SOResult DocumentsCollectionService::GetView(std::uint32_t index, ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    *view = nullptr;
    std::lock_guard lock(mutex_);
    *view = At(views_, index);
    return so::kOk;
}

SOResult DocumentsCollectionService::HasActiveView(std::uint8_t* has) {
    if (has == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *has = activeView_ ? 1 : 0;
    return so::kOk;
}

SOResult DocumentsCollectionService::GetActiveView(ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *view = so::Ref(activeView_).Detach();
    return *view != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult DocumentsCollectionService::HasActiveSbSView(std::uint8_t* has) {
    if (has == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *has = activeSbSView_ ? 1 : 0;
    return so::kOk;
}

SOResult DocumentsCollectionService::GetActiveSbSView(ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *view = so::Ref(activeSbSView_).Detach();
    return *view != nullptr ? so::kOk : so::kNothingProvided;
}

SOResult DocumentsCollectionService::Subscribe(std::uint32_t eventId,
                                               const HostEventSubscription* subscription,
                                               host::HostEventCookie* cookie) {
    return events_.Subscribe(eventId, subscription, cookie);
}

SOResult DocumentsCollectionService::Unsubscribe(host::HostEventCookie cookie) {
    return events_.Unsubscribe(cookie);
}

SOResult DocumentsCollectionService::GetSbSViewCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *count = std::uint32_t(sbsViews_.size());
    return so::kOk;
}

SOResult DocumentsCollectionService::GetSbSView(std::uint32_t index, ServiceObject** view) {
    if (view == nullptr)
        return so::kInvalidArgument;
    *view = nullptr;
    std::lock_guard lock(mutex_);
    *view = At(sbsViews_, index);
    return so::kOk;
}

void DocumentsCollectionService::AddView(ServiceObject* view) {
    if (view == nullptr)
        throw std::invalid_argument("No view to add");
    std::lock_guard operation(operationMutex_);
    {
        std::lock_guard lock(mutex_);
        if (Contains(views_, view))
            throw std::invalid_argument("The view is in the collection already");
        views_.push_back(so::Ref::Share(view));
    }
    events_.Raise<Collection::OnDocumentViewCreated>({view});
}

void DocumentsCollectionService::ActivateView(ServiceObject* view) {
    std::lock_guard operation(operationMutex_);
    so::Ref previous;
    {
        std::lock_guard lock(mutex_);
        if (!Contains(views_, view))
            throw std::invalid_argument("The view is not in the collection");
        if (activeView_.Get() == view)
            return;
        previous = activeView_;
    }
    so::Ref next = so::Ref::Share(view); // alive for the events even if closed meanwhile
    if (previous) {
        {
            std::lock_guard lock(mutex_);
            activeView_.Reset();
        }
        events_.Raise<Collection::OnDocumentViewDeactivated>({previous.Get(), next.Get()});
    }
    {
        std::lock_guard lock(mutex_);
        activeView_ = next;
    }
    events_.Raise<Collection::OnDocumentViewActivated>({next.Get()});
}

void DocumentsCollectionService::DeactivateActiveView() {
    std::lock_guard operation(operationMutex_);
    so::Ref previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(activeView_);
        activeView_.Reset();
    }
    if (previous)
        events_.Raise<Collection::OnDocumentViewDeactivated>({previous.Get(), nullptr});
}

bool DocumentsCollectionService::CloseView(ServiceObject* view) {
    std::lock_guard operation(operationMutex_);
    so::Ref held;
    bool active = false;
    {
        std::lock_guard lock(mutex_);
        if (!Contains(views_, view))
            throw std::invalid_argument("The view is not in the collection");
        held = so::Ref::Share(view);
        active = activeView_.Get() == view;
    }
    std::uint8_t cancel = 0;
    events_.Raise<Collection::OnDocumentViewClose>({held.Get(), &cancel});
    if (cancel != 0)
        return false;
    if (active)
        DeactivateActiveView();
    {
        std::lock_guard lock(mutex_);
        std::erase_if(views_, [view](const so::Ref& entry) { return entry.Get() == view; });
    }
    events_.Raise<Collection::OnDocumentViewDestroyed>({held.Get()});
    return true;
}

void DocumentsCollectionService::AddSbSView(ServiceObject* view) {
    if (view == nullptr)
        throw std::invalid_argument("No side-by-side view to add");
    std::lock_guard operation(operationMutex_);
    {
        std::lock_guard lock(mutex_);
        if (Contains(sbsViews_, view))
            throw std::invalid_argument("The side-by-side view is in the collection already");
        sbsViews_.push_back(so::Ref::Share(view));
    }
    events_.Raise<Collection::OnSbSViewCreated>({view});
}

void DocumentsCollectionService::ActivateSbSView(ServiceObject* view) {
    std::lock_guard operation(operationMutex_);
    {
        std::lock_guard lock(mutex_);
        if (!Contains(sbsViews_, view))
            throw std::invalid_argument("The side-by-side view is not in the collection");
        if (activeSbSView_.Get() == view)
            return;
    }
    DeactivateActiveSbSView();
    so::Ref next = so::Ref::Share(view);
    {
        std::lock_guard lock(mutex_);
        activeSbSView_ = next;
    }
    events_.Raise<Collection::OnSbSViewActivated>({next.Get()});
}

void DocumentsCollectionService::DeactivateActiveSbSView() {
    std::lock_guard operation(operationMutex_);
    so::Ref previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(activeSbSView_);
        activeSbSView_.Reset();
    }
    if (previous)
        events_.Raise<Collection::OnSbSViewDeactivated>({previous.Get()});
}

void DocumentsCollectionService::RemoveSbSView(ServiceObject* view) {
    std::lock_guard operation(operationMutex_);
    so::Ref held;
    bool active = false;
    {
        std::lock_guard lock(mutex_);
        if (!Contains(sbsViews_, view))
            throw std::invalid_argument("The side-by-side view is not in the collection");
        held = so::Ref::Share(view);
        active = activeSbSView_.Get() == view;
    }
    if (active)
        DeactivateActiveSbSView();
    {
        std::lock_guard lock(mutex_);
        std::erase_if(sbsViews_, [view](const so::Ref& entry) { return entry.Get() == view; });
    }
    events_.Raise<Collection::OnSbSViewDestroyed>({held.Get()});
}

so::Ref DocumentsCollectionService::ActiveView() const {
    std::lock_guard lock(mutex_);
    return activeView_;
}

std::vector<so::Ref> DocumentsCollectionService::Views() const {
    std::lock_guard lock(mutex_);
    return views_;
}

} // namespace headless
