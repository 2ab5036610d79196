#include "ui-document-panel-properties/PanelParts.h"

#include "service-common/ServiceObjectException.h"

namespace panel {

so::Ref CreatePropertiesPanelHandler() {
    throw so::ServiceObjectException(so::kNotAvailable, "The properties panel handler is not available");
}

void SubscribeDocumentsCollection(ServiceObject*, ServiceObject*) {
    throw so::ServiceObjectException(so::kNotAvailable, "The properties panel handler is not available");
}

so::Ref CreateSetActionPropDataCommand() {
    throw so::ServiceObjectException(so::kNotAvailable, "The SetActionPropDataCommand is not available");
}

} // namespace panel
