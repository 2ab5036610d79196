#include "headless-host/document/ValueForms.h"

#include "headless-host/document/JsonReader.h"
#include "host/BLProperties.h"
#include "service-common/TextConversion.h"

#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace headless {

namespace {

using Json = nlohmann::json;
using host::PropertyType;

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Not every compiler this builds with deduces aggregate templates by itself.
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

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

// A script property's action that its script alone describes: one JavaScript action, nothing after it.
bool IsLoneScript(PDHandle action) {
    return PdfActionType(action) == kPDActionJavaScript && PdfActionNextCount(action) == 0;
}

nlohmann::json ListEntryJson(const host::PropListData& list) {
    if (list.selected >= list.items.size())
        return nullptr;
    return Utf8(list.items[list.selected]);
}

// The value forms of document files, read with the checks of JsonReader.
struct FormReader : JsonReader {
    // The property's value without its value: limits, lists and flags from the property's keys.
    static StoredValue Shape(const PropertyModel& property, const Json& value, const std::string& path) {
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
            return PdfActionValue{};
        case host::ValueKind::JavaScriptAction: {
            JavaScriptActionValue script;
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
    static void CheckOrder(const Json& value, const std::string& path, Number min, Number max) {
        if (min <= max)
            return;
        if (Optional(value, "max") != nullptr)
            Fail(Child(path, "max"), "the maximum is below the minimum");
        Fail(Child(path, "min"), (boost::format("the minimum is above the default maximum %1%") % max).str());
    }

    template <class Data>
    static Data ListShape(const Json& value, const std::string& path) {
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

    static host::PropFontListData FontShape(const Json& value, const std::string& path) {
        host::PropFontListData list;
        std::string fontsPath = Child(path, "fonts");
        const Json& fonts = Array(Require(value, path, "fonts"), fontsPath);
        for (std::size_t i = 0; i < fonts.size(); ++i) {
            std::string fontPath = Child(fontsPath, i);
            ExpectObject(fonts[i], fontPath);
            CheckKeys(fonts[i], fontPath, {"name", "kind", "family", "format", "style"});
            host::PropFontEntry font;
            font.familyName =
                Name(Require(fonts[i], fontPath, "name"), Child(fontPath, "name"), false, kMaxFontNameLength);
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
    static StoredValue ValueFromJson(const PropertyModel& property, const StoredValue& shape,
                                     const Json& value, const std::string& path) {
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
                Fail(path, OutsideLimits(limits.value, limits.min, limits.max));
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
                Fail(path, OutsideLimits(limits.value, limits.min, limits.max));
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
            std::optional<std::uint32_t> parsed = ParseColorText(so::Utf8FromWide(Text(value, path)));
            if (!parsed)
                Fail(path, "a colour is written \"#RRGGBB\" (or null for no colour)");
            color.color = *parsed;
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
            if (value.is_null())
                return PdfActionValue{};
            if (!value.is_object())
                Fail(path, "an action is written as its description (an object) or null, found " +
                               Described(value));
            return PdfActionValue{BuildAction(property, value, path)};
        case host::ValueKind::JavaScriptAction:
            return ScriptValue(property, std::get<JavaScriptActionValue>(shape), value, path);
        }
        Fail(path, "unknown value kind");
    }

    // The value replaces action and text alike; only the dialog kind is the host's.
    static JavaScriptActionValue ScriptValue(const PropertyModel& property,
                                             const JavaScriptActionValue& shape, const Json& value,
                                             const std::string& path) {
        JavaScriptActionValue script{{}, shape.dialogKind, {}, false};
        if (value.is_null())
            return script;
        if (value.is_string()) {
            script.text = Text(value, path);
            script.textSet = true;
            return script;
        }
        if (!value.is_object())
            Fail(path, "a script property's value is its text, an object of \"script\", \"action\" and "
                       "\"text\", or null; found " +
                           Described(value));
        CheckKeys(value, path, {"script", "action", "text"});
        if (value.empty())
            Fail(path, "an empty object sets nothing: give \"script\" or \"action\", and \"text\" if any (or "
                       "null for neither)");
        const Json* scriptText = Optional(value, "script");
        const Json* action = Optional(value, "action");
        if (scriptText != nullptr && action != nullptr)
            Fail(Child(path, "action"), "an action is given by \"script\" or by \"action\", not both");
        if (scriptText != nullptr) {
            std::string scriptPath = Child(path, "script");
            std::wstring text = Text(*scriptText, scriptPath);
            RequirePdfDocument(property, scriptPath);
            if (PDActionCreate(property.pdfDocument.Get(), kPDActionJavaScript, script.action.Put(),
                               text.c_str()) != kPDOk)
                Fail(scriptPath, PdfLastError());
        } else if (action != nullptr) {
            std::string actionPath = Child(path, "action");
            if (!action->is_object())
                Fail(actionPath,
                     "an action is written as its description (an object), found " + Described(*action));
            script.action = BuildAction(property, *action, actionPath);
        }
        if (const Json* text = Optional(value, "text")) {
            script.text = Text(*text, Child(path, "text"));
            script.textSet = true;
        }
        return script;
    }

    static void RequirePdfDocument(const PropertyModel& property, const std::string& path) {
        if (!property.pdfDocument)
            Fail(path, "there is no PDF document to build the action in");
    }

    // A description in the PDF core library's JSON form, built in the property's PDF document; a
    // description the library refuses fails with the library's own words.
    static PdfRef BuildAction(const PropertyModel& property, const Json& description,
                              const std::string& path) {
        RequirePdfDocument(property, path);
        PdfRef action;
        const std::string text = description.dump(-1, ' ', false, Json::error_handler_t::replace);
        if (PDActionCreateFromJson(property.pdfDocument.Get(), text.c_str(), action.Put()) != kPDOk)
            Fail(path, PdfLastError());
        return action;
    }

    template <class Data>
    static Data ChooseItem(Data list, const Json& value, const std::string& path) {
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
};

} // namespace

std::vector<const char*> PropertyKeys(std::uint32_t typeCode) {
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
    case host::ValueKind::Bool:
    case host::ValueKind::Float:
    case host::ValueKind::DateTime:
    case host::ValueKind::String:
    case host::ValueKind::MultilineString:
    case host::ValueKind::StringPairList:
    case host::ValueKind::PDAction:
        break;
    }
    return {"name", "type", "readOnly", "hidden", "value"};
}

Json ValueJsonOfWord(const PropertyModel& property, const std::string& word) {
    if (property.kind == host::ValueKind::JavaScriptAction) {
        // A word that is a JSON object is the object form ({"script": …}); any other word is the text.
        Json parsed = Json::parse(word, nullptr, false);
        if (parsed.is_object())
            return parsed;
    }
    bool textual = false;
    bool nullable = false;
    switch (property.kind) {
    case host::ValueKind::ActionButton:
    case host::ValueKind::DateTime:
    case host::ValueKind::String:
    case host::ValueKind::CheckRadioCaption:
        textual = true;
        break;
    case host::ValueKind::Color:
    case host::ValueKind::MultilineString:
    case host::ValueKind::FontStyleList:
    case host::ValueKind::FontList:
    case host::ValueKind::BorderStyleList:
    case host::ValueKind::LineBorderStyleList:
    case host::ValueKind::LineWidthList:
    case host::ValueKind::LineArrowStartList:
    case host::ValueKind::LineArrowEndList:
    case host::ValueKind::BulletsList:
    case host::ValueKind::JavaScriptAction:
        textual = nullable = true;
        break;
    case host::ValueKind::StringList:
        // The editable list is an array of texts; the others choose one of their items.
        textual = nullable = property.typeCode != std::uint32_t(PropertyType::EditStringList);
        break;
    case host::ValueKind::None:
    case host::ValueKind::Bool:
    case host::ValueKind::Float:
    case host::ValueKind::FloatInline:
    case host::ValueKind::FloatList:
    case host::ValueKind::Number:
    case host::ValueKind::StringPairList:
    case host::ValueKind::PDAction:
        break;
    }
    if (textual)
        return nullable && word == "null" ? Json() : Json(word);
    Json parsed = Json::parse(word, nullptr, false);
    if (parsed.is_discarded())
        JsonReader::Fail("", Quoted(word) + " is not a JSON value");
    return parsed;
}

StoredValue ValueShape(const PropertyModel& property, const Json& value, const std::string& path) {
    return FormReader::Shape(property, value, path);
}

StoredValue ValueFromJson(const PropertyModel& property, const StoredValue& shape, const Json& value,
                          const std::string& path) {
    return FormReader::ValueFromJson(property, shape, value, path);
}

std::string OutsideLimits(std::int32_t value, std::int32_t min, std::int32_t max) {
    return (boost::format("%1% is outside the limits %2%..%3%") % value % min % max).str();
}

std::string OutsideLimits(float value, float min, float max) {
    return (boost::format("%1% is outside the limits %2%..%3%") % value % min % max).str();
}

std::optional<std::uint32_t> ParseColorText(std::string_view text) {
    // from_chars alone would take a sign or stop early; every digit must be a hexadecimal one.
    if (text.size() != 7 || text[0] != '#' || !std::all_of(text.begin() + 1, text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    std::uint32_t rgb = 0;
    std::from_chars(text.data() + 1, text.data() + text.size(), rgb, 16);
    // The alpha byte keeps black apart from "no colour", as the panel's colour table does.
    return 0xFF000000u | rgb;
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
                   [](const PdfActionValue& v) -> json {
                       return v.action ? json::parse(DescribePdfAction(v.action.Get())) : json();
                   },
                   [](const JavaScriptActionValue& v) -> json {
                       if (v.textSet)
                           return Utf8(v.text);
                       if (!v.action)
                           return nullptr;
                       if (IsLoneScript(v.action.Get()))
                           return json{{"script", Utf8(PdfActionScript(v.action.Get()))}};
                       return json{{"action", json::parse(DescribePdfAction(v.action.Get()))}};
                   },
                   [](const host::PropListData& v) -> json { return ListEntryJson(v); }},
        value);
}

std::string ValueText(std::uint32_t typeCode, const StoredValue& value) {
    // An action shows as the library describes it, "type" first, where a JSON object of ours would
    // sort its keys.
    if (const auto* held = std::get_if<PdfActionValue>(&value); held != nullptr && held->action)
        return DescribePdfAction(held->action.Get());
    if (const auto* script = std::get_if<JavaScriptActionValue>(&value);
        script != nullptr && !script->textSet && script->action && !IsLoneScript(script->action.Get()))
        return "{\"action\":" + DescribePdfAction(script->action.Get()) + "}";
    // Replacement of bad UTF-8 cannot happen here: every text went through the conversion library.
    return ValueToJson(typeCode, value).dump();
}

} // namespace headless
