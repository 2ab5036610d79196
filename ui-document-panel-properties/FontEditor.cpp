#include "ui-document-panel-properties/FontEditor.h"

#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-document-panel-properties/ListEditors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace panel {

namespace {

constexpr wchar_t kEnDash[] = L"\u2013";
constexpr std::size_t kMaxListSize = 10;

struct FontGroup {
    std::uint32_t group;
    std::uint32_t kind; // the font kind of the record
    bool drawSample;
};

// The order the list shows its groups in.
constexpr std::array kFontGroups = {
    FontGroup{controls::FontsControl::kDocumentFonts, host::PropFontEntry::kDocumentFont, false},
    FontGroup{controls::FontsControl::kStandardFonts, host::PropFontEntry::kStandardFont, false},
    FontGroup{controls::FontsControl::kSystemFonts, host::PropFontEntry::kSystemFont, true},
};

std::string OptionSelector(std::uint64_t index) {
    return "option[value=\"" + std::to_string(index) + "\"]";
}

std::wstring FamilyNameOf(const host::PropFontListData& record) {
    return record.selected < record.fonts.size() ? record.fonts[record.selected].familyName
                                                 : std::wstring(kEnDash);
}

} // namespace

std::string FontUtils::GetStringFromFontFormat(std::uint32_t format) {
    switch (format) {
    case host::PropFontEntry::kFormatTrueType:
    case 0xFFFFFFFF:
        return "true-type";
    case host::PropFontEntry::kFormatType1:
        return "type1";
    case host::PropFontEntry::kFormatType3:
        return "type3";
    default:
        ui::Log(host::LogLevel::Error,
                ui::FormatMessage(L"GetStringFromFontFormat: Incorrect PDFontFormat value = %1% ", format));
        return "true-type";
    }
}

namespace controls {

std::wstring FontsControl::GetLabel(std::uint32_t group) {
    switch (group) {
    case kDocumentFonts:
        return ui::Translate(L"Document Fonts");
    case kStandardFonts:
        return ui::Translate(L"Standard Fonts");
    case kSystemFonts:
        return ui::Translate(L"System Fonts");
    default:
        ui::Log(host::LogLevel::Error, ui::FormatMessage(L"groupToString: Icorrect font type = %1% ", group));
        return {};
    }
}

std::string FontsControl::RecordsJson(const std::vector<FontControlEntry>& entries) {
    // The list reads the keys in this order.
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (const FontGroup& group : kFontGroups) {
        auto inGroup = [&group](const FontControlEntry& entry) { return (entry.group & group.group) != 0; };
        if (std::none_of(entries.begin(), entries.end(), inGroup))
            continue;
        records.push_back({{"type", "label"}, {"label", so::Utf8FromWide(GetLabel(group.group))}});
        for (const FontControlEntry& entry : entries) {
            if (!inGroup(entry))
                continue;
            records.push_back({{"type", "option"},
                               {"value", entry.value},
                               {"fontfamily", entry.family},
                               {"fonttype", FontUtils::GetStringFromFontFormat(entry.format)},
                               {"fontstyle", entry.style},
                               {"fontfamilyname", entry.familyName},
                               {"drawsample", entry.group == kSystemFonts}});
        }
    }
    // A name that is no valid UTF-8 is shown with replacement characters, never refused.
    return records.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void FontsControl::SetFonts(const std::vector<FontControlEntry>& entries) {
    if (entries.empty()) {
        ui::Log(host::LogLevel::Error, L"The font list is empty");
        return;
    }
    if (ui::Element list = container_.FindFirst(":root vlist"))
        list.CallMethod("set_records", {ui::Value::FromJson(RecordsJson(entries))});
}

void FontsControl::SetCurrent(const std::string& value, const std::string& formatName) {
    if (ui::Element list = container_.FindFirst(":root vlist")) {
        list.CallMethod("set_current", {ui::Value::String(so::WideFromUtf8(value)),
                                        ui::Value::String(so::WideFromUtf8(formatName))});
    }
    const std::string selector = "option[value=\"" + value + "\"]";
    if (ui::Element option = container_.FindFirst(selector.c_str()))
        option.ExecuteCommand("set-current");
}

std::vector<FontControlEntry> ControlEntriesOf(const host::PropFontListData& record) {
    std::vector<FontControlEntry> entries;
    for (const FontGroup& group : kFontGroups) {
        for (std::size_t i = 0; i < record.fonts.size(); ++i) {
            const host::PropFontEntry& font = record.fonts[i];
            if (font.kind != group.kind)
                continue;
            entries.push_back({group.group, font.family, font.format, font.style,
                               font.familyName.empty() ? std::string() : so::Utf8FromWide(font.familyName),
                               std::to_string(i)});
        }
    }
    return entries;
}

} // namespace controls

const std::shared_ptr<host::PropFontListData>&
PropertyHandler_FontDropDown::LoadRecord(ServiceObject* property, bool reload) {
    if (!cached || reload) {
        auto record = ReadRecord<std::shared_ptr<host::PropFontListData>>(property);
        // No record: the error view says the property could not be read, with nothing to add.
        if (!record)
            throw std::runtime_error("");
        cached = std::move(record);
    }
    return cached;
}

std::wstring PropertyHandler_FontDropDown::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const std::shared_ptr<host::PropFontListData> record = LoadRecord(property, false);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-fonts-list.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace,
                 ui::EscapeHtml(FamilyNameOf(*record), ui::kEscapeHtmlText));
    fill.AddRule(L"PROP_LIST_SIZE", ui::RuleAction::Replace,
                 std::to_wstring(std::min(record->fonts.size(), kMaxListSize)));
    fill.AddRule(L"PROP_LIST_INDEX", ui::RuleAction::Replace,
                 std::to_wstring(list::SignedIndex(record->selected)));
    fill.AddRule(
        L"ONLY_SYSTEM_FONTS_BLABLABLA", ui::RuleAction::Replace,
        ui::EscapeHtml(ui::Translate(L"Only system fonts can be set as default"), ui::kEscapeHtmlText));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

void PropertyHandler_FontDropDown::FillList(const host::PropFontListData& record) {
    if (!control) {
        ui::Element container = AttachedElement().FindFirst("#fonts-collection-container");
        if (!container)
            return;
        control = std::make_unique<controls::FontsControl>(container);
    }
    control->SetFonts(controls::ControlEntriesOf(record));
}

void PropertyHandler_FontDropDown::ShowEditPopup() {
    if (!propertyRef.Lock())
        return;
    ui::Element popup = list::ShowListPopup(AttachedElement());
    if (!popup)
        return;
    PostWeak([](PropertyHandler_FontDropDown& alive) { list::FocusLists(alive.AttachedElement()); });
    FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
}

void PropertyHandler_FontDropDown::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    if (!target)
        return;
    switch (event.cmd) {
    case kSelectStateChanged: {
        if (!target.Test("widget[type=select]"))
            break;
        std::optional<std::int32_t> index = list::ChosenIndex(target);
        ui::Element option = index ? target.FindFirst(OptionSelector(*index).c_str()) : ui::Element();
        if (!option)
            break;
        if (ui::Element view = AttachedElement().FindFirst(".edit-box > .edit-view")) {
            view.SetText(option.Text());
            view.SetAttribute("list-index", std::to_wstring(*index));
        }
        *handled = 1;
        HideEditPopup();
        break;
    }
    case kPopupRequest:
        if (!listFilled && target.Test(".edit-popup")) {
            if (so::Ref property = propertyRef.Lock()) {
                FillList(*LoadRecord(property.Get(), false));
                listFilled = true;
            }
        }
        break;
    case kPopupReady: {
        if (!control || !cached || cached->selected >= cached->fonts.size() || !target.Test(".edit-popup"))
            break;
        const std::uint64_t index = cached->selected;
        const host::PropFontEntry& font = cached->fonts[index];
        ui::Log(host::LogLevel::Trace, ui::FormatMessage(L"Select Item pos=%1% family=%2% type=%3%", index,
                                                         font.family, font.format));
        PostWeak([index, format = FontUtils::GetStringFromFontFormat(font.format)](
                     PropertyHandler_FontDropDown& alive) {
            if (alive.control)
                alive.control->SetCurrent(std::to_string(index), format);
        });
        break;
    }
    default:
        break;
    }
}

void PropertyHandler_FontDropDown::ShowSelection(const host::PropFontListData& record) {
    const ui::Element& root = AttachedElement();
    const std::wstring text = FamilyNameOf(record);
    const std::wstring index = std::to_wstring(list::SignedIndex(record.selected));
    if (ui::Element caption = root.FindFirst(".prop-view-string-list")) {
        // The caption holds its text itself unless it has an element for it.
        if (ui::Element value = caption.FindFirst(".prop-view-string-list-value"))
            value.SetText(text);
        else
            caption.SetText(text);
        caption.SetAttribute("list-index", index);
    }
    if (ui::Element view = root.FindFirst(".edit-box > .edit-view")) {
        view.SetText(text);
        view.SetAttribute("list-index", index);
    }
    // The list sits in its container, inside the edit box.
    if (ui::Element widget = root.FindFirst(".edit-box widget[type=select]"))
        widget.SetValue(ui::Value::Int(std::int32_t(list::SignedIndex(record.selected))));
}

void PropertyHandler_FontDropDown::OnPropEditFinished(const ui::Element& popup) {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element widget = AttachedElement().FindFirst(":root widget[type=select]");
    if (!widget)
        return;
    LoadRecord(property.Get(), false);
    if (std::optional<std::int32_t> index = list::ChosenIndex(widget)) {
        PostWeak([index = *index](PropertyHandler_FontDropDown& alive) {
            list::MakeOptionCurrent(alive.AttachedElement(), index);
        });
        // Refused: the views go back to the font the property still holds.
        if (!list::WriteSelection(property.Get(), cached, std::uint64_t(*index)))
            ShowSelection(*cached);
    }
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_FontDropDown::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property || !AttachedElement().FindFirst(".prop-view-string-list"))
        return;
    const std::shared_ptr<host::PropFontListData> record = LoadRecord(property.Get(), true);
    FillList(*record);
    ShowSelection(*record);
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
