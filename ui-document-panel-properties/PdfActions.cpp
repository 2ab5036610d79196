#include "ui-document-panel-properties/PdfActions.h"

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/Logging.h"

#include <vector>

namespace panel {

PdfRef PdfRef::Share(PDHandle handle) {
    if (handle != nullptr)
        PDHandleAcquire(handle);
    return PdfRef(handle);
}

PdfRef::~PdfRef() {
    if (handle_ != nullptr)
        PDHandleRelease(handle_);
}

namespace pdf {

namespace {

// A wide text the library gives in two calls.
template <class Read>
std::wstring ReadWide(Read read) {
    std::uint32_t length = 0;
    if (read(static_cast<wchar_t*>(nullptr), &length) != kPDOk)
        return {};
    std::wstring text(length + 1, L'\0');
    std::uint32_t size = length + 1;
    if (read(text.data(), &size) != kPDOk)
        return {};
    text.resize(std::min<std::size_t>(size, length));
    return text;
}

bool SameObject(PDHandle a, PDHandle b) {
    std::uint8_t same = 0;
    return PDHandleIsSameObject(a, b, &same) == kPDOk && same != 0;
}

// Depth first; `path` holds the actions from the first one down to `action`'s parent, so that only
// a way back to one of them (a loop) stops the walk, not an action that two branches share.
void AppendSummary(PDHandle action, std::vector<PDHandle>& path, std::wstring& text, bool& looped) {
    for (PDHandle earlier : path) {
        if (SameObject(earlier, action)) {
            text += L"\u2026";
            looped = true;
            return;
        }
    }
    text += ActionName(action);
    path.push_back(action);
    std::uint32_t count = 0;
    if (PDActionGetNextLength(action, &count) != kPDOk)
        count = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        PDHandle next = nullptr;
        if (PDActionGetNext(action, i, &next) != kPDOk || next == nullptr)
            continue;
        const PdfRef held = PdfRef::Adopt(next);
        text += L", ";
        AppendSummary(held.Get(), path, text, looped);
    }
    path.pop_back();
}

} // namespace

std::wstring ActionName(PDHandle action) {
    std::int32_t type = -1;
    if (action == nullptr || PDActionGetType(action, &type) != kPDOk)
        type = -1;
    switch (type) {
    case kPDActionGoTo:
        return ui::Translate(L"Go to a page");
    case kPDActionLaunch:
        return ui::Translate(L"Open a file");
    case kPDActionURI:
        return ui::Translate(L"Open a web link");
    case kPDActionSound:
        return ui::Translate(L"Play a sound");
    case kPDActionMovie:
        return ui::Translate(L"Play a movie");
    case kPDActionSubmitForm:
        return ui::Translate(L"Submit a form");
    case kPDActionResetForm:
        return ui::Translate(L"Reset a form");
    case kPDActionImportData:
        return ui::Translate(L"Import form data");
    case kPDActionJavaScript:
        return ui::Translate(L"Run JavaScript");
    case kPDActionNamed:
        return ui::Translate(L"Named action");
    case kPDActionHide: {
        std::uint8_t hiding = 0;
        if (PDActionHideIsHiding(action, &hiding) != kPDOk)
            return ui::Translate(L"Show/Hide a Field");
        return ui::Translate(hiding != 0 ? L"Hide a field" : L"Show a field");
    }
    default:
        return ui::Translate(L"Unknown action");
    }
}

std::wstring ActionSummary(PDHandle action) {
    if (action == nullptr)
        return {};
    std::vector<PDHandle> path;
    std::wstring text;
    bool looped = false;
    AppendSummary(action, path, text, looped);
    if (looped)
        ui::Log(host::LogLevel::Warning,
                ui::FormatMessage(L"The action chain \"%1%\" comes back to an action it went through; it is "
                                  L"summed up to there",
                                  text));
    return text;
}

std::wstring ScriptOf(PDHandle action) {
    if (action == nullptr)
        return {};
    return ReadWide([action](wchar_t* buffer, std::uint32_t* length) {
        return PDActionJavaScriptGetScript(action, buffer, length);
    });
}

std::wstring WidgetFieldNames(PDHandle page) {
    std::wstring names;
    std::uint32_t count = 0;
    if (page == nullptr || PDPageGetNumAnnots(page, &count) != kPDOk)
        return names;
    for (std::uint32_t i = 0; i < count; ++i) {
        PDHandle annot = nullptr;
        if (PDPageGetAnnot(page, i, &annot) != kPDOk || annot == nullptr)
            continue;
        const PdfRef heldAnnot = PdfRef::Adopt(annot);
        std::int32_t subtype = 0;
        if (PDAnnotGetSubtype(annot, &subtype) != kPDOk || subtype != kPDAnnotWidget)
            continue;
        PDHandle field = nullptr;
        if (PDWidgetAnnotGetParent(annot, &field) != kPDOk || field == nullptr)
            continue;
        const PdfRef heldField = PdfRef::Adopt(field);
        const std::wstring name = ReadWide([field](wchar_t* buffer, std::uint32_t* length) {
            return PDFieldGetName(field, buffer, length);
        });
        names += (names.empty() ? L"" : L",") + name;
    }
    return names;
}

} // namespace pdf

// ---- The command ------------------------------------------------------------------------------------

void SetActionPropDataCommand::BindMethods(so::MethodBinder<SetActionPropDataCommand>& binder) {
    binder.Bind<host::Command::Initialize, &SetActionPropDataCommand::Initialize>();
    binder.Bind<host::Command::DO, &SetActionPropDataCommand::DO>();
    binder.Bind<host::Command::UNDO, &SetActionPropDataCommand::UNDO>();
    binder.Bind<host::Command::GetUniqueCommandID, &SetActionPropDataCommand::GetUniqueCommandID>();
    binder.Bind<host::Command::GetCommandName, &SetActionPropDataCommand::GetCommandName>();
}

SOResult SetActionPropDataCommand::Initialize(SOAtom uniqueId, SOAtom commandName, const void* parameters) {
    const auto* block = static_cast<const host::SetActionPropDataParameters*>(parameters);
    if (block == nullptr || block->property == nullptr)
        return so::kInvalidArgument;
    uniqueId_ = uniqueId;
    commandName_ = commandName;
    property_ = so::Ref::Share(block->property);
    newAction_ = PdfRef::Share(block->action);
    return so::kOk;
}

SOResult SetActionPropDataCommand::DO() {
    if (!property_)
        return so::kNotInitialized;
    // The action a redo replaces is the one the property holds then, which another step may have
    // changed since the first run.
    const host::PDActionDialogPropData current = ReadRecord<host::PDActionDialogPropData>(property_.Get());
    previousAction_ = PdfRef::Share(current.action);
    WriteRecord(property_.Get(), host::PDActionDialogPropData{newAction_.Get()});
    return so::kOk;
}

SOResult SetActionPropDataCommand::UNDO() {
    if (!property_)
        return so::kNotInitialized;
    WriteRecord(property_.Get(), host::PDActionDialogPropData{previousAction_.Get()});
    return so::kOk;
}

SOResult SetActionPropDataCommand::GetUniqueCommandID(SOAtom* id) {
    if (id == nullptr)
        return so::kInvalidArgument;
    *id = uniqueId_;
    return so::kOk;
}

SOResult SetActionPropDataCommand::GetCommandName(SOAtom* name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = commandName_;
    return so::kOk;
}

// ---- The wizard's completion ------------------------------------------------------------------------

void EditPDActionWizardCompletionHandler::BindMethods(
    so::MethodBinder<EditPDActionWizardCompletionHandler>& binder) {
    binder
        .Bind<host::EditPDActionWizardCompletion::Complete, &EditPDActionWizardCompletionHandler::Complete>();
}

SOResult EditPDActionWizardCompletionHandler::Complete(PDHandle action, std::int32_t* status) {
    if (status == nullptr)
        return so::kInvalidArgument;
    if (!callable_) {
        *status = 2;
        return so::kOk;
    }
    const PdfRef held = PdfRef::Share(action);
    *status = callable_(held.Get());
    return so::kOk;
}

} // namespace panel
