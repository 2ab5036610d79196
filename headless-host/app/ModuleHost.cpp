#include "headless-host/app/ModuleHost.h"

#include "host/UIInplacePlugin.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"

#include <dlfcn.h>

#include <stdexcept>

namespace headless {

ModuleHost::ModuleHost(const std::filesystem::path& modulePath) : path_(modulePath) {
    library_ = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr)
        throw std::runtime_error("Cannot load the module " + modulePath.string() + ": " + dlerror());
}

ModuleHost::~ModuleHost() {
    try {
        StopPlugin();
    } catch (const std::exception&) {
        // Unloading goes on: the host reports module failures, it does not stop on them.
    }
    plugin_.Reset();
    if (auto onCleanup =
            reinterpret_cast<ServiceObjectModuleOnCleanupFn>(dlsym(library_, "ServiceObjectModuleOnCleanup")))
        onCleanup();
    if (auto onFree =
            reinterpret_cast<ServiceObjectModuleOnFreeFn>(dlsym(library_, "ServiceObjectModuleOnFree")))
        onFree();
    dlclose(library_);
}

template <class Fn>
Fn ModuleHost::Export(const char* name) {
    auto function = reinterpret_cast<Fn>(dlsym(library_, name));
    if (function == nullptr)
        throw std::runtime_error("The module " + path_.string() + " does not export " + name);
    return function;
}

std::vector<ModuleHost::ClassEntry> ModuleHost::Initialize() {
    if (SOResult code = Export<ServiceObjectModuleInitializeFn>("ServiceObjectModuleInitialize")();
        code != so::kOk)
        throw so::ServiceObjectException(code, "ServiceObjectModuleInitialize failed");
    const ServiceObjectClassInfo* entries = nullptr;
    std::uint32_t count = 0;
    SOResult code = Export<ReflectServiceObjectInfoFn>("ReflectServiceObjectInfo")(&entries, &count);
    if (code != so::kOk)
        throw so::ServiceObjectException(code, so::ServiceProviderErrorMessage(code));
    std::vector<ClassEntry> classes;
    for (std::uint32_t i = 0; i < count; ++i)
        classes.push_back({entries[i].className != nullptr ? entries[i].className : "", entries[i].atom});
    return classes;
}

so::Ref ModuleHost::CreateObject(const char* className) {
    so::Ref object;
    SOResult code = Export<CreateServiceObjectFn>("CreateServiceObject")(so::AtomOf(className), object.Put());
    if (code != so::kOk)
        throw so::ServiceObjectException(code, "Cannot create " + std::string(className) + ": " +
                                                   so::ServiceProviderErrorMessage(code));
    return object;
}

void ModuleHost::StartPlugin(ServiceObject* site, ServiceObject* context) {
    using I = host::UIInplacePlugin;
    plugin_ = CreateObject("PropertiesPanelInplacePlugin");
    started_ = true;
    so::Call<I::Handshake>(plugin_.Get());
    so::Call<I::RegisterResources>(plugin_.Get());
    so::Call<I::InitBegin>(plugin_.Get(), site, context);
    so::Call<I::InitHtml>(plugin_.Get());
    so::Call<I::InitSubscription>(plugin_.Get());
}

so::Ref ModuleHost::InitHandler() {
    so::Ref handler;
    so::Call<host::UIInplacePlugin::InitHandler>(plugin_.Get(), handler.Put());
    return handler;
}

void ModuleHost::InitComplete() {
    so::Call<host::UIInplacePlugin::InitComplete>(plugin_.Get());
}

so::Ref ModuleHost::GetUIModel() {
    so::Ref model;
    so::Call<host::UIInplacePlugin::GetUIModel>(plugin_.Get(), model.Put());
    return model;
}

void ModuleHost::StopPlugin() {
    if (!started_)
        return;
    started_ = false;
    so::Call<host::UIInplacePlugin::Cleanup>(plugin_.Get());
}

} // namespace headless
