#include "headless-host/pdfcore/ActionJson.h"

#include "headless-host/pdfcore/FormFields.h"
#include "headless-host/pdfcore/Handles.h"
#include "headless-host/pdfcore/PdfNames.h"
#include "headless-host/pdfcore/PdfObjects.h"
#include "host/PdfCore.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <set>

namespace pdfcore {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// Deep enough for any real chain; past it a description or a file is more likely hostile.
constexpr int kMaxChainDepth = 256;

// ---- Building -----------------------------------------------------------------------------------

// The keys each action type takes besides "type" and "next"; unused places stay empty.
struct ActionKeys {
    std::string_view type;
    std::array<std::string_view, 2> keys;
};

const ActionKeys kActionKeys[] = {
    {"GoTo", {"page", "dest"}},
    {"Hide", {"hide", "fields"}},
    {"ImportData", {"file"}},
    {"JavaScript", {"script"}},
    {"Launch", {"file"}},
    {"Movie", {}},
    {"Named", {"name"}},
    {"ResetForm", {"fields"}},
    {"Sound", {}},
    {"SubmitForm", {"url", "fields"}},
    {"URI", {"uri"}},
};

class ActionBuilder {
public:
    explicit ActionBuilder(QPDF& pdf) : pdf_(pdf) {}

    QPDFObjectHandle Build(const Json& description, const std::string& where, int depth) {
        if (depth > kMaxChainDepth)
            Fail(where, "the chain is deeper than " + std::to_string(kMaxChainDepth) + " actions");
        if (!description.is_object())
            Fail(where, "an action is a JSON object");
        const std::string type = RequiredString(description, "type", where);
        CheckKeys(description, type, where);

        auto action = QPDFObjectHandle::newDictionary();
        action.replaceKey("/Type", QPDFObjectHandle::newName("/Action"));
        action.replaceKey("/S", QPDFObjectHandle::newName("/" + type));
        switch (ActionTypeOfName(type)) {
        case kPDActionURI:
            action.replaceKey("/URI", QPDFObjectHandle::newString(RequiredString(description, "uri", where)));
            break;
        case kPDActionJavaScript:
            action.replaceKey("/JS", NewTextString(RequiredString(description, "script", where)));
            break;
        case kPDActionHide:
            if (description.contains("hide")) {
                if (!description["hide"].is_boolean())
                    Fail(where + ".hide", "a boolean is expected");
                action.replaceKey("/H", QPDFObjectHandle::newBool(description["hide"].get<bool>()));
            }
            if (description.contains("fields"))
                action.replaceKey("/T", FieldNames(description["fields"], where + ".fields"));
            break;
        case kPDActionGoTo:
            action.replaceKey("/D", Destination(description, where));
            break;
        case kPDActionNamed:
            action.replaceKey("/N",
                              QPDFObjectHandle::newName("/" + RequiredString(description, "name", where)));
            break;
        case kPDActionLaunch:
        case kPDActionImportData:
            action.replaceKey("/F", NewTextString(RequiredString(description, "file", where)));
            break;
        case kPDActionSubmitForm: {
            auto url = QPDFObjectHandle::parse("<< /FS /URL >>");
            url.replaceKey("/F", QPDFObjectHandle::newString(RequiredString(description, "url", where)));
            action.replaceKey("/F", url);
            if (description.contains("fields"))
                action.replaceKey("/Fields", FieldNames(description["fields"], where + ".fields"));
            break;
        }
        case kPDActionResetForm:
            if (description.contains("fields"))
                action.replaceKey("/Fields", FieldNames(description["fields"], where + ".fields"));
            break;
        case kPDActionSound: {
            // /Sound is required: a silent sound keeps the action well formed.
            auto sound = pdf_.newStream(std::string());
            sound.replaceDict(QPDFObjectHandle::parse("<< /Type /Sound /R 8000 >>"));
            action.replaceKey("/Sound", sound);
            break;
        }
        case kPDActionMovie:
            break;
        default:
            Fail(where + ".type", "\"" + type + "\" is not an action type");
        }

        if (description.contains("next"))
            action.replaceKey("/Next", Next(description["next"], where + ".next", depth));
        return pdf_.makeIndirectObject(action);
    }

private:
    [[noreturn]] static void Fail(const std::string& where, const std::string& message) {
        throw Failure(kPDInvalidArgument, where + ": " + message);
    }

    static std::string RequiredString(const Json& description, const char* key, const std::string& where) {
        auto found = description.find(key);
        if (found == description.end() || !found->is_string())
            Fail(where, std::string("\"") + key + "\" must be a string");
        return found->get<std::string>();
    }

    static void CheckKeys(const Json& description, const std::string& type, const std::string& where) {
        auto entry = std::find_if(std::begin(kActionKeys), std::end(kActionKeys),
                                  [&type](const ActionKeys& keys) { return keys.type == type; });
        if (entry == std::end(kActionKeys))
            Fail(where + ".type", "\"" + type + "\" is not an action type");
        for (auto& [key, value] : description.items()) {
            const bool taken =
                !key.empty() && std::find(entry->keys.begin(), entry->keys.end(), key) != entry->keys.end();
            if (key != "type" && key != "next" && !taken)
                Fail(where, "a " + type + " action takes no \"" + key + "\"");
        }
    }

    static QPDFObjectHandle FieldNames(const Json& names, const std::string& where) {
        if (!names.is_array())
            Fail(where, "an array of field names is expected");
        auto array = QPDFObjectHandle::newArray();
        for (auto& name : names) {
            if (!name.is_string())
                Fail(where, "a field name must be a string");
            array.appendItem(NewTextString(name.get<std::string>()));
        }
        return array;
    }

    QPDFObjectHandle Destination(const Json& description, const std::string& where) {
        if (description.contains("page") == description.contains("dest"))
            Fail(where, "a GoTo action takes either \"page\" or \"dest\"");
        if (description.contains("dest"))
            return NewTextString(RequiredString(description, "dest", where));
        const Json& page = description["page"];
        const auto& pages = pdf_.getAllPages();
        if (!page.is_number_unsigned() || page.get<std::uint64_t>() >= pages.size())
            Fail(where + ".page", "a page index below " + std::to_string(pages.size()) + " is expected");
        auto destination = QPDFObjectHandle::newArray();
        destination.appendItem(pages[page.get<std::size_t>()]);
        destination.appendItem(QPDFObjectHandle::newName("/Fit"));
        return destination;
    }

    QPDFObjectHandle Next(const Json& next, const std::string& where, int depth) {
        if (next.is_object())
            return Build(next, where, depth + 1);
        if (!next.is_array())
            Fail(where, "an action or an array of actions is expected");
        auto array = QPDFObjectHandle::newArray();
        for (std::size_t index = 0; index < next.size(); ++index)
            array.appendItem(Build(next[index], where + "[" + std::to_string(index) + "]", depth + 1));
        return array;
    }

    QPDF& pdf_;
};

// ---- Describing ---------------------------------------------------------------------------------

class ActionDescriber {
public:
    explicit ActionDescriber(QPDF& pdf) : pdf_(pdf) {}

    OrderedJson Describe(QPDFObjectHandle action, int depth) {
        // Only indirect objects can be reached twice; direct ones are each a single place.
        if (action.isIndirect() && !seen_.insert(action.getObjGen()).second)
            return OrderedJson{{"loop", true}};
        if (depth > kMaxChainDepth)
            throw Failure(kPDFailure,
                          "the chain is deeper than " + std::to_string(kMaxChainDepth) + " actions");

        OrderedJson description;
        const std::string type = NameOf(action.getKey("/S"));
        description["type"] = type;
        switch (ActionTypeOfName(type)) {
        case kPDActionURI:
            description["uri"] = ByteString(action.getKey("/URI"));
            break;
        case kPDActionJavaScript:
            description["script"] = TextOf(action.getKey("/JS"));
            break;
        case kPDActionHide: {
            auto hide = action.getKey("/H");
            description["hide"] = hide.isBool() ? hide.getBoolValue() : true;
            if (action.hasKey("/T"))
                description["fields"] = FieldNames(action.getKey("/T"));
            break;
        }
        case kPDActionGoTo:
            Destination(action.getKey("/D"), description);
            break;
        case kPDActionNamed:
            description["name"] = NameOf(action.getKey("/N"));
            break;
        case kPDActionLaunch:
        case kPDActionImportData:
            description["file"] = FileName(action.getKey("/F"));
            break;
        case kPDActionSubmitForm:
            description["url"] = FileName(action.getKey("/F"));
            if (action.hasKey("/Fields"))
                description["fields"] = FieldNames(action.getKey("/Fields"));
            break;
        case kPDActionResetForm:
            if (action.hasKey("/Fields"))
                description["fields"] = FieldNames(action.getKey("/Fields"));
            break;
        default: // Sound, Movie and unknown types: the type alone
            break;
        }

        auto next = action.getKey("/Next");
        if (next.isDictionary()) {
            description["next"] = Describe(next, depth + 1);
        } else if (next.isArray()) {
            description["next"] = OrderedJson::array();
            for (auto& item : DictionariesIn(next))
                description["next"].push_back(Describe(item, depth + 1));
        }
        return description;
    }

private:
    static std::string ByteString(QPDFObjectHandle object) {
        return object.isString() ? object.getStringValue() : std::string();
    }

    // Where a file is named: a string, or a dictionary's Unicode or plain file name.
    static std::string FileName(QPDFObjectHandle named) {
        if (named.isDictionary())
            return TextOf(named.hasKey("/UF") ? named.getKey("/UF") : named.getKey("/F"));
        return TextOf(named);
    }

    // Fields are named by their text, or, when they are field dictionaries, by their qualified name.
    static OrderedJson FieldNames(QPDFObjectHandle fields) {
        OrderedJson names = OrderedJson::array();
        auto add = [&names](QPDFObjectHandle field) {
            if (field.isDictionary())
                names.push_back(QualifiedName(field));
            else if (field.isString())
                names.push_back(TextOf(field));
        };
        if (fields.isArray()) {
            for (auto& field : fields.aitems())
                add(field);
        } else {
            add(fields);
        }
        return names;
    }

    void Destination(QPDFObjectHandle destination, OrderedJson& description) {
        if (destination.isArray() && destination.getArrayNItems() > 0) {
            auto page = destination.getArrayItem(0);
            if (page.isIndirect()) {
                const auto& pages = pdf_.getAllPages();
                auto found =
                    std::find_if(pages.begin(), pages.end(), [&page](const QPDFObjectHandle& candidate) {
                        return candidate.getObjGen() == page.getObjGen();
                    });
                if (found != pages.end())
                    description["page"] = found - pages.begin();
            }
        } else if (destination.isName()) {
            description["dest"] = NameOf(destination);
        } else if (destination.isString()) {
            description["dest"] = TextOf(destination);
        }
    }

    QPDF& pdf_;
    std::set<QPDFObjGen> seen_;
};

} // namespace

QPDFObjectHandle NewJavaScriptAction(QPDF& pdf, std::string_view script) {
    auto action = QPDFObjectHandle::parse("<< /Type /Action /S /JavaScript >>");
    action.replaceKey("/JS", NewTextString(script));
    return pdf.makeIndirectObject(action);
}

// Actions built before a fault is found stay in the document, referred to by nothing: writing the
// document leaves them out.
QPDFObjectHandle BuildAction(QPDF& pdf, std::string_view json) {
    Json description = Json::parse(json, nullptr, false);
    if (description.is_discarded())
        throw Failure(kPDInvalidArgument, "the action description is not valid JSON");
    return ActionBuilder(pdf).Build(description, "action", 0);
}

std::string DescribeAction(QPDF& pdf, QPDFObjectHandle action) {
    // Byte strings such as a URI may hold bytes that are not UTF-8; they must not fail the dump.
    return ActionDescriber(pdf).Describe(action, 0).dump(-1, ' ', false,
                                                         OrderedJson::error_handler_t::replace);
}

} // namespace pdfcore
