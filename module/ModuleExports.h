// The six entry points the host's service provider calls, exported by name.
#pragma once

#include "host/ModuleExports.h"

#if defined(_WIN32)
#define MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

MODULE_EXPORT SOResult ServiceObjectModuleInitialize();
MODULE_EXPORT SOResult ReflectServiceObjectInfo(const ServiceObjectClassInfo** entries, std::uint32_t* count);
MODULE_EXPORT SOResult CreateServiceObject(SOAtom classAtom, ServiceObject** out);
MODULE_EXPORT SOResult RegisterResources(ServiceObject* uiEngine);
MODULE_EXPORT SOResult ServiceObjectModuleOnCleanup();
MODULE_EXPORT SOResult ServiceObjectModuleOnFree();
