// The editor kinds whose values are chosen rather than typed: a check box, a row of radio buttons,
// the caption glyph of a check box or radio button field, a date and time, and a colour.
#pragma once

#include "host/ValueRecords.h"
#include "ui-document-panel-properties/PropertyHandler_Base.h"

#include <boost/date_time/posix_time/ptime.hpp>

namespace panel {

// A check box; a click writes at once.
class PropertyHandler_Bool : public PropertyHandler_Base<PropertyHandler_Bool> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B14;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropChange();
};

// One radio button per list entry; choosing one writes its index.
class PropertyHandler_RadioGroup : public PropertyHandler_Base<PropertyHandler_RadioGroup> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B15;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropChange();
};

// A drop-down of symbol glyphs; a stored glyph that is none of them joins the list.
class PropertyHandler_CheckRadioCaption : public PropertyHandler_Base<PropertyHandler_CheckRadioCaption> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B16;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void OnAttached();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropChange();

private:
    // Selects the stored caption in the drop-down; false when there is no drop-down.
    bool ShowCaption(ServiceObject* property);
};

// A date and time, shown relative to now when recent; edited in a popup with a date and a time
// input.
class PropertyHandler_DateTime : public PropertyHandler_Base<PropertyHandler_DateTime> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B17;
    static constexpr EditorHooks kHooks{
        .OnPropChange = true, .ShowEditPopup = true, .OnPropEditFinished = true, .kEditInputSelector = true};
    // Enter in either input takes what the two hold, as it does in the other kinds' popups.
    static constexpr const char* kEditInputSelector = ".edit-input-date, .edit-input-time";
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnPropEditFinished(const ui::Element& popup);
    void OnPropChange();
};

// A colour swatch, edited through the host's colour table.
class PropertyHandler_Color : public PropertyHandler_Base<PropertyHandler_Color> {
public:
    static constexpr std::uint32_t kClassTag = 0xB7F86B18;
    static constexpr EditorHooks kHooks{.OnPropChange = true, .ShowEditPopup = true, .OnEvent = true};
    using PropertyHandler_Base::PropertyHandler_Base;

    std::wstring BuildHtmlCode(ServiceObject* property);
    void ShowEditPopup();
    void OnEvent(std::uint8_t* handled, HtmlBehaviorEventParams& event);
    void OnPropChange();
};

// The texts and rules of the date-time kind that need no page.
namespace datetime {

// The record as a date and time; raises std::out_of_range naming the field that is outside the
// calendar (years 1400 to 9999).
boost::posix_time::ptime ToTime(const host::DateTimeValue& record);
// The record of a date and time, with its day of the week and of the year.
host::DateTimeValue ToRecord(const boost::posix_time::ptime& time);
// "3 hours ago" and the like when `value` is within a day of `now`, else the value in the
// translated date-time pattern.
std::wstring DisplayText(const boost::posix_time::ptime& value, const boost::posix_time::ptime& now);
// The local time as the platform tells it.
boost::posix_time::ptime Now();
// The engine's date values: 100-ns ticks since 1601-01-01.
std::int64_t TicksOf(const boost::posix_time::ptime& time);
boost::posix_time::ptime TimeOfTicks(std::int64_t ticks);

} // namespace datetime

// The colour kind's texts.
namespace color {

// The host's colour table is told the current colour with kTableSetCurrent (data: the colour text,
// reason 1: "no colour" may be offered) and reports the chosen one with kTableChosen.
constexpr std::uint32_t kTableChosen = 0x401;
constexpr std::uint32_t kTableSetCurrent = 0x402;

// "#RRGGBB" of the low 24 bits.
std::wstring CssText(std::uint32_t color);
// The colour word of a chosen text: "#" and six hex digits give the colour with its alpha byte
// set, "no colour" texts give 0; nothing for a text that is neither, which is refused.
std::optional<std::uint32_t> ParseChoice(const std::wstring& text);
// Whether the colour table may offer "no colour" for the property element `id` / its
// no_color_available attribute.
bool NoColorOffered(const std::wstring& id, const std::wstring& noColorAvailable);

} // namespace color

} // namespace panel
