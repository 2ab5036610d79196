#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <algorithm>

#include <boost/format.hpp>

namespace panel::editor {

std::wstring GetDisplayName(const std::wstring* name) {
    return name != nullptr ? ui::Translate(L"PD Prop", *name) : std::wstring();
}

std::wstring BuildSetEmptyHtml() {
    return (boost::wformat(L"<div class=\"set-empty-prop-text\">%s</div>") %
            ui::EscapeHtml(ui::Translate(L"PD Prop Set Empty Prop Value", L"Set"), ui::kEscapeHtmlText))
        .str();
}

void AddCommonRules(ui::TemplatesPreprocessor& preprocessor, const std::wstring& name, std::uint64_t key) {
    // Names come from documents: escaped, so that a quote cannot end an attribute.
    preprocessor.AddRule(L"PROPERTY_UID", ui::RuleAction::Replace,
                         ui::EscapeHtml(MakePropertyUid(&name, key), ui::kEscapeHtmlText));
    preprocessor.AddRule(L"PROPERTY_ID", ui::RuleAction::Replace,
                         ui::EscapeHtml(ui::MakeSafeValue(name, true), ui::kEscapeHtmlText));
    preprocessor.AddRule(L"PROPERTY_NAME", ui::RuleAction::Replace,
                         ui::EscapeHtml(name, ui::kEscapeHtmlText));
    preprocessor.AddRule(L"PROPERTY_DISP_NAME", ui::RuleAction::Replace,
                         ui::EscapeHtml(GetDisplayName(&name), ui::kEscapeHtmlText));
}

std::wstring BuildErrorHtml(const std::wstring& name, std::uint64_t key, const std::wstring& title,
                            const std::wstring& description) {
    ui::TemplatesPreprocessor fill(L"document-panel-properties/property-error.template.htm");
    AddCommonRules(fill, name, key);
    fill.AddRule(L"ERROR_TITLE", ui::RuleAction::Replace, ui::EscapeHtml(title, ui::kEscapeHtmlText));
    fill.AddRule(L"ERROR_DESCRIPTION", ui::RuleAction::Replace,
                 ui::EscapeHtml(description, ui::kEscapeHtmlText));
    fill.AddRule(L"DESCRIPTION_VISIBILITY", ui::RuleAction::Replace,
                 description.empty() ? L"collapse" : L"visible");
    return fill.Do();
}

void TranslateCommandNames(const ui::Element& source) {
    for (const ui::Element& name : source.FindAll(".cmd-base-name"))
        name.SetText(ui::Translate(name.Text()));
}

void FireApplicationEvent(std::uint32_t code, const ui::Element& target, const ui::Element& source) {
    if (!source)
        return;
    // An empty target makes the event start at the source.
    target.FireEvent(code, source, false);
}

void AttachHandler(const ui::Element& element, ServiceObject* handler) {
    ui::CheckEngineResult(ui::Engine().AttachEventHandler(element.Handle(), handler), "AttachEventHandler");
}

ui::Element EventElement(HELEMENT handle) {
    return handle != nullptr ? ui::Element(handle) : ui::Element();
}

void PlaceCaretAtEnd(const ui::Element& input, std::size_t length) {
    // A selection call takes positions up to here.
    const auto end = std::int32_t(std::min<std::size_t>(length, 8192));
    input.CallMethod("setSelection", {ui::Value::Int(end), ui::Value::Int(end)});
}

} // namespace panel::editor
