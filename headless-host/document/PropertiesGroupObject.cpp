#include "headless-host/document/PropertiesGroupObject.h"

#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <cwchar>

namespace headless {

namespace {
ServiceObject* At(const std::vector<so::Ref>& list, std::uint32_t index, const char* what) {
    if (index >= list.size())
        throw so::ServiceObjectException(
            so::kInvalidArgument,
            (boost::format("There is no %1% %2% (the group has %3%)") % what % index % list.size()).str());
    return so::Ref(list[index]).Detach();
}
} // namespace

void PropertiesGroupObject::BindMethods(so::MethodBinder<PropertiesGroupObject>& binder) {
    using C = PropertiesGroupObject;
    using I = host::BLPropertiesGroup;
    binder.Bind<I::GetName, &C::GetName>();
    binder.Bind<I::GetKindFlags, &C::GetKindFlags>();
    binder.Bind<I::GetFlags, &C::GetFlags>();
    binder.Bind<I::HasFlags, &C::HasFlags>();
    binder.Bind<I::GetPropertyCount, &C::GetPropertyCount>();
    binder.Bind<I::GetProperty, &C::GetProperty>();
    binder.Bind<I::FindProperty, &C::FindProperty>();
    binder.Bind<I::GetSubGroupCount, &C::GetSubGroupCount>();
    binder.Bind<I::GetSubGroup, &C::GetSubGroup>();
}

PropertiesGroupObject::PropertiesGroupObject(const GroupModel& model, PropertyPath path,
                                             std::vector<so::Ref> properties, std::vector<so::Ref> groups)
    : name_(model.name), kindFlags_(model.kindFlags), root_(model.root), path_(std::move(path)),
      properties_(std::move(properties)), groups_(std::move(groups)) {}

SOResult PropertiesGroupObject::GetName(const wchar_t** name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = name_.c_str();
    return so::kOk;
}

SOResult PropertiesGroupObject::GetKindFlags(std::uint32_t* flags) {
    if (flags == nullptr)
        return so::kInvalidArgument;
    *flags = kindFlags_;
    return so::kOk;
}

SOResult PropertiesGroupObject::GetFlags(std::uint32_t* flags) {
    if (flags == nullptr)
        return so::kInvalidArgument;
    *flags = kindFlags_ | (root_ ? host::GroupKind::kRootGroupFlag : 0);
    return so::kOk;
}

SOResult PropertiesGroupObject::HasFlags(std::uint32_t mask, std::uint8_t* set) {
    if (set == nullptr)
        return so::kInvalidArgument;
    std::uint32_t flags = kindFlags_ | (root_ ? host::GroupKind::kRootGroupFlag : 0);
    *set = mask != 0 && (flags & mask) == mask ? 1 : 0;
    return so::kOk;
}

SOResult PropertiesGroupObject::GetPropertyCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(properties_.size());
    return so::kOk;
}

SOResult PropertiesGroupObject::GetProperty(std::uint32_t index, ServiceObject** property) {
    if (property == nullptr)
        return so::kInvalidArgument;
    *property = nullptr;
    *property = At(properties_, index, "property");
    return so::kOk;
}

SOResult PropertiesGroupObject::FindProperty(const wchar_t* name, ServiceObject** property) {
    if (name == nullptr || property == nullptr)
        return so::kInvalidArgument;
    *property = nullptr;
    for (const auto& candidate : properties_) {
        const wchar_t* candidateName = nullptr;
        so::Call<host::BLProperty::GetName>(candidate.Get(), &candidateName);
        if (candidateName != nullptr && std::wcscmp(candidateName, name) == 0) {
            *property = so::Ref(candidate).Detach();
            return so::kOk;
        }
    }
    return so::kNothingProvided;
}

SOResult PropertiesGroupObject::GetSubGroupCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(groups_.size());
    return so::kOk;
}

SOResult PropertiesGroupObject::GetSubGroup(std::uint32_t index, ServiceObject** group) {
    if (group == nullptr)
        return so::kInvalidArgument;
    *group = nullptr;
    *group = At(groups_, index, "sub-group");
    return so::kOk;
}

} // namespace headless
