#include "ui-document-panel-properties/NumericEditors.h"

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/EditorRecords.h"

#include <boost/algorithm/string/predicate.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>
#include <limits>
#include <memory>

namespace panel {

namespace {

constexpr wchar_t kEnDash[] = L"\u2013";
constexpr const char* kCaptionCaretStyle = "text-selection-caret-color";
// How far a typed float may be from the stored one and still count as the same value.
constexpr float kFloatTolerance = 0.001f;

std::wstring Escaped(const std::wstring& text) {
    return ui::EscapeHtml(text, ui::kEscapeHtmlText);
}

std::wstring EditClass(bool readOnly) {
    return readOnly ? std::wstring() : std::wstring(L"editable-prop");
}

// A double beyond the float range has no float to convert to: it is the infinity the limits clamp.
float FloatOf(double number) {
    if (std::fabs(number) > double(std::numeric_limits<float>::max()))
        return number > 0 ? HUGE_VALF : -HUGE_VALF;
    return float(number);
}

// Only an integer counts as a number box's value: a text or a fraction is not a commit.
std::optional<std::int32_t> IntegerOf(const ui::Value& value) {
    return value.Type() == kHtmlValueInt ? value.AsInt() : std::nullopt;
}

} // namespace

namespace numeric {

std::wstring IntegerText(std::int32_t value) {
    return value == host::kNoIntegerValue ? std::wstring(kEnDash) : std::to_wstring(value);
}

std::wstring FloatText(float value, int decimals) {
    if (std::isnan(value))
        return kEnDash;
    // Enough for the largest float in fixed notation with the most decimals allowed here.
    char buffer[64 + 17];
    decimals = std::clamp(decimals, 0, 17);
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::fixed, decimals);
    if (error != std::errc())
        return kEnDash;
    return std::wstring(buffer, end);
}

std::optional<float> ParseFloatPrefix(std::wstring_view text) {
    std::size_t start = 0;
    while (start < text.size() && std::iswspace(text[start]))
        ++start;
    // The number's characters are ASCII: whatever follows the first other character is ignored.
    std::string ascii;
    for (std::size_t i = start; i < text.size() && text[i] < 0x80; ++i)
        ascii.push_back(char(text[i]));
    std::string_view digits = ascii;
    // The conversion takes a minus sign of its own, but no plus sign.
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-' && digits[1] != '+')
        digits.remove_prefix(1);
    float number = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end == digits.data() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::wstring UnitText(const std::wstring& name, std::wstring_view unitName, std::wstring_view unit) {
    if (!boost::algorithm::iequals(name, unitName))
        return {};
    return ui::Translate(L"measurement unit short", unit);
}

std::optional<std::size_t> LastIndexOf(const std::vector<float>& values, float value) {
    for (std::size_t i = values.size(); i-- > 0;) {
        if (values[i] == value)
            return i;
    }
    return std::nullopt;
}

} // namespace numeric

using numeric::Clamp;
using numeric::FloatText;
using numeric::IntegerText;

// ---- Number ---------------------------------------------------------------------------------------

std::wstring PropertyHandler_Number::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<host::NumberValue>(property);
    unitText = numeric::UnitText(name.value_or(std::wstring()), L"opacity", L"%");
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-number.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, IntegerText(record.value));
    fill.AddRule(L"PROPERTY_SIZE_VALUE", ui::RuleAction::Replace, L"6");
    fill.AddRule(L"PROPERTY_MIN_VALUE", ui::RuleAction::Replace, std::to_wstring(record.min));
    fill.AddRule(L"PROPERTY_MAX_VALUE", ui::RuleAction::Replace, std::to_wstring(record.max));
    fill.AddRule(L"PROPERTY_STEP_VALUE", ui::RuleAction::Replace, std::to_wstring(record.step));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, EditClass(readOnly));
    fill.AddRule(L"MEASUREMENT_UNITS", ui::RuleAction::Replace, Escaped(unitText));
    return fill.Do();
}

void PropertyHandler_Number::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::NumberValue>(property.Get());
    OpenEditPopup(":root .prop-view-number", ":root .edit-popup-number", ":root .edit-input-number", nullptr,
                  ui::Value::String(IntegerText(record.value)));
}

// The view shows what was typed while the popup closes; the refresh after the write shows what the
// host kept.
void PropertyHandler_Number::OnPopupDismissing(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-number");
    std::optional<std::int32_t> typed = input ? IntegerOf(input.GetValue()) : std::nullopt;
    if (!typed)
        return;
    if (ui::Element span = AttachedElement().FindFirst(".prop-view-number-value"))
        span.SetText(std::to_wstring(*typed));
}

void PropertyHandler_Number::OnPropEditFinished(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-number");
    const ui::Value typed = input ? input.GetValue() : ui::Value();
    if (typed.Type() != kHtmlValueInt)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    auto record = ReadRecord<host::NumberValue>(property.Get());
    const std::int32_t value = typed.AsInt().value_or(record.value);
    if (value != record.value) {
        host::NumberValue pending = record;
        pending.value = value;
        NoticePending(property.Get(), pending);
        record.value = Clamp(value, record.min, record.max);
        WriteRecord(property.Get(), record);
        // A clamped value the host already held raises no change: the view still shows the typed one.
        if (record.value != value)
            OnPropChange();
    }
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_Number::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::NumberValue>(property.Get());
    ui::Element value = AttachedElement().FindFirst(".prop-view-number-value");
    ui::Element units = AttachedElement().FindFirst(".prop-view-measurement-units");
    if (!value || !units)
        return;
    value.SetText(IntegerText(record.value));
    units.SetText(unitText);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- NumberSlider ---------------------------------------------------------------------------------

std::wstring PropertyHandler_NumberSlider::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<host::NumberValue>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-number-slider.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, IntegerText(record.value));
    fill.AddRule(L"PROPERTY_MIN_VALUE", ui::RuleAction::Replace, std::to_wstring(record.min));
    fill.AddRule(L"PROPERTY_MAX_VALUE", ui::RuleAction::Replace, std::to_wstring(record.max));
    fill.AddRule(L"PROPERTY_STEP_VALUE", ui::RuleAction::Replace, std::to_wstring(record.step));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, EditClass(readOnly));
    return fill.Do();
}

void PropertyHandler_NumberSlider::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::NumberValue>(property.Get());
    ui::Element slider =
        OpenEditPopup(":root .prop-view-number-slider", ":root .edit-popup-number-slider",
                      ":root .edit-input-number-slider", nullptr, ui::Value::Int(record.value));
    openedValue = slider ? IntegerOf(slider.GetValue()) : std::nullopt;
}

void PropertyHandler_NumberSlider::OnPropEditFinished(const ui::Element& popup) {
    const std::optional<std::int32_t> opened = std::exchange(openedValue, std::nullopt);
    ui::Element slider = popup.FindFirst(".edit-input-number-slider");
    std::optional<std::int32_t> value = slider ? IntegerOf(slider.GetValue()) : std::nullopt;
    if (!value)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    if (value != opened) {
        auto record = ReadRecord<host::NumberValue>(property.Get());
        if (*value != record.value) {
            record.value = *value;
            WriteRecord(property.Get(), record);
        }
    }
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_NumberSlider::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::NumberValue>(property.Get());
    ui::Element view = AttachedElement().FindFirst(".prop-view-number-slider");
    if (!view)
        return;
    view.SetText(IntegerText(record.value));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- NumberInline ---------------------------------------------------------------------------------

std::wstring PropertyHandler_NumberInline::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<host::NumberValue>(property);
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-number-inline.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, IntegerText(record.value));
    fill.AddRule(L"PROPERTY_SIZE_VALUE", ui::RuleAction::Replace, L"6");
    fill.AddRule(L"PROPERTY_MIN_VALUE", ui::RuleAction::Replace, std::to_wstring(record.min));
    fill.AddRule(L"PROPERTY_MAX_VALUE", ui::RuleAction::Replace, std::to_wstring(record.max));
    fill.AddRule(L"PROPERTY_STEP_VALUE", ui::RuleAction::Replace, std::to_wstring(record.step));
    fill.AddRule(L"SLIDER_INPUT_ATTRS", ui::RuleAction::Replace, readOnly ? L"disabled=\"\"" : L"");
    fill.AddRule(L"NUMBER_INPUT_ATTRS", ui::RuleAction::Replace, readOnly ? L"readonly=\"\"" : L"");
    fill.AddRule(
        L"MAX_CHAR_NUM_MESSAGE", ui::RuleAction::Replace,
        Escaped(ui::Translate(L"When this property is set to 0, the number of characters that can be "
                              L"entered in the text field is not limited")));
    return fill.Do();
}

void PropertyHandler_NumberInline::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    if (!target)
        return;
    if ((event.cmd == kButtonStateChanged && target.Test("input[type=hslider]")) ||
        (event.cmd == kEditValueChanged && target.Test("input[type=number]"))) {
        CommitFrom(target);
        *handled = 1;
    }
}

void PropertyHandler_NumberInline::CommitFrom(const ui::Element& control) {
    const ui::Value changed = control.GetValue();
    if (changed.Type() != kHtmlValueInt || readOnly)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    struct ClearSource {
        HELEMENT& source;
        ~ClearSource() { source = nullptr; }
    } clearSource{changeSource};
    Committing([&] {
        auto record = ReadRecord<host::NumberValue>(property.Get());
        const std::int32_t value = changed.AsInt().value_or(record.value);
        if (value == record.value)
            return;
        host::NumberValue pending = record;
        pending.value = value;
        NoticePending(property.Get(), pending);
        record.value = Clamp(value, record.min, record.max);
        changeSource = control.Handle();
        WriteRecord(property.Get(), record);
        if (record.value != host::kNoIntegerValue)
            ShowValue(record.value, changeSource);
    });
}

// The control a user is changing keeps what the user gave it; the other one follows.
void PropertyHandler_NumberInline::ShowValue(std::int32_t value, HELEMENT except) {
    const ui::Value text = ui::Value::String(IntegerText(value));
    for (const char* selector : {":root input[type=hslider]", ":root input[type=number]"}) {
        for (const ui::Element& control : AttachedElement().FindAll(selector)) {
            if (control.Handle() != except)
                control.SetValue(text);
        }
    }
}

void PropertyHandler_NumberInline::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::NumberValue>(property.Get());
    if (record.value != host::kNoIntegerValue)
        ShowValue(record.value, nullptr);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- Float ----------------------------------------------------------------------------------------

std::wstring PropertyHandler_Float::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto value = ReadRecord<float>(property, 0.0f);
    unitText = numeric::UnitText(name.value_or(std::wstring()), L"rotate", L"rad");
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-float.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, FloatText(value, 2));
    fill.AddRule(L"MEASUREMENT_UNITS", ui::RuleAction::Replace, Escaped(unitText));
    fill.AddRule(L"PROP_EDIT_CLASS", ui::RuleAction::Replace, EditClass(readOnly));
    return fill.Do();
}

void PropertyHandler_Float::ShowEditPopup() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const std::wstring text = FloatText(ReadRecord<float>(property.Get(), 0.0f), 4);
    ui::Element input = OpenEditPopup(":root .prop-view-float", ":root .edit-popup-float",
                                      ":root .edit-input-float", ":root .edit-box", ui::Value::String(text));
    if (!input)
        return;
    editor::PlaceCaretAtEnd(input, text.size());
}

void PropertyHandler_Float::OnPropEditFinished(const ui::Element& popup) {
    ui::Element input = popup.FindFirst(".edit-input-float");
    const ui::Value typed = input ? input.GetValue() : ui::Value();
    if (typed.Type() != kHtmlValueString)
        return;
    const std::wstring text = typed.AsString();
    std::optional<float> value = text.empty() ? std::nullopt : numeric::ParseFloatPrefix(text);
    if (!value)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto current = ReadRecord<float>(property.Get(), 0.0f);
    if (std::isnan(current) || std::fabs(current - *value) > kFloatTolerance)
        WriteRecord(property.Get(), *value);
    FireEvent(PROP_EDIT_FINISHED, popup);
}

void PropertyHandler_Float::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto value = ReadRecord<float>(property.Get(), 0.0f);
    ui::Element text = AttachedElement().FindFirst(".prop-view-float-value");
    ui::Element units = AttachedElement().FindFirst(".prop-view-measurement-units");
    if (!text || !units)
        return;
    text.SetText(FloatText(value, 2));
    units.SetText(unitText);
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- FloatInline ----------------------------------------------------------------------------------

std::wstring PropertyHandler_FloatInline::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadRecord<host::FloatInlineValue>(property);
    unitText = numeric::UnitText(name.value_or(std::wstring()), L"rotate", L"rad");
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-float-inline.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_SIZE_VALUE", ui::RuleAction::Replace, L"10");
    fill.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, FloatText(record.value, 2));
    fill.AddRule(L"PROPERTY_MIN_VALUE", ui::RuleAction::Replace, FloatText(record.min, 2));
    fill.AddRule(L"PROPERTY_MAX_VALUE", ui::RuleAction::Replace, FloatText(record.max, 2));
    fill.AddRule(L"PROPERTY_STEP_VALUE", ui::RuleAction::Replace, FloatText(record.step, 2));
    fill.AddRule(L"INPUT_ATTRS", ui::RuleAction::Replace, readOnly ? L"disabled=\"\"" : L"");
    fill.AddRule(L"MEASUREMENT_UNITS", ui::RuleAction::Replace, Escaped(unitText));
    return fill.Do();
}

void PropertyHandler_FloatInline::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    if (event.cmd == kEditValueChanged && target && target.Test("input[type=decimal]")) {
        CommitFrom(target);
        *handled = 1;
    }
}

void PropertyHandler_FloatInline::CommitFrom(const ui::Element& input) {
    const ui::Value typed = input.GetValue();
    if ((typed.Type() != kHtmlValueInt && typed.Type() != kHtmlValueFloat) || readOnly)
        return;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    auto record = ReadRecord<host::FloatInlineValue>(property.Get());
    const std::optional<double> number = typed.AsFloat();
    const float value = number ? FloatOf(*number) : record.value;
    // No value is never something to write.
    if (std::isnan(value) || value == record.value)
        return;
    Committing([&] {
        host::FloatInlineValue pending = record;
        pending.value = value;
        NoticePending(property.Get(), pending);
        record.value = Clamp(value, record.min, record.max);
        WriteRecord(property.Get(), record);
    });
}

void PropertyHandler_FloatInline::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadRecord<host::FloatInlineValue>(property.Get());
    ui::Element input = AttachedElement().FindFirst(":root input[type=decimal]");
    if (!input)
        return;
    input.SetValue(ui::Value::String(FloatText(record.value, 2)));
    FireEvent(PROP_VIEW_REFRESHED);
}

// ---- FloatList ------------------------------------------------------------------------------------

namespace {

std::shared_ptr<host::FloatListData> ReadFloatList(ServiceObject* property) {
    auto record = ReadRecord<std::shared_ptr<host::FloatListData>>(property);
    return record ? record : std::make_shared<host::FloatListData>();
}

std::wstring DefaultSizeText() {
    return ui::Translate(L"Font Size", L"Default");
}

bool ShowsAsDefault(bool zeroIsDefault, float value) {
    return zeroIsDefault && value <= 0.01f;
}

} // namespace

std::wstring PropertyHandler_FloatList::BuildHtmlCode(ServiceObject* property) {
    std::optional<std::wstring> name = GetPropertyName(property);
    const auto record = ReadFloatList(property);
    zeroIsDefault = record->zeroIsDefault;
    positiveOnly = record->positiveOnly;
    propertyId = ui::MakeSafeValue(name.value_or(std::wstring()), true);

    std::wstring items;
    for (std::size_t i = 0; i < record->values.size(); ++i) {
        const float value = record->values[i];
        if (std::isnan(value))
            continue;
        const std::wstring text = FloatText(value, record->precision);
        ui::TemplatesPreprocessor item(L"document-panel-properties/property-float-list-item.template.htm");
        item.AddRule(L"PROPERTY_VALUE", ui::RuleAction::Replace, Escaped(text));
        item.AddRule(L"DISPLAY_VALUE", ui::RuleAction::Replace,
                     Escaped(ShowsAsDefault(zeroIsDefault, value) ? DefaultSizeText() : text));
        item.AddRule(L"SELECTED_ATTR", ui::RuleAction::Replace,
                     i == record->selected ? L"selected=\"\"" : L"");
        items += item.Do();
    }
    ui::TemplatesPreprocessor fill =
        BeginFill(L"property-float-list.template.htm", property, name ? &*name : nullptr);
    fill.AddRule(L"PROPERTY_VALUES", ui::RuleAction::Replace, items);
    fill.AddRule(
        L"PROP_EDIT_ATTRS", ui::RuleAction::Replace,
        ui::FormatMessage(L"%1% %2% %3%", std::wstring(readOnly ? L"disabled=\"\"" : L""),
                          std::wstring(record->selected == host::kNoListIndex ? L"update-on-attach" : L""),
                          std::wstring(record->positiveOnly ? L"positive-only" : L"")));
    return fill.Do();
}

ui::Element PropertyHandler_FloatList::Select() {
    const std::string selector = propertyId.empty() ? "select" : "select#" + so::Utf8FromWide(propertyId);
    return AttachedElement().FindFirst(selector.c_str());
}

ui::Element PropertyHandler_FloatList::Caption() {
    ui::Element select = Select();
    return select ? select.FindFirst(":root > caption") : ui::Element();
}

void PropertyHandler_FloatList::ApplyFilter() {
    if (ui::Element caption = Caption())
        caption.SetAttribute("filter", std::wstring(positiveOnly ? L".0~9" : L".-0~9"));
}

void PropertyHandler_FloatList::CaretToStart() {
    if (ui::Element caption = Caption())
        caption.CallMethod("setSelection", {ui::Value::Int(0), ui::Value::Int(0)});
}

void PropertyHandler_FloatList::SelectAll() {
    if (ui::Element caption = Caption())
        caption.CallMethod("doSelectAll");
}

void PropertyHandler_FloatList::OnAttached() {
    ui::Element select = Select();
    if (select)
        positiveOnly = select.GetAttribute("positive-only").has_value();
    ApplyFilter();
    CaretToStart();
    if (Caption()) {
        CaretToStart();
        caretResetPending = true;
    }
    if (select && select.GetAttribute("update-on-attach"))
        updateOnAttachPending = true;
    PropertyHandler_Base::OnAttached();
}

// One step per call, so that each runs after the engine has settled what the previous one started.
bool PropertyHandler_FloatList::OnIdle() {
    if (updateOnAttachPending) {
        updateOnAttachPending = false;
        OnPropChange();
        return true;
    }
    if (caretResetPending) {
        caretResetPending = false;
        CaretToStart();
        return true;
    }
    if (!caretColorRestorePending) {
        if (selectAllPending) {
            selectAllPending = false;
            focusAndSelectPending = false;
            SelectAll();
            return true;
        }
        if (focusAndSelectPending) {
            focusAndSelectPending = false;
            if (ui::Element caption = Caption()) {
                caption.SetState(kStateFocus);
                caption.CallMethod("doSelectAll");
            }
            return true;
        }
    }
    if (caretColorRestorePending) {
        caretColorRestorePending = false;
        if (ui::Element caption = Caption())
            caption.SetStyleAttribute(kCaptionCaretStyle, L"black");
        return true;
    }
    return false;
}

SOResult PropertyHandler_FloatList::HandleFocus(HELEMENT, HtmlFocusParams* params) {
    if (params == nullptr)
        return so::kInvalidArgument;
    ui::Element caption = Caption();
    if (!caption || params->target != caption.Handle())
        return so::kNothingProvided;
    switch (params->cmd) {
    case kFocusGot:
        SelectAll();
        selectAllPending = true;
        break;
    case kFocusLost:
        caretResetPending = true;
        break;
    case kFocusRequest:
    case kFocusAdvanceRequest:
        if (params->cause == kByPopup) {
            SelectAll();
            selectAllPending = true;
        }
        break;
    default:
        break;
    }
    return so::kNothingProvided;
}

void PropertyHandler_FloatList::OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event) {
    ui::Element target = editor::EventElement(event.heTarget);
    if (!target)
        return;
    switch (event.cmd) {
    case kPopupRequest:
        // The caret is hidden while the list is open.
        if (target.Test("select[type=dropdown][editable]>popup")) {
            if (ui::Element caption = Caption())
                caption.SetStyleAttribute(kCaptionCaretStyle, L"transparent");
            caretColorRestorePending = false;
        }
        break;
    case kPopupReady:
        if (target.Test("select[type=dropdown][editable]>popup"))
            selectAllPending = true;
        break;
    case kPopupDismissed:
        if (target.Test("select[type=dropdown][editable]>popup")) {
            caretColorRestorePending = true;
            caretResetPending = true;
        }
        break;
    case kEditValueChanged:
    case kSelectStateChanged: {
        ui::Element select = Select();
        if (!select || target != select)
            break;
        const bool chosen = event.cmd == kSelectStateChanged;
        // A chosen option counts by its value: its text may be a word ("Default").
        const std::wstring text = chosen ? select.GetValue().AsString() : select.Text();
        std::optional<float> value = text.empty() ? std::nullopt : numeric::ParseFloatPrefix(text);
        if (value)
            Commit(*value);
        if (chosen) {
            focusAndSelectPending = true;
            if (value && ShowsAsDefault(zeroIsDefault, *value)) {
                PostWeak([](PropertyHandler_FloatList& alive) {
                    if (ui::Element caption = alive.Caption())
                        caption.SetText(DefaultSizeText());
                });
            }
        }
        *handled = 1;
        break;
    }
    default:
        break;
    }
}

void PropertyHandler_FloatList::Commit(float value) {
    if (std::isnan(value) || readOnly)
        return;
    if (positiveOnly && value < 0)
        value = -value;
    // "-0" is the 0 a user meant, not a new entry (adding +0 turns -0 into +0).
    value += 0.0f;
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    Committing([&] {
        const auto record = ReadFloatList(property.Get());
        const bool selected = record->selected < record->values.size();
        // With nothing selected (a mixed selection) every choice is a change.
        const float current = selected ? record->values[record->selected] : std::nanf("");
        if (!std::isnan(current) && std::fabs(current - value) <= kFloatTolerance)
            return;
        // The host's record stays as it was: the write hands it a changed copy.
        auto changed = std::make_shared<host::FloatListData>(*record);
        if (std::optional<std::size_t> index = numeric::LastIndexOf(changed->values, value)) {
            changed->selected = *index;
        } else {
            changed->values.push_back(value);
            changed->selected = changed->values.size() - 1;
        }
        WriteRecord(property.Get(), changed);
    });
}

void PropertyHandler_FloatList::OnPropChange() {
    so::Ref property = propertyRef.Lock();
    if (!property)
        return;
    const auto record = ReadFloatList(property.Get());
    ui::Element select = Select();
    if (!select)
        return;
    if (record->selected == host::kNoListIndex) {
        select.SetText(kEnDash);
    } else {
        const float value =
            record->selected < record->values.size() ? record->values[record->selected] : 0.0f;
        select.SetValue(ui::Value::String(FloatText(value, record->precision)));
    }
    FireEvent(PROP_VIEW_REFRESHED);
}

} // namespace panel
