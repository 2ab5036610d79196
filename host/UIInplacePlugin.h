// "UIInplacePlugin": the object through which the host creates a panel of an in-place plug-in.
// Every operation is [ui-thread].
#pragma once

#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

namespace host {

struct UIInplacePlugin {
    static constexpr std::uint32_t kId = 0xC2823A90;
    static constexpr const char* kName = "UIInplacePlugin";
    using Handshake = so::Method<0, SOResult()>;
    // Registers the plug-in's UI resources with the "UIEngine" service.
    using RegisterResources = so::Method<1, SOResult()>;
    // `site` is the host's plug-in site, `context` the panel's UI window context; both are kept.
    using InitBegin = so::Method<2, SOResult(ServiceObject* site, ServiceObject* context)>;
    using InitHtml = so::Method<3, SOResult()>;
    using InitSubscription = so::Method<4, SOResult()>;
    // Gives the panel's "UIHandler" with one reference for the receiver.
    using InitHandler = so::Method<5, SOResult(ServiceObject** handler)>;
    using InitComplete = so::Method<6, SOResult()>;
    // Gives the panel's "UIDocumentPanelModel" with one reference for the receiver.
    using GetUIModel = so::Method<7, SOResult(ServiceObject** model)>;
    using Cleanup = so::Method<8, SOResult()>;
    using Methods = so::MethodList<Handshake, RegisterResources, InitBegin, InitHtml, InitSubscription, InitHandler,
                                   InitComplete, GetUIModel, Cleanup>;
    static constexpr const char* kMethodNames[] = {"Handshake",        "RegisterResources", "InitBegin",
                                                   "InitHtml",         "InitSubscription",  "InitHandler",
                                                   "InitComplete",     "GetUIModel",        "Cleanup"};
};

// "UIDocumentPanelModel": the model of a document panel. [ui-thread]
struct UIDocumentPanelModel {
    static constexpr std::uint32_t kId = 0x7CC862E9;
    static constexpr const char* kName = "UIDocumentPanelModel";
    // Hands the panel the host's "UIDocumentsCollection"; the panel subscribes to its views.
    using SetDocumentsCollection = so::Method<0, SOResult(ServiceObject* collection)>;
    using GetConcreteModel = so::Method<1, SOResult(ServiceObject** model)>;
    using GetController = so::Method<2, SOResult(ServiceObject** controller)>;
    using ShellDropTarget_OnDragEnter = so::Method<3, SOResult(void* data, std::uint32_t keys, POINTL point, std::uint32_t* effect)>;
    using ShellDropTarget_OnDragOver = so::Method<4, SOResult(std::uint32_t keys, POINTL point, std::uint32_t* effect)>;
    using ShellDropTarget_OnDragLeave = so::Method<5, SOResult()>;
    using ShellDropTarget_OnDrop = so::Method<6, SOResult(void* data, std::uint32_t keys, POINTL point, std::uint32_t* effect)>;
    using Methods = so::MethodList<SetDocumentsCollection, GetConcreteModel, GetController, ShellDropTarget_OnDragEnter,
                                   ShellDropTarget_OnDragOver, ShellDropTarget_OnDragLeave, ShellDropTarget_OnDrop>;
    static constexpr const char* kMethodNames[] = {"SetDocumentsCollection",      "GetConcreteModel",
                                                   "GetController",               "ShellDropTarget_OnDragEnter",
                                                   "ShellDropTarget_OnDragOver",  "ShellDropTarget_OnDragLeave",
                                                   "ShellDropTarget_OnDrop"};
};

// "CommandFactory": makes one kind of undoable command for the host's "CommandsManager".
struct CommandFactory {
    static constexpr std::uint32_t kId = 0x9CF4B284;
    static constexpr const char* kName = "CommandFactory";
    // Gives a new command with one reference for the receiver.
    using CreateCommand = so::Method<0, SOResult(ServiceObject** command)>;
    using Methods = so::MethodList<CreateCommand>;
    static constexpr const char* kMethodNames[] = {"CreateCommand"};
};

} // namespace host
