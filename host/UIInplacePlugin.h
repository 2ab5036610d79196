// "UIInplacePlugin": the object through which the host creates a panel of an in-place plug-in.
// Every operation is [ui-thread].
#pragma once

#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

namespace host {

struct UIInplacePlugin {
    static constexpr std::uint32_t kId = 0xC2823A90;
    static constexpr const char* kName = "UIInplacePlugin";
    using Handshake = so::Method<0, SOResult(), "Handshake">;
    // Registers the plug-in's UI resources with the "UIEngine" service.
    using RegisterResources = so::Method<1, SOResult(), "RegisterResources">;
    // `site` is the host's plug-in site, `context` the panel's UI window context; both are kept.
    using InitBegin = so::Method<2, SOResult(ServiceObject* site, ServiceObject* context), "InitBegin">;
    using InitHtml = so::Method<3, SOResult(), "InitHtml">;
    using InitSubscription = so::Method<4, SOResult(), "InitSubscription">;
    // Gives the panel's "UIHandler" with one reference for the receiver.
    using InitHandler = so::Method<5, SOResult(ServiceObject** handler), "InitHandler">;
    using InitComplete = so::Method<6, SOResult(), "InitComplete">;
    // Gives the panel's "UIDocumentPanelModel" with one reference for the receiver.
    using GetUIModel = so::Method<7, SOResult(ServiceObject** model), "GetUIModel">;
    using Cleanup = so::Method<8, SOResult(), "Cleanup">;
    using Methods = so::MethodList<Handshake, RegisterResources, InitBegin, InitHtml, InitSubscription,
                                   InitHandler, InitComplete, GetUIModel, Cleanup>;
};

// "UIDocumentPanelModel": the model of a document panel. [ui-thread]
struct UIDocumentPanelModel {
    static constexpr std::uint32_t kId = 0x7CC862E9;
    static constexpr const char* kName = "UIDocumentPanelModel";
    // Hands the panel the host's "UIDocumentsCollection"; the panel subscribes to its views.
    using SetDocumentsCollection =
        so::Method<0, SOResult(ServiceObject* collection), "SetDocumentsCollection">;
    using GetConcreteModel = so::Method<1, SOResult(ServiceObject** model), "GetConcreteModel">;
    using GetController = so::Method<2, SOResult(ServiceObject** controller), "GetController">;
    using ShellDropTarget_OnDragEnter =
        so::Method<3, SOResult(void* data, std::uint32_t keys, POINTL point, std::uint32_t* effect),
                   "ShellDropTarget_OnDragEnter">;
    using ShellDropTarget_OnDragOver =
        so::Method<4, SOResult(std::uint32_t keys, POINTL point, std::uint32_t* effect),
                   "ShellDropTarget_OnDragOver">;
    using ShellDropTarget_OnDragLeave = so::Method<5, SOResult(), "ShellDropTarget_OnDragLeave">;
    using ShellDropTarget_OnDrop =
        so::Method<6, SOResult(void* data, std::uint32_t keys, POINTL point, std::uint32_t* effect),
                   "ShellDropTarget_OnDrop">;
    using Methods =
        so::MethodList<SetDocumentsCollection, GetConcreteModel, GetController, ShellDropTarget_OnDragEnter,
                       ShellDropTarget_OnDragOver, ShellDropTarget_OnDragLeave, ShellDropTarget_OnDrop>;
};

// "CommandFactory": makes one kind of undoable command for the host's "CommandsManager".
struct CommandFactory {
    static constexpr std::uint32_t kId = 0x9CF4B284;
    static constexpr const char* kName = "CommandFactory";
    // Gives a new command with one reference for the receiver.
    using CreateCommand = so::Method<0, SOResult(ServiceObject** command), "CreateCommand">;
    using Methods = so::MethodList<CreateCommand>;
};

} // namespace host
