// Random bytes as a document file: every input loads or is refused with a DocumentFileError naming the
// file and a path of the text; a loaded document takes colours and dates only in their written form,
// and its values, written back as document-file values, read back the same.
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/LimitedJsonParser.h"
#include "headless-host/document/PropertyValues.h"
#include "service-common/TextConversion.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

namespace {

using Json = nlohmann::json;

const std::string kFileName = "fuzz.json";

[[noreturn]] void Abort(const std::string& what, std::string_view text) {
    std::fprintf(stderr, "%s\n--- text ---\n%.*s\n", what.c_str(), int(text.size()), text.data());
    std::abort();
}

// A property of the model beside the JSON it was read from, or a default entry beside its JSON.
using PropertyVisitor = std::function<void(Json& json, const headless::PropertyModel& property)>;
using DefaultVisitor = std::function<void(Json& json, const headless::DefaultEntry& entry,
                                          const headless::PropertyModel& property)>;

void VisitGroup(Json& json, const headless::GroupModel& group, const PropertyVisitor& visit) {
    for (std::size_t i = 0; i < group.properties.size(); ++i)
        visit(json.at("properties").at(i), *group.properties[i]);
    for (std::size_t i = 0; i < group.groups.size(); ++i)
        VisitGroup(json.at("groups").at(i), *group.groups[i], visit);
}

// The reader keeps the order of the file, so that the model's n-th element is the file's n-th (`at`
// throws, and so stops the fuzzer, where they part).
void Visit(Json& root, const headless::DocumentModel& model, const PropertyVisitor& visitProperty,
           const DefaultVisitor& visitDefault) {
    for (std::size_t o = 0; o < model.objects.size(); ++o)
        for (std::size_t g = 0; g < model.objects[o]->groups.size(); ++g)
            VisitGroup(root.at("objects").at(o).at("groups").at(g), *model.objects[o]->groups[g],
                       visitProperty);
    for (std::size_t k = 0; k < model.defaults.size(); ++k) {
        const headless::KindDefaults& kind = model.defaults[k];
        const headless::ObjectModel* first = nullptr;
        for (const auto& object : model.objects)
            if (object->kind == kind.kind && object->defaultSettings) {
                first = object.get();
                break;
            }
        for (std::size_t e = 0; e < kind.entries.size(); ++e)
            visitDefault(root.at("defaultSettings").at(k).at("values").at(e), kind.entries[e],
                         *headless::FindProperty(*first, kind.entries[e].path));
    }
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Colours and dates have one written form; anything else that reads as one is a misspelling.
void CheckWrittenForm(const Json& given, std::uint32_t typeCode, const headless::StoredValue& value,
                      std::string_view text) {
    if (!given.is_string())
        return;
    const std::string& written = given.get_ref<const std::string&>();
    if (typeCode == std::uint32_t(host::PropertyType::Color) &&
        Upper(written) != headless::ColorText(std::get<host::ColorValue>(value).color))
        Abort("the colour " + written + " was taken as " +
                  headless::ColorText(std::get<host::ColorValue>(value).color),
              text);
    if (typeCode == std::uint32_t(host::PropertyType::DateTime) &&
        written != headless::DateTimeText(std::get<host::DateTimeValue>(value)))
        Abort("the date " + written + " was taken as " +
                  headless::DateTimeText(std::get<host::DateTimeValue>(value)),
              text);
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

void CheckRefusal(const headless::DocumentFileError& error, std::string_view text) {
    // The message is what people see: whole (a NUL would end it early) and free of control characters.
    const std::string parts = error.File() + ": " + error.Path() + ": " + error.Detail();
    const std::string shown = error.what();
    bool shownWhole =
        std::none_of(parts.begin(), parts.end(), IsControl)
            ? shown == parts
            : shown.size() > parts.size() && std::none_of(shown.begin(), shown.end(), IsControl);
    if (error.File() != kFileName || error.Path().empty() || error.Path().front() != '/' ||
        error.Detail().empty() || !shownWhole)
        Abort("malformed refusal: " + shown, text);
    // A text that is JSON is refused for its content, at a place that exists in it.
    Json root;
    try {
        root = headless::ParseLimitedJson(text, {headless::DocumentFileLimits::kMaxJsonDepth,
                                                 headless::DocumentFileLimits::kMaxStringBytes});
    } catch (const headless::JsonPathError&) {
        return;
    }
    // "/" is the whole text, or a key "" of it.
    if (error.Path() == "/")
        return;
    if (!root.contains(Json::json_pointer(error.Path())))
        Abort(std::string("the refusal names a path that is not in the text: ") + error.what(), text);
}

// Read back into another document, an action is another PDF object: it is the same when the library
// describes it the same.
bool SameReadBack(std::uint32_t typeCode, const headless::StoredValue& first,
                  const headless::StoredValue& second) {
    const auto kind = headless::KindOf(first);
    if (kind == host::ValueKind::PDAction || kind == host::ValueKind::JavaScriptAction)
        return headless::ValueText(typeCode, first) == headless::ValueText(typeCode, second);
    return headless::SameValue(first, second);
}

void CheckSameModel(const headless::DocumentModel& first, const headless::DocumentModel& second,
                    std::string_view text) {
    if (first.name != second.name || first.pageLabels != second.pageLabels ||
        first.objects.size() != second.objects.size() || first.defaults.size() != second.defaults.size() ||
        first.lockedState != second.lockedState)
        Abort("the rewritten document differs in its outline", text);
    std::vector<const headless::PropertyModel*> before;
    std::vector<const headless::PropertyModel*> after;
    std::function<void(const headless::GroupModel&, std::vector<const headless::PropertyModel*>&)> collect =
        [&collect](const headless::GroupModel& group, std::vector<const headless::PropertyModel*>& out) {
            for (const auto& property : group.properties)
                out.push_back(property.get());
            for (const auto& sub : group.groups)
                collect(*sub, out);
        };
    for (std::size_t o = 0; o < first.objects.size(); ++o) {
        if (first.objects[o]->name != second.objects[o]->name ||
            first.objects[o]->kind != second.objects[o]->kind)
            Abort("the rewritten document differs in its objects", text);
        for (const auto& group : first.objects[o]->groups)
            collect(*group, before);
        for (const auto& group : second.objects[o]->groups)
            collect(*group, after);
    }
    if (before.size() != after.size())
        Abort("the rewritten document differs in its properties", text);
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i]->name != after[i]->name || before[i]->typeCode != after[i]->typeCode ||
            !SameReadBack(before[i]->typeCode, before[i]->value, after[i]->value))
            Abort("the value of " + so::Utf8FromWide(before[i]->name) + " changed from " +
                      headless::ValueText(before[i]->typeCode, before[i]->value) + " to " +
                      headless::ValueText(after[i]->typeCode, after[i]->value),
                  text);
    for (std::size_t k = 0; k < first.defaults.size(); ++k) {
        const auto& entries = first.defaults[k].entries;
        const auto& again = second.defaults[k].entries;
        if (entries.size() != again.size())
            Abort("the rewritten document differs in its default settings", text);
        for (std::size_t e = 0; e < entries.size(); ++e)
            if (entries[e].path != again[e].path ||
                !SameReadBack(0, entries[e].original, again[e].original)) // the code only tells lists apart
                Abort("a default value changed", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    headless::DocumentModel model;
    try {
        model = headless::ParseDocument(text, kFileName);
    } catch (const headless::DocumentFileError& error) {
        CheckRefusal(error, text);
        return 0;
    }

    // Accepted text is JSON; every value is written back in the form dumps and `expect value` show it.
    Json root = headless::ParseLimitedJson(text);
    Visit(
        root, model,
        [text](Json& json, const headless::PropertyModel& property) {
            if (property.kind == host::ValueKind::None)
                return;
            if (json.contains("value"))
                CheckWrittenForm(json.at("value"), property.typeCode, property.value, text);
            json["value"] = headless::ValueToJson(property.typeCode, property.value);
        },
        [text](Json& json, const headless::DefaultEntry& entry, const headless::PropertyModel& property) {
            CheckWrittenForm(json.at("value"), property.typeCode, entry.original, text);
            json["value"] = headless::ValueToJson(property.typeCode, entry.original);
        });
    const std::string rewritten = root.dump();
    try {
        CheckSameModel(model, headless::ParseDocument(rewritten, kFileName), text);
    } catch (const headless::DocumentFileError& error) {
        Abort(std::string("the rewritten document is refused: ") + error.what() + "\n--- rewritten ---\n" +
                  rewritten,
              text);
    }
    return 0;
}
