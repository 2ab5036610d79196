// What a document file describes: objects with their groups of typed properties, and the default
// settings of object kinds. The structure is fixed once loaded; values change under the document's
// lock (DocumentState).
#pragma once

#include "headless-host/document/PdfRef.h"
#include "headless-host/document/WatcherList.h"
#include "host/ValueRecords.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace headless {

// PDActionDialog's value: the action chain, or none. The host holds its own reference: the records
// only lend their handles for the call.
struct PdfActionValue {
    PdfRef action;
};

// JavaScriptActionDialog's value: its record with the action held as PdfActionValue's is.
struct JavaScriptActionValue {
    PdfRef action;
    std::uint32_t dialogKind = host::JavaScriptActionDialogPropData::kScriptEditor;
    std::wstring text;
    bool textSet = false;
};

// A property's value as the host keeps it: the record of its value kind, held by value (the action
// kinds hold their handles counted). The alternatives are in ValueKind order, so that index() is
// the kind.
using StoredValue = std::variant<
    std::monostate, host::ActionButtonData, bool, float, host::FloatInlineValue, host::FloatListData,
    host::NumberValue, host::ColorValue, host::DateTimeValue, std::wstring, std::optional<std::wstring>,
    host::PropStringListData, host::PropStringPairListData, host::PropFontStyleListData,
    host::PropFontListData, host::CheckRadioCaptionData, host::BorderStyleDropDownData,
    host::LineBorderStyleDropDownData, host::LineWidthDropDownData, host::LineArrowStartDropDownData,
    host::LineArrowEndDropDownData, host::ParagraphBulletsStyleData, PdfActionValue, JavaScriptActionValue>;
static_assert(std::variant_size_v<StoredValue> == std::size_t(host::ValueKind::JavaScriptAction) + 1);
static_assert(std::is_same_v<std::variant_alternative_t<std::size_t(host::ValueKind::Number), StoredValue>,
                             host::NumberValue>);
static_assert(
    std::is_same_v<std::variant_alternative_t<std::size_t(host::ValueKind::BulletsList), StoredValue>,
                   host::ParagraphBulletsStyleData>);
static_assert(std::is_same_v<std::variant_alternative_t<std::size_t(host::ValueKind::PDAction), StoredValue>,
                             PdfActionValue>);

constexpr host::ValueKind KindOf(const StoredValue& value) {
    return host::ValueKind(value.index());
}

struct PropertyModel {
    std::wstring name;
    std::uint32_t typeCode = 0;
    host::ValueKind kind = host::ValueKind::None;
    bool readOnly = false;
    bool hidden = false;
    bool noColorAvailable = false;
    // Its value decides which other properties the object has (a format category, say): a change
    // of it changes the content of every properties context showing it, not only its own value.
    bool restructures = false;
    // Not empty: reading the value through the property fails with this message, as a broken
    // object of the editor's would; everything else about the property reads as usual.
    std::string readError;
    // The PDF document whose actions the property's values hold: descriptions are built in it, and
    // a written action must belong to it.
    PdfRef pdfDocument;
    // Set on the action property that holds its object's widget's activation action (/A): every
    // value it takes is set on the widget too.
    PdfRef widget;
    StoredValue value; // guarded by the document's lock
    // What tests watch and steer, guarded by the document's lock too: the writes accepted (also of
    // the value it has), the writes still to refuse and why, and the last pending-value notice.
    std::uint64_t writes = 0;
    std::uint32_t refusalsLeft = 0;
    std::string refusal;
    std::optional<StoredValue> pending;
    // Set when the host takes the property out of the document: the objects that still hold it
    // fail to read and write it, and nothing finds it any more.
    std::atomic<bool> removed{false};
    // Property objects and properties contexts showing this property.
    WatcherList<> propertyWatchers;
    WatcherList<> contextWatchers;
};

struct GroupModel {
    std::wstring name;
    std::uint32_t kindFlags = 0;
    bool root = false;
    std::vector<std::shared_ptr<PropertyModel>> properties;
    std::vector<std::shared_ptr<GroupModel>> groups;
};

struct ObjectModel {
    std::wstring name;
    std::wstring kind;
    std::uint32_t page = 0;
    // A form field's widget on its page in the PDF document; null for other objects.
    PdfRef widget;
    bool defaultSettings = false;
    std::vector<std::shared_ptr<GroupModel>> groups;
    std::atomic<bool> removed{false}; // as a property's
};

// A property named by the names of its groups from the root, then its own name.
using PropertyPath = std::vector<std::wstring>;

struct DefaultEntry {
    PropertyPath path;
    StoredValue original;
    mutable StoredValue stored; // guarded by the document's lock
};

struct KindDefaults {
    std::wstring kind;
    std::vector<DefaultEntry> entries;
};

struct DocumentModel {
    std::wstring name;
    // The PDF core library's document: one page per entry of pageLabels, the form fields' widgets,
    // and every action a value holds.
    PdfRef pdfDocument;
    std::vector<std::wstring> pageLabels;
    std::vector<std::shared_ptr<ObjectModel>> objects;
    std::vector<KindDefaults> defaults;
    std::uint32_t lockedState = 0;
};

// The property at `path` in `object`, or null (also when it was removed).
std::shared_ptr<PropertyModel> FindProperty(const ObjectModel& object, const PropertyPath& path);
// The object of that name, or null (also when it was removed).
std::shared_ptr<ObjectModel> FindObject(const DocumentModel& model, const std::wstring& name);

} // namespace headless
