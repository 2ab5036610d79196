// What a service-object module exports, as the host's service provider calls it: six entry points
// looked up by name (module/ModuleExports.h declares this module's) and, where PE resources do not
// exist, the resource table.
//
// The host's order:
//   load the library                the load notification keeps the module handle
//   ServiceObjectModuleInitialize
//   ReflectServiceObjectInfo        any number of times, also after CreateServiceObject
//   CreateServiceObject             any number of times, then the objects' own operations (the
//                                   in-place plug-in's RegisterResources calls RegisterResources)
//   release everything of the module's, Cleanup of every plug-in first
//   ServiceObjectModuleOnCleanup
//   ServiceObjectModuleOnFree
//   unload the library
// Nothing in the module depends on ServiceObjectModuleInitialize having run: the service provider
// may load a module on a service query and call only CreateServiceObject.
//
// Threads: RegisterResources is [ui-thread] (the "UIEngine" service is). The others are
// [thread-safe]: a service provider creates objects from whichever thread first asks for a service,
// so the module keeps its once-flags and resolved atoms under one lock. No entry point lets an
// exception out.
//
// Results are the codes of host/ServiceObject.h. The entry points write no error record of their
// own: the host names a code with its own message (ServiceProviderErrorMessage).
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

extern "C" {

// One entry per class a module offers; the array ends with an all-zero entry that is not counted.
// The array is built by the first ReflectServiceObjectInfo and never updated: `atom` stays 0xFFFFFFFF
// for a class that no CreateServiceObject resolved before that, so a host looks classes up by name.
struct ServiceObjectClassInfo {
    SOAtom atom; // 0xFFFFFFFF until the class has been resolved by a first CreateServiceObject
    std::uint32_t padding;
    const char* className;
};
static_assert(sizeof(ServiceObjectClassInfo) == 16);

// "ServiceObjectModuleInitialize" [thread-safe]: the first call after loading. This module hands
// nothing to "UIService" at start-up, so it does nothing and answers 0, also when called again. On a
// failure the headless host uses the module no further but still calls OnCleanup and OnFree before
// unloading: both must cope with a module that was never initialised.
using ServiceObjectModuleInitializeFn = SOResult (*)();

// "ReflectServiceObjectInfo" [thread-safe]: the classes the module offers. *entries points to *count
// entries, in the module's registration order, followed by the all-zero terminator. The array and
// its class names are the module's: the caller neither changes nor frees them, and they stay valid
// until the library is unloaded. Every call gives the same array (see `atom` above).
// 0; 3 for a null pointer, nothing written; 0x10007 (no public service objects) with *entries null
// and *count 0 when the module offers no class; 0x80004005 when the array could not be allocated
// (nothing kept: a later call tries again).
using ReflectServiceObjectInfoFn = SOResult (*)(const ServiceObjectClassInfo** entries, std::uint32_t* count);

// "CreateServiceObject" [thread-safe]: a new object, one per call, of the class whose name has the
// atom `classAtom` (the support library's atom of the className, never a reflected 0xFFFFFFFF).
// 0: *out carries one reference, the caller's, to be released before the library is unloaded (the
// object's code is the module's). 3 for a zero atom or a null `out`, nothing written. Otherwise *out
// is null and nothing is left behind: 0x10005 when no class of the module has the atom (0xFFFFFFFF
// included), 0x10006 when the class's factory made nothing or failed.
using CreateServiceObjectFn = SOResult (*)(SOAtom classAtom, ServiceObject** out);

// "RegisterResources" [ui-thread]: registers the module's "UI-DATA" resources, read through the
// module handle, as a resource package of `uiEngine`, a "UIEngine" object borrowed for the call (the
// engine keeps the package; the module keeps neither). The plug-in's RegisterResources operation
// calls it with the "UIEngine" service; a host may call it directly.
// Once per load of the library: after one registration succeeded, every later call answers 0 and
// does nothing, and neither OnCleanup nor OnFree withdraws the package or forgets it. 0 also when
// the engine refused the package (a failing or missing method): nothing is registered then and the
// next call tries again, so 0 does not say that the resources are there (the engine's
// IsModuleRegistered does). 3 for a null engine.
using RegisterResourcesFn = SOResult (*)(ServiceObject* uiEngine);

// "ServiceObjectModuleOnCleanup" [ui-thread]: the counterpart of Initialize, called once when the
// host is done with the module, before it withdraws its own services. By then the host has released
// everything of the module's, directly or in its services: objects, every plug-in after its
// Cleanup, posted work, subscriptions, undo steps. It is where a module withdraws what Initialize
// handed to host services. This module handed them nothing, and a plug-in's Cleanup withdraws the
// command factories, so it answers 0 and does nothing: it neither withdraws the resource package nor
// cleans up after a plug-in whose Cleanup never ran.
using ServiceObjectModuleOnCleanupFn = SOResult (*)();

// "ServiceObjectModuleOnFree" [ui-thread]: the last call, after OnCleanup and right before the
// library is unloaded: where a module frees what it allocated for itself. This module's globals go
// with the library, so it answers 0 and does nothing.
// The headless host ignores the results of OnCleanup and OnFree and unloads anyway: a failure there
// can be reported, not refused.
using ServiceObjectModuleOnFreeFn = SOResult (*)();

// Where PE resources do not exist, a module exports this table under the name
// "ModuleResourceTable"; the host's resource functions (FindResourceExW…) read it. The table and
// everything it points to are constant data of the library: a host copies what it keeps after
// unloading it.
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
