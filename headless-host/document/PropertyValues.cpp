#include "headless-host/document/PropertyValues.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace headless {

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Not every compiler this builds with deduces aggregate templates by itself.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

[[noreturn]] void Refuse(const PropertyModel& property, const std::string& why) {
    throw so::ServiceObjectException(
        so::kInvalidArgument,
        (boost::format("The property \"%1%\" refuses the value: %2%") % so::Utf8FromWide(property.name) % why)
            .str());
}

template <class Record>
const Record& RecordAt(const void* record) {
    return *static_cast<const Record*>(record);
}

// The object behind a shared-pointer record; a null one is refused.
template <class Data>
const Data& SharedAt(const PropertyModel& property, const void* record) {
    const auto& pointer = RecordAt<std::shared_ptr<Data>>(record);
    if (!pointer)
        Refuse(property, "the record holds no data");
    return *pointer;
}

bool SameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

bool Same(std::monostate, std::monostate) {
    return true;
}
bool Same(const host::ActionButtonData& a, const host::ActionButtonData& b) {
    return a.action == b.action && a.description == b.description && a.parameters == b.parameters;
}
bool Same(bool a, bool b) {
    return a == b;
}
bool Same(float a, float b) {
    return SameFloat(a, b);
}
bool Same(const host::FloatInlineValue& a, const host::FloatInlineValue& b) {
    return SameFloat(a.value, b.value) && SameFloat(a.min, b.min) && SameFloat(a.max, b.max) &&
           SameFloat(a.step, b.step);
}
bool Same(const host::FloatListData& a, const host::FloatListData& b) {
    return std::equal(a.values.begin(), a.values.end(), b.values.begin(), b.values.end(), SameFloat) &&
           a.selected == b.selected && a.precision == b.precision && a.positiveOnly == b.positiveOnly &&
           a.zeroIsDefault == b.zeroIsDefault;
}
bool Same(const host::NumberValue& a, const host::NumberValue& b) {
    return a == b;
}
bool Same(const host::ColorValue& a, const host::ColorValue& b) {
    return a == b;
}
bool Same(const host::DateTimeValue& a, const host::DateTimeValue& b) {
    return a == b;
}
bool Same(const std::wstring& a, const std::wstring& b) {
    return a == b;
}
bool Same(const std::optional<std::wstring>& a, const std::optional<std::wstring>& b) {
    return a == b;
}
bool Same(const host::PropListData& a, const host::PropListData& b) {
    return a.items == b.items && a.selected == b.selected && a.disabled == b.disabled;
}
bool Same(const host::LineWidthDropDownData& a, const host::LineWidthDropDownData& b) {
    return Same(static_cast<const host::PropListData&>(a), static_cast<const host::PropListData&>(b)) &&
           SameFloat(a.lineWidth, b.lineWidth);
}
bool Same(const host::PropStringPairListData& a, const host::PropStringPairListData& b) {
    return a.pairs == b.pairs;
}
bool Same(const host::PropFontListData& a, const host::PropFontListData& b) {
    return a.fonts == b.fonts && a.selected == b.selected;
}
bool Same(const host::CheckRadioCaptionData& a, const host::CheckRadioCaptionData& b) {
    return a.styleFlag == b.styleFlag && a.caption == b.caption;
}
bool Same(const host::PDActionDialogPropData& a, const host::PDActionDialogPropData& b) {
    return a.action == b.action;
}
bool Same(const host::JavaScriptActionDialogPropData& a, const host::JavaScriptActionDialogPropData& b) {
    return a.action == b.action && a.dialogKind == b.dialogKind && a.text == b.text && a.textSet == b.textSet;
}

// Keeps the host's items and flags; takes the chosen entry, which must be an enabled item.
template <class Data>
StoredValue ChooseListEntry(const PropertyModel& property, const StoredValue& current, const void* record) {
    Data chosen = std::get<Data>(current);
    std::uint64_t index = SharedAt<Data>(property, record).selected;
    if (index == host::kNoListIndex)
        Refuse(property, "no entry is chosen");
    if (index >= chosen.items.size())
        Refuse(property,
               (boost::format("entry %1% does not exist (the list has %2%)") % index % chosen.items.size())
                   .str());
    if (index < chosen.disabled.size() && chosen.disabled[index] != 0)
        Refuse(property, (boost::format("entry %1% (\"%2%\") is disabled") % index %
                          so::Utf8FromWide(chosen.items[index]))
                             .str());
    chosen.selected = index;
    return chosen;
}

// The shortest decimal that reads back as the float, so that 1.1f is written 1.1.
double ShortestDouble(float value) {
    char text[32];
    auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

nlohmann::json FloatJson(float value) {
    return std::isnan(value) ? nlohmann::json() : nlohmann::json(ShortestDouble(value));
}

std::string Utf8(const std::wstring& text) {
    return so::Utf8FromWide(text);
}

nlohmann::json ListEntryJson(const host::PropListData& list) {
    if (list.selected >= list.items.size())
        return nullptr;
    return Utf8(list.items[list.selected]);
}

} // namespace

void WriteRecord(const StoredValue& value, void* record) {
    std::visit(
        Overloaded{
            [](std::monostate) {},
            [record](const host::ActionButtonData& v) { *static_cast<host::ActionButtonData*>(record) = v; },
            [record](bool v) { *static_cast<bool*>(record) = v; },
            [record](float v) { *static_cast<float*>(record) = v; },
            [record](const host::FloatInlineValue& v) { *static_cast<host::FloatInlineValue*>(record) = v; },
            [record](const host::NumberValue& v) { *static_cast<host::NumberValue*>(record) = v; },
            [record](const host::ColorValue& v) { *static_cast<host::ColorValue*>(record) = v; },
            [record](const host::DateTimeValue& v) { *static_cast<host::DateTimeValue*>(record) = v; },
            [record](const std::wstring& v) { *static_cast<std::wstring*>(record) = v; },
            [record](const std::optional<std::wstring>& v) {
                *static_cast<std::shared_ptr<std::wstring>*>(record) =
                    v ? std::make_shared<std::wstring>(*v) : nullptr;
            },
            [record](const host::PropStringPairListData& v) {
                *static_cast<host::PropStringPairListData*>(record) = v;
            },
            [record](const host::PDActionDialogPropData& v) {
                *static_cast<host::PDActionDialogPropData*>(record) = v;
            },
            [record](const host::JavaScriptActionDialogPropData& v) {
                *static_cast<host::JavaScriptActionDialogPropData*>(record) = v;
            },
            // Every other kind travels as a fresh shared copy: the reader may change its
            // record without touching the host's value.
            [record](const auto& v) {
                using Data = std::decay_t<decltype(v)>;
                *static_cast<std::shared_ptr<Data>*>(record) = std::make_shared<Data>(v);
            }},
        value);
}

StoredValue ValueFromRecord(host::ValueKind kind, const void* record) {
    if (record == nullptr)
        throw so::ServiceObjectException(so::kInvalidArgument, "The value record is null");
    auto shared = [record]<class Data>(std::type_identity<Data>) -> StoredValue {
        const auto& pointer = RecordAt<std::shared_ptr<Data>>(record);
        if (!pointer)
            throw so::ServiceObjectException(so::kInvalidArgument, "The value record holds no data");
        return *pointer;
    };
    switch (kind) {
    case host::ValueKind::None:
        return std::monostate{};
    case host::ValueKind::ActionButton:
        return RecordAt<host::ActionButtonData>(record);
    case host::ValueKind::Bool:
        return RecordAt<bool>(record);
    case host::ValueKind::Float:
        return RecordAt<float>(record);
    case host::ValueKind::FloatInline:
        return RecordAt<host::FloatInlineValue>(record);
    case host::ValueKind::FloatList:
        return shared(std::type_identity<host::FloatListData>{});
    case host::ValueKind::Number:
        return RecordAt<host::NumberValue>(record);
    case host::ValueKind::Color:
        return RecordAt<host::ColorValue>(record);
    case host::ValueKind::DateTime:
        return RecordAt<host::DateTimeValue>(record);
    case host::ValueKind::String:
        return RecordAt<std::wstring>(record);
    case host::ValueKind::MultilineString: {
        const auto& text = RecordAt<std::shared_ptr<std::wstring>>(record);
        return text ? std::optional<std::wstring>(*text) : std::nullopt;
    }
    case host::ValueKind::StringList:
        return shared(std::type_identity<host::PropStringListData>{});
    case host::ValueKind::StringPairList:
        return RecordAt<host::PropStringPairListData>(record);
    case host::ValueKind::FontStyleList:
        return shared(std::type_identity<host::PropFontStyleListData>{});
    case host::ValueKind::FontList:
        return shared(std::type_identity<host::PropFontListData>{});
    case host::ValueKind::CheckRadioCaption:
        return shared(std::type_identity<host::CheckRadioCaptionData>{});
    case host::ValueKind::BorderStyleList:
        return shared(std::type_identity<host::BorderStyleDropDownData>{});
    case host::ValueKind::LineBorderStyleList:
        return shared(std::type_identity<host::LineBorderStyleDropDownData>{});
    case host::ValueKind::LineWidthList:
        return shared(std::type_identity<host::LineWidthDropDownData>{});
    case host::ValueKind::LineArrowStartList:
        return shared(std::type_identity<host::LineArrowStartDropDownData>{});
    case host::ValueKind::LineArrowEndList:
        return shared(std::type_identity<host::LineArrowEndDropDownData>{});
    case host::ValueKind::BulletsList:
        return shared(std::type_identity<host::ParagraphBulletsStyleData>{});
    case host::ValueKind::PDAction:
        return RecordAt<host::PDActionDialogPropData>(record);
    case host::ValueKind::JavaScriptAction:
        return RecordAt<host::JavaScriptActionDialogPropData>(record);
    }
    throw so::ServiceObjectException(so::kInvalidArgument, "Unknown value kind");
}

StoredValue ApplyRecord(const PropertyModel& property, const StoredValue& current, const void* record) {
    if (record == nullptr)
        Refuse(property, "the record is null");
    switch (property.kind) {
    case host::ValueKind::None:
        Refuse(property, "it has no value that could be written");
    case host::ValueKind::ActionButton:
        return RecordAt<host::ActionButtonData>(record);
    case host::ValueKind::Bool:
        return RecordAt<bool>(record);
    case host::ValueKind::Float: {
        float value = RecordAt<float>(record);
        if (!std::isfinite(value))
            Refuse(property, "it is not a finite number");
        return value;
    }
    case host::ValueKind::FloatInline: {
        host::FloatInlineValue next = std::get<host::FloatInlineValue>(current);
        float value = RecordAt<host::FloatInlineValue>(record).value;
        if (!std::isfinite(value))
            Refuse(property, "it is not a finite number");
        if (value < next.min || value > next.max)
            Refuse(property,
                   (boost::format("%1% is outside the limits %2%..%3%") % value % next.min % next.max).str());
        next.value = value;
        return next;
    }
    case host::ValueKind::FloatList: {
        host::FloatListData next = std::get<host::FloatListData>(current);
        const auto& written = SharedAt<host::FloatListData>(property, record);
        if (written.selected >= written.values.size())
            Refuse(property, "no preset value is chosen");
        float value = written.values[written.selected];
        if (!std::isfinite(value))
            Refuse(property, "it is not a finite number");
        if (next.positiveOnly && value < 0)
            Refuse(property, (boost::format("%1% is negative") % value).str());
        // The host keeps its own presets: a value not among them is added, as the editor does.
        auto found = std::find(next.values.rbegin(), next.values.rend(), value);
        if (found != next.values.rend()) {
            next.selected = std::uint64_t(next.values.rend() - found - 1);
        } else {
            next.values.push_back(value);
            next.selected = next.values.size() - 1;
        }
        return next;
    }
    case host::ValueKind::Number: {
        host::NumberValue next = std::get<host::NumberValue>(current);
        std::int32_t value = RecordAt<host::NumberValue>(record).value;
        if (value == host::kNoIntegerValue)
            Refuse(property, "the record holds no value");
        if (value < next.min || value > next.max)
            Refuse(property,
                   (boost::format("%1% is outside the limits %2%..%3%") % value % next.min % next.max).str());
        next.value = value;
        return next;
    }
    case host::ValueKind::Color: {
        host::ColorValue next = std::get<host::ColorValue>(current);
        next.color = RecordAt<host::ColorValue>(record).color;
        if (next.color == 0 && !property.noColorAvailable)
            Refuse(property, "it does not accept \"no colour\"");
        return next;
    }
    case host::ValueKind::DateTime: {
        host::DateTimeValue value = RecordAt<host::DateTimeValue>(record);
        if (!NormalizeDateTime(value))
            Refuse(property, "it is not a real date and time (in the years -32767 to 32767)");
        return value;
    }
    case host::ValueKind::String:
        return RecordAt<std::wstring>(record);
    case host::ValueKind::MultilineString: {
        const auto& text = RecordAt<std::shared_ptr<std::wstring>>(record);
        return text ? std::optional<std::wstring>(*text) : std::nullopt;
    }
    case host::ValueKind::StringList: {
        if (property.typeCode != std::uint32_t(host::PropertyType::EditStringList))
            return ChooseListEntry<host::PropStringListData>(property, current, record);
        // The editable list: the items are the user's; the flags of removed items go.
        const auto& written = SharedAt<host::PropStringListData>(property, record);
        host::PropStringListData next;
        next.items = written.items;
        if (written.selected != host::kNoListIndex && written.selected >= written.items.size())
            Refuse(property, (boost::format("entry %1% does not exist (the list has %2%)") %
                              written.selected % written.items.size())
                                 .str());
        next.selected = written.selected;
        return next;
    }
    case host::ValueKind::StringPairList:
        return RecordAt<host::PropStringPairListData>(record);
    case host::ValueKind::FontStyleList:
        return ChooseListEntry<host::PropFontStyleListData>(property, current, record);
    case host::ValueKind::FontList: {
        host::PropFontListData next = std::get<host::PropFontListData>(current);
        std::uint64_t index = SharedAt<host::PropFontListData>(property, record).selected;
        if (index >= next.fonts.size())
            Refuse(property, (boost::format("font %1% does not exist (the list has %2%)") %
                              (index == host::kNoListIndex ? std::string("-1") : std::to_string(index)) %
                              next.fonts.size())
                                 .str());
        next.selected = index;
        return next;
    }
    case host::ValueKind::CheckRadioCaption: {
        host::CheckRadioCaptionData next = std::get<host::CheckRadioCaptionData>(current);
        next.caption = SharedAt<host::CheckRadioCaptionData>(property, record).caption;
        return next;
    }
    case host::ValueKind::BorderStyleList:
        return ChooseListEntry<host::BorderStyleDropDownData>(property, current, record);
    case host::ValueKind::LineBorderStyleList:
        return ChooseListEntry<host::LineBorderStyleDropDownData>(property, current, record);
    case host::ValueKind::LineWidthList:
        return ChooseListEntry<host::LineWidthDropDownData>(property, current, record);
    case host::ValueKind::LineArrowStartList:
        return ChooseListEntry<host::LineArrowStartDropDownData>(property, current, record);
    case host::ValueKind::LineArrowEndList:
        return ChooseListEntry<host::LineArrowEndDropDownData>(property, current, record);
    case host::ValueKind::BulletsList:
        return ChooseListEntry<host::ParagraphBulletsStyleData>(property, current, record);
    case host::ValueKind::PDAction:
        return RecordAt<host::PDActionDialogPropData>(record);
    case host::ValueKind::JavaScriptAction: {
        const auto& written = RecordAt<host::JavaScriptActionDialogPropData>(record);
        if (written.dialogKind > host::JavaScriptActionDialogPropData::kSimplifiedNotation)
            Refuse(property, (boost::format("dialog kind %1% does not exist") % written.dialogKind).str());
        return written;
    }
    }
    Refuse(property, "its value kind is unknown");
}

bool SameValue(const StoredValue& a, const StoredValue& b) {
    if (a.index() != b.index())
        return false;
    return std::visit(
        [&b](const auto& first) { return Same(first, std::get<std::decay_t<decltype(first)>>(b)); }, a);
}

StoredValue MergeValues(const std::vector<StoredValue>& values, bool& mixed) {
    mixed = false;
    if (values.empty())
        return std::monostate{};
    for (std::size_t i = 1; i < values.size(); ++i)
        mixed = mixed || !SameValue(values.front(), values[i]);
    if (!mixed)
        return values.front();
    return std::visit(
        Overloaded{
            [](std::monostate) -> StoredValue { return std::monostate{}; },
            [](const host::ActionButtonData& v) -> StoredValue { return v; },
            [](bool) -> StoredValue { return false; },
            [](float) -> StoredValue { return host::kNoFloatValue; },
            [&values](const host::FloatInlineValue& v) -> StoredValue {
                host::FloatInlineValue merged = v;
                merged.value = host::kNoFloatValue;
                // The limits every selected object accepts, when there are such.
                for (const auto& other : values) {
                    merged.min = std::max(merged.min, std::get<host::FloatInlineValue>(other).min);
                    merged.max = std::min(merged.max, std::get<host::FloatInlineValue>(other).max);
                }
                if (merged.min > merged.max) {
                    merged.min = v.min;
                    merged.max = v.max;
                }
                return merged;
            },
            [](const host::FloatListData& v) -> StoredValue {
                host::FloatListData merged = v;
                merged.selected = host::kNoListIndex;
                return merged;
            },
            [&values](const host::NumberValue& v) -> StoredValue {
                host::NumberValue merged = v;
                merged.value = host::kNoIntegerValue;
                for (const auto& other : values) {
                    merged.min = std::max(merged.min, std::get<host::NumberValue>(other).min);
                    merged.max = std::min(merged.max, std::get<host::NumberValue>(other).max);
                }
                if (merged.min > merged.max) {
                    merged.min = v.min;
                    merged.max = v.max;
                }
                return merged;
            },
            [](const host::ColorValue& v) -> StoredValue {
                return host::ColorValue{v.flags, 0};
            },
            [](const host::DateTimeValue& v) -> StoredValue { return v; },
            [](const std::wstring&) -> StoredValue { return std::wstring(); },
            [](const std::optional<std::wstring>&) -> StoredValue { return std::optional<std::wstring>(); },
            [](const host::PropStringPairListData&) -> StoredValue { return host::PropStringPairListData{}; },
            [](const host::PropFontListData& v) -> StoredValue {
                host::PropFontListData merged = v;
                merged.selected = host::kNoListIndex;
                return merged;
            },
            [](const host::CheckRadioCaptionData& v) -> StoredValue {
                return host::CheckRadioCaptionData{v.styleFlag, {}};
            },
            [](const host::PDActionDialogPropData&) -> StoredValue { return host::PDActionDialogPropData{}; },
            [](const host::JavaScriptActionDialogPropData& v) -> StoredValue {
                return host::JavaScriptActionDialogPropData{nullptr, v.dialogKind, {}, false};
            },
            [](const auto& list) -> StoredValue {
                auto merged = list;
                merged.selected = host::kNoListIndex;
                return merged;
            }},
        values.front());
}

std::string ColorText(std::uint32_t color) {
    return (boost::format("#%06X") % (color & 0xFFFFFF)).str();
}

std::string DateTimeText(const host::DateTimeValue& value) {
    const std::int64_t year = std::int64_t(value.yearsSince1900) + 1900;
    return (boost::format(year < 0 ? "%05d-%02d-%02dT%02d:%02d:%02d" : "%04d-%02d-%02dT%02d:%02d:%02d") %
            year % (value.month + 1) % value.dayOfMonth % value.hours % value.minutes % value.seconds)
        .str();
}

std::optional<host::DateTimeValue> ParseDateTimeText(std::string_view text) {
    static const boost::regex shape(R"((-?\d{4,5})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d))");
    boost::match_results<std::string_view::const_iterator> parts;
    if (!boost::regex_match(text.begin(), text.end(), parts, shape))
        return std::nullopt;
    auto field = [&parts](int index) {
        std::int32_t number = 0;
        std::from_chars(&*parts[index].first, &*parts[index].first + parts[index].length(), number);
        return number;
    };
    host::DateTimeValue value;
    value.yearsSince1900 = field(1) - 1900;
    value.month = field(2) - 1;
    value.dayOfMonth = field(3);
    value.hours = field(4);
    value.minutes = field(5);
    value.seconds = field(6);
    return value;
}

bool NormalizeDateTime(host::DateTimeValue& value) {
    if (value.hours < 0 || value.hours > 23 || value.minutes < 0 || value.minutes > 59 || value.seconds < 0 ||
        value.seconds > 60)
        return false;
    using namespace std::chrono;
    const std::int64_t year = std::int64_t(value.yearsSince1900) + 1900;
    if (year < int(year::min()) || year > int(year::max()) || value.month < 0 || value.month > 11 ||
        value.dayOfMonth < 1 || value.dayOfMonth > 31)
        return false;
    const year_month_day date{std::chrono::year(int(year)), month(unsigned(value.month + 1)),
                              day(unsigned(value.dayOfMonth))};
    if (!date.ok())
        return false; // e.g. the 30th of February
    const sys_days days(date);
    value.dayOfWeek = int(weekday(days).c_encoding());
    value.dayOfYear = int((days - sys_days(date.year() / January / 1)).count());
    return true;
}

nlohmann::json ValueToJson(std::uint32_t typeCode, const StoredValue& value) {
    using nlohmann::json;
    return std::visit(
        Overloaded{[](std::monostate) -> json { return nullptr; },
                   [](const host::ActionButtonData& v) -> json { return Utf8(v.action); },
                   [](bool v) -> json { return v; }, [](float v) -> json { return FloatJson(v); },
                   [](const host::FloatInlineValue& v) -> json { return FloatJson(v.value); },
                   [](const host::FloatListData& v) -> json {
                       return v.selected < v.values.size() ? FloatJson(v.values[v.selected]) : json();
                   },
                   [](const host::NumberValue& v) -> json {
                       return v.value == host::kNoIntegerValue ? json() : json(v.value);
                   },
                   [](const host::ColorValue& v) -> json {
                       return v.color == 0 ? json() : json(ColorText(v.color));
                   },
                   [](const host::DateTimeValue& v) -> json { return DateTimeText(v); },
                   [](const std::wstring& v) -> json { return Utf8(v); },
                   [](const std::optional<std::wstring>& v) -> json { return v ? json(Utf8(*v)) : json(); },
                   [typeCode](const host::PropStringListData& v) -> json {
                       if (typeCode != std::uint32_t(host::PropertyType::EditStringList))
                           return ListEntryJson(v);
                       json items = json::array();
                       for (const auto& item : v.items)
                           items.push_back(Utf8(item));
                       return items;
                   },
                   [](const host::PropStringPairListData& v) -> json {
                       json pairs = json::array();
                       for (const auto& [first, second] : v.pairs)
                           pairs.push_back(json::array({Utf8(first), Utf8(second)}));
                       return pairs;
                   },
                   [](const host::PropFontListData& v) -> json {
                       return v.selected < v.fonts.size() ? json(Utf8(v.fonts[v.selected].familyName))
                                                          : json();
                   },
                   [](const host::CheckRadioCaptionData& v) -> json { return Utf8(v.caption); },
                   [](const host::PDActionDialogPropData& v) -> json {
                       return v.action == nullptr ? json() : json("<action>");
                   },
                   [](const host::JavaScriptActionDialogPropData& v) -> json {
                       return v.textSet ? json(Utf8(v.text)) : json();
                   },
                   [](const host::PropListData& v) -> json { return ListEntryJson(v); }},
        value);
}

std::string ValueText(std::uint32_t typeCode, const StoredValue& value) {
    // Replacement of bad UTF-8 cannot happen here: every text went through the conversion library.
    return ValueToJson(typeCode, value).dump();
}

} // namespace headless
