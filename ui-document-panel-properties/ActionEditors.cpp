#include "ui-document-panel-properties/ActionEditors.h"

#include "host/HostDialogs.h"
#include "service-common/ServiceQuery.h"
#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-document-panel-properties/PdfActions.h"
#include "ui-engine/Logging.h"

#include <cwctype>
#include <utility>

namespace panel {

namespace {

// Text escaped for an attribute or an element's content.
std::wstring Attribute(const std::wstring& text) {
    return ui::EscapeHtml(text, ui::kEscapeHtmlText);
}

// A text a host object gives in two calls: its length first, then the text.
template <class M, class... Args>
std::wstring ReadTwoCallText(ServiceObject* object, Args... args) {
    std::uint32_t length = 0;
    so::Call<M>(object, args..., static_cast<wchar_t*>(nullptr), &length);
    std::wstring text(length + 1, L'\0');
    std::uint32_t size = length + 1;
    so::Call<M>(object, args..., text.data(), &size);
    text.resize(std::min<std::size_t>(size, length));
    return text;
}

// The dialog kinds' templates have no read-only form: the button is disabled once in the page.
void DisableButtonWhenReadOnly(const ui::Element& root, bool readOnly) {
    if (!readOnly)
        return;
    if (ui::Element button = root.FindFirst(":root .dlg-action-button")) {
        button.SetState(kStateDisabled);
        button.SetAttribute("disabled", std::wstring());
    }
}

// The dialog kinds' view after a change: the button's text, and the tooltip's markup.
void ShowDialogTexts(const ui::Element& root, const action::DialogTexts& texts) {
    if (ui::Element button = root.FindFirst(":root .dlg-action-button"))
        button.SetText(texts.button);
    if (ui::Element tip = root.FindFirst(":root .dlg-action-button-tooltip p"))
        tip.SetInnerHtml(so::Utf8FromWide(texts.tooltip));
}

} // namespace

namespace action {

std::wstring AttributeNameOf(const std::wstring& key) {
    std::wstring name = key;
    for (wchar_t& c : name) {
        const bool fits = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                          c == L'-' || c == L'_' || c == L'.';
        if (!fits)
            c = L'-';
    }
    return name;
}

std::wstring ButtonAttributes(const host::ActionButtonData& record, bool readOnly) {
    std::wstring attributes = readOnly ? L"disabled=\"\"" : L"";
    for (const auto& [key, value] : record.parameters)
        attributes += L"action-param-" + AttributeNameOf(key) + L"=\"" + Attribute(value) + L"\"";
    return attributes;
}

std::wstring PairsSummary(const host::PropStringPairListData& record) {
    std::wstring summary;
    for (const auto& [first, second] : record.pairs)
        summary += ui::EscapeHtml(first, 0x1F) + L";";
    return summary;
}

DialogTexts DialogTextsOf(const std::wstring& summary, const std::wstring& empty) {
    if (summary.empty())
        return {ui::Translate(L"PD Prop Set Empty Prop Value", L"Set"), empty};
    return {ui::Translate(L"PD Prop Change Prop Value", L"Change"), summary};
}

std::wstring ScriptSummary(const host::JavaScriptActionDialogPropData& record) {
    if (record.textSet)
        return record.text;
    return record.action != nullptr ? ui::Translate(L"Run JavaScript") : std::wstring();
}

} // namespace action

// ---- Action button ----------------------------------------------------------------------------------

std::wstring PropertyHandler_Action::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const host::ActionButtonData record = ReadRecord<host::ActionButtonData>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-action.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"BTN_ATTRS", ui::RuleAction::Replace, action::ButtonAttributes(record, readOnly));
    fill.AddRule(L"UI_ACTION", ui::RuleAction::Replace,
                 record.action.empty() ? std::wstring(L"NotImplemented") : Attribute(record.action));
    return fill.Do();
}

void PropertyHandler_Action::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    if (std::optional<bool> answer = QueryPropertyReadOnly(property.Get()))
        readOnly = *answer;
    ui::Element button = AttachedElement().FindFirst(":root .prop-view-action .action-button");
    if (!button)
        return;
    const host::ActionButtonData record = ReadRecord<host::ActionButtonData>(property.Get());
    if (!record.action.empty())
        button.SetAttribute("action", record.action);
    if (readOnly) {
        button.SetState(kStateDisabled);
        button.SetAttribute("disabled", std::wstring());
    } else {
        button.SetState(0, kStateDisabled);
        button.SetAttribute("disabled", std::nullopt);
    }
    for (const auto& [key, value] : record.parameters)
        button.SetAttribute(so::Utf8FromWide(L"action-param-" + action::AttributeNameOf(key)).c_str(), value);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- String pairs ---------------------------------------------------------------------------------------

std::wstring PropertyHandler_StringPairListDialog::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const host::PropStringPairListData record = ReadRecord<host::PropStringPairListData>(property);
    const action::DialogTexts texts = action::DialogTextsOf(action::PairsSummary(record), L"&nbsp;");
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-dlg-action.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, texts.tooltip);
    fill.AddRule(L"BUTTON_DISP_NAME", ui::RuleAction::Replace, Attribute(texts.button));
    return fill.Do();
}

void PropertyHandler_StringPairListDialog::OnAttached() {
    DisableButtonWhenReadOnly(AttachedElement(), readOnly);
    PropertyHandler_Base::OnAttached();
}

void PropertyHandler_StringPairListDialog::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property || readOnly)
        return;
    const host::PropStringPairListData record = ReadRecord<host::PropStringPairListData>(property.Get());
    so::Ref dialog = so::QueryServiceObject(host::EditValueListDialog::kName);
    for (const auto& [first, second] : record.pairs)
        so::Call<host::EditValueListDialog::AddPair>(dialog.Get(), first.c_str(), second.c_str());
    // Modal: shown after the click has been handled.
    PostWeak([dialog](PropertyHandler_StringPairListDialog& alive) { alive.RunDialog(dialog); });
    FireEvent(PROP_EDIT_POPUP_SHOWN);
}

void PropertyHandler_StringPairListDialog::RunDialog(const so::Ref& dialog) {
    HWND parent = nullptr;
    if (so::Ref frame = QueryFromWindow(host::UIMainFrame::kId))
        so::Call<host::UIMainFrame::GetMainFrameWnd>(frame.Get(), &parent);
    if (parent == nullptr)
        throw so::ServiceObjectException(so::kNotInitialized, "Not initialized");
    std::uint32_t result = host::DialogResult::kCancelled;
    so::Call<host::EditValueListDialog::ShowModal>(dialog.Get(), parent, &result);
    if (result != host::DialogResult::kConfirmed)
        return;
    std::uint32_t count = 0;
    so::Call<host::EditValueListDialog::GetPairCount>(dialog.Get(), &count);
    host::PropStringPairListData edited;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::wstring first = ReadTwoCallText<host::EditValueListDialog::GetPairText>(dialog.Get(), i, 0u);
        std::wstring second = ReadTwoCallText<host::EditValueListDialog::GetPairText>(dialog.Get(), i, 1u);
        edited.pairs.emplace_back(std::move(first), std::move(second));
    }
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    WriteRecord(property.Get(), edited);
}

void PropertyHandler_StringPairListDialog::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property || !AttachedElement().FindFirst(".prop-view-dlg-action"))
        return;
    const host::PropStringPairListData record = ReadRecord<host::PropStringPairListData>(property.Get());
    ShowDialogTexts(AttachedElement(), action::DialogTextsOf(action::PairsSummary(record), L""));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- PDF actions -----------------------------------------------------------------------------------------

namespace {

// A JavaScript record kept until a dialog returns: its action stays referenced meanwhile.
struct HeldScriptRecord {
    host::JavaScriptActionDialogPropData record;
    PdfRef action;
    const host::JavaScriptActionDialogPropData& Get() const { return record; }
};

HeldScriptRecord ShareRecord(const host::JavaScriptActionDialogPropData& record) {
    return HeldScriptRecord{record, PdfRef::Share(record.action)};
}

std::wstring SetText() {
    return ui::Translate(L"PD Prop Set Empty Prop Value", L"Set");
}

so::ServiceObjectException NotInitialized(const char* operation) {
    return so::ServiceObjectException(so::kNotInitialized, "Not initialized", operation,
                                      "App/src/ui-document-panel-properties/PropertiesHandlers", 0);
}

} // namespace

std::wstring PropertyHandler_PDActionDialog::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const host::PDActionDialogPropData record = ReadRecord<host::PDActionDialogPropData>(property);
    const action::DialogTexts texts =
        action::DialogTextsOf(Attribute(pdf::ActionSummary(record.action)), SetText());
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-dlg-action.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, texts.tooltip);
    fill.AddRule(L"BUTTON_DISP_NAME", ui::RuleAction::Replace, Attribute(texts.button));
    return fill.Do();
}

void PropertyHandler_PDActionDialog::OnAttached() {
    DisableButtonWhenReadOnly(AttachedElement(), readOnly);
    PropertyHandler_Base::OnAttached();
}

void PropertyHandler_PDActionDialog::ShowEditPopup() {
    constexpr const char* kOperation = "PropertyHandler_PDActionDialog::ShowEditPopup";
    so::Ref property = propertyRef.Lock();
    if (!property || readOnly)
        return;
    const host::PDActionDialogPropData record = ReadRecord<host::PDActionDialogPropData>(property.Get());
    so::Ref frame = QueryFromWindow(host::UIMainFrame::kId);
    if (!frame)
        throw NotInitialized(kOperation);
    so::Ref document = GetDocument();
    // The wizard runs after this click; the property and the document may be gone by then, and the
    // action must stay readable until the wizard has it.
    auto complete = [weakProperty = so::WeakRef::To(property.Get()), document](PDHandle action) {
        so::Ref alive = weakProperty.Lock();
        if (!alive)
            return 2;
        const host::SetActionPropDataParameters parameters{alive.Get(), action};
        so::Call<host::BLDocument::ExecuteCommand>(document.Get(), so::AtomOf("SetActionPropDataCommand"),
                                                   static_cast<const void*>(&parameters), 0u);
        return 0;
    };
    so::Ref completion =
        so::Make<EditPDActionWizardCompletionHandler>(std::function<int(PDHandle)>(complete));
    PostWeak([frame, completion, current = PdfRef::Share(record.action)](PropertyHandler_PDActionDialog&) {
        so::Ref factory = so::QueryServiceObject(host::EditPDActionWizardFactory::kName);
        ServiceObject* made = nullptr;
        so::Call<host::EditPDActionWizardFactory::CreateWizard>(factory.Get(), frame.Get(), current.Get(),
                                                                completion.Get(), &made);
        so::Ref wizard = so::Ref::Adopt(made);
        if (!wizard)
            throw NotInitialized("PropertyHandler_PDActionDialog::ShowEditPopup::<lambda_2>::operator ()");
        so::Call<host::EditPDActionWizard::Run>(wizard.Get());
    });
    FireEvent(PROP_EDIT_POPUP_SHOWN);
}

void PropertyHandler_PDActionDialog::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property || !AttachedElement().FindFirst(".prop-view-dlg-action"))
        return;
    const host::PDActionDialogPropData record = ReadRecord<host::PDActionDialogPropData>(property.Get());
    ShowDialogTexts(AttachedElement(),
                    action::DialogTextsOf(Attribute(pdf::ActionSummary(record.action)), SetText()));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- JavaScript ----------------------------------------------------------------------------------------

std::wstring PropertyHandler_JavaScriptActionDialog::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<host::JavaScriptActionDialogPropData>(property);
    // The text is the user's (a script, a calculation): shown as text, so "a<b" stays "a<b".
    const action::DialogTexts texts =
        action::DialogTextsOf(Attribute(action::ScriptSummary(record)), L"&nbsp;");
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-dlg-action.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, texts.tooltip);
    fill.AddRule(L"BUTTON_DISP_NAME", ui::RuleAction::Replace, Attribute(texts.button));
    return fill.Do();
}

void PropertyHandler_JavaScriptActionDialog::OnAttached() {
    DisableButtonWhenReadOnly(AttachedElement(), readOnly);
    PropertyHandler_Base::OnAttached();
}

void PropertyHandler_JavaScriptActionDialog::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property || readOnly)
        return;
    const auto record = ReadRecord<host::JavaScriptActionDialogPropData>(property.Get());
    switch (record.dialogKind) {
    case host::JavaScriptActionDialogPropData::kScriptEditor:
        OnShowJavaScriptEditDialog(record);
        break;
    case host::JavaScriptActionDialogPropData::kFieldSelection:
        OnShowSelectFieldsForCalculationsDialog(record);
        break;
    case host::JavaScriptActionDialogPropData::kSimplifiedNotation:
        OnShowSimplifiedFieldNotationDialog(record);
        break;
    default:
        return;
    }
    FireEvent(PROP_EDIT_POPUP_SHOWN);
}

HWND PropertyHandler_JavaScriptActionDialog::GetMainFrameWnd() {
    HWND window = nullptr;
    if (so::Ref frame = QueryFromWindow(host::UIMainFrame::kId))
        so::Call<host::UIMainFrame::GetMainFrameWnd>(frame.Get(), &window);
    if (window == nullptr)
        throw NotInitialized("PropertyHandler_JavaScriptActionDialog::GetMainFrameWnd");
    return window;
}

void PropertyHandler_JavaScriptActionDialog::OnShowJavaScriptEditDialog(
    const host::JavaScriptActionDialogPropData& record) {
    so::Ref dialog = so::QueryServiceObject(host::JavaScriptDialog::kName);
    so::Call<host::JavaScriptDialog::SetScript>(dialog.Get(), pdf::ScriptOf(record.action).c_str());
    const HWND parent = GetMainFrameWnd();
    so::Ref document = GetDocument();
    PostWeak([dialog, parent, document](PropertyHandler_JavaScriptActionDialog& alive) {
        std::uint32_t result = host::DialogResult::kCancelled;
        so::Call<host::JavaScriptDialog::ShowModal>(dialog.Get(), parent, &result);
        if (result != host::DialogResult::kConfirmed)
            return;
        const std::wstring script = ReadTwoCallText<host::JavaScriptDialog::GetScript>(dialog.Get());
        void* pdfDocument = nullptr;
        so::Call<host::BLDocument::GetPdfDocument>(document.Get(), &pdfDocument);
        if (pdfDocument == nullptr)
            throw NotInitialized("PropertyHandler_JavaScriptActionDialog::OnShowJavaScriptEditDialog::<"
                                 "lambda_1>::operator ()");
        PDHandle made = nullptr;
        const PDStatus status = PDActionCreate(pdfDocument, kPDActionJavaScript, &made, script.c_str());
        const PdfRef action = PdfRef::Adopt(made);
        if (status != kPDOk || !action)
            throw so::ServiceObjectException(
                so::kGenericFailure, "Unspecified Error! (status " + std::to_string(status) + ")",
                "PropertyHandler_JavaScriptActionDialog::OnShowJavaScriptEditDialog::<lambda_1>::operator ()",
                "App/src/ui-document-panel-properties/PropertiesHandlers", 0);
        so::Ref property = alive.propertyRef.Lock();
        if (!property)
            return;
        host::JavaScriptActionDialogPropData written;
        written.action = action.Get();
        written.dialogKind = host::JavaScriptActionDialogPropData::kScriptEditor;
        WriteRecord(property.Get(), written);
    });
}

void PropertyHandler_JavaScriptActionDialog::OnShowSelectFieldsForCalculationsDialog(
    const host::JavaScriptActionDialogPropData& record) {
    so::Ref dialog = so::QueryServiceObject(host::SelectFieldsDialog::kName);
    so::Call<host::SelectFieldsDialog::SetFieldNames>(dialog.Get(), FocusPageFieldNames().c_str());
    so::Call<host::SelectFieldsDialog::SetText>(dialog.Get(), record.text.c_str());
    const HWND parent = GetMainFrameWnd();
    PostWeak([dialog, parent, record = ShareRecord(record)](PropertyHandler_JavaScriptActionDialog& alive) {
        std::uint32_t result = host::DialogResult::kCancelled;
        so::Call<host::SelectFieldsDialog::ShowModal>(dialog.Get(), parent, &result);
        if (result == host::DialogResult::kConfirmed)
            alive.WriteText(record.Get(), ReadTwoCallText<host::SelectFieldsDialog::GetText>(dialog.Get()));
    });
}

void PropertyHandler_JavaScriptActionDialog::OnShowSimplifiedFieldNotationDialog(
    const host::JavaScriptActionDialogPropData& record) {
    so::Ref dialog = so::QueryServiceObject(host::FieldNotationDialog::kName);
    so::Call<host::FieldNotationDialog::SetText>(dialog.Get(), record.text.c_str());
    const HWND parent = GetMainFrameWnd();
    PostWeak([dialog, parent, record = ShareRecord(record)](PropertyHandler_JavaScriptActionDialog& alive) {
        std::uint32_t result = host::DialogResult::kCancelled;
        so::Call<host::FieldNotationDialog::ShowModal>(dialog.Get(), parent, &result);
        if (result == host::DialogResult::kConfirmed)
            alive.WriteText(record.Get(), ReadTwoCallText<host::FieldNotationDialog::GetText>(dialog.Get()));
    });
}

std::wstring PropertyHandler_JavaScriptActionDialog::FocusPageFieldNames() {
    so::Ref document = GetDocument();
    void* pdfDocument = nullptr;
    so::Call<host::BLDocument::GetPdfDocument>(document.Get(), &pdfDocument);
    so::Ref frame = QueryFromWindow(host::UIMainFrame::kId);
    so::Ref uiView = frame ? GetObjectFrom<host::UIMainFrame::GetActiveDocumentView>(frame.Get()) : so::Ref();
    so::Ref view = uiView ? GetObjectFrom<host::UIDocumentView::QueryServiceObject>(uiView.Get(),
                                                                                    host::BLDocumentView::kId)
                          : so::Ref();
    std::uint64_t pageIndex = 0;
    if (view)
        so::Call<host::BLDocumentView::GetFocusPage>(view.Get(), &pageIndex);
    PDHandle page = nullptr;
    if (pdfDocument == nullptr || pageIndex > UINT32_MAX ||
        PDDocGetPage(pdfDocument, static_cast<std::uint32_t>(pageIndex), &page) != kPDOk)
        return {};
    const PdfRef held = PdfRef::Adopt(page);
    return pdf::WidgetFieldNames(held.Get());
}

void PropertyHandler_JavaScriptActionDialog::WriteText(const host::JavaScriptActionDialogPropData& record,
                                                       const std::wstring& text) {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    host::JavaScriptActionDialogPropData written = record;
    written.text = text;
    written.textSet = true;
    WriteRecord(property.Get(), written);
}

void PropertyHandler_JavaScriptActionDialog::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property || !AttachedElement().FindFirst(".prop-view-dlg-action"))
        return;
    const auto record = ReadRecord<host::JavaScriptActionDialogPropData>(property.Get());
    ShowDialogTexts(AttachedElement(), action::DialogTextsOf(Attribute(action::ScriptSummary(record)), L""));
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
