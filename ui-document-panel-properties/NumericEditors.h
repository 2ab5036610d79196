// The numeric editor kinds: integers (in a popup box, a popup slider, or a slider and a box always
// shown) and 32-bit floats (in a popup text box, an always-shown decimal box, or an editable list
// of presets such as font sizes).
#pragma once

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace panel {

// The texts and rules the numeric kinds share; free of the engine, so that they can be tested alone.
namespace numeric {

// Decimal digits; the en dash for the "no value" integer.
std::wstring IntegerText(std::int32_t value);
// "%.*f" without the locale's help ("." as the point, no grouping); the en dash for NaN.
std::wstring FloatText(float value, int decimals);
// What a user typed, read as the C library's string-to-float reads it: leading white space
// skipped, the longest leading number taken, the rest ignored. None for a text without a leading
// number, and for one that is out of range or not a finite number, so that it is never written.
std::optional<float> ParseFloatPrefix(std::wstring_view text);

// Above max gives max; else below min gives min.
template <class T>
T Clamp(T value, T min, T max) {
    if (value > max)
        return max;
    if (value < min)
        return min;
    return value;
}

// The measurement unit shown after the value of a property of that name: `unit` (translated in
// "measurement unit short") when the name is `unitName`, whatever its case; otherwise empty.
std::wstring UnitText(const std::wstring& name, std::wstring_view unitName, std::wstring_view unit);

// The index of the last entry of `values` equal to `value`; none when no entry is.
std::optional<std::size_t> LastIndexOf(const std::vector<float>& values, float value);

} // namespace numeric

// An integer shown as text and edited in a popup number box; the host's limits clamp a commit.
class PropertyHandler_Number : public PropertyHandler_Base<PropertyHandler_Number> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B02;
    static constexpr EditorHooks kHooks{.OnPropChange = true,
                                        .ShowEditPopup = true,
                                        .OnPopupDismissing = true,
                                        .OnPropEditFinished = true,
                                        .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-number";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void ShowEditPopup();
    void OnPopupDismissing(const ui::Element& popup);
    void OnPropEditFinished(const ui::Element& popup);

    std::wstring unitText;
};

// An integer edited in a popup slider.
class PropertyHandler_NumberSlider : public PropertyHandler_Base<PropertyHandler_NumberSlider> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B03;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-number-slider";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void ShowEditPopup();
    void OnPropEditFinished(const ui::Element& popup);

private:
    // What the slider showed when the popup opened: closing it untouched writes nothing, also when
    // the slider could not show the stored value (none, or outside its range).
    std::optional<std::int32_t> openedValue;
};

// An integer with a slider and a number box always shown; each commits as the user changes it.
class PropertyHandler_NumberInline : public PropertyHandler_Base<PropertyHandler_NumberInline> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B04;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);

    // The control whose change is being committed; the other one follows it.
    HELEMENT changeSource = nullptr;

private:
    void CommitFrom(const ui::Element& control);
    void ShowValue(std::int32_t value, HELEMENT except);
};

// A float shown with two decimals and edited as text in a popup.
class PropertyHandler_Float : public PropertyHandler_Base<PropertyHandler_Float> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B05;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .kEditInputSelector = true};
    static constexpr const char* kEditInputSelector = ".edit-input-float";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void ShowEditPopup();
    void OnPropEditFinished(const ui::Element& popup);

    std::wstring unitText;
};

// A float in an always-shown decimal box; commits as the user changes it.
class PropertyHandler_FloatInline : public PropertyHandler_Base<PropertyHandler_FloatInline> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B06;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);

    std::wstring unitText;

private:
    void CommitFrom(const ui::Element& input);
};

// A float chosen from presets or typed into the caption of an editable drop-down; a typed value
// not among the presets joins them. The caption's caret and selection are tidied at idle time,
// one step per idle call, after the engine has finished with the list.
class PropertyHandler_FloatList : public PropertyHandler_Base<PropertyHandler_FloatList> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B07;
    static constexpr bool kHasIdle = true;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnPropChange();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnAttached();
    SOResult HandleFocus(HELEMENT element, HtmlFocusParams* params);
    bool OnIdle();

    bool zeroIsDefault = false;
    bool positiveOnly = false;

private:
    ui::Element Select();
    ui::Element Caption();
    void Commit(float value);
    void ApplyFilter();
    void CaretToStart();
    void SelectAll();

    std::wstring propertyId;
    // Pending caption steps, worked off in this order.
    bool updateOnAttachPending = false;
    bool caretResetPending = false;
    bool selectAllPending = false;
    bool focusAndSelectPending = false;
    bool caretColorRestorePending = false;
};

} // namespace panel
