// "UIDocumentPanelModel" of the Properties panel: forwards the documents collection to the handler.
#pragma once

#include "host/UIInplacePlugin.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

namespace module {

class PanelModel : public so::ObjectBase {
public:
    using Interface = host::UIDocumentPanelModel;
    static constexpr std::uint32_t kClassTag = 0x7CC862EA;
    static void BindMethods(so::MethodBinder<PanelModel>& binder);

    // Only a weak reference: the model must not keep the handler alive after the plug-in's Cleanup.
    explicit PanelModel(so::WeakRef handler) : handler_(std::move(handler)) {}

    SOResult SetDocumentsCollection(ServiceObject* collection);

private:
    so::WeakRef handler_;
};

} // namespace module
