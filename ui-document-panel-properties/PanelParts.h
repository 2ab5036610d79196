// What the plug-in makes of the panel: the panel handler, its documents-collection subscription,
// and the commands the panel runs on documents.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectPtr.h"

namespace panel {

// A new "UIHandler" for the panel page, with one reference.
so::Ref CreatePropertiesPanelHandler();

// Hands the host's "UIDocumentsCollection" to the handler's document-view observer, which
// subscribes to it. `handler` must be one that CreatePropertiesPanelHandler made.
void SubscribeDocumentsCollection(ServiceObject* handler, ServiceObject* collection);

// A new "SetActionPropDataCommand", with one reference.
so::Ref CreateSetActionPropDataCommand();

} // namespace panel
