#include "headless-host/services/UIEngineService.h"

#include "headless-host/services/BlobObject.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"
#include "service-common/TwoCallText.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/algorithm/string/trim.hpp>

#include <algorithm>
#include <cstring>

namespace headless {

namespace {

constexpr std::uint16_t kLanguage = LANG_ENGLISH_US;

bool ReadResource(HMODULE module, const wchar_t* type, const std::wstring& name, std::string& bytes) {
    HRSRC resource = FindResourceExW(module, type, name.c_str(), kLanguage);
    if (resource == nullptr)
        return false;
    const void* data = LockResource(LoadResource(module, resource));
    DWORD size = SizeofResource(module, resource);
    if (data == nullptr && size != 0)
        return false;
    bytes.assign(static_cast<const char*>(data), size);
    return true;
}

} // namespace

void ResourcePackageObject::BindMethods(so::MethodBinder<ResourcePackageObject>& binder) {
    using P = ResourcePackageObject;
    using I = host::ResourcePackage;
    binder.Bind<I::GetModule, &P::GetModule>();
    binder.Bind<I::GetResourceCount, &P::GetResourceCount>();
    binder.Bind<I::GetResourcePath, &P::GetResourcePath>();
    binder.Bind<I::GetResource, &P::GetResource>();
}

ResourcePackageObject::ResourcePackageObject(HMODULE module) : module_(module) {
    std::string toc;
    if (!ReadResource(module, L"UI-DATA-TOC", L"UI-DATA-TOC", toc))
        throw so::ServiceObjectException(so::kInvalidArgument, "The module has no UI-DATA-TOC resource");
    std::vector<std::string> entries;
    boost::algorithm::split(entries, toc, [](char c) { return c == ';'; });
    for (std::string& entry : entries) {
        boost::algorithm::trim(entry);
        if (entry.empty())
            continue;
        Resource resource{so::WideFromUtf8(boost::algorithm::to_lower_copy(entry)), {}};
        if (!ReadResource(module, L"UI-DATA", boost::algorithm::to_upper_copy(resource.path), resource.bytes))
            throw so::ServiceObjectException(so::kInvalidArgument,
                                             "The UI-DATA-TOC lists " + entry + ", which the module does not hold");
        byPath_.emplace(resource.path, resources_.size());
        resources_.push_back(std::move(resource));
    }
}

SOResult ResourcePackageObject::GetModule(HMODULE* module) {
    if (module == nullptr)
        return so::kInvalidArgument;
    *module = module_;
    return so::kOk;
}

SOResult ResourcePackageObject::GetResourceCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(resources_.size());
    return so::kOk;
}

SOResult ResourcePackageObject::GetResourcePath(std::uint32_t index, wchar_t* buffer, std::uint32_t* inOutLength) {
    if (index >= resources_.size())
        return so::kInvalidArgument;
    return so::DeliverText(resources_[index].path, buffer, inOutLength);
}

SOResult ResourcePackageObject::GetResource(const wchar_t* path, ServiceObject** blob) {
    if (path == nullptr || blob == nullptr)
        return so::kInvalidArgument;
    *blob = nullptr;
    const Resource* resource = Find(path);
    if (resource == nullptr)
        return so::kNothingProvided;
    *blob = BlobObject::Create(resource->bytes);
    return so::kOk;
}

const ResourcePackageObject::Resource* ResourcePackageObject::Find(std::wstring_view path) const {
    std::wstring key(path);
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    auto found = byPath_.find(key);
    return found != byPath_.end() ? &resources_[found->second] : nullptr;
}

void UIEngineService::BindMethods(so::MethodBinder<UIEngineService>& binder) {
    using E = UIEngineService;
    using I = host::UIEngine;
    binder.Bind<I::GetPackageCount, &E::GetPackageCount>();
    binder.Bind<I::GetPackage, &E::GetPackage>();
    binder.Bind<I::GetVersion, &E::GetVersion>();
    binder.Bind<I::LoadResourceData, &E::LoadResourceData>();
    binder.Bind<I::CreateResourcePackage, &E::CreateResourcePackage>();
    binder.Bind<I::UnregisterResourcePackage, &E::UnregisterResourcePackage>();
    binder.Bind<I::IsModuleRegistered, &E::IsModuleRegistered>();
    binder.Bind<I::RegisterResourcePackage, &E::RegisterResourcePackage>();
}

SOResult UIEngineService::GetPackageCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *count = std::uint32_t(packages_.size());
    return so::kOk;
}

SOResult UIEngineService::GetPackage(std::uint32_t index, ServiceObject** package) {
    if (package == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    if (index >= packages_.size())
        return so::kInvalidArgument;
    *package = so::Ref(packages_[index]).Detach();
    return so::kOk;
}

SOResult UIEngineService::GetVersion(std::uint32_t* version) {
    if (version == nullptr)
        return so::kInvalidArgument;
    *version = kVersion;
    return so::kOk;
}

SOResult UIEngineService::LoadResourceData(const wchar_t* path, ServiceObject** blob) {
    if (path == nullptr || blob == nullptr)
        return so::kInvalidArgument;
    *blob = nullptr;
    std::lock_guard lock(mutex_);
    for (const so::Ref& package : packages_) {
        const auto* resource = so::ServiceObjectCppTheConcrete<ResourcePackageObject>::From(package.Get()).Find(path);
        if (resource != nullptr) {
            *blob = BlobObject::Create(resource->bytes);
            return so::kOk;
        }
    }
    return so::kNothingProvided;
}

SOResult UIEngineService::CreateResourcePackage(HMODULE module, ServiceObject** package) {
    if (module == nullptr || package == nullptr)
        return so::kInvalidArgument;
    {
        std::lock_guard lock(mutex_);
        ++createCalls_;
    }
    *package = so::ServiceObjectCppTheConcrete<ResourcePackageObject>::Create(module);
    return so::kOk;
}

SOResult UIEngineService::UnregisterResourcePackage(ServiceObject* package) {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(packages_.begin(), packages_.end(),
                              [&](const so::Ref& registered) { return registered.Get() == package; });
    if (found == packages_.end())
        return so::kInvalidArgument;
    packages_.erase(found);
    return so::kOk;
}

SOResult UIEngineService::IsModuleRegistered(HMODULE module, std::uint32_t* registered) {
    if (registered == nullptr)
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    *registered = std::any_of(packages_.begin(), packages_.end(), [&](const so::Ref& package) {
        HMODULE packageModule = nullptr;
        so::ServiceObjectCppTheConcrete<ResourcePackageObject>::From(package.Get()).GetModule(&packageModule);
        return packageModule == module;
    });
    return so::kOk;
}

SOResult UIEngineService::RegisterResourcePackage(ServiceObject* package) {
    // Only packages this engine made: their resources are read through the package's own type.
    if (!so::ServiceObjectCppTheConcrete<ResourcePackageObject>::IsInstance(package))
        return so::kInvalidArgument;
    std::lock_guard lock(mutex_);
    ++registerCalls_;
    packages_.push_back(so::Ref::Share(package));
    return so::kOk;
}

} // namespace headless
