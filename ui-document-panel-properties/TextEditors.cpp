#include "ui-document-panel-properties/TextEditors.h"

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/EditorRecords.h"

#include <algorithm>
#include <memory>

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
    // Read here too, so that a property that cannot be read shows the error view; the text itself
    // (and its translation) is made once, when the view is in the page.
    ReadString(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-label.template.htm", property, name ? &*name : nullptr);
    // As the multi-line texts, the label's text reaches the view as it is, but once the view is in
    // the page (OnAttached): parsed inside the view, markup that is not well-formed stays there.
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, std::wstring());
    return fill.Do();
}

namespace {

// The label's text is markup, parsed inside the view. Most labels hold none, and for a text without
// anything the parser would read differently (a tag, a reference, a line end it normalises, a
// leading byte-order mark it drops) setting the text gives the same view without a parse.
void ShowLabelText(const ui::Element& view, const std::wstring& text) {
    if (text.find_first_of(std::wstring_view(L"<&\r\uFEFF\0", 5)) == std::wstring::npos)
        view.SetText(text);
    else
        view.SetInnerHtml(so::Utf8FromWide(text));
}

} // namespace

void PropertyHandler_Label::OnAttached() {
    if (so::Ref property = propertyRef.Lock()) {
        if (ui::Element view = AttachedElement().FindFirst(".prop-view-label"))
            ShowLabelText(view, LabelText(property.Get()));
    }
    PropertyHandler_Base::OnAttached();
}

void PropertyHandler_Label::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element view = AttachedElement().FindFirst(".prop-view-label");
    if (!view)
        return;
    ShowLabelText(view, LabelText(property.Get()));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Texts ----------------------------------------------------------------------------------------

namespace text {

StringTexts StringTextsOf(const std::wstring& value, bool readOnly) {
    StringTexts texts;
    const bool empty = value.empty();
    // The input's value is an attribute: escaped, so that a quote cannot end it.
    texts.raw = empty ? std::wstring(L"&nbsp;") : ui::EscapeHtml(value, ui::kEscapeHtmlText);
    texts.html = !empty     ? ui::EscapeHtml(value, ui::kEscapeHtmlText)
                 : readOnly ? std::wstring(L"&nbsp;")
                            : editor::BuildSetEmptyHtml();
    texts.editClass = readOnly ? std::wstring() : empty ? L"editable-prop empty-prop" : L"editable-prop";
    return texts;
}

std::wstring WithoutBlankOnly(const std::wstring& text) {
    const bool blank = !text.empty() && text.find_first_not_of(L" \t") == std::wstring::npos;
    return blank ? std::wstring() : text;
}

ListTexts ListTextsOf(const std::vector<std::wstring>& items) {
    ListTexts texts;
    const std::size_t count = items.size();
    texts.count = ui::FormatMessage(ui::TranslatePlural(L"%1% item", L"%1% items", count).c_str(), count);
    for (const std::wstring& item : items)
        texts.lines += item + L"\r\n";
    if (count == 0) {
        texts.tooltip = texts.button = ui::Translate(L"PD Prop Set Empty Prop Value", L"Set");
    } else {
        texts.tooltip = texts.count;
        texts.button = ui::Translate(L"PD Prop Change Prop Value", L"Change");
    }
    texts.height = 17 * int(std::clamp<std::size_t>(count, 4, 12)) + 10;
    return texts;
}

std::vector<std::wstring> ItemsOf(const std::wstring& text) {
    std::vector<std::wstring> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && std::find(items.begin(), items.end(), line) == items.end())
            items.push_back(std::move(line));
        start = end + 1;
    }
    return items;
}

} // namespace text

namespace {

// No edit of the property is pending any more.
void NoticeNothingPending(ServiceObject* property, std::uint32_t valueKind) {
    so::Call<host::BLProperty::NoticePendingValue>(property, valueKind, static_cast<const void*>(nullptr));
}

} // namespace

// ---- One-line text --------------------------------------------------------------------------------

std::wstring PropertyHandler_String::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const text::StringTexts texts = text::StringTextsOf(ReadRecord<std::wstring>(property), readOnly);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-string.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, texts.raw);
    fill.AddRule(L"PROPERTY_HTM_VALUE", ui::RuleAction::Replace, texts.html);
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, texts.editClass);
    return fill.Do();
}

void PropertyHandler_String::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const std::wstring value = ReadRecord<std::wstring>(property.Get());
    ui::Element input =
        OpenEditPopup(":root .prop-view-string", ":root .edit-popup-string", ":root .edit-input-string",
                      ":root .edit-box", ui::Value::String(value));
    if (!input)
        return;
    // Exactly as wide as the view.
    if (ui::Element view = AttachedElement().FindFirst(":root .prop-view-string")) {
        const RECT box = view.Location(kBorderBoxRelativeToView);
        if (ui::Element editBox = AttachedElement().FindFirst(":root .edit-popup-string .edit-box"))
            editBox.SetAttribute(
                "style", ui::FormatMessage(L"min-width: %1%px; max-width: %1%px;", box.right - box.left));
        view.SetAttribute("editing", std::wstring());
    }
    editor::PlaceCaretAtEnd(input, value.size());
}

void PropertyHandler_String::ShowValue(const ui::Element& view, const std::wstring& value) {
    const text::StringTexts texts = text::StringTextsOf(value, readOnly);
    view.SetInnerHtml(so::Utf8FromWide(texts.html));
    std::optional<std::wstring> classes = view.GetAttribute("class");
    if (!classes)
        return;
    const std::size_t at = classes->find(L"empty-prop");
    if (value.empty() && at == std::wstring::npos)
        view.SetAttribute("class", *classes + L" empty-prop");
    else if (!value.empty() && at != std::wstring::npos)
        view.SetAttribute("class", classes->erase(at, std::wstring_view(L"empty-prop").size()));
}

// The typed text shows at once, before the commit that follows the dismissal.
void PropertyHandler_String::OnPopupDismissing(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-string");
    ui::Element view = AttachedElement().FindFirst(":root .prop-view-string");
    if (!view)
        return;
    const ui::Value typed = input ? input.GetValue() : ui::Value();
    if (typed.Type() == kHtmlValueString)
        ShowValue(view, text::WithoutBlankOnly(typed.AsString()));
    view.SetAttribute("editing", std::nullopt);
}

void PropertyHandler_String::OnPropEditFinished(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-string");
    const ui::Value typed = input ? input.GetValue() : ui::Value();
    if (typed.Type() != kHtmlValueString)
        return;
    // The framework keeps this editor alive while its event runs.
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const std::wstring value = text::WithoutBlankOnly(typed.AsString());
    if (value != ReadRecord<std::wstring>(property.Get())) {
        NoticePending(property.Get(), value);
        WriteRecord(property.Get(), value);
    }
    FireEvent(PROP_EDIT_FINISHED, AttachedElement().FindFirst(".edit-popup-string"));
}

void PropertyHandler_String::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    ui::Element view = AttachedElement().FindFirst(".prop-view-string");
    if (!property || !view)
        return;
    NoticeNothingPending(property.Get(), host::kValueKindOf<std::wstring>);
    ShowValue(view, ReadRecord<std::wstring>(property.Get()));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Multi-line text ------------------------------------------------------------------------------

namespace {

std::wstring MultilineValue(ServiceObject* property) {
    auto value = ReadRecord<std::shared_ptr<std::wstring>>(property);
    return value ? *value : std::wstring();
}

} // namespace

std::wstring PropertyHandler_StringMultiline::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::wstring value = MultilineValue(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-string-multiline.template.htm", property, name ? &*name : nullptr);
    // In an attribute and in the text area: escaped, so that neither can be ended by the text.
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace,
                 value.empty() ? std::wstring(L"&nbsp;") : ui::EscapeHtml(value, ui::kEscapeHtmlText));
    // The view's markup is put in once the view is in the page (OnAttached): parsed inside the view,
    // markup that is not well-formed cannot close the elements around it.
    fill.AddRule(L"PROPERTY_HTM_VALUE", ui::RuleAction::Replace, std::wstring());
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

void PropertyHandler_StringMultiline::ShowValue(ServiceObject* property) {
    ui::Element view = AttachedElement().FindFirst(".prop-view-string");
    if (!view)
        return;
    const std::wstring value = MultilineValue(property);
    const std::wstring html = !value.empty() ? value
                              : readOnly     ? std::wstring(L"&nbsp;")
                                             : editor::BuildSetEmptyHtml();
    view.SetInnerHtml(so::Utf8FromWide(html));
    view.SetAttribute("title", value);
}

void PropertyHandler_StringMultiline::OnAttached() {
    if (so::Ref property = propertyRef.Lock())
        ShowValue(property.Get());
    PropertyHandler_Base::OnAttached();
}

void PropertyHandler_StringMultiline::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const std::wstring value = MultilineValue(property.Get());
    ui::Element input = OpenEditPopup(":root .prop-view-string", ":root .edit-popup-string",
                                      ":root .edit-input-string", nullptr, ui::Value::String(value));
    if (!input)
        return;
    editor::PlaceCaretAtEnd(input, value.size());
}

void PropertyHandler_StringMultiline::OnPropEditFinished(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-string");
    const ui::Value typed = input ? input.GetValue() : ui::Value();
    if (typed.Type() != kHtmlValueString)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const std::wstring text = typed.AsString();
    if (text.empty()) {
        WriteRecord(property.Get(), std::shared_ptr<std::wstring>());
    } else {
        auto current = ReadRecord<std::shared_ptr<std::wstring>>(property.Get());
        if (!current || *current != text)
            WriteRecord(property.Get(), std::make_shared<std::wstring>(text));
    }
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_StringMultiline::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property || !AttachedElement().FindFirst(".prop-view-string"))
        return;
    NoticeNothingPending(property.Get(), host::kValueKindOf<std::shared_ptr<std::wstring>>);
    ShowValue(property.Get());
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- String list ----------------------------------------------------------------------------------

namespace {

std::vector<std::wstring> ListItems(ServiceObject* property) {
    auto record = ReadRecord<std::shared_ptr<host::PropStringListData>>(property);
    return record ? record->items : std::vector<std::wstring>();
}

} // namespace

std::wstring PropertyHandler_EditStringList::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const text::ListTexts texts = text::ListTextsOf(ListItems(property));
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-edit-string-list.template.htm", property, name ? &*name : nullptr);
    auto escaped = [](const std::wstring& value) { return ui::EscapeHtml(value, ui::kEscapeHtmlText); };
    fill.AddRule(L"PROPERTY_VALUE_NUM_ITEMS", ui::RuleAction::Replace, escaped(texts.count));
    fill.AddRule(L"PROPERTY_VALUE_LIST_ITEMS", ui::RuleAction::Replace, escaped(texts.lines));
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, escaped(texts.tooltip));
    fill.AddRule(L"BUTTON_DISP_NAME", ui::RuleAction::Replace, escaped(texts.button));
    fill.AddRule(L"PROP_TEXTAREA_HEIGHT", ui::RuleAction::Replace, std::to_wstring(texts.height));
    return fill.Do();
}

void PropertyHandler_EditStringList::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property || readOnly)
        return;
    const ui::Element& root = AttachedElement();
    ui::Element box = root.FindFirst(":root .prop-box");
    ui::Element popup = box ? box.FindFirst(":root .edit-popup") : ui::Element();
    if (!popup)
        return;
    if (popup.IsPopupShown()) {
        popup.HidePopup();
        return;
    }
    ui::Element area = popup.FindFirst(":root #Textarea");
    if (!area)
        return;
    const RECT whole = root.Location(kBorderBoxRelativeToView);
    const RECT boxArea = box.Location(kBorderBoxRelativeToView);
    area.SetStyleAttribute("min-width", ui::FormatMessage(L"%1%px", whole.right - boxArea.left));
    const std::wstring lines = text::ListTextsOf(ListItems(property.Get())).lines;
    area.SetValue(ui::Value::String(lines));
    popup.ShowPopup(box);
    area.SetState(kStateFocus);
    editor::PlaceCaretAtEnd(area, lines.size());
    FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
}

SOResult PropertyHandler_EditStringList::HandleKey(HELEMENT, HtmlKeyParams* params) {
    if (params == nullptr)
        return so::kInvalidArgument;
    const bool modified = (params->altState & (kControlKeyPressed | kAltKeyPressed)) != 0;
    if (params->cmd == kKeyDown && params->keyCode == kEnterKey && modified && params->target != nullptr &&
        ui::Element(params->target).Test("#Textarea")) {
        HideEditPopup();
        return so::kOk;
    }
    return so::kNothingProvided;
}

void PropertyHandler_EditStringList::OnPropEditFinished(const ui::Element& popup) {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    auto record = ReadRecord<std::shared_ptr<host::PropStringListData>>(property.Get());
    if (!record)
        return;
    ui::Element area = popup.FindFirst("#Textarea");
    const ui::Value typed = area ? area.GetValue() : ui::Value();
    std::vector<std::wstring> items =
        typed.Type() == kHtmlValueString ? text::ItemsOf(typed.AsString()) : std::vector<std::wstring>();
    // The host's record stays as it was: the write hands it a changed copy.
    auto changed = std::make_shared<host::PropStringListData>(*record);
    if (items.empty())
        changed->selected = host::kNoListIndex;
    changed->items = std::move(items);
    WriteRecord(property.Get(), changed);
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_EditStringList::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const text::ListTexts texts = text::ListTextsOf(ListItems(property.Get()));
    const ui::Element& root = AttachedElement();
    if (ui::Element area = root.FindFirst("#Textarea")) {
        area.SetValue(ui::Value::String(texts.lines));
        area.SetStyleAttribute("height", std::to_wstring(texts.height));
    }
    auto escaped = [](const std::wstring& value) {
        return so::Utf8FromWide(ui::EscapeHtml(value, ui::kEscapeHtmlText));
    };
    if (ui::Element button = root.FindFirst(".prop-view-dlg-action .dlg-action-button"))
        button.SetInnerHtml(escaped(texts.button));
    if (ui::Element tip = root.FindFirst(".prop-view-dlg-action .dlg-action-button-tooltip p"))
        tip.SetInnerHtml(escaped(texts.tooltip));
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
