#include "ui-document-panel-properties/ListEditors.h"

#include "host/WindowsApi.h"
#include "ui-document-panel-properties/EditorRecords.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <boost/algorithm/string/predicate.hpp>

namespace panel {

namespace {

constexpr wchar_t kEnDash[] = L"\u2013";
// The host window's answer is the screen area a popup may use.
constexpr UINT kVisibleScreenAreaMessage = 0x0626;

std::wstring Escaped(const std::wstring& text) {
    return ui::EscapeHtml(text, ui::kEscapeHtmlText);
}

std::wstring ListItemText(const std::wstring& value) {
    return ui::Translate(L"PD Prop List Item", value);
}

std::string OptionSelector(std::int64_t index) {
    return "option[value=\"" + std::to_string(index) + "\"]";
}

std::wstring ListSize(std::size_t count, std::size_t limit) {
    return std::to_wstring(std::min(count, limit));
}

// "disabled" wins over "selected": a disabled entry cannot be the one shown as chosen.
std::wstring ItemAttributes(const host::PropListData& record, std::size_t index) {
    if (index < record.disabled.size() && record.disabled[index] != 0)
        return L"disabled";
    return index == record.selected ? L"selected" : L"";
}

} // namespace

namespace list {

EntryStrings StringsOf(const host::PropListData& record, std::uint64_t index) {
    EntryStrings strings;
    strings.value = index < record.items.size() ? record.items[index] : std::wstring(kEnDash);
    strings.safeValue = ui::MakeSafeValue(strings.value, false);
    strings.localized = ListItemText(strings.value);
    return strings;
}

std::int64_t SignedIndex(std::uint64_t index) {
    return index > std::uint64_t(std::numeric_limits<std::int64_t>::max()) ? -1 : std::int64_t(index);
}

std::int32_t WholeWidth(float width) {
    if (!std::isfinite(width))
        return 0;
    return std::int32_t(std::clamp(width, -2147483520.0f, 2147483520.0f));
}

std::wstring LineWidthText(const host::LineWidthDropDownData& record, std::uint64_t index) {
    if (index >= record.items.size())
        return kEnDash;
    const std::wstring& item = record.items[index];
    if (boost::algorithm::iequals(item, L"line-width-hairline"))
        return ui::Translate(L"Hairline");
    if (boost::algorithm::iequals(item, L"line-width-custom")) {
        // Nudged up so that a width exactly half-way shows rounded up (2.25 as 2.3).
        char buffer[64];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer,
                                          double(record.lineWidth) + 0.0000001, std::chars_format::fixed, 1);
        return error == std::errc() ? std::wstring(buffer, end) : std::wstring(kEnDash);
    }
    return std::to_wstring(index);
}

ui::Element ShowListPopup(const ui::Element& root) {
    ui::Element anchor = root.FindFirst(":root .prop-view-string-list");
    ui::Element popup = root.FindFirst(":root .edit-popup-string-list");
    if (!anchor || !popup)
        return {};
    if (popup.IsPopupShown()) {
        popup.HidePopup();
        return {};
    }
    const RECT box = anchor.Location(kBorderBoxRelativeToView);
    const std::int32_t width = box.right - box.left;
    if (ui::Element editBox = root.FindFirst(":root .edit-box")) {
        editBox.SetAttribute("style", ui::FormatMessage(L"min-width: %1%px;", width));
        // The list opens upwards when it would not fit below the field on the visible screen.
        const std::int32_t height = editBox.IntrinsicHeight(width);
        POINT corner{box.left, box.bottom};
        RECT area{};
        HWND window = anchor.WindowHandle();
        if (ClientToScreen(window, &corner) &&
            SendMessageW(window, kVisibleScreenAreaMessage, 0, reinterpret_cast<LPARAM>(&area)) != 0 &&
            height != 0 && area.bottom != 0) {
            popup.SetAttribute("growth-direction",
                               std::wstring(corner.y > area.bottom - height ? L"up" : L"down"));
        }
    }
    popup.ShowPopup(anchor);
    return popup;
}

void FocusLists(const ui::Element& root) {
    for (const ui::Element& list : root.FindAll(".edit-popup widget[type=select]"))
        list.SetState(kStateFocus);
}

std::optional<std::int32_t> ChosenIndex(const ui::Element& list) {
    const ui::Value chosen = list.GetValue();
    std::optional<std::int32_t> index = chosen.Type() == kHtmlValueInt ? chosen.AsInt() : std::nullopt;
    return index && *index >= 0 ? index : std::nullopt;
}

void MakeOptionCurrent(const ui::Element& root, std::int32_t index) {
    ui::Element list = root.FindFirst(":root widget[type=select]");
    if (ui::Element option = list ? list.FindFirst(OptionSelector(index).c_str()) : ui::Element())
        option.ExecuteCommand("set-current");
}

void LogRefusedChoice(const so::ServiceObjectException& refusal) {
    ui::Log(host::LogLevel::Warning,
            ui::FormatMessage(L"The choice was not taken: %1%", so::WideFromUtf8(refusal.Message())));
}

} // namespace list

// ---- The family -----------------------------------------------------------------------------------

template <class Handler, class Record>
const std::shared_ptr<Record>&
PropertyHandler_Base_StringList<Handler, Record>::LoadRecord(ServiceObject* property, bool reload) {
    if (!cached || reload) {
        auto record = ReadRecord<std::shared_ptr<Record>>(property);
        // No record: the error view says the property could not be read, with nothing to add.
        if (!record)
            throw std::runtime_error("");
        cached = std::move(record);
    }
    return cached;
}

template <class Handler, class Record>
std::wstring PropertyHandler_Base_StringList<Handler, Record>::NoneText() {
    return ui::Translate(L"None");
}

template <class Handler, class Record>
std::wstring PropertyHandler_Base_StringList<Handler, Record>::GenerateHtmlItem(
    std::size_t index, const std::wstring& value, const Record&, const std::wstring& attributes) {
    ui::TemplatesPreprocessor item(std::wstring(L"document-panel-properties/") + Handler::kItemTemplate);
    item.AddRule(L"LIST_INDEX", ui::RuleAction::Replace, std::to_wstring(index));
    item.AddRule(L"LIST_VALUE", ui::RuleAction::Replace, Escaped(value));
    item.AddRule(L"LIST_SAFE_VALUE", ui::RuleAction::Replace, Escaped(ui::MakeSafeValue(value, false)));
    item.AddRule(L"LIST_LOCALIZED_VALUE", ui::RuleAction::Replace, Escaped(ListItemText(value)));
    item.AddRule(L"ADDITIONAL_ATTRS", ui::RuleAction::Replace, attributes);
    return item.Do();
}

template <class Handler, class Record>
std::wstring PropertyHandler_Base_StringList<Handler, Record>::GenerateHtmlItemAttrs(const Record& record) {
    std::wstring options;
    for (std::size_t i = 0; i < record.items.size(); ++i)
        options += Self().GenerateHtmlItem(i, record.items[i], record, ItemAttributes(record, i));
    return options;
}

template <class Handler, class Record>
std::wstring PropertyHandler_Base_StringList<Handler, Record>::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::shared_ptr<Record> record = LoadRecord(property, false);
    const list::EntryStrings strings = list::StringsOf(*record, record->selected);
    ui::TemplatesPreprocessor fill =
        this->BeginFill(Handler::kListTemplate, property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, Escaped(strings.value));
    fill.AddRule(L"PROPERTY_SAFE_VALUE", ui::RuleAction::Replace, Escaped(strings.safeValue));
    fill.AddRule(L"PROPERTY_LOCALIZED_VALUE", ui::RuleAction::Replace, Escaped(strings.localized));
    fill.AddRule(L"PROPERTY_SELECTED_OPTION_ID", ui::RuleAction::Replace, Escaped(strings.safeValue));
    fill.AddRule(L"PROP_VALUES_LIST", ui::RuleAction::Replace, Self().GenerateHtmlItemAttrs(*record));
    fill.AddRule(L"PROP_LIST_SIZE", ui::RuleAction::Replace,
                 ListSize(record->items.size(), Handler::kMaxListSize));
    fill.AddRule(L"PROP_LIST_INDEX", ui::RuleAction::Replace,
                 std::to_wstring(std::int32_t(list::SignedIndex(record->selected))));
    fill.AddRule(L"LOCALIZED_TEXT__START", ui::RuleAction::Replace, Escaped(ui::Translate(L"start")));
    fill.AddRule(L"LOCALIZED_TEXT__END", ui::RuleAction::Replace, Escaped(ui::Translate(L"end")));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, this->readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

template <class Handler, class Record>
void PropertyHandler_Base_StringList<Handler, Record>::ShowEditPopup() {
    if (!this->propertyRef.Lock())
        return;
    ui::Element popup = list::ShowListPopup(this->AttachedElement());
    if (!popup)
        return;
    this->PostWeak([](Handler& alive) { list::FocusLists(alive.AttachedElement()); });
    this->FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
}

template <class Handler, class Record>
void PropertyHandler_Base_StringList<Handler, Record>::UpdateViews(const std::wstring& id,
                                                                   const list::EntryStrings& strings,
                                                                   std::int64_t index, const Record* record) {
    const ui::Element& root = this->AttachedElement();
    for (const ui::Element& caption :
         root.FindAll(".prop-view-string-list, .edit-view-string-list, .edit-view-bullets-list")) {
        if (!id.empty())
            caption.SetAttribute("id", id);
        if (!strings.value.empty())
            caption.SetAttribute("lv", strings.value);
        if (!strings.safeValue.empty())
            caption.SetAttribute("lv-safe", strings.safeValue);
        if (!strings.localized.empty())
            caption.SetAttribute("lv-localized", strings.localized);
        caption.SetAttribute("list-index", std::to_wstring(index));
    }
    for (const ui::Element& text :
         root.FindAll(".prop-view-string-list > .prop-text-view, .edit-view-string-list > .prop-text-view")) {
        if (!id.empty())
            text.SetAttribute("id", id);
        text.SetText(!strings.localized.empty() ? strings.localized : strings.value);
    }
    ui::Element widget = root.FindFirst(".edit-box > widget[type=select]");
    if (!widget)
        return;
    widget.SetValue(ui::Value::Int(std::int32_t(index)));
    if (!record)
        return;
    // The options sit in the list's option group, not directly in the list.
    std::size_t position = 0;
    for (const ui::Element& option : widget.FindAll("option")) {
        if (position < record->disabled.size()) {
            const std::uint32_t disabled = record->disabled[position] != 0 ? kStateDisabled : 0u;
            option.SetState(disabled, kStateDisabled & ~disabled);
        }
        ++position;
    }
}

template <class Handler, class Record>
void PropertyHandler_Base_StringList<Handler, Record>::OnEvent(std::uint8_t* handled,
                                                               HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    if (!target)
        return;
    if (event.cmd == kSelectStateChanged && target.Test("widget[type=select]")) {
        std::optional<std::int32_t> index = list::ChosenIndex(target);
        if (!index)
            return;
        ui::Element option = target.FindFirst(OptionSelector(*index).c_str());
        if (!option)
            return;
        auto attribute = [&option](const char* name) {
            return option.GetAttribute(name).value_or(std::wstring());
        };
        std::optional<std::wstring> localized = option.GetAttribute("lv-localized");
        list::EntryStrings strings{attribute("lv"), attribute("lv-safe"),
                                   localized ? *localized : ListItemText(option.Text())};
        UpdateViews(attribute("id"), strings, *index, cached.get());
        *handled = 1;
        this->HideEditPopup();
    } else if (event.cmd == kPopupReady && target.Test(".edit-popup")) {
        if (ui::Element current = target.FindFirst(":root option:current"))
            current.ScrollIntoView();
    }
}

template <class Handler, class Record>
void PropertyHandler_Base_StringList<Handler, Record>::OnPropEditFinished(const ui::Element& popup) {
    so::Ref property = this->propertyRef.Lock();
    if (!property)
        return;
    ui::Element widget = this->AttachedElement().FindFirst(":root widget[type=select]");
    if (!widget)
        return;
    LoadRecord(property.Get(), false);
    if (std::optional<std::int32_t> index = list::ChosenIndex(widget)) {
        this->PostWeak(
            [index = *index](Handler& alive) { list::MakeOptionCurrent(alive.AttachedElement(), index); });
        // Refused: the views go back to the entry the property still holds.
        if (!list::WriteSelection(property.Get(), cached, std::uint64_t(*index))) {
            const list::EntryStrings strings = list::StringsOf(*cached, cached->selected);
            UpdateViews(strings.safeValue, Self().RefreshStrings(*cached),
                        list::SignedIndex(cached->selected), cached.get());
            Self().AfterRefresh(*cached);
        }
    }
    this->FireEvent(PROP_EDIT_FINISHED, popup);
}

template <class Handler, class Record>
list::EntryStrings PropertyHandler_Base_StringList<Handler, Record>::RefreshStrings(const Record& record) {
    return list::StringsOf(record, record.selected);
}

template <class Handler, class Record>
void PropertyHandler_Base_StringList<Handler, Record>::OnPropChange() {
    so::Ref property = this->propertyRef.Lock();
    if (!property)
        return;
    const std::shared_ptr<Record> record = LoadRecord(property.Get(), true);
    const std::wstring id = list::StringsOf(*record, record->selected).safeValue;
    UpdateViews(id, Self().RefreshStrings(*record), list::SignedIndex(record->selected), record.get());
    Self().AfterRefresh(*record);
    this->FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Line widths ----------------------------------------------------------------------------------

std::wstring PropertyHandler_LineWidthDropDown::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::shared_ptr<host::LineWidthDropDownData> record = LoadRecord(property, false);
    std::wstring options;
    // Disabled widths are shown as such by the refresh, not by the options built here.
    for (std::size_t i = 0; i < record->items.size(); ++i)
        options += GenerateHtmlItem(i, record->items[i], *record, i == record->selected ? L"selected" : L"");
    ui::TemplatesPreprocessor fill = BeginFill(kListTemplate, property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace,
                 std::to_wstring(list::WholeWidth(record->lineWidth)));
    fill.AddRule(L"PROPERTY_DISPLAY_VALUE", ui::RuleAction::Replace,
                 Escaped(list::LineWidthText(*record, record->selected)));
    fill.AddRule(L"PROPERTY_OPTIONS_LIST", ui::RuleAction::Replace, options);
    fill.AddRule(L"PROP_LIST_SIZE", ui::RuleAction::Replace, ListSize(record->items.size(), kMaxListSize));
    fill.AddRule(L"PROP_LIST_INDEX", ui::RuleAction::Replace,
                 std::to_wstring(std::int32_t(list::SignedIndex(record->selected))));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

std::wstring PropertyHandler_LineWidthDropDown::GenerateHtmlItem(std::size_t index, const std::wstring& value,
                                                                 const host::LineWidthDropDownData& record,
                                                                 const std::wstring& attributes) {
    const bool custom = boost::algorithm::iequals(value, L"line-width-custom");
    ui::TemplatesPreprocessor item(std::wstring(L"document-panel-properties/") + kItemTemplate);
    item.AddRule(L"LIST_INDEX", ui::RuleAction::Replace, std::to_wstring(index));
    item.AddRule(L"LIST_VALUE", ui::RuleAction::Replace, Escaped(value));
    item.AddRule(L"LINE_WIDTH_VALUE", ui::RuleAction::Replace,
                 custom ? std::to_wstring(list::WholeWidth(record.lineWidth)) : std::to_wstring(index));
    item.AddRule(L"ADDITIONAL_ATTRS", ui::RuleAction::Replace, attributes);
    item.AddRule(L"CONTENT_VALUE", ui::RuleAction::Replace, Escaped(list::LineWidthText(record, index)));
    return item.Do();
}

list::EntryStrings
PropertyHandler_LineWidthDropDown::RefreshStrings(const host::LineWidthDropDownData& record) {
    const std::wstring text = list::LineWidthText(record, record.selected);
    return {text, text, text};
}

// ---- Bullets --------------------------------------------------------------------------------------

std::wstring PropertyHandler_BulletsStyle::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::shared_ptr<host::ParagraphBulletsStyleData> record = LoadRecord(property, false);
    // Objects with different bullets show the dash, as every other list does.
    const bool chosen = record->selected < record->items.size();
    ui::TemplatesPreprocessor fill = BeginFill(kListTemplate, property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace,
                 chosen ? Escaped(record->items[record->selected]) : std::wstring());
    fill.AddRule(L"PROPERTY_CONTENT_VALUE", ui::RuleAction::Replace,
                 !chosen                 ? std::wstring(kEnDash)
                 : record->selected == 0 ? Escaped(NoneText())
                                         : std::wstring());
    fill.AddRule(L"PROP_VALUES_LIST", ui::RuleAction::Replace, GenerateHtmlItemAttrs(*record));
    fill.AddRule(L"PROP_LIST_SIZE", ui::RuleAction::Replace, ListSize(record->items.size(), kMaxListSize));
    fill.AddRule(L"PROP_LIST_INDEX", ui::RuleAction::Replace,
                 std::to_wstring(std::int32_t(list::SignedIndex(record->selected))));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

std::wstring PropertyHandler_BulletsStyle::GenerateHtmlItem(std::size_t index, const std::wstring& value,
                                                            const host::ParagraphBulletsStyleData&,
                                                            const std::wstring& attributes) {
    ui::TemplatesPreprocessor item(std::wstring(L"document-panel-properties/") + kItemTemplate);
    item.AddRule(L"LIST_INDEX", ui::RuleAction::Replace, std::to_wstring(index));
    item.AddRule(L"LIST_VALUE", ui::RuleAction::Replace, Escaped(value));
    item.AddRule(L"ADDITIONAL_ATTRS", ui::RuleAction::Replace, attributes);
    item.AddRule(L"CONTENT_VALUE", ui::RuleAction::Replace,
                 index == 0 ? Escaped(NoneText()) : std::wstring());
    return item.Do();
}

void PropertyHandler_BulletsStyle::AfterRefresh(const host::ParagraphBulletsStyleData& record) {
    const bool chosen = record.selected < record.items.size();
    for (const ui::Element& caption :
         AttachedElement().FindAll(".prop-view-bullets-list, .edit-view-bullets-list"))
        caption.SetText(!chosen ? std::wstring(kEnDash) : record.selected == 0 ? NoneText() : std::wstring());
}

template class PropertyHandler_Base_StringList<PropertyHandler_StringList, host::PropStringListData>;
template class PropertyHandler_Base_StringList<PropertyHandler_BorderStyleDropDown,
                                               host::BorderStyleDropDownData>;
template class PropertyHandler_Base_StringList<PropertyHandler_FontStyleList, host::PropFontStyleListData>;
template class PropertyHandler_Base_StringList<PropertyHandler_LineBorderStyleDropDown,
                                               host::LineBorderStyleDropDownData>;
template class PropertyHandler_Base_StringList<PropertyHandler_LineArrowStartDropDown,
                                               host::LineArrowStartDropDownData>;
template class PropertyHandler_Base_StringList<PropertyHandler_LineArrowEndDropDown,
                                               host::LineArrowEndDropDownData>;
template class PropertyHandler_Base_StringList<PropertyHandler_LineWidthDropDown,
                                               host::LineWidthDropDownData>;
template class PropertyHandler_Base_StringList<PropertyHandler_BulletsStyle, host::ParagraphBulletsStyleData>;

} // namespace panel
