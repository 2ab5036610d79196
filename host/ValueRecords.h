// The value records through which a BLProperty hands out and takes back its value, one record type
// per value kind, and the property type codes that choose the kind.
//
// Records hold standard-library types (strings, vectors, shared pointers): the two sides of the
// interface must be built with the same C++ standard library, as the module and the headless host
// are. A record is read and written whole; the same record type serves both directions.
//
// No-value markers (a mixed multi-selection, or a value the host does not have): the integer
// kNoIntegerValue, a float NaN and the list index kNoListIndex.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace host {

constexpr std::int32_t kNoIntegerValue = std::numeric_limits<std::int32_t>::min();
constexpr float kNoFloatValue = std::numeric_limits<float>::quiet_NaN();
constexpr std::uint64_t kNoListIndex = ~std::uint64_t(0);

// Type codes of BLProperty::GetType. Codes missing here (0, 19, 21, 29 to 32, above 34) belong to
// host properties that no editor of the panel handles.
enum class PropertyType : std::uint32_t {
    Action = 1,
    Bool = 2,
    RadioGroup = 3,
    Float = 4,
    FloatInline = 5,
    FloatList = 6,
    Number = 7,
    NumberSlider = 8,
    NumberInline = 9,
    Color = 10,
    DateTime = 11,
    String = 12,
    Label = 13,
    StringMultiline = 14,
    EditStringList = 15,
    StringList = 16,
    StringPairListDialog = 17,
    FontStyleList = 18,
    FontDropDown = 20,
    CheckRadioCaption = 22,
    BorderStyleDropDown = 23,
    LineBorderStyleDropDown = 24,
    LineWidthDropDown = 25,
    LineArrowStartDropDown = 26,
    LineArrowEndDropDown = 27,
    BulletsStyle = 28,
    PDActionDialog = 33,
    JavaScriptActionDialog = 34,
};

// The record type a property reads and writes; passed with every record so that the receiver can
// refuse a record of the wrong type instead of misreading it.
enum class ValueKind : std::uint32_t {
    None = 0,                 // the property has no readable value
    ActionButton = 1,         // ActionButtonData
    Bool = 2,                 // bool
    Float = 3,                // float
    FloatInline = 4,          // FloatInlineValue
    FloatList = 5,            // std::shared_ptr<FloatListData>
    Number = 6,               // NumberValue
    Color = 7,                // ColorValue
    DateTime = 8,             // DateTimeValue
    String = 9,               // std::wstring
    MultilineString = 10,     // std::shared_ptr<std::wstring>; null = no value
    StringList = 11,          // std::shared_ptr<PropStringListData>
    StringPairList = 12,      // PropStringPairListData
    FontStyleList = 13,       // std::shared_ptr<PropFontStyleListData>
    FontList = 14,            // std::shared_ptr<PropFontListData>
    CheckRadioCaption = 15,   // std::shared_ptr<CheckRadioCaptionData>
    BorderStyleList = 16,     // std::shared_ptr<BorderStyleDropDownData>
    LineBorderStyleList = 17, // std::shared_ptr<LineBorderStyleDropDownData>
    LineWidthList = 18,       // std::shared_ptr<LineWidthDropDownData>
    LineArrowStartList = 19,  // std::shared_ptr<LineArrowStartDropDownData>
    LineArrowEndList = 20,    // std::shared_ptr<LineArrowEndDropDownData>
    BulletsList = 21,         // std::shared_ptr<ParagraphBulletsStyleData>
    PDAction = 22,            // PDActionDialogPropData
    JavaScriptAction = 23,    // JavaScriptActionDialogPropData
};

// Number, NumberSlider, NumberInline. The host owns the limits: a record written back is judged by
// the property's own limits, not by those it carries.
struct NumberValue {
    std::int32_t value = kNoIntegerValue;
    std::int32_t min = -32768;
    std::int32_t max = 32767;
    std::int32_t step = 1;
    friend bool operator==(const NumberValue&, const NumberValue&) = default;
};

// FloatInline; the value is NaN for no value. The initial value is the editor's "not read yet".
struct FloatInlineValue {
    float value = -2147483648.0f;
    float min = -32768.0f;
    float max = 32767.0f;
    float step = 0.1f;
};

// FloatList: preset values with the current one selected; the editor appends a typed value that is
// not among the presets.
struct FloatListData {
    std::vector<float> values;
    std::uint64_t selected = kNoListIndex;
    std::int32_t precision = 0; // decimals shown
    bool positiveOnly = false;
    bool zeroIsDefault = false;
};

// Color: `color` holds 0xRRGGBB in its low 24 bits; a whole word of 0 means no colour.
struct ColorValue {
    std::uint8_t flags = 0; // the host's; a writer keeps what it read
    std::uint32_t color = 0;
    friend bool operator==(const ColorValue&, const ColorValue&) = default;
};

// DateTime: the C library's broken-down time layout, without the platform's extra fields; compared
// bytewise.
struct DateTimeValue {
    std::int32_t seconds = 0;
    std::int32_t minutes = 0;
    std::int32_t hours = 0;
    std::int32_t dayOfMonth = 1; // 1-31
    std::int32_t month = 0;      // 0-11
    std::int32_t yearsSince1900 = 0;
    std::int32_t dayOfWeek = 0;
    std::int32_t dayOfYear = 0;
    std::int32_t daylightSaving = 0;
    friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};
static_assert(sizeof(DateTimeValue) == 36);

// The list data record shared by the list editors, the radio group and the editable string list.
struct PropListData {
    std::vector<std::wstring> items;
    std::uint64_t selected = kNoListIndex;
    std::vector<std::uint8_t> disabled; // non-zero = disabled; may be shorter than items
};

struct PropStringListData : PropListData {};
struct BorderStyleDropDownData : PropListData {};
struct PropFontStyleListData : PropListData {};
struct LineBorderStyleDropDownData : PropListData {};
struct LineArrowStartDropDownData : PropListData {};
struct LineArrowEndDropDownData : PropListData {};
struct ParagraphBulletsStyleData : PropListData {};
struct LineWidthDropDownData : PropListData {
    float lineWidth = 0.0f; // the width the custom entry stands for
};

// One font of the font drop-down.
struct PropFontEntry {
    static constexpr std::uint32_t kSystemFont = 0;
    static constexpr std::uint32_t kStandardFont = 1;
    static constexpr std::uint32_t kDocumentFont = 2;
    static constexpr std::uint32_t kFormatTrueType = 530;
    static constexpr std::uint32_t kFormatType1 = 539;
    static constexpr std::uint32_t kFormatType3 = 541;

    std::uint32_t kind = kSystemFont;
    std::int32_t family = 0;
    std::uint32_t format = kFormatTrueType;
    std::wstring familyName;
    std::uint32_t style = 0;
    friend bool operator==(const PropFontEntry&, const PropFontEntry&) = default;
};

struct PropFontListData {
    std::vector<PropFontEntry> fonts;
    std::uint64_t selected = kNoListIndex;
};

// CheckRadioCaption: the glyph drawn as the caption of a check box or radio button field.
struct CheckRadioCaptionData {
    std::uint8_t styleFlag = 0; // set for radio buttons: the default caption differs
    std::wstring caption;
};

// Action: a button that runs a named UI action of the host with parameters.
struct ActionButtonData {
    std::wstring action;
    std::wstring description; // not shown by the panel
    std::map<std::wstring, std::wstring> parameters;
};

struct PropStringPairListData {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
};

// A handle of a PDF action of the PDF core library. Handles in records are borrowed for the call
// that hands them over: a side that keeps one acquires its own reference (PDHandleAcquire).
using PdfActionHandle = void*;

struct PDActionDialogPropData {
    PdfActionHandle action = nullptr; // null: no action
};

struct JavaScriptActionDialogPropData {
    static constexpr std::uint32_t kScriptEditor = 0;
    static constexpr std::uint32_t kFieldSelection = 1;
    static constexpr std::uint32_t kSimplifiedNotation = 2;

    PdfActionHandle action = nullptr;
    std::uint32_t dialogKind = kScriptEditor;
    std::wstring text;
    bool textSet = false;
};

// The record type of a value kind, and the kind of a record type.
template <ValueKind Kind>
struct ValueRecordOf;
template <class Record>
struct ValueKindOf;

#define HOST_VALUE_RECORD(kindName, ...)                                                                     \
    template <>                                                                                              \
    struct ValueRecordOf<ValueKind::kindName> {                                                              \
        using Type = __VA_ARGS__;                                                                            \
    };                                                                                                       \
    template <>                                                                                              \
    struct ValueKindOf<__VA_ARGS__> {                                                                        \
        static constexpr ValueKind kKind = ValueKind::kindName;                                              \
    };
HOST_VALUE_RECORD(ActionButton, ActionButtonData)
HOST_VALUE_RECORD(Bool, bool)
HOST_VALUE_RECORD(Float, float)
HOST_VALUE_RECORD(FloatInline, FloatInlineValue)
HOST_VALUE_RECORD(FloatList, std::shared_ptr<FloatListData>)
HOST_VALUE_RECORD(Number, NumberValue)
HOST_VALUE_RECORD(Color, ColorValue)
HOST_VALUE_RECORD(DateTime, DateTimeValue)
HOST_VALUE_RECORD(String, std::wstring)
HOST_VALUE_RECORD(MultilineString, std::shared_ptr<std::wstring>)
HOST_VALUE_RECORD(StringList, std::shared_ptr<PropStringListData>)
HOST_VALUE_RECORD(StringPairList, PropStringPairListData)
HOST_VALUE_RECORD(FontStyleList, std::shared_ptr<PropFontStyleListData>)
HOST_VALUE_RECORD(FontList, std::shared_ptr<PropFontListData>)
HOST_VALUE_RECORD(CheckRadioCaption, std::shared_ptr<CheckRadioCaptionData>)
HOST_VALUE_RECORD(BorderStyleList, std::shared_ptr<BorderStyleDropDownData>)
HOST_VALUE_RECORD(LineBorderStyleList, std::shared_ptr<LineBorderStyleDropDownData>)
HOST_VALUE_RECORD(LineWidthList, std::shared_ptr<LineWidthDropDownData>)
HOST_VALUE_RECORD(LineArrowStartList, std::shared_ptr<LineArrowStartDropDownData>)
HOST_VALUE_RECORD(LineArrowEndList, std::shared_ptr<LineArrowEndDropDownData>)
HOST_VALUE_RECORD(BulletsList, std::shared_ptr<ParagraphBulletsStyleData>)
HOST_VALUE_RECORD(PDAction, PDActionDialogPropData)
HOST_VALUE_RECORD(JavaScriptAction, JavaScriptActionDialogPropData)
#undef HOST_VALUE_RECORD

// The `valueKind` argument that goes with a record of type Record.
template <class Record>
inline constexpr std::uint32_t kValueKindOf = static_cast<std::uint32_t>(ValueKindOf<Record>::kKind);

// The value kind of a type code; None for codes no editor handles.
constexpr ValueKind ValueKindForType(std::uint32_t typeCode) {
    switch (static_cast<PropertyType>(typeCode)) {
    case PropertyType::Action:
        return ValueKind::ActionButton;
    case PropertyType::Bool:
        return ValueKind::Bool;
    case PropertyType::RadioGroup:
    case PropertyType::EditStringList:
    case PropertyType::StringList:
        return ValueKind::StringList;
    case PropertyType::Float:
        return ValueKind::Float;
    case PropertyType::FloatInline:
        return ValueKind::FloatInline;
    case PropertyType::FloatList:
        return ValueKind::FloatList;
    case PropertyType::Number:
    case PropertyType::NumberSlider:
    case PropertyType::NumberInline:
        return ValueKind::Number;
    case PropertyType::Color:
        return ValueKind::Color;
    case PropertyType::DateTime:
        return ValueKind::DateTime;
    case PropertyType::String:
    case PropertyType::Label:
        return ValueKind::String;
    case PropertyType::StringMultiline:
        return ValueKind::MultilineString;
    case PropertyType::StringPairListDialog:
        return ValueKind::StringPairList;
    case PropertyType::FontStyleList:
        return ValueKind::FontStyleList;
    case PropertyType::FontDropDown:
        return ValueKind::FontList;
    case PropertyType::CheckRadioCaption:
        return ValueKind::CheckRadioCaption;
    case PropertyType::BorderStyleDropDown:
        return ValueKind::BorderStyleList;
    case PropertyType::LineBorderStyleDropDown:
        return ValueKind::LineBorderStyleList;
    case PropertyType::LineWidthDropDown:
        return ValueKind::LineWidthList;
    case PropertyType::LineArrowStartDropDown:
        return ValueKind::LineArrowStartList;
    case PropertyType::LineArrowEndDropDown:
        return ValueKind::LineArrowEndList;
    case PropertyType::BulletsStyle:
        return ValueKind::BulletsList;
    case PropertyType::PDActionDialog:
        return ValueKind::PDAction;
    case PropertyType::JavaScriptActionDialog:
        return ValueKind::JavaScriptAction;
    }
    return ValueKind::None;
}

} // namespace host
