#include "ui-document-panel-properties/PanelParts.h"

#include "service-common/ServiceObjectException.h"
#include "ui-document-panel-properties/PdfActions.h"
#include "ui-document-panel-properties/PropertiesPanelHandler.h"

namespace panel {

so::Ref CreatePropertiesPanelHandler() {
    return PropertiesPanelHandler::Create();
}

void SubscribeDocumentsCollection(ServiceObject* handler, ServiceObject* collection) {
    if (handler == nullptr || collection == nullptr)
        return;
    PropertiesPanelHandler::From(handler)._SubscribeForDocumentsCollectionEvents(collection, true);
}

so::Ref CreateSetActionPropDataCommand() {
    return so::Make<SetActionPropDataCommand>();
}

} // namespace panel
