// The host's UI services the module reaches by name through the service provider.
#pragma once

#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

namespace host {

// "UIEngine": the host side of the HTML UI engine. [ui-thread]
struct UIEngine {
    static constexpr std::uint32_t kId = 0x5E1E7A11;
    static constexpr const char* kName = "UIEngine";
    static constexpr const char* kServiceName = "UIEngine";
    // Number of resource packages registered so far.
    using GetPackageCount = so::Method<0, SOResult(std::uint32_t* count), "GetPackageCount">;
    // The registered package at an index, with one reference.
    using GetPackage = so::Method<1, SOResult(std::uint32_t index, ServiceObject** package), "GetPackage">;
    // The engine's version as a number (major << 16 | minor).
    using GetVersion = so::Method<2, SOResult(std::uint32_t* version), "GetVersion">;
    // Reads a resource of any registered package by its path, e.g.
    // "document-panel-properties/properties-view.htm"; 1 and a null blob when none has it.
    using LoadResourceData =
        so::Method<3, SOResult(const wchar_t* path, ServiceObject** blob), "LoadResourceData">;
    // Reads a module's "UI-DATA" resources and their "UI-DATA-TOC" into a resource package.
    using CreateResourcePackage =
        so::Method<4, SOResult(HMODULE module, ServiceObject** package), "CreateResourcePackage">;
    // Withdraws a package registered with #7.
    using UnregisterResourcePackage =
        so::Method<5, SOResult(ServiceObject* package), "UnregisterResourcePackage">;
    // True when a package with this module handle is registered.
    using IsModuleRegistered =
        so::Method<6, SOResult(HMODULE module, std::uint32_t* registered), "IsModuleRegistered">;
    // Makes the package's resources available to pages and to the resource store.
    using RegisterResourcePackage =
        so::Method<7, SOResult(ServiceObject* package), "RegisterResourcePackage">;
    using Methods =
        so::MethodList<GetPackageCount, GetPackage, GetVersion, LoadResourceData, CreateResourcePackage,
                       UnregisterResourcePackage, IsModuleRegistered, RegisterResourcePackage>;
};

// A blob of bytes: a resource, or a template read from the resource store. [thread-safe]
struct Blob {
    static constexpr std::uint32_t kId = 0xB10B0001;
    static constexpr const char* kName = "Blob";
    using GetSize = so::Method<0, SOResult(std::uint64_t* size), "GetSize">;
    // The bytes live as long as the blob.
    using GetData = so::Method<1, SOResult(const void** data), "GetData">;
    using Methods = so::MethodList<GetSize, GetData>;
};

// A resource package: the "UI-DATA" resources of one module. [thread-safe]
struct ResourcePackage {
    static constexpr std::uint32_t kId = 0x9AC4A6E1;
    static constexpr const char* kName = "ResourcePackage";
    // The module the resources were read from.
    using GetModule = so::Method<0, SOResult(HMODULE* module), "GetModule">;
    using GetResourceCount = so::Method<1, SOResult(std::uint32_t* count), "GetResourceCount">;
    // The lower-case path at an index, in "UI-DATA-TOC" order (two-call pattern).
    using GetResourcePath =
        so::Method<2, SOResult(std::uint32_t index, wchar_t* buffer, std::uint32_t* inOutLength),
                   "GetResourcePath">;
    // The resource's bytes by path (any case); 1 and a null blob when there is none.
    using GetResource = so::Method<3, SOResult(const wchar_t* path, ServiceObject** blob), "GetResource">;
    using Methods = so::MethodList<GetModule, GetResourceCount, GetResourcePath, GetResource>;
};

// The host's resource service, queried with the fixed service number 18 (not a name atom).
struct UIResourceService {
    static constexpr SOAtom kServiceNumber = 18;
    static constexpr std::uint32_t kId = 0x7E5C0018;
    static constexpr const char* kName = "UIResourceService";
    // Slots 0 to 5 belong to the host's own clients; modules never call them, and the headless host
    // answers 1 (not provided) from each.
    using Reserved0 = so::Method<0, SOResult(), "Reserved0">;
    using Reserved1 = so::Method<1, SOResult(), "Reserved1">;
    using Reserved2 = so::Method<2, SOResult(), "Reserved2">;
    using Reserved3 = so::Method<3, SOResult(), "Reserved3">;
    using Reserved4 = so::Method<4, SOResult(), "Reserved4">;
    using Reserved5 = so::Method<5, SOResult(), "Reserved5">;
    // Gives the UI resource store with one reference.
    using GetResourceStore = so::Method<6, SOResult(ServiceObject** store), "GetResourceStore">;
    using Methods =
        so::MethodList<Reserved0, Reserved1, Reserved2, Reserved3, Reserved4, Reserved5, GetResourceStore>;
};

// The UI resource store: every registered "UI-DATA" resource by path. [thread-safe]
struct UIResourceStore {
    static constexpr std::uint32_t kId = 0x7E5C57A0;
    static constexpr const char* kName = "UIResourceStore";
    // `path` as "document-panel-properties/properties-tab.template.htm" (any case). Gives the blob
    // with one reference, or 0 and null when there is no such resource or it is empty.
    using GetResource = so::Method<0, SOResult(const wchar_t* path, ServiceObject** blob), "GetResource">;
    using Methods = so::MethodList<GetResource>;
};

// "CommandsManager": the registry of undoable command factories. [ui-thread]
struct CommandsManager {
    static constexpr std::uint32_t kId = 0xC033A4D5;
    static constexpr const char* kName = "CommandsManager";
    static constexpr const char* kServiceName = "CommandsManager";
    // Registers a "CommandFactory" for the command class atom; the manager keeps a reference.
    using RegisterCommandFactory =
        so::Method<0, SOResult(SOAtom commandAtom, ServiceObject* factory), "RegisterCommandFactory">;
    using UnregisterCommandFactory = so::Method<1, SOResult(SOAtom commandAtom), "UnregisterCommandFactory">;
    // The factory registered for an atom, with one reference; 1 and null when none.
    using GetCommandFactory =
        so::Method<2, SOResult(SOAtom commandAtom, ServiceObject** factory), "GetCommandFactory">;
    // Undo and redo the last step of a BLDocument's command stack (the stack is the document's; the
    // manager passes the request on). 1 when there is nothing to undo or redo.
    using Undo = so::Method<3, SOResult(ServiceObject* document), "Undo">;
    using Redo = so::Method<4, SOResult(ServiceObject* document), "Redo">;
    using Methods =
        so::MethodList<RegisterCommandFactory, UnregisterCommandFactory, GetCommandFactory, Undo, Redo>;
};

// The UI window context of a panel: gives the service objects that belong to the window (the
// documents collection, the main frame…) by interface id. [ui-thread]
struct UIWindowContext {
    static constexpr std::uint32_t kId = 0x3C0A7E47;
    static constexpr const char* kName = "UIWindowContext";
    // The object with one reference; a failure code and an error record when the window has none.
    using QueryServiceObject =
        so::Method<0, SOResult(std::uint32_t interfaceId, ServiceObject** out), "QueryServiceObject">;
    using Methods = so::MethodList<QueryServiceObject>;
};

// The host's plug-in site, handed to UIInplacePlugin::InitBegin. Only the slot the module calls is
// declared; slots 0 to 31 belong to the host.
struct UIPluginSite {
    static constexpr std::uint32_t kId = 0x51E5173E;
    static constexpr const char* kName = "UIPluginSite";
    // Gives a record owned by the site (valid while the site lives) whose second word is a function
    // the plug-in calls with its window context.
    using GetContextBinding = so::Method<32, SOResult(void** record), "GetContextBinding">;
};

extern "C" struct UIPluginSiteContextBinding {
    void* reserved;
    void (*BindContext)(ServiceObject* windowContext);
};

} // namespace host
