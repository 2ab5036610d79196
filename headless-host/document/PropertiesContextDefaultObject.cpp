#include "headless-host/document/PropertiesContextDefaultObject.h"

#include "headless-host/document/PropertiesGroupObject.h"
#include "headless-host/document/PropertyValues.h"
#include "headless-host/document/SetPropertyValuesCommand.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <algorithm>

namespace headless {

void PropertiesContextDefaultObject::BindMethods(so::MethodBinder<PropertiesContextDefaultObject>& binder) {
    using C = PropertiesContextDefaultObject;
    using I = host::BLPropertiesContextDefault;
    binder.Bind<I::IsCurrentEqualToDefaults, &C::IsCurrentEqualToDefaults>();
    binder.Bind<I::GetKindName, &C::GetKindName>();
    binder.Bind<I::StoreCurrentAsDefaults, &C::StoreCurrentAsDefaults>();
    binder.Bind<I::AreDefaultsOriginal, &C::AreDefaultsOriginal>();
    binder.Bind<I::RestoreOriginalDefaults, &C::RestoreOriginalDefaults>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
}

so::Ref PropertiesContextDefaultObject::Make(std::shared_ptr<DocumentState> state,
                                             std::vector<std::shared_ptr<ObjectModel>> objects) {
    so::Ref object = so::Make<PropertiesContextDefaultObject>(std::move(state), std::move(objects));
    so::ServiceObjectCppTheConcrete<PropertiesContextDefaultObject>::From(object.Get()).Connect();
    return object;
}

PropertiesContextDefaultObject::PropertiesContextDefaultObject(
    std::shared_ptr<DocumentState> state, std::vector<std::shared_ptr<ObjectModel>> objects)
    : state_(std::move(state)), objects_(std::move(objects)), kind_(objects_.at(0)->kind),
      defaults_(state_->Defaults(kind_)),
      events_(std::make_shared<HostEventSource>(host::BLPropertiesContextDefault::kEventCount)) {}

void PropertiesContextDefaultObject::Connect() {
    watcher_ = std::make_shared<WatcherList<>::Callback>([self = so::WeakRef::To(Self()), events = events_] {
        so::Ref alive = self.Lock();
        if (!alive)
            return;
        host::ObjectEventArguments arguments{alive.Get()};
        events->Raise<host::BLPropertiesContextDefault::OptsChanged>(arguments);
    });
    state_->WatchDefaults(kind_, watcher_);
}

std::vector<const DefaultEntry*> PropertiesContextDefaultObject::EntriesIn(ServiceObject* group) const {
    PropertyPath prefix;
    if (group != nullptr) {
        if (!so::ServiceObjectCppTheConcrete<PropertiesGroupObject>::IsInstance(group))
            throw so::ServiceObjectException(so::kInvalidArgument,
                                             "The group is not a properties group of this host");
        prefix = so::ServiceObjectCppTheConcrete<PropertiesGroupObject>::From(group).Path();
    }
    std::vector<const DefaultEntry*> entries;
    if (defaults_ == nullptr)
        return entries;
    for (const auto& entry : defaults_->entries)
        if (entry.path.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), entry.path.begin()))
            entries.push_back(&entry);
    return entries;
}

std::vector<std::pair<std::shared_ptr<PropertyModel>, StoredValue>>
PropertiesContextDefaultObject::CurrentValues(const DefaultEntry& entry) const {
    std::vector<std::pair<std::shared_ptr<PropertyModel>, StoredValue>> values;
    for (const auto& object : objects_)
        if (auto property = FindProperty(*object, entry.path))
            values.emplace_back(property, state_->Value(*property));
    return values;
}

SOResult PropertiesContextDefaultObject::IsCurrentEqualToDefaults(ServiceObject* group, std::uint8_t* equal) {
    if (equal == nullptr)
        return so::kInvalidArgument;
    bool same = true;
    for (const DefaultEntry* entry : EntriesIn(group)) {
        StoredValue stored = state_->StoredDefault(*entry);
        for (const auto& [property, value] : CurrentValues(*entry))
            same = same && SameValue(value, stored);
    }
    *equal = same ? 1 : 0;
    return so::kOk;
}

SOResult PropertiesContextDefaultObject::GetKindName(const wchar_t** kind) {
    if (kind == nullptr)
        return so::kInvalidArgument;
    *kind = kind_.c_str();
    return so::kOk;
}

SOResult PropertiesContextDefaultObject::StoreCurrentAsDefaults() {
    std::vector<std::pair<const DefaultEntry*, StoredValue>> stored;
    for (const DefaultEntry* entry : EntriesIn(nullptr)) {
        std::vector<StoredValue> values;
        for (auto& [property, value] : CurrentValues(*entry))
            values.push_back(std::move(value));
        bool mixed = false;
        StoredValue common = MergeValues(values, mixed);
        if (!values.empty() && !mixed)
            stored.emplace_back(entry, std::move(common));
    }
    state_->SetStoredDefaults(kind_, stored);
    return so::kOk;
}

SOResult PropertiesContextDefaultObject::AreDefaultsOriginal(ServiceObject* group, std::uint8_t* original) {
    if (original == nullptr)
        return so::kInvalidArgument;
    bool same = true;
    for (const DefaultEntry* entry : EntriesIn(group))
        same = same && SameValue(state_->StoredDefault(*entry), entry->original);
    *original = same ? 1 : 0;
    return so::kOk;
}

SOResult PropertiesContextDefaultObject::RestoreOriginalDefaults(std::uint32_t mode) {
    using I = host::BLPropertiesContextDefault;
    if (mode != I::kRestoreOnly && mode != I::kRestoreAndApply)
        throw so::ServiceObjectException(so::kInvalidArgument,
                                         (boost::format("Unknown restore mode %1%") % mode).str());
    std::vector<std::pair<const DefaultEntry*, StoredValue>> stored;
    std::vector<ValueChange> changes;
    for (const DefaultEntry* entry : EntriesIn(nullptr)) {
        stored.emplace_back(entry, entry->original);
        if (mode != I::kRestoreAndApply)
            continue;
        for (const auto& [property, value] : CurrentValues(*entry))
            if (!property->readOnly && !SameValue(value, entry->original))
                changes.push_back({property, entry->original, true}); // a reset rebuilds what is shown
    }
    // The objects first: a locked document refuses, and then nothing is restored at all.
    if (!changes.empty()) {
        if ((state_->LockedState() & host::BLDocumentView::kLockedForWrite) != 0)
            throw so::ServiceObjectException(host::kDocumentLocked, "The document is locked for writing");
        RunValueStep(state_, std::move(changes));
    }
    state_->SetStoredDefaults(kind_, stored);
    return so::kOk;
}

SOResult PropertiesContextDefaultObject::Subscribe(std::uint32_t eventId,
                                                   const HostEventSubscription* subscription,
                                                   host::HostEventCookie* cookie) {
    return events_->Subscribe(eventId, subscription, cookie);
}

SOResult PropertiesContextDefaultObject::Unsubscribe(host::HostEventCookie cookie) {
    return events_->Unsubscribe(cookie);
}

} // namespace headless
