#include "headless-host/document/PropertyObject.h"

#include "headless-host/document/PropertyValues.h"
#include "headless-host/document/SetPropertyValuesCommand.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>

#include <algorithm>

namespace headless {

void PropertyObject::BindMethods(so::MethodBinder<PropertyObject>& binder) {
    using C = PropertyObject;
    using I = host::BLProperty;
    binder.Bind<I::GetName, &C::GetName>();
    binder.Bind<I::GetType, &C::GetType>();
    binder.Bind<I::GetValueKind, &C::GetValueKind>();
    binder.Bind<I::IsMixed, &C::IsMixed>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<I::IsReadOnly, &C::IsReadOnly>();
    binder.Bind<I::IsHidden, &C::IsHidden>();
    binder.Bind<I::GetValue, &C::GetValue>();
    binder.Bind<I::SetValue, &C::SetValue>();
    binder.Bind<I::NoticePendingValue, &C::NoticePendingValue>();
    binder.Bind<I::IsNoColorAvailable, &C::IsNoColorAvailable>();
}

so::Ref PropertyObject::Make(std::shared_ptr<DocumentState> state,
                             std::vector<std::shared_ptr<PropertyModel>> targets) {
    so::Ref object = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<PropertyObject>::Create(std::move(state), std::move(targets)));
    so::ServiceObjectCppTheConcrete<PropertyObject>::From(object.Get()).Connect();
    return object;
}

PropertyObject::PropertyObject(std::shared_ptr<DocumentState> state,
                               std::vector<std::shared_ptr<PropertyModel>> targets)
    : state_(std::move(state)), targets_(std::move(targets)), first_(*targets_.at(0)),
      readOnly_(std::any_of(targets_.begin(), targets_.end(), [](const auto& p) { return p->readOnly; })),
      hidden_(std::any_of(targets_.begin(), targets_.end(), [](const auto& p) { return p->hidden; })),
      events_(std::make_shared<HostEventSource>(host::BLProperty::kEventCount)) {}

void PropertyObject::Connect() {
    // The callback may outlive this object (the model copies it before calling): it keeps only what
    // it needs, and raises nothing once the object is dying.
    watcher_ = std::make_shared<WatcherList<>::Callback>([self = so::WeakRef::To(Self()), events = events_] {
        so::Ref alive = self.Lock();
        if (!alive)
            return;
        host::ObjectEventArguments arguments{alive.Get()};
        events->Raise<host::BLProperty::OnChange>(arguments);
    });
    for (const auto& target : targets_)
        target->propertyWatchers.Add(watcher_);
}

void PropertyObject::CheckKind(std::uint32_t valueKind) const {
    if (valueKind != std::uint32_t(first_.kind))
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("The property \"%1%\" (type %2%) takes records of value kind %3%, not %4%") %
             so::Utf8FromWide(first_.name) % first_.typeCode % std::uint32_t(first_.kind) % valueKind)
                .str());
}

void PropertyObject::CheckPresent() const {
    // A view may still hold the property after the document lost it; its value is gone with it.
    if (std::any_of(targets_.begin(), targets_.end(),
                    [](const auto& target) { return target->removed.load(); }))
        throw so::ServiceObjectException(
            so::kGenericFailure, (boost::format("The property \"%1%\" was removed from the document") %
                                  so::Utf8FromWide(first_.name))
                                     .str());
}

SOResult PropertyObject::GetName(const wchar_t** name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = first_.name.c_str();
    return so::kOk;
}

SOResult PropertyObject::GetType(std::uint32_t* typeCode) {
    if (typeCode == nullptr)
        return so::kInvalidArgument;
    *typeCode = first_.typeCode;
    return so::kOk;
}

SOResult PropertyObject::GetValueKind(std::uint32_t* valueKind) {
    if (valueKind == nullptr)
        return so::kInvalidArgument;
    *valueKind = std::uint32_t(first_.kind);
    return so::kOk;
}

SOResult PropertyObject::IsMixed(std::uint8_t* mixed) {
    if (mixed == nullptr)
        return so::kInvalidArgument;
    bool isMixed = false;
    CurrentValue(&isMixed);
    *mixed = isMixed ? 1 : 0;
    return so::kOk;
}

SOResult PropertyObject::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                   host::HostEventCookie* cookie) {
    return events_->Subscribe(eventId, subscription, cookie);
}

SOResult PropertyObject::Unsubscribe(host::HostEventCookie cookie) {
    return events_->Unsubscribe(cookie);
}

SOResult PropertyObject::IsReadOnly(std::uint8_t* readOnly) {
    if (readOnly == nullptr)
        return so::kInvalidArgument;
    *readOnly = readOnly_ ? 1 : 0;
    return so::kOk;
}

SOResult PropertyObject::IsHidden(std::uint8_t* hidden) {
    if (hidden == nullptr)
        return so::kInvalidArgument;
    *hidden = hidden_ ? 1 : 0;
    return so::kOk;
}

SOResult PropertyObject::IsNoColorAvailable(std::uint8_t* available) {
    if (available == nullptr)
        return so::kInvalidArgument;
    *available =
        std::all_of(targets_.begin(), targets_.end(), [](const auto& p) { return p->noColorAvailable; }) ? 1
                                                                                                         : 0;
    return so::kOk;
}

StoredValue PropertyObject::CurrentValue(bool* mixed) const {
    std::vector<StoredValue> values;
    for (const auto& target : targets_)
        values.push_back(state_->Value(*target));
    bool isMixed = false;
    StoredValue merged = MergeValues(values, isMixed);
    if (mixed != nullptr)
        *mixed = isMixed;
    return merged;
}

const std::string* PropertyObject::ReadError() const {
    auto broken = std::find_if(targets_.begin(), targets_.end(),
                               [](const auto& target) { return !target->readError.empty(); });
    return broken != targets_.end() ? &(*broken)->readError : nullptr;
}

SOResult PropertyObject::GetValue(std::uint32_t valueKind, void* record) {
    if (record == nullptr)
        return so::kInvalidArgument;
    CheckKind(valueKind);
    CheckPresent();
    // A merged value cannot be read when one of its parts cannot.
    if (const std::string* readError = ReadError())
        throw so::ServiceObjectException(so::kGenericFailure, *readError);
    if (first_.kind == host::ValueKind::None)
        return so::kNothingProvided;
    WriteRecord(CurrentValue(), record);
    return so::kOk;
}

SOResult PropertyObject::SetValue(std::uint32_t valueKind, const void* record) {
    if (record == nullptr)
        return so::kInvalidArgument;
    CheckKind(valueKind);
    CheckPresent();
    if (readOnly_)
        throw so::ServiceObjectException(
            host::kPropertyReadOnly,
            (boost::format("The property \"%1%\" is read-only") % so::Utf8FromWide(first_.name)).str());
    if ((state_->LockedState() & host::BLDocumentView::kLockedForWrite) != 0)
        throw so::ServiceObjectException(host::kDocumentLocked, "The document is locked for writing");
    if (std::optional<std::string> refusal = state_->AcceptWrite(targets_))
        throw so::ServiceObjectException(so::kGenericFailure, *refusal);

    std::vector<ValueChange> changes;
    bool changed = false;
    for (const auto& target : targets_) {
        StoredValue current = state_->Value(*target);
        StoredValue next = ApplyRecord(*target, current, record);
        changed = changed || !SameValue(current, next);
        changes.push_back({target, std::move(next)});
    }
    if (!changed && !state_->RunningCommandOnThisThread())
        state_->NotifyUnchanged(targets_); // accepted, but nothing to undo
    else
        RunValueStep(state_, std::move(changes));
    return so::kOk;
}

SOResult PropertyObject::NoticePendingValue(std::uint32_t valueKind, const void* record) {
    std::optional<StoredValue> pending;
    CheckPresent();
    if (record != nullptr) {
        CheckKind(valueKind);
        pending = ValueFromRecord(first_.kind, record);
    }
    state_->SetPending(targets_, pending);
    return so::kOk;
}

std::optional<StoredValue> PropertyObject::PendingValue() const {
    // Every target was told the same notice; the first one's stands for all.
    return state_->Pending(*targets_.front());
}

} // namespace headless
