// The module loaded by path with dlopen, its entry points looked up by name, as a host does.
#pragma once

#include "host/ModuleExports.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace testing_host {

class LoadedModule {
public:
    explicit LoadedModule(const std::filesystem::path& path) {
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr)
            throw std::runtime_error(std::string("cannot load the module: ") + dlerror());
        initialize = Export<ServiceObjectModuleInitializeFn>("ServiceObjectModuleInitialize");
        reflect = Export<ReflectServiceObjectInfoFn>("ReflectServiceObjectInfo");
        create = Export<CreateServiceObjectFn>("CreateServiceObject");
        registerResources = Export<RegisterResourcesFn>("RegisterResources");
        onCleanup = Export<ServiceObjectModuleOnCleanupFn>("ServiceObjectModuleOnCleanup");
        onFree = Export<ServiceObjectModuleOnFreeFn>("ServiceObjectModuleOnFree");
    }
    ~LoadedModule() { dlclose(handle_); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    void* Symbol(const char* name) const { return dlsym(handle_, name); }
    void* Handle() const { return handle_; }

    ServiceObjectModuleInitializeFn initialize;
    ReflectServiceObjectInfoFn reflect;
    CreateServiceObjectFn create;
    RegisterResourcesFn registerResources;
    ServiceObjectModuleOnCleanupFn onCleanup;
    ServiceObjectModuleOnFreeFn onFree;

private:
    template <class Fn>
    Fn Export(const char* name) {
        auto function = reinterpret_cast<Fn>(dlsym(handle_, name));
        if (function == nullptr)
            throw std::runtime_error(std::string("the module does not export ") + name);
        return function;
    }

    void* handle_;
};

} // namespace testing_host
