#include "ui-document-panel-properties/TextEditors.h"

#include "host/ValueRecords.h"

namespace panel {

namespace {

std::wstring ReadString(ServiceObject* property) {
    std::wstring value;
    so::Call<host::BLProperty::GetValue>(property, host::kValueKindOf<std::wstring>, &value);
    return value;
}

} // namespace

// The label's own text is a translatable text of the document's kind; texts without a translation
// in the panel's context are tried without one.
std::wstring PropertyHandler_Label::LabelText(ServiceObject* property) {
    const std::wstring value = ReadString(property);
    std::wstring text = ui::Translate(L"PD Prop", value);
    return text == value ? ui::Translate(value) : text;
}

std::wstring PropertyHandler_Label::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::wstring text = LabelText(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-label.template.htm", property, name ? &*name : nullptr);
    // As the other multi-line texts, the label's text reaches the view as it is.
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, text);
    return fill.Do();
}

void PropertyHandler_Label::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element view = AttachedElement().FindFirst(".prop-view-label");
    if (!view)
        return;
    view.SetInnerHtml(so::Utf8FromWide(LabelText(property.Get())));
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
