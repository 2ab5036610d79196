// The host's service provider: a registry of services by atom, served by an object, a factory,
// or a module loaded on first use.
#include "headless-host/support/HostSupport.h"
#include "host/ModuleExports.h"
#include "service-common/TwoCallText.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

struct ServiceEntry {
    ServiceObject* object = nullptr; // one registry reference
    SOResult (*factory)(void*, ServiceObject**) = nullptr;
    void* factoryContext = nullptr;
    std::string modulePath;
    SOAtom classAtom = 0;
};

struct SystemError {
    bool present = false;
    std::uint32_t code = 0;
    std::string description;
};

thread_local SystemError lastSystemError;

class ServiceRegistry {
public:
    ~ServiceRegistry() { Clear(); }

    SOResult Register(SOAtom atom, ServiceEntry entry) {
        if (atom == 0)
            return so::kInvalidArgument;
        ServiceEntry previous;
        {
            std::lock_guard lock(mutex_);
            auto& slot = services_[atom];
            previous = std::exchange(slot, std::move(entry));
        }
        Release(previous);
        return so::kOk;
    }

    SOResult Unregister(SOAtom atom) {
        ServiceEntry previous;
        {
            std::lock_guard lock(mutex_);
            auto found = services_.find(atom);
            if (found == services_.end())
                return so::kInvalidArgument;
            previous = std::move(found->second);
            services_.erase(found);
        }
        Release(previous);
        return so::kOk;
    }

    void Clear() {
        std::unordered_map<SOAtom, ServiceEntry> services;
        std::unordered_map<std::string, void*> modules;
        {
            std::lock_guard lock(mutex_);
            services.swap(services_);
            modules.swap(modules_);
        }
        for (auto& [atom, entry] : services)
            Release(entry);
        for (auto& [path, handle] : modules)
            dlclose(handle);
    }

    SOResult Get(SOAtom atom, ServiceObject** out) {
        lastSystemError = {};
        ServiceEntry entry;
        {
            std::lock_guard lock(mutex_);
            auto found = services_.find(atom);
            if (found == services_.end())
                return so::kServiceNotSupportedByProvider;
            entry = found->second;
            if (entry.object != nullptr) {
                // Handed out under the lock, so that a concurrent Unregister cannot free it first.
                entry.object->header.AddRef(entry.object);
                *out = entry.object;
                return so::kOk;
            }
        }
        if (entry.factory != nullptr)
            return entry.factory(entry.factoryContext, out);
        return CreateFromModule(entry, out);
    }

private:
    static void Release(ServiceEntry& entry) {
        if (entry.object != nullptr)
            entry.object->header.Release(entry.object);
        entry.object = nullptr;
    }

    SOResult CreateFromModule(const ServiceEntry& entry, ServiceObject** out) {
        void* module = LoadModule(entry.modulePath);
        if (module == nullptr)
            return so::kModuleNotFound;
        dlerror();
        auto create = reinterpret_cast<CreateServiceObjectFn>(dlsym(module, "CreateServiceObject"));
        if (create == nullptr) {
            const char* error = dlerror();
            lastSystemError = {true, 127, error != nullptr ? error : "CreateServiceObject: symbol not found"};
            return so::kFactoryNotFound;
        }
        return create(entry.classAtom, out);
    }

    void* LoadModule(const std::string& path) {
        std::lock_guard lock(mutex_);
        if (auto found = modules_.find(path); found != modules_.end())
            return found->second;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* error = dlerror();
            lastSystemError = {true, 126, error != nullptr ? error : path + ": cannot be loaded"};
            return nullptr;
        }
        modules_[path] = module;
        return module;
    }

    std::mutex mutex_;
    std::unordered_map<SOAtom, ServiceEntry> services_;
    std::unordered_map<std::string, void*> modules_;
};

ServiceRegistry& Registry() {
    static ServiceRegistry registry;
    return registry;
}

} // namespace

extern "C" {

SOResult ServiceProviderGetServiceObject(SOAtom serviceAtom, ServiceObject** out) {
    if (serviceAtom == 0 || out == nullptr)
        return so::kInvalidArgument;
    *out = nullptr;
    return Registry().Get(serviceAtom, out);
}

SOResult ServiceProviderGetLastSystemError(std::uint32_t* code, char* description, std::uint32_t* inOutLength) {
    if (code == nullptr || inOutLength == nullptr)
        return so::kInvalidArgument;
    if (!lastSystemError.present)
        return so::kNoErrorRecord;
    *code = lastSystemError.code;
    return so::DeliverText(lastSystemError.description, description, inOutLength);
}

SOResult ServiceProviderRegisterObject(SOAtom serviceAtom, ServiceObject* object) {
    if (object == nullptr)
        return so::kInvalidArgument;
    object->header.AddRef(object);
    SOResult result = Registry().Register(serviceAtom, {.object = object});
    if (result != so::kOk)
        object->header.Release(object);
    return result;
}

SOResult ServiceProviderRegisterFactory(SOAtom serviceAtom, SOResult (*factory)(void*, ServiceObject**),
                                        void* context) {
    if (factory == nullptr)
        return so::kInvalidArgument;
    return Registry().Register(serviceAtom, {.factory = factory, .factoryContext = context});
}

SOResult ServiceProviderRegisterModule(SOAtom serviceAtom, const char* modulePath, SOAtom classAtom) {
    if (modulePath == nullptr || *modulePath == '\0')
        return so::kInvalidArgument;
    return Registry().Register(serviceAtom, {.modulePath = modulePath, .classAtom = classAtom});
}

SOResult ServiceProviderUnregister(SOAtom serviceAtom) { return Registry().Unregister(serviceAtom); }

void ServiceProviderClear() { Registry().Clear(); }

} // extern "C"
