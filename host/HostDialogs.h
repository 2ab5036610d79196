// The host's modal dialogs and its action wizard, which editors open instead of a popup: each is a
// service object made anew by the service provider for its name ("JavaScriptDialog",
// "SelectFieldsDialog", "FieldNotationDialog", "EditValueListDialog", "EditPDActionWizardFactory";
// ServiceProviderGetServiceObject with the name's atom gives a new object with one reference).
//
// Texts out of a dialog follow the two-call pattern of service-common/TwoCallText.h: a call with a
// null buffer gives the length (without the terminating zero) in `*inOutLength`; a second call with
// a buffer of that length plus one fills it. Texts into a dialog are copied by the dialog.
// Every method is [ui-thread].
#pragma once

#include "host/ServiceObject.h"
#include "host/ValueRecords.h"
#include "host/WindowsApi.h"

#include <cstdint>

namespace host {

// What ShowModal gives in `*result`.
namespace DialogResult {
constexpr std::uint32_t kConfirmed = 1;
constexpr std::uint32_t kCancelled = 2;
} // namespace DialogResult

// "JavaScriptDialog": a script editor.
struct JavaScriptDialog {
    static constexpr std::uint32_t kId = 0xD1A10001;
    static constexpr const char* kName = "JavaScriptDialog";
    using SetScript = so::Method<0, SOResult(const wchar_t* script), "SetScript">;
    using ShowModal = so::Method<1, SOResult(HWND parent, std::uint32_t* result), "ShowModal">;
    using GetScript = so::Method<2, SOResult(wchar_t* buffer, std::uint32_t* inOutLength), "GetScript">;
    using Methods = so::MethodList<SetScript, ShowModal, GetScript>;
};

// "SelectFieldsDialog": picks the form fields a calculation adds up; the text it gives is the
// calculation as the host stores it.
struct SelectFieldsDialog {
    static constexpr std::uint32_t kId = 0xD1A10002;
    static constexpr const char* kName = "SelectFieldsDialog";
    // The names of the fields to choose from, joined by ",".
    using SetFieldNames = so::Method<0, SOResult(const wchar_t* names), "SetFieldNames">;
    using SetText = so::Method<1, SOResult(const wchar_t* text), "SetText">;
    using ShowModal = so::Method<2, SOResult(HWND parent, std::uint32_t* result), "ShowModal">;
    using GetText = so::Method<3, SOResult(wchar_t* buffer, std::uint32_t* inOutLength), "GetText">;
    using Methods = so::MethodList<SetFieldNames, SetText, ShowModal, GetText>;
};

// "FieldNotationDialog": a calculation in the simplified field notation.
struct FieldNotationDialog {
    static constexpr std::uint32_t kId = 0xD1A10003;
    static constexpr const char* kName = "FieldNotationDialog";
    using SetText = so::Method<0, SOResult(const wchar_t* text), "SetText">;
    using ShowModal = so::Method<1, SOResult(HWND parent, std::uint32_t* result), "ShowModal">;
    using GetText = so::Method<2, SOResult(wchar_t* buffer, std::uint32_t* inOutLength), "GetText">;
    using Methods = so::MethodList<SetText, ShowModal, GetText>;
};

// "EditValueListDialog": a list of pairs of strings (shown value, exported value).
struct EditValueListDialog {
    static constexpr std::uint32_t kId = 0xD1A10004;
    static constexpr const char* kName = "EditValueListDialog";
    using AddPair = so::Method<0, SOResult(const wchar_t* first, const wchar_t* second), "AddPair">;
    using ShowModal = so::Method<1, SOResult(HWND parent, std::uint32_t* result), "ShowModal">;
    using GetPairCount = so::Method<2, SOResult(std::uint32_t* count), "GetPairCount">;
    // The first (`second` = 0) or second (`second` = 1) string of pair `index`, in two calls.
    using GetPairText = so::Method<
        3, SOResult(std::uint32_t index, std::uint32_t second, wchar_t* buffer, std::uint32_t* inOutLength),
        "GetPairText">;
    using Methods = so::MethodList<AddPair, ShowModal, GetPairCount, GetPairText>;
};

// The module's side of the action wizard: told the action the user made. [ui-thread]
struct EditPDActionWizardCompletion {
    static constexpr std::uint32_t kId = 0xD1A10005;
    static constexpr const char* kName = "EditPDActionWizardCompletion";
    // `action` (may be null: the user removed the action) is borrowed for the call. `*status` gets 0
    // when the action was taken, 2 when nothing could take it.
    using Complete = so::Method<0, SOResult(PdfActionHandle action, std::int32_t* status), "Complete">;
    using Methods = so::MethodList<Complete>;
};

// One run of the action wizard.
struct EditPDActionWizard {
    static constexpr std::uint32_t kId = 0xD1A10006;
    static constexpr const char* kName = "EditPDActionWizard";
    // Shows the wizard; when the user finishes it, the completion is called before Run returns. A
    // cancelled wizard calls nothing.
    using Run = so::Method<0, SOResult(), "Run">;
    using Methods = so::MethodList<Run>;
};

// "EditPDActionWizardFactory".
struct EditPDActionWizardFactory {
    static constexpr std::uint32_t kId = 0xD1A10007;
    static constexpr const char* kName = "EditPDActionWizardFactory";
    // A wizard editing `current` (borrowed; may be null) for the application frame `mainFrame`; the
    // wizard keeps a reference on `completion` while it lives.
    using CreateWizard = so::Method<0,
                                    SOResult(ServiceObject* mainFrame, PdfActionHandle current,
                                             ServiceObject* completion, ServiceObject** wizard),
                                    "CreateWizard">;
    using Methods = so::MethodList<CreateWizard>;
};

} // namespace host
