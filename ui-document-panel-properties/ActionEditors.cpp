#include "ui-document-panel-properties/ActionEditors.h"

#include "host/HostDialogs.h"
#include "service-common/ServiceQuery.h"
#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-engine/Logging.h"

#include <cwctype>
#include <utility>

namespace panel {

namespace {

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

// The template has no read-only form: a read-only list's button is disabled once it is in the page.
void PropertyHandler_StringPairListDialog::OnAttached() {
    if (readOnly) {
        if (ui::Element button = AttachedElement().FindFirst(":root .dlg-action-button")) {
            button.SetState(kStateDisabled);
            button.SetAttribute("disabled", std::wstring());
        }
    }
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
    const std::wstring summary = action::PairsSummary(record);
    const action::DialogTexts texts = action::DialogTextsOf(summary, L"");
    if (ui::Element button = AttachedElement().FindFirst(":root .dlg-action-button"))
        button.SetText(texts.button);
    // The tooltip's text is the summary as markup (escaped first strings), as the build shows it.
    if (ui::Element tip = AttachedElement().FindFirst(":root .dlg-action-button-tooltip p"))
        tip.SetInnerHtml(so::Utf8FromWide(summary));
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
