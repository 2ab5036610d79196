#include "headless-host/document/DocumentFile.h"

#include "headless-host/document/LimitedJsonParser.h"
#include "headless-host/document/PropertyValues.h"
#include "host/BLProperties.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace headless {

namespace {

using Json = nlohmann::json;
using host::PropertyType;
using Limits = DocumentFileLimits;

struct TypeName {
    const char* name;
    PropertyType type;
};

constexpr std::array<TypeName, 28> kTypeNames = {{
    {"Action", PropertyType::Action},
    {"Bool", PropertyType::Bool},
    {"RadioGroup", PropertyType::RadioGroup},
    {"Float", PropertyType::Float},
    {"FloatInline", PropertyType::FloatInline},
    {"FloatList", PropertyType::FloatList},
    {"Number", PropertyType::Number},
    {"NumberSlider", PropertyType::NumberSlider},
    {"NumberInline", PropertyType::NumberInline},
    {"Color", PropertyType::Color},
    {"DateTime", PropertyType::DateTime},
    {"String", PropertyType::String},
    {"Label", PropertyType::Label},
    {"StringMultiline", PropertyType::StringMultiline},
    {"EditStringList", PropertyType::EditStringList},
    {"StringList", PropertyType::StringList},
    {"StringPairListDialog", PropertyType::StringPairListDialog},
    {"FontStyleList", PropertyType::FontStyleList},
    {"FontDropDown", PropertyType::FontDropDown},
    {"CheckRadioCaption", PropertyType::CheckRadioCaption},
    {"BorderStyleDropDown", PropertyType::BorderStyleDropDown},
    {"LineBorderStyleDropDown", PropertyType::LineBorderStyleDropDown},
    {"LineWidthDropDown", PropertyType::LineWidthDropDown},
    {"LineArrowStartDropDown", PropertyType::LineArrowStartDropDown},
    {"LineArrowEndDropDown", PropertyType::LineArrowEndDropDown},
    {"BulletsStyle", PropertyType::BulletsStyle},
    {"PDActionDialog", PropertyType::PDActionDialog},
    {"JavaScriptActionDialog", PropertyType::JavaScriptActionDialog},
}};

// Codes of host properties that no editor handles: a file may hold them, without a value.
constexpr std::array<std::uint32_t, 6> kCodesWithoutEditor = {19, 21, 29, 30, 31, 32};

struct GroupKindName {
    const char* name;
    std::uint32_t flag;
};
constexpr std::array<GroupKindName, 7> kGroupKindNames = {{
    {"general", host::GroupKind::kGeneral},
    {"values", host::GroupKind::kValues},
    {"events", host::GroupKind::kEvents},
    {"appearance", host::GroupKind::kAppearance},
    {"measurements", host::GroupKind::kMeasurements},
    {"format", host::GroupKind::kFormat},
    {"calculations", host::GroupKind::kCalculations},
}};

std::string Described(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return "a boolean";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::number_float:
        return "a number with a fraction";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        return "an integer";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    default:
        return "a binary value";
    }
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Numbers up to half a step beyond FLT_MAX round to it; among them is "3.4028235e+38", the shortest
// text of FLT_MAX and so what dumps write for it, which a file must be able to give back.
constexpr double kFloatRoundingLimit = (2.0 - 0x1p-24) * 0x1p127;

// In `shape`, '9' stands for a digit and 'F' for a hexadecimal digit. scanf alone would take blanks,
// signs and "0x" inside the fields of colours and dates.
bool HasShape(std::string_view text, std::string_view shape) {
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        bool fits = shape[i] == '9'   ? std::isdigit(static_cast<unsigned char>(text[i])) != 0
                    : shape[i] == 'F' ? std::isxdigit(static_cast<unsigned char>(text[i])) != 0
                                      : text[i] == shape[i];
        if (!fits)
            return false;
    }
    return true;
}

// Reads one file's JSON into the model, failing with the path of the first fault.
class DocumentReader {
public:
    explicit DocumentReader(std::string file) : file_(std::move(file)) {}

    DocumentModel Read(const Json& root) {
        const std::string path;
        ExpectObject(root, path);
        CheckKeys(root, path, {"version", "document", "pages", "objects", "defaultSettings", "lockedState"});
        if (const Json* version = Optional(root, "version");
            version != nullptr && Int(*version, Child(path, "version")) != 1)
            Fail(Child(path, "version"), "unsupported version (this host reads version 1)");

        DocumentModel model;
        model.name = Name(Require(root, path, "document"), Child(path, "document"), false);
        const std::string pagesPath = Child(path, "pages");
        const Json& pages = Array(Require(root, path, "pages"), pagesPath);
        if (pages.empty())
            Fail(pagesPath, "a document has at least one page");
        for (std::size_t i = 0; i < pages.size(); ++i) {
            std::string pagePath = Child(pagesPath, i);
            ExpectObject(pages[i], pagePath);
            CheckKeys(pages[i], pagePath, {"label"});
            const Json* label = Optional(pages[i], "label");
            model.pageLabels.push_back(label != nullptr ? Text(*label, Child(pagePath, "label"))
                                                        : std::to_wstring(i + 1));
        }

        const std::string objectsPath = Child(path, "objects");
        const Json& objects = Array(Require(root, path, "objects"), objectsPath);
        std::map<std::wstring, std::string> objectPaths;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            std::string objectPath = Child(objectsPath, i);
            auto object = ReadObject(objects[i], objectPath, model.pageLabels.size());
            auto [first, added] = objectPaths.emplace(object->name, objectPath);
            if (!added)
                Fail(Child(objectPath, "name"), "duplicate object name " +
                                                    Quoted(so::Utf8FromWide(object->name)) + " (first at " +
                                                    first->second + ")");
            model.objects.push_back(std::move(object));
        }

        if (const Json* defaults = Optional(root, "defaultSettings"))
            model.defaults = ReadDefaults(*defaults, Child(path, "defaultSettings"), model);
        if (const Json* locked = Optional(root, "lockedState")) {
            std::int32_t state = Int(*locked, Child(path, "lockedState"));
            if (state < 0 || state > 3)
                Fail(Child(path, "lockedState"), "the locked state is a bit set of 1 (write) and 2 (read)");
            model.lockedState = std::uint32_t(state);
        }
        return model;
    }

private:
    [[noreturn]] void Fail(const std::string& path, const std::string& detail) const {
        throw DocumentFileError(file_, ShownPath(path), detail);
    }

    static std::string Child(const std::string& path, std::string_view key) {
        return JsonChildPath(path, key);
    }
    static std::string Child(const std::string& path, std::size_t index) {
        return JsonChildPath(path, index);
    }

    void ExpectObject(const Json& value, const std::string& path) const {
        if (!value.is_object())
            Fail(path, "expected an object, found " + Described(value));
    }
    const Json& Array(const Json& value, const std::string& path) const {
        if (!value.is_array())
            Fail(path, "expected an array, found " + Described(value));
        return value;
    }
    void CheckKeys(const Json& object, const std::string& path,
                   const std::vector<const char*>& allowed) const {
        for (const auto& item : object.items()) {
            const std::string& key = item.key();
            if (std::none_of(allowed.begin(), allowed.end(),
                             [&key](const char* name) { return key == name; }))
                Fail(Child(path, key), "unknown key " + Quoted(key));
        }
    }
    const Json& Require(const Json& object, const std::string& path, const char* key) const {
        auto found = object.find(key);
        if (found == object.end())
            Fail(path, std::string("missing key ") + Quoted(key));
        return *found;
    }
    static const Json* Optional(const Json& object, const char* key) {
        auto found = object.find(key);
        return found != object.end() ? &*found : nullptr;
    }

    std::wstring Text(const Json& value, const std::string& path) const {
        if (!value.is_string())
            Fail(path, "expected a string, found " + Described(value));
        return so::WideFromUtf8(value.get_ref<const std::string&>());
    }
    std::wstring Name(const Json& value, const std::string& path, bool mayBeEmpty) const {
        std::wstring name = Text(value, path);
        if (name.empty() && !mayBeEmpty)
            Fail(path, "the name is empty");
        if (name.size() > Limits::kMaxNameLength)
            Fail(path, (boost::format("a name of %1% characters is longer than the limit of %2%") %
                        name.size() % Limits::kMaxNameLength)
                           .str());
        return name;
    }
    bool Bool(const Json& value, const std::string& path) const {
        if (!value.is_boolean())
            Fail(path, "expected a boolean, found " + Described(value));
        return value.get<bool>();
    }
    bool OptionalBool(const Json& object, const std::string& path, const char* key, bool otherwise) const {
        const Json* value = Optional(object, key);
        return value != nullptr ? Bool(*value, Child(path, key)) : otherwise;
    }
    std::int32_t Int(const Json& value, const std::string& path) const {
        if (!value.is_number_integer())
            Fail(path, "expected an integer, found " + Described(value));
        bool fits = value.is_number_unsigned()
                        ? value.get<std::uint64_t>() <= std::uint64_t(INT32_MAX)
                        : (value.get<std::int64_t>() >= INT32_MIN && value.get<std::int64_t>() <= INT32_MAX);
        if (!fits)
            Fail(path, "the integer does not fit in 32 bits");
        return std::int32_t(value.get<std::int64_t>());
    }
    std::int32_t OptionalInt(const Json& object, const std::string& path, const char* key,
                             std::int32_t otherwise) const {
        const Json* value = Optional(object, key);
        return value != nullptr ? Int(*value, Child(path, key)) : otherwise;
    }
    float Float(const Json& value, const std::string& path) const {
        if (!value.is_number())
            Fail(path, "expected a number, found " + Described(value));
        double number = value.get<double>();
        if (!std::isfinite(number) || std::fabs(number) >= kFloatRoundingLimit)
            Fail(path, "the number is out of the range of a float");
        // Clamped first: converting a double beyond FLT_MAX to float is undefined in C++.
        return float(std::clamp(number, double(-FLT_MAX), double(FLT_MAX)));
    }
    float OptionalFloat(const Json& object, const std::string& path, const char* key, float otherwise) const {
        const Json* value = Optional(object, key);
        return value != nullptr ? Float(*value, Child(path, key)) : otherwise;
    }
    std::vector<std::wstring> Texts(const Json& value, const std::string& path) const {
        std::vector<std::wstring> texts;
        const Json& array = Array(value, path);
        for (std::size_t i = 0; i < array.size(); ++i)
            texts.push_back(Text(array[i], Child(path, i)));
        return texts;
    }

    std::shared_ptr<ObjectModel> ReadObject(const Json& value, const std::string& path,
                                            std::size_t pageCount) {
        ExpectObject(value, path);
        CheckKeys(value, path, {"name", "kind", "page", "defaultSettings", "groups"});
        auto object = std::make_shared<ObjectModel>();
        object->name = Name(Require(value, path, "name"), Child(path, "name"), false);
        object->kind = Name(Require(value, path, "kind"), Child(path, "kind"), false);
        std::int32_t page = OptionalInt(value, path, "page", 0);
        if (page < 0 || std::size_t(page) >= pageCount)
            Fail(Child(path, "page"),
                 (boost::format("page %1% does not exist (the document has %2%)") % page % pageCount).str());
        object->page = std::uint32_t(page);
        object->defaultSettings = OptionalBool(value, path, "defaultSettings", false);
        object->groups = ReadGroups(Require(value, path, "groups"), Child(path, "groups"), 1);
        return object;
    }

    std::vector<std::shared_ptr<GroupModel>> ReadGroups(const Json& value, const std::string& path,
                                                        std::size_t depth) {
        const Json& array = Array(value, path);
        std::vector<std::shared_ptr<GroupModel>> groups;
        std::map<std::wstring, std::string> names;
        for (std::size_t i = 0; i < array.size(); ++i) {
            std::string groupPath = Child(path, i);
            auto group = ReadGroup(array[i], groupPath, depth);
            auto [first, added] = names.emplace(group->name, groupPath);
            if (!added)
                Fail(Child(groupPath, "name"), "duplicate group name " +
                                                   Quoted(so::Utf8FromWide(group->name)) + " (first at " +
                                                   first->second + ")");
            groups.push_back(std::move(group));
        }
        return groups;
    }

    std::shared_ptr<GroupModel> ReadGroup(const Json& value, const std::string& path, std::size_t depth) {
        if (depth > Limits::kMaxGroupDepth)
            Fail(path,
                 (boost::format("groups are nested deeper than %1% levels") % Limits::kMaxGroupDepth).str());
        ExpectObject(value, path);
        CheckKeys(value, path, {"name", "flags", "root", "properties", "groups"});
        auto group = std::make_shared<GroupModel>();
        group->name = Name(Require(value, path, "name"), Child(path, "name"), true);
        group->kindFlags = GroupFlags(Require(value, path, "flags"), Child(path, "flags"));
        group->root = OptionalBool(value, path, "root", false);
        if (group->root && depth > 1)
            Fail(Child(path, "root"), "only a top-level group can be a root group");
        if (const Json* properties = Optional(value, "properties")) {
            std::string propertiesPath = Child(path, "properties");
            const Json& array = Array(*properties, propertiesPath);
            std::map<std::wstring, std::string> names;
            for (std::size_t i = 0; i < array.size(); ++i) {
                std::string propertyPath = Child(propertiesPath, i);
                auto property = ReadProperty(array[i], propertyPath);
                auto [first, added] = names.emplace(property->name, propertyPath);
                if (!added)
                    Fail(Child(propertyPath, "name"), "duplicate property name " +
                                                          Quoted(so::Utf8FromWide(property->name)) +
                                                          " (first at " + first->second + ")");
                group->properties.push_back(std::move(property));
            }
        }
        if (const Json* groups = Optional(value, "groups"))
            group->groups = ReadGroups(*groups, Child(path, "groups"), depth + 1);
        return group;
    }

    std::uint32_t GroupFlags(const Json& value, const std::string& path) const {
        if (value.is_array()) {
            std::uint32_t flags = 0;
            for (std::size_t i = 0; i < value.size(); ++i) {
                std::string name = so::Utf8FromWide(Text(value[i], Child(path, i)));
                auto found = std::find_if(kGroupKindNames.begin(), kGroupKindNames.end(),
                                          [&name](const GroupKindName& kind) { return name == kind.name; });
                if (found == kGroupKindNames.end())
                    Fail(Child(path, i), "unknown group kind " + Quoted(name) +
                                             " (general, values, events, appearance, measurements, format, "
                                             "calculations)");
                flags |= found->flag;
            }
            return flags;
        }
        if (!value.is_number_integer())
            Fail(path, "expected an integer or an array of group kinds, found " + Described(value));
        std::int32_t flags = Int(value, path);
        if (flags < 0 || (std::uint32_t(flags) & host::GroupKind::kRootGroupFlag) != 0)
            Fail(path, "kind flags are a bit set below 0x40000000 (a root group says \"root\": true)");
        return std::uint32_t(flags);
    }

    std::uint32_t TypeCode(const Json& value, const std::string& path) const {
        if (value.is_string()) {
            const std::string& name = value.get_ref<const std::string&>();
            std::uint32_t code = TypeCodeOfName(name);
            if (code == 0)
                Fail(path, "unknown type name " + Quoted(name));
            return code;
        }
        if (!value.is_number_integer())
            Fail(path, "expected a type code or a type name, found " + Described(value));
        std::int32_t code = Int(value, path);
        if (code > 0 && (!TypeNameOfCode(std::uint32_t(code)).empty() ||
                         std::find(kCodesWithoutEditor.begin(), kCodesWithoutEditor.end(),
                                   std::uint32_t(code)) != kCodesWithoutEditor.end()))
            return std::uint32_t(code);
        Fail(path, (boost::format("unknown type code %1%") % code).str());
    }

    std::shared_ptr<PropertyModel> ReadProperty(const Json& value, const std::string& path) {
        ExpectObject(value, path);
        auto property = std::make_shared<PropertyModel>();
        property->name = Name(Require(value, path, "name"), Child(path, "name"), true);
        property->typeCode = TypeCode(Require(value, path, "type"), Child(path, "type"));
        property->kind = host::ValueKindForType(property->typeCode);
        std::vector<const char*> keys = KeysOf(property->typeCode);
        keys.push_back("readError");
        keys.push_back("restructures");
        CheckKeys(value, path, keys);
        property->readOnly = OptionalBool(value, path, "readOnly", false);
        property->hidden = OptionalBool(value, path, "hidden", false);
        property->noColorAvailable = OptionalBool(value, path, "noColorAvailable", false);
        property->restructures = OptionalBool(value, path, "restructures", false);
        if (const Json* readError = Optional(value, "readError")) {
            std::string readErrorPath = Child(path, "readError");
            property->readError = so::Utf8FromWide(Text(*readError, readErrorPath));
            if (property->readError.empty())
                Fail(readErrorPath, "the read error's message is empty");
        }
        StoredValue shape = Shape(*property, value, path);
        const Json* given = Optional(value, "value");
        if (property->kind == host::ValueKind::None) {
            property->value = std::monostate{};
        } else if (given == nullptr) {
            // An action dialog property without an action needs no value; every other kind does.
            if (property->kind != host::ValueKind::PDAction)
                Fail(path, "missing key \"value\"");
            property->value = shape;
        } else {
            property->value = ValueFromJson(*property, shape, *given, Child(path, "value"));
        }
        return property;
    }

    static std::vector<const char*> KeysOf(std::uint32_t typeCode) {
        switch (host::ValueKindForType(typeCode)) {
        case host::ValueKind::None:
            return {"name", "type", "readOnly", "hidden"};
        case host::ValueKind::ActionButton:
            return {"name", "type", "readOnly", "hidden", "value", "description", "parameters"};
        case host::ValueKind::FloatInline:
        case host::ValueKind::Number:
            return {"name", "type", "readOnly", "hidden", "value", "min", "max", "step"};
        case host::ValueKind::FloatList:
            return {"name",   "type",      "readOnly",     "hidden",       "value",
                    "values", "precision", "positiveOnly", "zeroIsDefault"};
        case host::ValueKind::Color:
            return {"name", "type", "readOnly", "hidden", "value", "flags", "noColorAvailable"};
        case host::ValueKind::StringList:
            if (typeCode == std::uint32_t(PropertyType::EditStringList))
                return {"name", "type", "readOnly", "hidden", "value"};
            return {"name", "type", "readOnly", "hidden", "value", "items", "disabled"};
        case host::ValueKind::FontStyleList:
        case host::ValueKind::BorderStyleList:
        case host::ValueKind::LineBorderStyleList:
        case host::ValueKind::LineArrowStartList:
        case host::ValueKind::LineArrowEndList:
        case host::ValueKind::BulletsList:
            return {"name", "type", "readOnly", "hidden", "value", "items", "disabled"};
        case host::ValueKind::LineWidthList:
            return {"name", "type", "readOnly", "hidden", "value", "items", "disabled", "lineWidth"};
        case host::ValueKind::FontList:
            return {"name", "type", "readOnly", "hidden", "value", "fonts"};
        case host::ValueKind::CheckRadioCaption:
            return {"name", "type", "readOnly", "hidden", "value", "styleFlag"};
        case host::ValueKind::JavaScriptAction:
            return {"name", "type", "readOnly", "hidden", "value", "dialog"};
        default:
            return {"name", "type", "readOnly", "hidden", "value"};
        }
    }

    // The property's value without its value: limits, lists and flags from the property's keys.
    StoredValue Shape(const PropertyModel& property, const Json& value, const std::string& path) const {
        switch (property.kind) {
        case host::ValueKind::None:
            return std::monostate{};
        case host::ValueKind::ActionButton: {
            host::ActionButtonData action;
            if (const Json* description = Optional(value, "description"))
                action.description = Text(*description, Child(path, "description"));
            if (const Json* parameters = Optional(value, "parameters")) {
                std::string parametersPath = Child(path, "parameters");
                ExpectObject(*parameters, parametersPath);
                for (const auto& [key, text] : parameters->items())
                    action.parameters[so::WideFromUtf8(key)] = Text(text, Child(parametersPath, key));
            }
            return action;
        }
        case host::ValueKind::Bool:
            return false;
        case host::ValueKind::Float:
            return host::kNoFloatValue;
        case host::ValueKind::FloatInline: {
            host::FloatInlineValue limits;
            limits.value = host::kNoFloatValue;
            limits.min = OptionalFloat(value, path, "min", limits.min);
            limits.max = OptionalFloat(value, path, "max", limits.max);
            limits.step = OptionalFloat(value, path, "step", limits.step);
            CheckOrder(value, path, limits.min, limits.max);
            if (limits.step <= 0)
                Fail(Child(path, "step"), "the step is not above 0");
            return limits;
        }
        case host::ValueKind::FloatList: {
            host::FloatListData list;
            std::string valuesPath = Child(path, "values");
            const Json& values = Array(Require(value, path, "values"), valuesPath);
            list.positiveOnly = OptionalBool(value, path, "positiveOnly", false);
            list.zeroIsDefault = OptionalBool(value, path, "zeroIsDefault", false);
            for (std::size_t i = 0; i < values.size(); ++i) {
                list.values.push_back(Float(values[i], Child(valuesPath, i)));
                if (list.positiveOnly && list.values.back() < 0)
                    Fail(Child(valuesPath, i), "a negative preset in a list of positive values only");
            }
            list.precision = OptionalInt(value, path, "precision", 0);
            if (list.precision < 0 || list.precision > 6)
                Fail(Child(path, "precision"), "the precision is from 0 to 6 decimals");
            return list;
        }
        case host::ValueKind::Number: {
            host::NumberValue limits;
            limits.min = OptionalInt(value, path, "min", limits.min);
            limits.max = OptionalInt(value, path, "max", limits.max);
            limits.step = OptionalInt(value, path, "step", limits.step);
            if (limits.min == host::kNoIntegerValue)
                Fail(Child(path, "min"), "-2147483648 means no value; the minimum must be above it");
            CheckOrder(value, path, limits.min, limits.max);
            if (limits.step <= 0)
                Fail(Child(path, "step"), "the step is not above 0");
            return limits;
        }
        case host::ValueKind::Color: {
            std::int32_t flags = OptionalInt(value, path, "flags", 0);
            if (flags < 0 || flags > 255)
                Fail(Child(path, "flags"), "the colour flags are one byte");
            return host::ColorValue{std::uint8_t(flags), 0};
        }
        case host::ValueKind::DateTime:
            return host::DateTimeValue{};
        case host::ValueKind::String:
            return std::wstring();
        case host::ValueKind::MultilineString:
            return std::optional<std::wstring>();
        case host::ValueKind::StringList:
            if (property.typeCode == std::uint32_t(PropertyType::EditStringList))
                return host::PropStringListData{};
            return ListShape<host::PropStringListData>(value, path);
        case host::ValueKind::StringPairList:
            return host::PropStringPairListData{};
        case host::ValueKind::FontStyleList:
            return ListShape<host::PropFontStyleListData>(value, path);
        case host::ValueKind::FontList:
            return FontShape(value, path);
        case host::ValueKind::CheckRadioCaption:
            return host::CheckRadioCaptionData{
                std::uint8_t(OptionalBool(value, path, "styleFlag", false) ? 1 : 0), {}};
        case host::ValueKind::BorderStyleList:
            return ListShape<host::BorderStyleDropDownData>(value, path);
        case host::ValueKind::LineBorderStyleList:
            return ListShape<host::LineBorderStyleDropDownData>(value, path);
        case host::ValueKind::LineWidthList: {
            auto list = ListShape<host::LineWidthDropDownData>(value, path);
            list.lineWidth = OptionalFloat(value, path, "lineWidth", 1.0f);
            if (list.lineWidth < 0)
                Fail(Child(path, "lineWidth"), "the line width is negative");
            return list;
        }
        case host::ValueKind::LineArrowStartList:
            return ListShape<host::LineArrowStartDropDownData>(value, path);
        case host::ValueKind::LineArrowEndList:
            return ListShape<host::LineArrowEndDropDownData>(value, path);
        case host::ValueKind::BulletsList:
            return ListShape<host::ParagraphBulletsStyleData>(value, path);
        case host::ValueKind::PDAction:
            return host::PDActionDialogPropData{};
        case host::ValueKind::JavaScriptAction: {
            host::JavaScriptActionDialogPropData script;
            if (const Json* dialog = Optional(value, "dialog")) {
                std::string dialogPath = Child(path, "dialog");
                std::string name = so::Utf8FromWide(Text(*dialog, dialogPath));
                if (name == "script")
                    script.dialogKind = host::JavaScriptActionDialogPropData::kScriptEditor;
                else if (name == "fields")
                    script.dialogKind = host::JavaScriptActionDialogPropData::kFieldSelection;
                else if (name == "notation")
                    script.dialogKind = host::JavaScriptActionDialogPropData::kSimplifiedNotation;
                else
                    Fail(dialogPath, "unknown dialog " + Quoted(name) + " (script, fields, notation)");
            }
            return script;
        }
        }
        Fail(path, "unknown value kind");
    }

    // A path names a key of the file: without "max", the "min" given is above the default maximum.
    template <class Number>
    void CheckOrder(const Json& value, const std::string& path, Number min, Number max) const {
        if (min <= max)
            return;
        if (Optional(value, "max") != nullptr)
            Fail(Child(path, "max"), "the maximum is below the minimum");
        Fail(Child(path, "min"), (boost::format("the minimum is above the default maximum %1%") % max).str());
    }

    template <class Data>
    Data ListShape(const Json& value, const std::string& path) const {
        Data list;
        list.items = Texts(Require(value, path, "items"), Child(path, "items"));
        if (const Json* disabled = Optional(value, "disabled")) {
            std::string disabledPath = Child(path, "disabled");
            const Json& flags = Array(*disabled, disabledPath);
            if (flags.size() > list.items.size())
                Fail(disabledPath, "more disabled flags than items");
            for (std::size_t i = 0; i < flags.size(); ++i)
                list.disabled.push_back(Bool(flags[i], Child(disabledPath, i)) ? 1 : 0);
        }
        return list;
    }

    host::PropFontListData FontShape(const Json& value, const std::string& path) const {
        host::PropFontListData list;
        std::string fontsPath = Child(path, "fonts");
        const Json& fonts = Array(Require(value, path, "fonts"), fontsPath);
        for (std::size_t i = 0; i < fonts.size(); ++i) {
            std::string fontPath = Child(fontsPath, i);
            ExpectObject(fonts[i], fontPath);
            CheckKeys(fonts[i], fontPath, {"name", "kind", "family", "format", "style"});
            host::PropFontEntry font;
            font.familyName = Name(Require(fonts[i], fontPath, "name"), Child(fontPath, "name"), false);
            if (const Json* kind = Optional(fonts[i], "kind")) {
                std::string name = so::Utf8FromWide(Text(*kind, Child(fontPath, "kind")));
                if (name == "system")
                    font.kind = host::PropFontEntry::kSystemFont;
                else if (name == "standard")
                    font.kind = host::PropFontEntry::kStandardFont;
                else if (name == "document")
                    font.kind = host::PropFontEntry::kDocumentFont;
                else
                    Fail(Child(fontPath, "kind"),
                         "unknown font kind " + Quoted(name) + " (system, standard, document)");
            }
            font.family = OptionalInt(fonts[i], fontPath, "family", 0);
            if (const Json* format = Optional(fonts[i], "format")) {
                std::string formatPath = Child(fontPath, "format");
                if (format->is_string()) {
                    const std::string& name = format->get_ref<const std::string&>();
                    if (name == "true-type")
                        font.format = host::PropFontEntry::kFormatTrueType;
                    else if (name == "type1")
                        font.format = host::PropFontEntry::kFormatType1;
                    else if (name == "type3")
                        font.format = host::PropFontEntry::kFormatType3;
                    else
                        Fail(formatPath,
                             "unknown font format " + Quoted(name) + " (true-type, type1, type3)");
                } else {
                    // A number passes as it is: the panel has to cope with formats it does not know.
                    font.format = std::uint32_t(Int(*format, formatPath));
                }
            }
            font.style = std::uint32_t(OptionalInt(fonts[i], fontPath, "style", 0));
            list.fonts.push_back(std::move(font));
        }
        return list;
    }

    // The value of `json` over `shape` (the property's limits and lists).
    StoredValue ValueFromJson(const PropertyModel& property, const StoredValue& shape, const Json& value,
                              const std::string& path) const {
        switch (property.kind) {
        case host::ValueKind::None:
            Fail(path, "a property of this type has no value");
        case host::ValueKind::ActionButton: {
            auto action = std::get<host::ActionButtonData>(shape);
            action.action = Text(value, path);
            return action;
        }
        case host::ValueKind::Bool:
            return Bool(value, path);
        case host::ValueKind::Float:
            return value.is_null() ? host::kNoFloatValue : Float(value, path);
        case host::ValueKind::FloatInline: {
            auto limits = std::get<host::FloatInlineValue>(shape);
            limits.value = value.is_null() ? host::kNoFloatValue : Float(value, path);
            if (!value.is_null() && (limits.value < limits.min || limits.value > limits.max))
                Fail(path, (boost::format("%1% is outside the limits %2%..%3%") % limits.value % limits.min %
                            limits.max)
                               .str());
            return limits;
        }
        case host::ValueKind::FloatList: {
            auto list = std::get<host::FloatListData>(shape);
            list.selected = host::kNoListIndex;
            if (value.is_null())
                return list;
            float chosen = Float(value, path);
            if (list.positiveOnly && chosen < 0)
                Fail(path, "a negative value in a list of positive values only");
            auto found = std::find(list.values.rbegin(), list.values.rend(), chosen);
            if (found == list.values.rend()) {
                list.values.push_back(chosen);
                list.selected = list.values.size() - 1;
            } else {
                list.selected = std::uint64_t(list.values.rend() - found - 1);
            }
            return list;
        }
        case host::ValueKind::Number: {
            auto limits = std::get<host::NumberValue>(shape);
            limits.value = host::kNoIntegerValue;
            if (value.is_null())
                return limits;
            limits.value = Int(value, path);
            if (limits.value < limits.min || limits.value > limits.max)
                Fail(path, (boost::format("%1% is outside the limits %2%..%3%") % limits.value % limits.min %
                            limits.max)
                               .str());
            return limits;
        }
        case host::ValueKind::Color: {
            auto color = std::get<host::ColorValue>(shape);
            if (value.is_null()) {
                if (!property.noColorAvailable)
                    Fail(path, "no colour (null) needs \"noColorAvailable\": true");
                color.color = 0;
                return color;
            }
            std::string text = so::Utf8FromWide(Text(value, path));
            std::uint32_t rgb = 0;
            if (!HasShape(text, "#FFFFFF"))
                Fail(path, "a colour is written \"#RRGGBB\" (or null for no colour)");
            std::from_chars(text.data() + 1, text.data() + text.size(), rgb, 16);
            // The alpha byte keeps black apart from "no colour", as the panel's colour table does.
            color.color = 0xFF000000u | rgb;
            return color;
        }
        case host::ValueKind::DateTime: {
            std::optional<host::DateTimeValue> date = ParseDateTimeText(so::Utf8FromWide(Text(value, path)));
            if (!date)
                Fail(path, "a date and time is written \"YYYY-MM-DDTHH:MM:SS\"");
            if (!NormalizeDateTime(*date))
                Fail(path, "not a real date and time (in the years -32767 to 32767)");
            return *date;
        }
        case host::ValueKind::String:
            return Text(value, path);
        case host::ValueKind::MultilineString:
            return value.is_null() ? std::optional<std::wstring>()
                                   : std::optional<std::wstring>(Text(value, path));
        case host::ValueKind::StringList:
            if (property.typeCode == std::uint32_t(PropertyType::EditStringList)) {
                host::PropStringListData list;
                list.items = Texts(value, path);
                return list;
            }
            return ChooseItem(std::get<host::PropStringListData>(shape), value, path);
        case host::ValueKind::StringPairList: {
            host::PropStringPairListData pairs;
            const Json& array = Array(value, path);
            for (std::size_t i = 0; i < array.size(); ++i) {
                std::string pairPath = Child(path, i);
                if (!array[i].is_array() || array[i].size() != 2)
                    Fail(pairPath, "a pair is an array of two strings");
                pairs.pairs.emplace_back(Text(array[i][0], Child(pairPath, 0)),
                                         Text(array[i][1], Child(pairPath, 1)));
            }
            return pairs;
        }
        case host::ValueKind::FontStyleList:
            return ChooseItem(std::get<host::PropFontStyleListData>(shape), value, path);
        case host::ValueKind::FontList: {
            auto list = std::get<host::PropFontListData>(shape);
            list.selected = host::kNoListIndex;
            if (value.is_null())
                return list;
            std::wstring name = Text(value, path);
            auto found =
                std::find_if(list.fonts.begin(), list.fonts.end(),
                             [&name](const host::PropFontEntry& font) { return font.familyName == name; });
            if (found == list.fonts.end())
                Fail(path, Quoted(so::Utf8FromWide(name)) + " is not one of the fonts");
            list.selected = std::uint64_t(found - list.fonts.begin());
            return list;
        }
        case host::ValueKind::CheckRadioCaption: {
            auto caption = std::get<host::CheckRadioCaptionData>(shape);
            caption.caption = Text(value, path);
            return caption;
        }
        case host::ValueKind::BorderStyleList:
            return ChooseItem(std::get<host::BorderStyleDropDownData>(shape), value, path);
        case host::ValueKind::LineBorderStyleList:
            return ChooseItem(std::get<host::LineBorderStyleDropDownData>(shape), value, path);
        case host::ValueKind::LineWidthList:
            return ChooseItem(std::get<host::LineWidthDropDownData>(shape), value, path);
        case host::ValueKind::LineArrowStartList:
            return ChooseItem(std::get<host::LineArrowStartDropDownData>(shape), value, path);
        case host::ValueKind::LineArrowEndList:
            return ChooseItem(std::get<host::LineArrowEndDropDownData>(shape), value, path);
        case host::ValueKind::BulletsList:
            return ChooseItem(std::get<host::ParagraphBulletsStyleData>(shape), value, path);
        case host::ValueKind::PDAction:
            // This host makes no PDF actions from files: a property starts without one.
            if (!value.is_null())
                Fail(path, "an action property starts without an action (null)");
            return host::PDActionDialogPropData{};
        case host::ValueKind::JavaScriptAction: {
            auto script = std::get<host::JavaScriptActionDialogPropData>(shape);
            script.textSet = !value.is_null();
            script.text = value.is_null() ? std::wstring() : Text(value, path);
            return script;
        }
        }
        Fail(path, "unknown value kind");
    }

    template <class Data>
    Data ChooseItem(Data list, const Json& value, const std::string& path) const {
        list.selected = host::kNoListIndex;
        if (value.is_null())
            return list;
        std::wstring item = Text(value, path);
        auto found = std::find(list.items.begin(), list.items.end(), item);
        if (found == list.items.end())
            Fail(path, Quoted(so::Utf8FromWide(item)) + " is not one of the items");
        list.selected = std::uint64_t(found - list.items.begin());
        return list;
    }

    std::vector<KindDefaults> ReadDefaults(const Json& value, const std::string& path,
                                           const DocumentModel& model) {
        const Json& array = Array(value, path);
        std::vector<KindDefaults> all;
        for (std::size_t i = 0; i < array.size(); ++i) {
            std::string kindPath = Child(path, i);
            ExpectObject(array[i], kindPath);
            CheckKeys(array[i], kindPath, {"kind", "values"});
            KindDefaults defaults;
            defaults.kind = Name(Require(array[i], kindPath, "kind"), Child(kindPath, "kind"), false);
            if (std::any_of(all.begin(), all.end(),
                            [&defaults](const KindDefaults& d) { return d.kind == defaults.kind; }))
                Fail(Child(kindPath, "kind"), "the default settings of " +
                                                  Quoted(so::Utf8FromWide(defaults.kind)) +
                                                  " are given twice");
            std::vector<const ObjectModel*> objects;
            for (const auto& object : model.objects)
                if (object->kind == defaults.kind && object->defaultSettings)
                    objects.push_back(object.get());
            if (objects.empty())
                Fail(Child(kindPath, "kind"), "no object of the kind " +
                                                  Quoted(so::Utf8FromWide(defaults.kind)) +
                                                  " has \"defaultSettings\": true");
            std::string valuesPath = Child(kindPath, "values");
            const Json& values = Array(Require(array[i], kindPath, "values"), valuesPath);
            for (std::size_t j = 0; j < values.size(); ++j)
                defaults.entries.push_back(
                    ReadDefaultEntry(values[j], Child(valuesPath, j), objects, defaults));
            all.push_back(std::move(defaults));
        }
        return all;
    }

    DefaultEntry ReadDefaultEntry(const Json& value, const std::string& path,
                                  const std::vector<const ObjectModel*>& objects, const KindDefaults& kind) {
        ExpectObject(value, path);
        CheckKeys(value, path, {"property", "value"});
        std::string propertyPath = Child(path, "property");
        DefaultEntry entry;
        entry.path = Texts(Require(value, path, "property"), propertyPath);
        if (entry.path.size() < 2)
            Fail(propertyPath, "a property is named by its groups from the root, then its own name");
        for (const auto& other : kind.entries)
            if (other.path == entry.path)
                Fail(propertyPath, "the default of this property is given twice");
        std::string valuePath = Child(path, "value");
        const Json& given = Require(value, path, "value");
        for (const ObjectModel* object : objects) {
            auto property = FindProperty(*object, entry.path);
            if (!property)
                Fail(propertyPath,
                     "the object " + Quoted(so::Utf8FromWide(object->name)) + " has no such property");
            if (property->kind == host::ValueKind::None)
                Fail(propertyPath, "a property of this type has no value");
            StoredValue parsed = ValueFromJson(*property, property->value, given, valuePath);
            if (object == objects.front())
                entry.original = std::move(parsed);
            else if (KindOf(parsed) != KindOf(entry.original))
                Fail(propertyPath, "the objects of the kind differ in the type of this property");
        }
        entry.stored = entry.original;
        return entry;
    }

    std::string file_;
};

// A key or a name may hold any character JSON can escape: a "\u0000" would cut the message short
// wherever it is printed as a C string, and other control characters would act on the terminal.
std::string PrintableMessage(const std::string& text) {
    std::string printable;
    for (unsigned char c : text)
        printable +=
            c < 0x20 || c == 0x7F ? (boost::format("\\x%02X") % int(c)).str() : std::string(1, char(c));
    return printable;
}

} // namespace

DocumentFileError::DocumentFileError(std::string file, std::string path, std::string detail)
    : std::runtime_error(PrintableMessage(file + ": " + path + ": " + detail)), file_(std::move(file)),
      path_(std::move(path)), detail_(std::move(detail)) {}

std::uint32_t TypeCodeOfName(std::string_view name) {
    for (const auto& entry : kTypeNames)
        if (name == entry.name)
            return std::uint32_t(entry.type);
    return 0;
}

std::string_view TypeNameOfCode(std::uint32_t typeCode) {
    for (const auto& entry : kTypeNames)
        if (typeCode == std::uint32_t(entry.type))
            return entry.name;
    return {};
}

DocumentModel ParseDocument(std::string_view text, const std::string& fileName) {
    if (text.size() > Limits::kMaxFileBytes)
        throw DocumentFileError(fileName, "/",
                                (boost::format("a file of %1% bytes is larger than the limit of %2%") %
                                 text.size() % Limits::kMaxFileBytes)
                                    .str());
    Json root;
    try {
        root = ParseLimitedJson(text, JsonLimits{Limits::kMaxJsonDepth, Limits::kMaxStringBytes});
    } catch (const JsonPathError& e) {
        throw DocumentFileError(fileName, e.Path(), e.Detail());
    }
    return DocumentReader(fileName).Read(root);
}

DocumentModel LoadDocumentFile(const std::filesystem::path& file) {
    std::string name = file.string();
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (error)
        throw DocumentFileError(name, "/", "cannot be read: " + error.message());
    if (size > Limits::kMaxFileBytes)
        throw DocumentFileError(name, "/",
                                (boost::format("a file of %1% bytes is larger than the limit of %2%") % size %
                                 Limits::kMaxFileBytes)
                                    .str());
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof())
        throw DocumentFileError(name, "/", "cannot be read");
    return ParseDocument(text.str(), name);
}

} // namespace headless
