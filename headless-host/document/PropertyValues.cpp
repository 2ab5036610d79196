#include "headless-host/document/PropertyValues.h"

#include "headless-host/document/ValueForms.h"

#include "host/BLProperties.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <array>
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
// Every call of the library hands out a new handle: actions are compared by the object they name.
bool Same(const PdfActionValue& a, const PdfActionValue& b) {
    return SamePdfObject(a.action.Get(), b.action.Get());
}
bool Same(const JavaScriptActionValue& a, const JavaScriptActionValue& b) {
    return a.dialogKind == b.dialogKind && a.text == b.text && a.textSet == b.textSet &&
           SamePdfObject(a.action.Get(), b.action.Get());
}

// The host's own reference to a written action, which must be an action of the property's document.
PdfRef WrittenAction(const PropertyModel& property, PDHandle handle) {
    if (handle == nullptr)
        return {};
    PdfRef action;
    try {
        action = PdfRef::Share(handle);
    } catch (const PdfCoreError& e) {
        Refuse(property,
               std::string("the action handle is not one the PDF core library knows (") + e.what() + ")");
    }
    if (!property.pdfDocument)
        Refuse(property, "its document has no PDF document that the action could belong to");
    try {
        if (!SamePdfObject(PdfDocumentOf(handle).Get(), property.pdfDocument.Get()))
            Refuse(property, "the action belongs to another PDF document");
        PdfActionType(handle);
    } catch (const PdfCoreError& e) {
        Refuse(property, std::string("the handle is not an action (") + e.what() + ")");
    }
    return action;
}

// A record lends its handle for the call; a value made from it keeps a reference of its own.
PdfRef RecordAction(PDHandle handle) {
    try {
        return PdfRef::Share(handle);
    } catch (const PdfCoreError& e) {
        throw so::ServiceObjectException(so::kInvalidArgument,
                                         std::string("The value record's action handle is not one the PDF "
                                                     "core library knows (") +
                                             e.what() + ")");
    }
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

} // namespace

namespace {

// The record type of the stored alternative at index I (the value kind I); None has no record.
template <std::size_t I>
using KindRecord = typename host::ValueRecordOf<host::ValueKind(I)>::Type;

// A stored value as the record a reader gets: a fresh copy, shared or not as the kind's record is,
// so that a reader may change its record without touching the host's value.
template <class Record, class Stored>
Record ToRecord(const Stored& value) {
    if constexpr (std::is_same_v<Stored, std::optional<std::wstring>>)
        return value ? std::make_shared<std::wstring>(*value) : nullptr;
    else if constexpr (std::is_same_v<Stored, PdfActionValue>)
        return Record{value.action.Get()};
    else if constexpr (std::is_same_v<Stored, JavaScriptActionValue>)
        return Record{value.action.Get(), value.dialogKind, value.text, value.textSet};
    else if constexpr (std::is_same_v<Record, Stored>)
        return value;
    else
        return std::make_shared<Stored>(value);
}

template <class Stored, class Record>
Stored FromRecord(const Record& record) {
    if constexpr (std::is_same_v<Stored, std::optional<std::wstring>>) {
        return record ? Stored(*record) : std::nullopt;
    } else if constexpr (std::is_same_v<Stored, PdfActionValue>) {
        return Stored{RecordAction(record.action)};
    } else if constexpr (std::is_same_v<Stored, JavaScriptActionValue>) {
        return Stored{RecordAction(record.action), record.dialogKind, record.text, record.textSet};
    } else if constexpr (std::is_same_v<Record, Stored>) {
        return record;
    } else {
        if (!record)
            throw so::ServiceObjectException(so::kInvalidArgument, "The value record holds no data");
        return *record;
    }
}

// Calls `use(std::integral_constant<std::size_t, I>{})` for the value kind I == `kind`, which has
// a record (every kind but None); does nothing for any other number. Each call knows its record
// type at compile time, so no switch over the kinds is written out anywhere.
template <class Use>
void ForKindWithRecord(std::size_t kind, Use&& use) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((kind == I + 1 ? (void)use(std::integral_constant<std::size_t, I + 1>{}) : void()), ...);
    }
    (std::make_index_sequence<std::variant_size_v<StoredValue> - 1>());
}

template <std::size_t I>
using StoredAt = std::variant_alternative_t<I, StoredValue>;

} // namespace

void WriteRecord(const StoredValue& value, void* record) {
    ForKindWithRecord(value.index(), [&](auto kind) {
        constexpr std::size_t I = decltype(kind)::value;
        *static_cast<KindRecord<I>*>(record) = ToRecord<KindRecord<I>>(std::get<I>(value));
    });
}

StoredValue ValueFromRecord(host::ValueKind kind, const void* record) {
    if (record == nullptr)
        throw so::ServiceObjectException(so::kInvalidArgument, "The value record is null");
    if (std::size_t(kind) >= std::variant_size_v<StoredValue>)
        throw so::ServiceObjectException(so::kInvalidArgument, "Unknown value kind");
    StoredValue value;
    ForKindWithRecord(std::size_t(kind), [&](auto index) {
        constexpr std::size_t I = decltype(index)::value;
        value = FromRecord<StoredAt<I>>(*static_cast<const KindRecord<I>*>(record));
    });
    return value;
}

StoredValue ReadThrough(ServiceObject* property) {
    std::uint32_t kind = 0;
    so::Call<host::BLProperty::GetValueKind>(property, &kind);
    if (kind >= std::variant_size_v<StoredValue>)
        throw so::ServiceObjectException(so::kInvalidArgument, "Unknown value kind");
    StoredValue value;
    ForKindWithRecord(kind, [&](auto index) {
        constexpr std::size_t I = decltype(index)::value;
        KindRecord<I> record{};
        so::Call<host::BLProperty::GetValue>(property, std::uint32_t(I), static_cast<void*>(&record));
        value = FromRecord<StoredAt<I>>(record);
    });
    return value;
}

StoredValue EmptyValue(host::ValueKind kind) {
    StoredValue value;
    ForKindWithRecord(std::size_t(kind), [&](auto index) { value.emplace<decltype(index)::value>(); });
    return value;
}

void WriteThrough(ServiceObject* property, const StoredValue& value) {
    if (KindOf(value) == host::ValueKind::None)
        throw so::ServiceObjectException(so::kInvalidArgument,
                                         "The property has no value that could be written");
    ForKindWithRecord(value.index(), [&](auto index) {
        constexpr std::size_t I = decltype(index)::value;
        const KindRecord<I> record = ToRecord<KindRecord<I>>(std::get<I>(value));
        so::Call<host::BLProperty::SetValue>(property, std::uint32_t(I), static_cast<const void*>(&record));
    });
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
            Refuse(property, OutsideLimits(value, next.min, next.max));
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
            Refuse(property, OutsideLimits(value, next.min, next.max));
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
        return PdfActionValue{WrittenAction(property, RecordAt<host::PDActionDialogPropData>(record).action)};
    case host::ValueKind::JavaScriptAction: {
        const auto& written = RecordAt<host::JavaScriptActionDialogPropData>(record);
        if (written.dialogKind > host::JavaScriptActionDialogPropData::kSimplifiedNotation)
            Refuse(property, (boost::format("dialog kind %1% does not exist") % written.dialogKind).str());
        return JavaScriptActionValue{WrittenAction(property, written.action), written.dialogKind,
                                     written.text, written.textSet};
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
            [](const PdfActionValue&) -> StoredValue { return PdfActionValue{}; },
            [](const JavaScriptActionValue& v) -> StoredValue {
                return JavaScriptActionValue{{}, v.dialogKind, {}, false};
            },
            [](const auto& list) -> StoredValue {
                auto merged = list;
                merged.selected = host::kNoListIndex;
                return merged;
            }},
        values.front());
}

PDStatus SetWidgetAction(const PropertyModel& property, const StoredValue& value) noexcept {
    if (!property.widget)
        return kPDOk;
    const auto* held = std::get_if<PdfActionValue>(&value);
    return PDAnnotSetAction(property.widget.Get(), held != nullptr ? held->action.Get() : nullptr);
}

} // namespace headless
