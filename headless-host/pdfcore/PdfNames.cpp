#include "headless-host/pdfcore/PdfNames.h"

#include "host/PdfCore.h"

#include <algorithm>
#include <iterator>

namespace pdfcore {

namespace {

struct PdfName {
    std::string_view name;
    std::int32_t value;
    bool action;     // a value of /S
    bool annotation; // a value of /Subtype
};

// Sound and Movie name both an action and an annotation, with one value for both.
constexpr PdfName kPdfNames[] = {
    {"GoTo", kPDActionGoTo, true, false},
    {"Hide", kPDActionHide, true, false},
    {"ImportData", kPDActionImportData, true, false},
    {"JavaScript", kPDActionJavaScript, true, false},
    {"Launch", kPDActionLaunch, true, false},
    {"Link", kPDAnnotLink, false, true},
    {"Movie", kPDActionMovie, true, true},
    {"Named", kPDActionNamed, true, false},
    {"ResetForm", kPDActionResetForm, true, false},
    {"Sound", kPDActionSound, true, true},
    {"SubmitForm", kPDActionSubmitForm, true, false},
    {"URI", kPDActionURI, true, false},
    {"Widget", kPDAnnotWidget, false, true},
};

const PdfName* Find(std::string_view name) {
    auto found = std::find_if(std::begin(kPdfNames), std::end(kPdfNames),
                              [name](const PdfName& entry) { return entry.name == name; });
    return found != std::end(kPdfNames) ? found : nullptr;
}

} // namespace

std::int32_t ActionTypeOfName(std::string_view name) {
    const PdfName* entry = Find(name);
    return entry != nullptr && entry->action ? entry->value : kPDTypeUnknown;
}

std::int32_t AnnotSubtypeOfName(std::string_view name) {
    const PdfName* entry = Find(name);
    return entry != nullptr && entry->annotation ? entry->value : kPDTypeUnknown;
}

} // namespace pdfcore
