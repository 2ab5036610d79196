// The host's "UIEngine" service: reads modules' "UI-DATA" resources into packages and keeps the
// registered ones, so that pages and the resource store can read them by path.
#pragma once

#include "host/UIServices.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace headless {

// The resources of one module, read once through its "UI-DATA-TOC".
class ResourcePackageObject : public so::ObjectBase {
public:
    using Interface = host::ResourcePackage;
    static constexpr std::uint32_t kClassTag = 0x9AC4A6E2;
    static void BindMethods(so::MethodBinder<ResourcePackageObject>& binder);

    struct Resource {
        std::wstring path; // lower-case, as listed in the TOC
        std::string bytes;
    };

    // Raises ServiceObjectException when the module has no TOC or a listed resource is missing.
    explicit ResourcePackageObject(HMODULE module);

    SOResult GetModule(HMODULE* module);
    SOResult GetResourceCount(std::uint32_t* count);
    SOResult GetResourcePath(std::uint32_t index, wchar_t* buffer, std::uint32_t* inOutLength);
    SOResult GetResource(const wchar_t* path, ServiceObject** blob);

    // The resource's bytes by path in any case, or null.
    const Resource* Find(std::wstring_view path) const;

private:
    HMODULE module_;
    std::vector<Resource> resources_;
    // Index into resources_ by path. The paths are ASCII (the TOC is), so lowering ASCII letters is
    // the whole case-insensitive match, found without a locale per character: templates are looked
    // up once per editor of every rebuild.
    std::unordered_map<std::wstring, std::size_t> byPath_;
};

class UIEngineService : public so::ObjectBase {
public:
    using Interface = host::UIEngine;
    static constexpr std::uint32_t kClassTag = 0x5E1E7A12;
    static constexpr std::uint32_t kVersion = 0x00010000;
    static void BindMethods(so::MethodBinder<UIEngineService>& binder);

    SOResult GetPackageCount(std::uint32_t* count);
    SOResult GetPackage(std::uint32_t index, ServiceObject** package);
    SOResult GetVersion(std::uint32_t* version);
    SOResult LoadResourceData(const wchar_t* path, ServiceObject** blob);
    SOResult CreateResourcePackage(HMODULE module, ServiceObject** package);
    SOResult UnregisterResourcePackage(ServiceObject* package);
    SOResult IsModuleRegistered(HMODULE module, std::uint32_t* registered);
    SOResult RegisterResourcePackage(ServiceObject* package);

    // Calls of CreateResourcePackage and RegisterResourcePackage so far, for tests of callers.
    std::uint32_t CreateCalls() const { return createCalls_; }
    std::uint32_t RegisterCalls() const { return registerCalls_; }

private:
    mutable std::mutex mutex_;
    std::vector<so::Ref> packages_; // registered, in order
    std::uint32_t createCalls_ = 0;
    std::uint32_t registerCalls_ = 0;
};

} // namespace headless
