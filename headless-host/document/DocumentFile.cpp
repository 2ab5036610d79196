#include "headless-host/document/DocumentFile.h"

#include "headless-host/document/JsonReader.h"
#include "headless-host/document/LimitedJsonParser.h"
#include "headless-host/document/PropertyValues.h"
#include "headless-host/document/ValueForms.h"
#include "host/BLProperties.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <optional>
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

// Reads one file's JSON into the model, failing with the path of the first fault.
class DocumentReader : JsonReader {
public:
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
        model.pdfDocument = NewPdfDocument(pages.size(), pagesPath);
        pdfDocument_ = model.pdfDocument;

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
    static std::wstring Name(const Json& value, const std::string& path, bool mayBeEmpty) {
        return JsonReader::Name(value, path, mayBeEmpty, Limits::kMaxNameLength);
    }

    // Where the PDF document comes from: made in memory with one empty page per page of the file.
    // Everything read after it (widgets, actions) works on it as it would on a document opened from
    // a PDF file.
    static PdfRef NewPdfDocument(std::size_t pageCount, const std::string& path) {
        PdfRef document;
        if (PDDocCreate(document.Put()) != kPDOk)
            Fail(path, PdfLastError());
        for (std::size_t i = 0; i < pageCount; ++i) {
            PdfRef page;
            if (PDDocAddPage(document.Get(), page.Put()) != kPDOk)
                Fail(path, PdfLastError());
        }
        return document;
    }

    // A form field's widget on its page, merged with a new field of that name, under the field
    // `parentField` names (made when missing).
    PdfRef AddWidget(const Json& object, const std::string& path, std::uint32_t pageIndex) const {
        const std::string fieldPath = Child(path, "field");
        const std::string name = so::Utf8FromWide(Name(Require(object, path, "field"), fieldPath, false));
        if (name.find('.') != std::string::npos)
            Fail(fieldPath, "a field's own name holds no '.' (its parents go in \"parentField\")");
        std::optional<std::string> parent;
        if (const Json* parentField = Optional(object, "parentField")) {
            const std::string parentPath = Child(path, "parentField");
            parent = so::Utf8FromWide(Name(*parentField, parentPath, false));
            if (parent->front() == '.' || parent->back() == '.' || parent->find("..") != std::string::npos)
                Fail(parentPath, "the qualified name " + Quoted(*parent) + " has an empty part");
        }
        PdfRef page;
        if (PDDocGetPage(pdfDocument_.Get(), pageIndex, page.Put()) != kPDOk)
            Fail(Child(path, "page"), PdfLastError());
        PdfRef widget;
        if (PDPageAddWidget(page.Get(), name.c_str(), parent ? parent->c_str() : nullptr, widget.Put()) !=
            kPDOk)
            Fail(fieldPath, PdfLastError());
        return widget;
    }

    // The object's first action property, groups in order and a group's properties before its
    // sub-groups; null when it has none.
    static PropertyModel* FirstActionProperty(const std::vector<std::shared_ptr<GroupModel>>& groups) {
        for (const auto& group : groups) {
            for (const auto& property : group->properties)
                if (property->kind == host::ValueKind::PDAction)
                    return property.get();
            if (PropertyModel* found = FirstActionProperty(group->groups))
                return found;
        }
        return nullptr;
    }

    std::shared_ptr<ObjectModel> ReadObject(const Json& value, const std::string& path,
                                            std::size_t pageCount) {
        ExpectObject(value, path);
        CheckKeys(value, path, {"name", "kind", "page", "field", "parentField", "defaultSettings", "groups"});
        auto object = std::make_shared<ObjectModel>();
        object->name = Name(Require(value, path, "name"), Child(path, "name"), false);
        object->kind = Name(Require(value, path, "kind"), Child(path, "kind"), false);
        std::int32_t page = OptionalInt(value, path, "page", 0);
        if (page < 0 || std::size_t(page) >= pageCount)
            Fail(Child(path, "page"),
                 (boost::format("page %1% does not exist (the document has %2%)") % page % pageCount).str());
        object->page = std::uint32_t(page);
        if (Optional(value, "field") != nullptr)
            object->widget = AddWidget(value, path, object->page);
        else if (Optional(value, "parentField") != nullptr)
            Fail(Child(path, "parentField"), "a parent field needs the object's own \"field\"");
        object->defaultSettings = OptionalBool(value, path, "defaultSettings", false);
        object->groups = ReadGroups(Require(value, path, "groups"), Child(path, "groups"), 1);
        // The PDF keeps a field's activation action (/A) in step with the property that shows it.
        if (PropertyModel* action = object->widget ? FirstActionProperty(object->groups) : nullptr) {
            action->widget = object->widget;
            if (SetWidgetAction(*action, action->value) != kPDOk)
                Fail(Child(path, "groups"), PdfLastError());
        }
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
        property->pdfDocument = pdfDocument_;
        property->name = Name(Require(value, path, "name"), Child(path, "name"), true);
        property->typeCode = TypeCode(Require(value, path, "type"), Child(path, "type"));
        property->kind = host::ValueKindForType(property->typeCode);
        std::vector<const char*> keys = PropertyKeys(property->typeCode);
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
        StoredValue shape = ValueShape(*property, value, path);
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

    PdfRef pdfDocument_; // the model's
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
    try {
        return DocumentReader().Read(root);
    } catch (const JsonPathError& e) {
        throw DocumentFileError(fileName, e.Path(), e.Detail());
    }
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
