// The sample document compiled into the host: every property type, every root group kind, read-only
// and hidden properties, objects whose values differ, objects with and without default settings.
#pragma once

#include "headless-host/document/DocumentModel.h"

#include <string_view>

namespace headless {

// What messages call the sample.
constexpr const char* kSampleDocumentName = "<sample document>";

// The JSON text (the source is sample-document.json beside this file).
std::string_view SampleDocumentText();
DocumentModel LoadSampleDocument();

} // namespace headless
