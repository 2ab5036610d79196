#include "ui-document-panel-properties/ChoiceEditors.h"

#include "host/WindowsApi.h"
#include "ui-document-panel-properties/EditorRecords.h"
#include "ui-engine/Logging.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/date_time/gregorian/gregorian.hpp>
#include <boost/date_time/posix_time/posix_time.hpp>

#include <nlohmann/json.hpp>

#include <cstring>
#include <locale>
#include <sstream>

namespace panel {

namespace {

// Writes `record`; a refusal by the host is logged and answered false, so that the editor can show
// the value the property kept.
template <class Record>
bool TryWrite(ServiceObject* property, const Record& record) {
    try {
        WriteRecord(property, record);
        return true;
    } catch (const so::ServiceObjectException& refusal) {
        ui::Log(host::LogLevel::Warning,
                ui::FormatMessage(L"The value was not taken: %1%", so::WideFromUtf8(refusal.Message())));
        return false;
    }
}

// The objects of a multi-selection hold different values: a date record cannot say so itself.
bool IsMixed(ServiceObject* property) {
    std::uint8_t mixed = 0;
    so::Call<host::BLProperty::IsMixed>(property, &mixed);
    return mixed != 0;
}

constexpr const wchar_t* kNoValueText = L"\u2013";

std::wstring Attribute(const std::wstring& text) {
    return ui::EscapeHtml(text, ui::kEscapeHtmlText);
}

// An element's state and attribute together, as a page would write them.
void SetFlag(const ui::Element& element, const char* attribute, std::uint32_t state, bool on) {
    if (on) {
        element.SetState(state);
        element.SetAttribute(attribute, std::wstring());
    } else {
        element.SetState(0, state);
        element.SetAttribute(attribute, std::nullopt);
    }
}

} // namespace

// ---- Check box ------------------------------------------------------------------------------------

std::wstring PropertyHandler_Bool::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const bool value = ReadRecord<bool>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-bool.template.htm", property, name ? &*name : nullptr);
    std::wstring attributes = value ? L"checked=\"\"" : L"";
    if (readOnly)
        attributes += L"disabled=\"\" readonly=\"\"";
    fill.AddRule(L"CHECK_BOX_ATTRS", ui::RuleAction::Replace, attributes);
    return fill.Do();
}

void PropertyHandler_Bool::OnAttached() {
    PropertyHandler_Base::OnAttached();
    ui::Element box = AttachedElement().FindFirst(":root .prop-view-bool [type=checkbox]");
    if (!box)
        return;
    if (box.GetAttribute("disabled"))
        box.SetState(kStateDisabled);
    if (box.GetAttribute("checked"))
        box.SetState(kStateChecked);
}

// The state is written even when it equals the stored one: a click is the user's word.
void PropertyHandler_Bool::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element box = editor::EventElement(event.heTarget);
    if (event.cmd != kButtonStateChanged || !box || !box.Test("[type=checkbox]"))
        return;
    *handled = 1;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    bool taken = false;
    if (!readOnly)
        Committing([&] { taken = TryWrite(property.Get(), box.HasState(kStateChecked)); });
    if (taken)
        SetFlag(box, "checked", kStateChecked, box.HasState(kStateChecked));
    else
        OnPropChange();
    FireEvent(PROP_EDIT_FINISHED, box);
}

void PropertyHandler_Bool::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element box = AttachedElement().FindFirst(":root .prop-view-bool [type=checkbox]");
    if (!box)
        return;
    bool value = false;
    try {
        value = ReadRecord<bool>(property.Get());
    } catch (const so::ServiceObjectException&) {
        // Shown unchecked, as a property without a value.
    }
    SetFlag(box, "checked", kStateChecked, value);
    if (std::optional<bool> answer = QueryPropertyReadOnly(property.Get()))
        readOnly = *answer;
    SetFlag(box, "disabled", kStateDisabled, readOnly);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Radio group ----------------------------------------------------------------------------------

std::wstring PropertyHandler_RadioGroup::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<std::shared_ptr<host::PropStringListData>>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-radio-group.template.htm", property, name ? &*name : nullptr);
    std::wstring items;
    if (record) {
        for (std::size_t i = 0; i < record->items.size(); ++i) {
            const std::wstring& text = record->items[i];
            ui::TemplatesPreprocessor item(
                L"document-panel-properties/property-radio-group-item.template.htm");
            item.AddRule(L"RADIO_GROUP_NAME", ui::RuleAction::Replace, Attribute(name.value_or(L"")));
            item.AddRule(L"RADIO_GROUP_ITEM_ID", ui::RuleAction::Replace, Attribute(text));
            item.AddRule(L"RADIO_GROUP_ITEM_NAME", ui::RuleAction::Replace,
                         Attribute(ui::Translate(L"PD Prop List Item", text)));
            item.AddRule(L"RADIO_GROUP_ITEM_VALUE", ui::RuleAction::Replace, std::to_wstring(i));
            item.AddRule(L"RADIO_GROUP_ITEM_CHECKED", ui::RuleAction::Replace,
                         i == record->selected ? L"checked=\"\"" : L"");
            item.AddRule(L"RADIO_GROUP_ITEM_DISABLED", ui::RuleAction::Replace,
                         readOnly ? L"disabled=\"\"" : L"");
            items += item.Do();
        }
    }
    fill.AddRule(L"RADIO_GROUP_ITEMS", ui::RuleAction::Replace, items);
    return fill.Do();
}

void PropertyHandler_RadioGroup::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element button = editor::EventElement(event.heTarget);
    if (event.cmd != kButtonStateChanged || !button || !button.Test("[type=radio]"))
        return;
    *handled = 1;
    if (!button.HasState(kStateChecked))
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<std::shared_ptr<host::PropStringListData>>(property.Get());
    if (!record)
        return;
    auto changed = std::make_shared<host::PropStringListData>(*record);
    std::uint64_t index = 0;
    try {
        index = std::stoull(button.GetAttribute("value").value_or(L"0"));
    } catch (const std::exception&) {
        index = 0;
    }
    changed->selected = index;
    bool taken = false;
    if (!readOnly)
        Committing([&] { taken = TryWrite(property.Get(), changed); });
    if (!taken)
        OnPropChange();
}

// The buttons are found by their id attribute, compared as text: an item text is no selector.
void PropertyHandler_RadioGroup::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<std::shared_ptr<host::PropStringListData>>(property.Get());
    const std::vector<ui::Element> buttons = AttachedElement().FindAll(":root button[type=radio]");
    const bool named = record && record->selected < record->items.size();
    ui::Element chosen;
    if (named) {
        for (const ui::Element& button : buttons) {
            if (button.GetAttribute("id") == record->items[record->selected]) {
                chosen = button;
                break;
            }
        }
    }
    ui::Element form = chosen ? chosen.Parent() : ui::Element();
    if (chosen && form) {
        nlohmann::json map = nlohmann::json::object();
        map[so::Utf8FromWide(chosen.GetAttribute("name").value_or(L""))] =
            so::Utf8FromWide(chosen.GetAttribute("value").value_or(L""));
        form.SetValue(ui::Value::FromJson(map.dump()));
    } else if (!named) {
        // No entry (a mixed selection): no button stays checked from before.
        for (const ui::Element& button : buttons)
            button.SetValue(ui::Value::Bool(false));
    }
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Check box and radio button caption -------------------------------------------------------------

namespace {

std::wstring DefaultCaption(const host::CheckRadioCaptionData& record) {
    return record.styleFlag != 0 ? L"l" : L"4";
}

constexpr const char* kCaptionSelect = ":root .prop-view-pdf-check-radio-caption #appearance-font-style";

} // namespace

std::wstring PropertyHandler_CheckRadioCaption::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    // Read here, so that a property that cannot be read shows the error view.
    ReadRecord<std::shared_ptr<host::CheckRadioCaptionData>>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-pdf-check-radio-caption.template.htm", property, name ? &*name : nullptr);
    return fill.Do();
}

void PropertyHandler_CheckRadioCaption::OnAttached() {
    if (so::Ref property = propertyRef.Lock()) {
        ShowCaption(property.Get());
        if (ui::Element select = AttachedElement().FindFirst(kCaptionSelect); select && readOnly)
            SetFlag(select, "disabled", kStateDisabled, true);
    }
    PropertyHandler_Base::OnAttached();
}

bool PropertyHandler_CheckRadioCaption::ShowCaption(ServiceObject* property) {
    ui::Element select = AttachedElement().FindFirst(kCaptionSelect);
    if (!select)
        return false;
    const auto record = ReadRecord<std::shared_ptr<host::CheckRadioCaptionData>>(property);
    std::wstring caption;
    if (record)
        caption = record->caption.empty() ? DefaultCaption(*record) : record->caption;
    if (caption.empty())
        return true;
    bool listed = false;
    for (const ui::Element& option : select.FindAll(":root option"))
        listed = listed || option.GetAttribute("value") == caption;
    if (!listed) {
        if (ui::Element popup = select.FindFirst(":root popup")) {
            const std::wstring escaped = Attribute(caption);
            popup.AppendHtml(so::Utf8FromWide(ui::FormatMessage(
                L"<div class=\"appearance-dropdown-separator\" /><option class=\"additional\" "
                L"value=\"%1%\">%1%</option>",
                escaped)));
        }
    }
    select.SetValue(ui::Value::String(caption));
    return true;
}

void PropertyHandler_CheckRadioCaption::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element select = editor::EventElement(event.heTarget);
    if (event.cmd != kSelectStateChanged || !select || !select.Test("#appearance-font-style"))
        return;
    *handled = 1;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<std::shared_ptr<host::CheckRadioCaptionData>>(property.Get());
    const std::wstring chosen = select.GetValue().AsString();
    bool taken = true;
    if (record && !readOnly) {
        auto changed = std::make_shared<host::CheckRadioCaptionData>(*record);
        changed->caption = chosen.empty() ? DefaultCaption(*record) : chosen;
        if (chosen.empty() || changed->caption != record->caption)
            Committing([&] { taken = TryWrite(property.Get(), changed); });
    } else {
        taken = false;
    }
    if (!taken)
        ShowCaption(property.Get());
    FireEvent(PROP_EDIT_FINISHED, select);
}

void PropertyHandler_CheckRadioCaption::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (property && ShowCaption(property.Get()))
        FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Date and time ---------------------------------------------------------------------------------

namespace datetime {

namespace pt = boost::posix_time;
namespace greg = boost::gregorian;

pt::ptime ToTime(const host::DateTimeValue& record) {
    // The calendar's own checks name the field: "Day of month value is out of range 1..31".
    const greg::date date(
        greg::greg_year(static_cast<unsigned short>(
            std::clamp(std::int64_t(record.yearsSince1900) + 1900, std::int64_t(0), std::int64_t(65535)))),
        greg::greg_month(static_cast<unsigned short>(std::clamp(record.month + 1, 0, 65535))),
        greg::greg_day(static_cast<unsigned short>(std::clamp(record.dayOfMonth, 0, 65535))));
    return pt::ptime(date,
                     pt::hours(record.hours) + pt::minutes(record.minutes) + pt::seconds(record.seconds));
}

host::DateTimeValue ToRecord(const pt::ptime& time) {
    const std::tm parts = pt::to_tm(time);
    host::DateTimeValue record;
    record.seconds = parts.tm_sec;
    record.minutes = parts.tm_min;
    record.hours = parts.tm_hour;
    record.dayOfMonth = parts.tm_mday;
    record.month = parts.tm_mon;
    record.yearsSince1900 = parts.tm_year;
    record.dayOfWeek = parts.tm_wday;
    record.dayOfYear = parts.tm_yday;
    record.daylightSaving = 0;
    return record;
}

std::wstring DisplayText(const pt::ptime& value, const pt::ptime& now) {
    const pt::time_duration elapsed = now - value;
    const std::int64_t hours = elapsed.hours();
    if (hours >= 25) {
        // The date-time library's format flags; a translation may reorder them.
        const std::wstring pattern =
            ui::Translate(L"Date Time Format (Boost.Date_Time format flags)", L"%Y-%m-%d %H:%M:%S");
        std::wostringstream text;
        text.imbue(std::locale(std::locale::classic(), new pt::wtime_facet(pattern.c_str())));
        text << value;
        return text.str();
    }
    if (hours >= 1)
        return ui::FormatMessage(ui::TranslatePlural(L"An hour ago", L"%1% hours ago", hours).c_str(), hours);
    const std::int64_t minutes = elapsed.minutes();
    if (minutes < 1)
        return ui::Translate(L"Less then a minute ago");
    return ui::FormatMessage(ui::TranslatePlural(L"A minute ago", L"%1% minutes ago", minutes).c_str(),
                             minutes);
}

pt::ptime Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return pt::ptime(greg::date(now.wYear, now.wMonth, now.wDay),
                     pt::hours(now.wHour) + pt::minutes(now.wMinute) + pt::seconds(now.wSecond));
}

namespace {
const pt::ptime kTicksEpoch(greg::date(1601, 1, 1));
}

std::int64_t TicksOf(const pt::ptime& time) {
    return (time - kTicksEpoch).total_microseconds() * 10;
}

pt::ptime TimeOfTicks(std::int64_t ticks) {
    return kTicksEpoch + pt::microseconds(ticks / 10);
}

} // namespace datetime

std::wstring PropertyHandler_DateTime::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const boost::posix_time::ptime value = datetime::ToTime(ReadRecord<host::DateTimeValue>(property));
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-date-time.template.htm", property, name ? &*name : nullptr);
    const std::wstring text =
        IsMixed(property) ? kNoValueText : datetime::DisplayText(value, datetime::Now());
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, ui::EscapeHtml(text, ui::kEscapeHtmlText));
    const std::string iso = boost::posix_time::to_iso_extended_string(value);
    fill.AddRule(L"PROPERTY_DATE_VALUE", ui::RuleAction::Replace, so::WideFromUtf8(iso.substr(0, 10)));
    fill.AddRule(L"PROPERTY_TIME_VALUE", ui::RuleAction::Replace, so::WideFromUtf8(iso.substr(11, 8)));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    return fill.Do();
}

void PropertyHandler_DateTime::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const ui::Element& root = AttachedElement();
    ui::Element view = root.FindFirst(":root .prop-view-date-time");
    ui::Element popup = root.FindFirst(":root .edit-popup-date-time");
    if (!view || !popup)
        return;
    if (popup.IsPopupShown()) {
        popup.HidePopup();
        return;
    }
    const boost::posix_time::ptime value = datetime::ToTime(ReadRecord<host::DateTimeValue>(property.Get()));
    const RECT box = view.Location(kBorderBoxRelativeToView);
    const ui::Value ticks = ui::Value::Date(datetime::TicksOf(value));
    for (const char* selector : {":root .edit-input-date", ":root .edit-input-time"}) {
        if (ui::Element input = popup.FindFirst(selector)) {
            input.SetAttribute("style", ui::FormatMessage(L"min-width: %1%px;", box.right - box.left));
            input.SetValue(ticks);
        }
    }
    if (ui::Element shown = popup.FindFirst(":root .edit-view"))
        shown.SetText(IsMixed(property.Get()) ? kNoValueText : datetime::DisplayText(value, datetime::Now()));
    popup.ShowPopup(view);
    PostWeak([](PropertyHandler_DateTime& alive) {
        if (ui::Element date = alive.AttachedElement().FindFirst(".edit-popup .edit-input-date"))
            date.SetState(kStateFocus);
    });
    FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
}

void PropertyHandler_DateTime::OnPropEditFinished(const ui::Element& popup) {
    ui::Element dateInput = popup.FindFirst(".edit-input-date");
    ui::Element timeInput = popup.FindFirst(".edit-input-time");
    const std::optional<std::int64_t> date = dateInput ? dateInput.GetValue().AsDate() : std::nullopt;
    const std::optional<std::int64_t> time = timeInput ? timeInput.GetValue().AsDate() : std::nullopt;
    if (!date || !time)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const boost::posix_time::ptime combined(datetime::TimeOfTicks(*date).date(),
                                            datetime::TimeOfTicks(*time).time_of_day());
    const host::DateTimeValue record = datetime::ToRecord(datetime::ToTime(datetime::ToRecord(combined)));
    const host::DateTimeValue current = ReadRecord<host::DateTimeValue>(property.Get());
    if (!readOnly && std::memcmp(&record, &current, sizeof record) != 0 && !TryWrite(property.Get(), record))
        OnPropChange();
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_DateTime::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element view = AttachedElement().FindFirst(".prop-view-date-time");
    if (!view)
        return;
    std::wstring text;
    try {
        const boost::posix_time::ptime value =
            datetime::ToTime(ReadRecord<host::DateTimeValue>(property.Get()));
        text = IsMixed(property.Get()) ? kNoValueText : datetime::DisplayText(value, datetime::Now());
    } catch (const std::exception& e) {
        // What went wrong, where the value would be; the next rebuild shows the error view.
        text = so::WideFromUtf8(e.what());
    }
    view.SetText(text);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Colour -----------------------------------------------------------------------------------------

namespace color {

std::wstring CssText(std::uint32_t color) {
    return ui::FormatMessage(L"#%06X", color & 0xFFFFFF);
}

std::optional<std::uint32_t> ParseChoice(const std::wstring& text) {
    if (!text.starts_with(L'#'))
        return 0;
    if (text.size() != 7 || text.find_first_not_of(L"0123456789abcdefABCDEF", 1) != std::wstring::npos)
        return std::nullopt;
    return std::uint32_t(std::stoul(text.substr(1), nullptr, 16)) | 0xFF000000u;
}

bool NoColorOffered(const std::wstring& id, const std::wstring& noColorAvailable) {
    for (const wchar_t* part : {L"interior", L"background", L"border"}) {
        if (id.find(part) != std::wstring::npos)
            return true;
    }
    return boost::algorithm::iequals(noColorAvailable, L"true");
}

} // namespace color

std::wstring PropertyHandler_Color::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const host::ColorValue record = ReadRecord<host::ColorValue>(property);
    std::uint8_t available = 0;
    so::Call<host::BLProperty::IsNoColorAvailable>(property, &available);
    // A word of 0 is no colour, also where the property cannot be without one (a mixed selection):
    // drawn black it would read as black, which is stored with its alpha byte.
    const bool white = record.color == 0;
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-color.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROP_NO_COLOR", ui::RuleAction::Replace, available != 0 ? L"true" : L"false");
    fill.AddRule(L"CSS_BG_COLOR_VALUE", ui::RuleAction::Replace,
                 color::CssText(white ? 0xFFFFFF : record.color));
    fill.AddRule(L"PROPERTY_ATTRIBUTES", ui::RuleAction::Replace, white ? L"nocolor=\"\"" : L"");
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, readOnly ? L"" : L"editable-prop");
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, std::wstring());
    return fill.Do();
}

void PropertyHandler_Color::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const ui::Element& root = AttachedElement();
    ui::Element view = root.FindFirst(":root .prop-view-color");
    ui::Element popup = root.FindFirst(":root .edit-popup-color");
    if (!view || !popup)
        return;
    if (popup.IsPopupShown()) {
        popup.HidePopup();
        return;
    }
    const host::ColorValue record = ReadRecord<host::ColorValue>(property.Get());
    if (ui::Element shown = popup.FindFirst(":root .edit-view")) {
        shown.SetStyleAttribute("background-color", color::CssText(record.color));
        shown.SetStyleAttribute("color", color::CssText(record.color ^ 0xFFFFFF));
    }
    if (ui::Element table = popup.FindFirst("#ColorsPopup")) {
        const bool offered = color::NoColorOffered(root.GetAttribute("id").value_or(L""),
                                                   root.GetAttribute("no_color_available").value_or(L""));
        const std::wstring current = record.color != 0 ? color::CssText(record.color) : std::wstring();
        table.FireEvent(color::kTableSetCurrent, popup, false, offered ? 1 : 0, ui::Value::String(current));
    }
    popup.ShowPopup(view);
    FireEvent(PROP_EDIT_POPUP_SHOWN, popup);
}

void PropertyHandler_Color::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    if (event.cmd != color::kTableChosen)
        return;
    *handled = 1;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Value data;
    ui::Engine().ValueCopy(data.Raw(), &event.data);
    const std::wstring text = data.AsString();
    const std::optional<std::uint32_t> chosen = color::ParseChoice(text);
    if (!chosen) {
        ui::Log(host::LogLevel::Warning,
                ui::FormatMessage(L"\"%1%\" is no colour; the colour was kept", text));
    } else if (!readOnly) {
        host::ColorValue record = ReadRecord<host::ColorValue>(property.Get());
        if (record.color != *chosen) {
            record.color = *chosen;
            if (!TryWrite(property.Get(), record))
                OnPropChange();
        }
    }
    if (ui::Element popup = AttachedElement().FindFirst(":root .edit-popup-color"))
        popup.HidePopup();
}

void PropertyHandler_Color::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    ui::Element view = AttachedElement().FindFirst(".prop-view-color");
    ui::Element swatch = view ? view.FindFirst(":root #PropView") : ui::Element();
    if (!swatch)
        return;
    host::ColorValue record;
    try {
        record = ReadRecord<host::ColorValue>(property.Get());
    } catch (const so::ServiceObjectException&) {
        record.color = 0;
    }
    swatch.SetStyleAttribute("background-color", color::CssText(record.color != 0 ? record.color : 0xFFFFFF));
    swatch.SetAttribute("nocolor", record.color != 0 ? std::nullopt : std::optional<std::wstring>(L""));
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
