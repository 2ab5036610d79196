// The editor kinds of the panel and the table that picks one per property type code. Adding a kind
// is one class (a PropertyHandler_Base<Kind>) and one entry in kEditorKinds (PropertiesHandlers.cpp).
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>
#include <string>

namespace panel {

class PropsViewGen;

// Creates the editor of one property, queues its binding in `generator` and gives its HTML.
using PreparePropertyView = std::wstring (*)(PropsViewGen& generator, ServiceObject* property);

// The editor kind of a type code, or null for a code no editor of this build handles.
PreparePropertyView FindEditorKind(std::uint32_t typeCode);

} // namespace panel
