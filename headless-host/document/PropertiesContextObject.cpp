#include "headless-host/document/PropertiesContextObject.h"

#include "headless-host/document/PropertiesContextDefaultObject.h"
#include "headless-host/document/PropertiesGroupObject.h"
#include "headless-host/document/PropertyObject.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <algorithm>
#include <set>

namespace headless {

namespace {

using GroupList = std::vector<std::shared_ptr<GroupModel>>;

// The matching entry of `candidates` not used yet, or none.
template <class T, class Match>
std::shared_ptr<T> TakeMatch(const std::vector<std::shared_ptr<T>>& candidates, std::set<const T*>& used,
                             Match match) {
    for (const auto& candidate : candidates)
        if (!used.contains(candidate.get()) && match(*candidate)) {
            used.insert(candidate.get());
            return candidate;
        }
    return nullptr;
}

std::vector<so::Ref> MergeGroups(const std::shared_ptr<DocumentState>& state,
                                 const std::vector<const GroupList*>& lists, const PropertyPath& parentPath,
                                 std::vector<std::shared_ptr<PropertyModel>>& properties) {
    std::vector<std::set<const GroupModel*>> usedGroups(lists.size());
    std::vector<so::Ref> merged;
    for (const auto& group : *lists.front()) {
        std::vector<std::shared_ptr<GroupModel>> parts{group};
        for (std::size_t i = 1; i < lists.size() && parts.size() == i; ++i)
            if (auto match = TakeMatch(*lists[i], usedGroups[i], [&group](const GroupModel& candidate) {
                    return candidate.name == group->name && candidate.kindFlags == group->kindFlags &&
                           candidate.root == group->root;
                }))
                parts.push_back(std::move(match));
        if (parts.size() != lists.size())
            continue;

        PropertyPath path = parentPath;
        path.push_back(group->name);
        std::vector<so::Ref> groupProperties;
        std::vector<std::set<const PropertyModel*>> usedProperties(parts.size());
        for (const auto& property : group->properties) {
            if (property->removed)
                continue;
            std::vector<std::shared_ptr<PropertyModel>> targets{property};
            for (std::size_t i = 1; i < parts.size() && targets.size() == i; ++i)
                if (auto match = TakeMatch(
                        parts[i]->properties, usedProperties[i], [&property](const PropertyModel& candidate) {
                            return !candidate.removed && candidate.name == property->name &&
                                   candidate.typeCode == property->typeCode;
                        }))
                    targets.push_back(std::move(match));
            if (targets.size() != parts.size())
                continue;
            properties.insert(properties.end(), targets.begin(), targets.end());
            groupProperties.push_back(PropertyObject::Make(state, std::move(targets)));
        }
        std::vector<const GroupList*> subLists;
        for (const auto& part : parts)
            subLists.push_back(&part->groups);
        std::vector<so::Ref> subGroups = MergeGroups(state, subLists, path, properties);
        merged.push_back(so::Make<PropertiesGroupObject>(*group, std::move(path), std::move(groupProperties),
                                                         std::move(subGroups)));
    }
    return merged;
}

} // namespace

void PropertiesContextObject::BindMethods(so::MethodBinder<PropertiesContextObject>& binder) {
    using C = PropertiesContextObject;
    using I = host::BLPropertiesContext;
    binder.Bind<I::GetObjectCount, &C::GetObjectCount>();
    binder.Bind<I::GetObjectName, &C::GetObjectName>();
    binder.Bind<I::GetGroupCount, &C::GetGroupCount>();
    binder.Bind<I::GetGroup, &C::GetGroup>();
    binder.Bind<I::Subscribe, &C::Subscribe>();
    binder.Bind<I::Unsubscribe, &C::Unsubscribe>();
    binder.Bind<I::GetDefaultContext, &C::GetDefaultContext>();
    binder.Bind<I::IsDefaultSupported, &C::IsDefaultSupported>();
}

so::Ref PropertiesContextObject::Make(std::shared_ptr<DocumentState> state,
                                      std::vector<std::shared_ptr<ObjectModel>> objects) {
    so::Ref object = so::Make<PropertiesContextObject>(std::move(state), std::move(objects));
    so::ServiceObjectCppTheConcrete<PropertiesContextObject>::From(object.Get()).Connect();
    return object;
}

PropertiesContextObject::PropertiesContextObject(std::shared_ptr<DocumentState> state,
                                                 std::vector<std::shared_ptr<ObjectModel>> objects)
    : state_(std::move(state)), objects_(std::move(objects)),
      events_(std::make_shared<HostEventSource>(host::BLPropertiesContext::kEventCount)) {
    if (objects_.empty())
        throw so::ServiceObjectException(so::kInvalidArgument,
                                         "A properties context needs at least one object");
    bool oneKind = std::all_of(objects_.begin(), objects_.end(),
                               [this](const auto& object) { return object->kind == objects_.front()->kind; });
    kindName_ = oneKind ? objects_.front()->kind : std::wstring();
    defaultSupported_ = oneKind && std::all_of(objects_.begin(), objects_.end(),
                                               [](const auto& object) { return object->defaultSettings; });
    std::vector<const GroupList*> lists;
    for (const auto& object : objects_)
        lists.push_back(&object->groups);
    groups_ = MergeGroups(state_, lists, {}, properties_);
}

void PropertiesContextObject::Connect() {
    watcher_ = std::make_shared<WatcherList<>::Callback>([self = so::WeakRef::To(Self()), events = events_] {
        so::Ref alive = self.Lock();
        if (!alive)
            return;
        host::ObjectEventArguments arguments{alive.Get()};
        events->Raise<host::BLPropertiesContext::OnChanged>(arguments);
    });
    for (const auto& property : properties_)
        property->contextWatchers.Add(watcher_);
}

bool PropertiesContextObject::ShowsRemoved() const {
    return std::any_of(properties_.begin(), properties_.end(),
                       [](const auto& property) { return property->removed.load(); });
}

SOResult PropertiesContextObject::GetObjectCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(objects_.size());
    return so::kOk;
}

SOResult PropertiesContextObject::GetObjectName(const wchar_t** name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = kindName_.c_str();
    return so::kOk;
}

SOResult PropertiesContextObject::GetGroupCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(groups_.size());
    return so::kOk;
}

SOResult PropertiesContextObject::GetGroup(std::uint32_t index, ServiceObject** group) {
    if (group == nullptr)
        return so::kInvalidArgument;
    *group = nullptr;
    if (index >= groups_.size())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no group %1% (the context has %2%)") % index % groups_.size()).str());
    *group = so::Ref(groups_[index]).Detach();
    return so::kOk;
}

SOResult PropertiesContextObject::Subscribe(std::uint32_t eventId, const HostEventSubscription* subscription,
                                            host::HostEventCookie* cookie) {
    return events_->Subscribe(eventId, subscription, cookie);
}

SOResult PropertiesContextObject::Unsubscribe(host::HostEventCookie cookie) {
    return events_->Unsubscribe(cookie);
}

SOResult PropertiesContextObject::GetDefaultContext(ServiceObject** defaultContext) {
    if (defaultContext == nullptr)
        return so::kInvalidArgument;
    *defaultContext = nullptr;
    if (!defaultSupported_)
        return so::kNothingProvided;
    std::lock_guard lock(mutex_);
    if (!defaultContext_)
        defaultContext_ = PropertiesContextDefaultObject::Make(state_, objects_);
    *defaultContext = so::Ref(defaultContext_).Detach();
    return so::kOk;
}

SOResult PropertiesContextObject::IsDefaultSupported(std::uint8_t* supported) {
    if (supported == nullptr)
        return so::kInvalidArgument;
    *supported = defaultSupported_ ? 1 : 0;
    return so::kOk;
}

} // namespace headless
