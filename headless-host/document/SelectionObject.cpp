#include "headless-host/document/SelectionObject.h"

#include "headless-host/document/PropertiesContextObject.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

namespace headless {

void SelectionObject::BindMethods(so::MethodBinder<SelectionObject>& binder) {
    using C = SelectionObject;
    using I = host::BLSelection;
    binder.Bind<I::GetObjectCount, &C::GetObjectCount>();
    binder.Bind<I::GetObjectName, &C::GetObjectName>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<I::GetPropertiesContext, &C::GetPropertiesContext>();
}

SelectionObject::SelectionObject(std::shared_ptr<DocumentState> state,
                                 std::vector<std::shared_ptr<ObjectModel>> objects)
    : state_(std::move(state)), objects_(std::move(objects)) {
    if (objects_.empty())
        throw so::ServiceObjectException(so::kInvalidArgument, "A selection needs at least one object");
}

SOResult SelectionObject::GetObjectCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(objects_.size());
    return so::kOk;
}

SOResult SelectionObject::GetObjectName(std::uint32_t index, const wchar_t** name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = nullptr;
    if (index >= objects_.size())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no object %1% (the selection has %2%)") % index % objects_.size())
                .str());
    *name = objects_[index]->name.c_str();
    return so::kOk;
}

SOResult SelectionObject::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                    host::HostEventCookie* cookie) {
    return events_.Subscribe(eventId, subscription, cookie);
}

SOResult SelectionObject::Unsubscribe(host::HostEventCookie cookie) {
    return events_.Unsubscribe(cookie);
}

SOResult SelectionObject::GetPropertiesContext(ServiceObject** context) {
    if (context == nullptr)
        return so::kInvalidArgument;
    *context = nullptr;
    std::lock_guard lock(mutex_);
    // Kept while it shows what the document has; whoever holds an older one keeps it as it was.
    if (!context_ ||
        so::ServiceObjectCppTheConcrete<PropertiesContextObject>::From(context_.Get()).ShowsRemoved())
        context_ = PropertiesContextObject::Make(state_, objects_);
    *context = so::Ref(context_).Detach();
    return so::kOk;
}

void SelectionObject::RaiseInitialized() {
    events_.Raise<host::BLSelection::OnInitialized>(host::ObjectEventArguments{Self()});
}

void SelectionObject::RaiseDisplayed() {
    events_.Raise<host::BLSelection::OnDisplayed>(host::ObjectEventArguments{Self()});
}

} // namespace headless
