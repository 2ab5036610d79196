#include "ui-document-panel-properties/PropertiesAccess.h"

#include "service-common/HostCall.h"

namespace panel {

namespace {

bool Succeeded(const std::optional<SOResult>& code) {
    return code && *code == so::kOk;
}

template <class M>
std::optional<std::wstring> ReadName(ServiceObject* object) {
    const wchar_t* name = nullptr;
    if (!Succeeded(so::Call<M>(object, &name)) || name == nullptr)
        return std::nullopt;
    return std::wstring(name);
}

template <class M>
std::uint32_t ReadU32(ServiceObject* object) {
    std::uint32_t value = 0;
    return Succeeded(so::Call<M>(object, &value)) ? value : 0;
}

template <class M, class... Args>
bool ReadFlag(ServiceObject* object, Args... args) {
    std::uint8_t flag = 0;
    return Succeeded(so::Call<M>(object, args..., &flag)) && flag != 0;
}

} // namespace

std::optional<std::wstring> GetPropertyName(ServiceObject* property) {
    return ReadName<host::BLProperty::GetName>(property);
}
std::uint32_t GetPropertyType(ServiceObject* property) {
    return ReadU32<host::BLProperty::GetType>(property);
}
bool IsPropertyHidden(ServiceObject* property) {
    return ReadFlag<host::BLProperty::IsHidden>(property);
}
std::optional<bool> QueryPropertyReadOnly(ServiceObject* property) {
    std::uint8_t flag = 0;
    if (!Succeeded(so::Call<host::BLProperty::IsReadOnly>(property, &flag)))
        return std::nullopt;
    return flag != 0;
}

std::wstring GetGroupNameRaw(ServiceObject* group) {
    return ReadName<host::BLPropertiesGroup::GetName>(group).value_or(std::wstring());
}
std::uint32_t GetGroupKindFlags(ServiceObject* group) {
    return ReadU32<host::BLPropertiesGroup::GetKindFlags>(group);
}
bool GroupHasFlags(ServiceObject* group, std::uint32_t mask) {
    return ReadFlag<host::BLPropertiesGroup::HasFlags>(group, mask);
}
std::uint32_t GetGroupPropertyCount(ServiceObject* group) {
    return ReadU32<host::BLPropertiesGroup::GetPropertyCount>(group);
}
so::Ref GetGroupProperty(ServiceObject* group, std::uint32_t index) {
    return GetObjectFrom<host::BLPropertiesGroup::GetProperty>(group, index);
}
std::uint32_t GetSubGroupCount(ServiceObject* group) {
    return ReadU32<host::BLPropertiesGroup::GetSubGroupCount>(group);
}
so::Ref GetSubGroup(ServiceObject* group, std::uint32_t index) {
    return GetObjectFrom<host::BLPropertiesGroup::GetSubGroup>(group, index);
}

std::uint32_t GetContextGroupCount(ServiceObject* context) {
    return ReadU32<host::BLPropertiesContext::GetGroupCount>(context);
}
so::Ref GetContextGroup(ServiceObject* context, std::uint32_t index) {
    return GetObjectFrom<host::BLPropertiesContext::GetGroup>(context, index);
}
std::wstring GetContextObjectName(ServiceObject* context) {
    std::optional<std::wstring> name = ReadName<host::BLPropertiesContext::GetObjectName>(context);
    return name && !name->empty() ? *name : std::wstring(L"Object");
}

} // namespace panel
