#include "module/PanelModel.h"

#include "ui-document-panel-properties/PanelParts.h"

namespace module {

void PanelModel::BindMethods(so::MethodBinder<PanelModel>& binder) {
    binder.Bind<host::UIDocumentPanelModel::SetDocumentsCollection, &PanelModel::SetDocumentsCollection>();
}

SOResult PanelModel::SetDocumentsCollection(ServiceObject* collection) {
    if (so::Ref handler = handler_.Lock())
        panel::SubscribeDocumentsCollection(handler.Get(), collection);
    return so::kOk;
}

} // namespace module
