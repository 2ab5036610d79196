// Reading the business-logic objects of a selection's properties. A method the object does not
// offer (its table is too short) reads as absent: no name, count 0, flag false, type 0. Host
// failures raise ServiceObjectException.
#pragma once

#include "host/BLProperties.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <optional>
#include <string>

namespace panel {

// A service object with one reference, or null, from a host getter `M(args..., out)`.
template <class M, class... Args>
so::Ref GetObjectFrom(ServiceObject* owner, Args... args) {
    ServiceObject* object = nullptr;
    auto code = so::Call<M>(owner, args..., &object);
    so::Ref owned = so::Ref::Adopt(object);
    return code && *code == so::kOk ? owned : so::Ref();
}

std::optional<std::wstring> GetPropertyName(ServiceObject* property);
std::uint32_t GetPropertyType(ServiceObject* property);
bool IsPropertyHidden(ServiceObject* property);
// The property's answer to the read-only query; none when it gives none (no such method, or
// "nothing provided").
std::optional<bool> QueryPropertyReadOnly(ServiceObject* property);

std::wstring GetGroupNameRaw(ServiceObject* group);
std::uint32_t GetGroupKindFlags(ServiceObject* group);
bool GroupHasFlags(ServiceObject* group, std::uint32_t mask);
std::uint32_t GetGroupPropertyCount(ServiceObject* group);
so::Ref GetGroupProperty(ServiceObject* group, std::uint32_t index);
std::uint32_t GetSubGroupCount(ServiceObject* group);
so::Ref GetSubGroup(ServiceObject* group, std::uint32_t index);

std::uint32_t GetContextGroupCount(ServiceObject* context);
so::Ref GetContextGroup(ServiceObject* context, std::uint32_t index);
// The kind name of the selected objects; "Object" when the context gives none.
std::wstring GetContextObjectName(ServiceObject* context);

// The identity of a host object as the panel's identifiers show it: its address.
inline std::uint64_t ObjectIdentity(const ServiceObject* object) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
}

} // namespace panel
