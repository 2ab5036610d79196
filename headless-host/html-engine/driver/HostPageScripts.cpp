#include "headless-host/html-engine/driver/HostPageScripts.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/TextConversion.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace html {

namespace {

const HtmlEngineApi& Api() {
    return *HtmlEngineAPI();
}

// Text for markup: the characters that would end text or an attribute value become entities.
std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string TextOf(const Value* value) {
    if (value == nullptr)
        return {};
    std::optional<std::wstring> text = value->ToText();
    return text ? so::Utf8FromWide(*text) : std::string();
}

// A record that the list cannot show: the whole call is refused and the list keeps its rows.
[[noreturn]] void RefuseRecord(std::size_t index, const std::string& problem) {
    throw std::invalid_argument("set_records: the record at index " + std::to_string(index) + " " + problem);
}

// A field that must be there as text (a string, or a number where `numberToo`).
std::string RequiredText(const Value& record, std::size_t index, const char* key, bool numberToo) {
    const Value* field = record.Find(key);
    const bool taken =
        field != nullptr && (field->AsString() != nullptr || (numberToo && field->Type() == kHtmlValueInt));
    if (!taken)
        RefuseRecord(index,
                     std::string("needs \"") + key + "\" as " + (numberToo ? "a number or " : "") + "a text");
    return TextOf(field);
}

// A field that may be missing, else a scalar.
std::string OptionalText(const Value& record, std::size_t index, const char* key) {
    const Value* field = record.Find(key);
    if (field != nullptr && field->AsArray() == nullptr && field->AsMap() == nullptr)
        return TextOf(field);
    if (field != nullptr)
        RefuseRecord(index, std::string("has a list or a map for \"") + key + "\"");
    return {};
}

// set_records(records): one label line per {"type": "label"} record, one option per
// {"type": "option"} record, replacing the list's content. The font's sample is drawn by the
// renderer in the font itself: headless, its span stays empty, so an option's text is the name.
Value SetRecords(HELEMENT list, const std::vector<Value>& arguments) {
    if (arguments.empty() || arguments[0].AsArray() == nullptr)
        throw std::invalid_argument("set_records takes an array of records");
    std::string markup;
    std::set<std::string> values;
    const Value::Array& records = *arguments[0].AsArray();
    for (std::size_t index = 0; index < records.size(); ++index) {
        const Value& record = records[index];
        if (record.AsMap() == nullptr)
            RefuseRecord(index, "is not a map");
        const std::string type = RequiredText(record, index, "type", false);
        if (type == "label") {
            markup += "<div class=\"font-group-label\">" +
                      EscapeMarkup(RequiredText(record, index, "label", false)) + "</div>";
            continue;
        }
        if (type != "option")
            RefuseRecord(index, "is of the type \"" + type + "\", neither a label nor an option");
        const std::string value = RequiredText(record, index, "value", true);
        if (!values.insert(value).second)
            RefuseRecord(index, "has the value " + value + " of an earlier option");
        const std::string name = RequiredText(record, index, "fontfamilyname", false);
        const std::string fontType = EscapeMarkup(OptionalText(record, index, "fonttype"));
        const Value* sample = record.Find("drawsample");
        if (sample != nullptr && sample->Type() != kHtmlValueBool)
            RefuseRecord(index, "needs \"drawsample\" as true or false");
        const bool drawSample = sample != nullptr && sample->AsInt().value_or(0) != 0;
        markup += "<option value=\"" + EscapeMarkup(value) + "\" fonttype=\"" + fontType +
                  "\" fontfamily=\"" + EscapeMarkup(OptionalText(record, index, "fontfamily")) +
                  "\" fontstyle=\"" + EscapeMarkup(OptionalText(record, index, "fontstyle")) + "\"" +
                  (drawSample ? " drawsample" : "") + "><span class=\"font-name\" font-type=\"" + fontType +
                  "\">" + EscapeMarkup(name) + "</span>";
        if (drawSample)
            markup += "<span class=\"font-sample\"></span>";
        markup += "</option>";
    }
    if (Api().SetElementHtml(list, markup.data(), std::uint32_t(markup.size()), kSetInnerHtml) != kHtmlOk)
        throw std::runtime_error("set_records could not fill the list");
    return Value::Bool(true);
}

int ClearCurrent(HELEMENT option, void*) {
    Api().SetElementState(option, 0, kStateCurrent, 1);
    return 0;
}

std::wstring AttributeOf(HELEMENT element, const char* name) {
    std::wstring text;
    if (Api().GetAttributeByName(
            element, name,
            [](const wchar_t* chars, std::uint32_t length, void* param) {
                static_cast<std::wstring*>(param)->assign(chars, length);
            },
            &text) != kHtmlOk)
        return {};
    return text;
}

// set_current(value, fontType): marks the option with that value current and scrolls it into
// view; false, with no option current, when none has it. The font type does not take part:
// set_records keeps values unique.
Value SetCurrent(HELEMENT list, const std::vector<Value>& arguments) {
    std::optional<std::wstring> value = arguments.empty() ? std::nullopt : arguments[0].ToText();
    if (!value)
        throw std::invalid_argument("set_current takes the option's value, a number or a text");
    struct Search {
        std::wstring value;
        HELEMENT found = nullptr;
    } search{*value};
    Api().SelectElements(
        list, "option",
        [](HELEMENT option, void* param) {
            auto& search = *static_cast<Search*>(param);
            const bool current = search.found == nullptr && AttributeOf(option, "value") == search.value;
            const std::uint32_t bit = kStateCurrent;
            Api().SetElementState(option, current ? bit : 0u, current ? 0u : bit, 1);
            if (current) {
                Api().ElementAddRef(option);
                search.found = option;
            }
            return 0;
        },
        &search);
    if (search.found == nullptr)
        return Value::Bool(false);
    Api().ScrollToView(search.found, 0);
    Api().ElementRelease(search.found);
    return Value::Bool(true);
}

void AddVirtualList(HELEMENT widget) {
    HELEMENT existing = nullptr;
    if (Api().SelectFirst(widget, ":root > vlist", &existing) == kHtmlOk && existing != nullptr) {
        Api().ElementRelease(existing);
        return;
    }
    static const char kList[] = "<vlist></vlist>";
    Api().SetElementHtml(widget, kList, sizeof kList - 1, kAppendInnerHtml);
}

bool Matches(HELEMENT element, const char* selector) {
    std::uint32_t matches = 0;
    return element != nullptr && Api().TestElement(element, selector, &matches) == kHtmlOk && matches != 0;
}

constexpr std::uint32_t kEnterKey = 0x0D;

// A colour as a user may type it: six hex digits, with or without the '#', blanks around it
// ignored. It comes back as "#RRGGBB" in capitals, the form the cells' values have; any other text
// (a name, three digits, a letter that is no hex digit) is none.
std::optional<std::string> TypedColor(std::string_view text) {
    text = TrimAsciiWhitespace(text);
    if (text.starts_with('#'))
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    std::string color = "#";
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit && !letter)
            return std::nullopt;
        color += digit ? c : char(c & ~0x20);
    }
    return color;
}

int EnableOrDisable(HELEMENT choice, void* enable) {
    const bool enabled = *static_cast<const bool*>(enable);
    // Both: the state is what stops a click, the attribute how the markup shows it (in a dump of
    // the DOM, to a selector).
    Api().SetElementState(choice, enabled ? 0u : std::uint32_t(kStateDisabled),
                          enabled ? std::uint32_t(kStateDisabled) : 0u, 1);
    Api().SetAttributeByName(choice, "disabled", enabled ? nullptr : L"");
    return 0;
}

// The colour table's native handler, attached to "#ColorsPopup": told the current colour, it marks
// its cell, shows it in the hex input and offers "No color" only where the property allows it;
// a chosen cell, "No color" or a colour typed in the hex input and confirmed with Enter is
// reported to the editor.
class ColorTableHandler : public so::ObjectBase {
public:
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kClassTag = 0xC010A7AB;
    static void BindMethods(so::MethodBinder<ColorTableHandler>& binder) {
        binder.Bind<host::UIHandler::GetSubscribedEvents, &ColorTableHandler::GetSubscribedEvents>();
        binder.Bind<host::UIHandler::HandleKey, &ColorTableHandler::HandleKey>();
        binder.Bind<host::UIHandler::HandleEvent, &ColorTableHandler::HandleEvent>();
    }

    SOResult GetSubscribedEvents(std::uint32_t* mask) {
        if (mask == nullptr)
            return so::kInvalidArgument;
        *mask = kHandleBehaviorEvent | kHandleKey;
        return so::kOk;
    }

    // Enter in the hex input: a colour is reported as a chosen cell would be; any other text is
    // reported to no one and marked "invalid", so that the user sees it was refused. Either way
    // the key is taken, so that the editor does not close its popup on a refused text.
    SOResult HandleKey(HELEMENT table, HtmlKeyParams* key) {
        if (key == nullptr)
            return so::kInvalidArgument;
        if (key->cmd != kKeyDown || key->keyCode != kEnterKey || !Matches(key->target, ".color-hex"))
            return so::kNothingProvided;
        HtmlValue raw{};
        Api().GetElementValue(key->target, &raw);
        const Value value = Value::FromRaw(raw);
        Value::ClearRaw(raw);
        const std::string typed = TextOf(&value);
        std::optional<std::string> color = TypedColor(typed);
        Api().SetAttributeByName(key->target, "invalid", color ? nullptr : L"");
        if (color)
            ReportChoice(table, so::WideFromUtf8(*color));
        return so::kOk;
    }

    SOResult HandleEvent(std::uint8_t* handled, HELEMENT table, HtmlBehaviorEventParams* event) {
        if (handled == nullptr || event == nullptr)
            return so::kInvalidArgument;
        *handled = 0;
        if (event->cmd == kColorTableSetCurrent) {
            SetCurrentColor(table, Value::FromRaw(event->data), event->reason == 1);
            *handled = 1;
            return so::kOk;
        }
        // A disabled "No color" never gets here: the engine raises no click on a disabled element.
        if (event->cmd == kButtonClick && Matches(event->heTarget, ".color-cell, .color-none")) {
            ReportChoice(table, AttributeOf(event->heTarget, "value"));
            *handled = 1;
            return so::kOk;
        }
        // The refusal stays marked only until the user changes the text; the edit is still the
        // editor's to see.
        if (event->cmd == kEditValueChanged && Matches(event->heTarget, ".color-hex"))
            Api().SetAttributeByName(event->heTarget, "invalid", nullptr);
        return so::kNothingProvided;
    }

private:
    static void ReportChoice(HELEMENT table, const std::wstring& color) {
        Value chosen = Value::String(color);
        HtmlBehaviorEventParams report{kColorTableChosen, table, table, 0, chosen.ToRaw()};
        std::uint32_t taken = 0;
        Api().FireEvent(&report, 0, &taken);
        Value::ClearRaw(report.data);
    }

    // Reason 1: "no colour" may be offered for this property.
    static void SetCurrentColor(HELEMENT table, const Value& color, bool noColorAllowed) {
        std::wstring text = color.ToText().value_or(L"");
        // A colour told in small letters still finds its cell.
        std::optional<std::string> typed = TypedColor(so::Utf8FromWide(text));
        const std::string shown = typed.value_or(so::Utf8FromWide(text));
        Api().SetAttributeByName(table, "current-color", text.c_str());
        Api().SetAttributeByName(table, "no-color-allowed", noColorAllowed ? L"" : nullptr);
        Api().SelectElements(table, ".color-none", &EnableOrDisable, &noColorAllowed);
        Api().SelectElements(table, ".color-cell", &ClearCurrent, nullptr);
        std::string selector = ".color-cell[value=\"" + EscapeMarkup(shown) + "\"]";
        HELEMENT cell = nullptr;
        if (typed && Api().SelectFirst(table, selector.c_str(), &cell) == kHtmlOk && cell != nullptr) {
            Api().SetElementState(cell, kStateCurrent, 0, 1);
            Api().ElementRelease(cell);
        }
        HELEMENT input = nullptr;
        if (Api().SelectFirst(table, ".color-hex", &input) == kHtmlOk && input != nullptr) {
            HtmlValue raw = Value::String(so::WideFromUtf8(shown)).ToRaw();
            Api().SetElementValue(input, &raw);
            Value::ClearRaw(raw);
            Api().SetAttributeByName(input, "invalid", nullptr);
            Api().ElementRelease(input);
        }
    }
};

void AttachColorTable(HELEMENT table) {
    so::Ref handler = so::Make<ColorTableHandler>();
    Api().AttachEventHandler(table, handler.Get());
}

} // namespace

void InstallHostPageScripts(EngineWindow& window) {
    window.WhenBound("widget#fonts-collection", &AddVirtualList);
    window.RegisterScriptMethod("set_records", &SetRecords, "vlist");
    window.RegisterScriptMethod("set_current", &SetCurrent, "vlist");
    window.WhenBound("#ColorsPopup", &AttachColorTable);
}

} // namespace html
