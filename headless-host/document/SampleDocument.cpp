#include "headless-host/document/SampleDocument.h"

#include "headless-host/document/DocumentFile.h"

namespace headless {

DocumentModel LoadSampleDocument() {
    return ParseDocument(SampleDocumentText(), kSampleDocumentName);
}

} // namespace headless
