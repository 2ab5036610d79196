// Loads the panel module by path and drives it through the host's call sequence.
#pragma once

#include "host/ModuleExports.h"
#include "service-common/ServiceObjectPtr.h"

#include <filesystem>
#include <string>
#include <vector>

namespace headless {

class ModuleHost {
public:
    // Loads the module (raises std::runtime_error naming the path and the loader's message).
    explicit ModuleHost(const std::filesystem::path& modulePath);
    // Runs Cleanup if the plug-in was started, then the module's clean-up exports, then unloads.
    ~ModuleHost();
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    struct ClassEntry {
        std::string name;
        SOAtom atom;
    };
    // ServiceObjectModuleInitialize and ReflectServiceObjectInfo.
    std::vector<ClassEntry> Initialize();
    // CreateServiceObject for the named class (raises ServiceObjectException with the code).
    so::Ref CreateObject(const char* className);

    // The plug-in's operations in the host's order, up to the panel parts. `site` and `context`
    // are the host's plug-in site and the panel's window context.
    void StartPlugin(ServiceObject* site, ServiceObject* context);
    // InitHandler, InitComplete, GetUIModel; each raises its failure.
    so::Ref InitHandler();
    void InitComplete();
    so::Ref GetUIModel();
    void StopPlugin();

private:
    template <class Fn>
    Fn Export(const char* name);

    void* library_ = nullptr;
    std::filesystem::path path_;
    so::Ref plugin_;
    bool started_ = false;
};

} // namespace headless
