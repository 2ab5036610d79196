// What a service-object module exports, as the host's service provider calls it.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

extern "C" {

// One entry per class a module offers; the array ends with an all-zero entry that is not counted.
struct ServiceObjectClassInfo {
    SOAtom atom; // 0xFFFFFFFF until the class has been resolved by a first CreateServiceObject
    std::uint32_t padding;
    const char* className;
};
static_assert(sizeof(ServiceObjectClassInfo) == 16);

using ServiceObjectModuleInitializeFn = SOResult (*)();
using ReflectServiceObjectInfoFn = SOResult (*)(const ServiceObjectClassInfo** entries, std::uint32_t* count);
using CreateServiceObjectFn = SOResult (*)(SOAtom classAtom, ServiceObject** out);
using RegisterResourcesFn = SOResult (*)(ServiceObject* uiEngine);
using ServiceObjectModuleOnCleanupFn = SOResult (*)();
using ServiceObjectModuleOnFreeFn = SOResult (*)();

// Where PE resources do not exist, a module exports this table under the name
// "ModuleResourceTable"; the host's resource functions (FindResourceExW…) read it.
struct ModuleResourceEntry {
    const wchar_t* type; // e.g. L"UI-DATA"
    const wchar_t* name; // upper-case, e.g. L"DOCUMENT-PANEL-PROPERTIES/PROPERTIES-VIEW.HTM"
    std::uint16_t language;
    const unsigned char* data;
    std::uint32_t size;
};

struct ModuleResourceDirectory {
    std::uint32_t count;
    const ModuleResourceEntry* entries;
};

} // extern "C"

namespace so {
constexpr const char* kModuleResourceTableExport = "ModuleResourceTable";
}
