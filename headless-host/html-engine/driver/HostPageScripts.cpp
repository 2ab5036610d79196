#include "headless-host/html-engine/driver/HostPageScripts.h"

#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/TextConversion.h"

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

// set_records(records): one label line per {"type": "label"} record, one option per
// {"type": "option"} record, replacing the list's content.
Value SetRecords(HELEMENT list, const std::vector<Value>& arguments) {
    if (arguments.empty() || arguments[0].AsArray() == nullptr)
        throw std::invalid_argument("set_records takes an array of records");
    std::string markup;
    for (const Value& record : *arguments[0].AsArray()) {
        std::string type = TextOf(record.Find("type"));
        if (type == "label") {
            markup +=
                "<div class=\"font-group-label\">" + EscapeMarkup(TextOf(record.Find("label"))) + "</div>";
        } else if (type == "option") {
            markup += "<option value=\"" + EscapeMarkup(TextOf(record.Find("value"))) + "\" fonttype=\"" +
                      EscapeMarkup(TextOf(record.Find("fonttype"))) + "\" fontfamily=\"" +
                      EscapeMarkup(TextOf(record.Find("fontfamily"))) + "\"";
            const Value* sample = record.Find("drawsample");
            if (sample != nullptr && sample->AsInt().value_or(0) != 0)
                markup += " drawsample";
            markup += ">" + EscapeMarkup(TextOf(record.Find("fontfamilyname"))) + "</option>";
        }
    }
    if (Api().SetElementHtml(list, markup.data(), std::uint32_t(markup.size()), kSetInnerHtml) != kHtmlOk)
        throw std::runtime_error("set_records could not fill the list");
    return Value::Bool(true);
}

int ClearCurrent(HELEMENT option, void*) {
    Api().SetElementState(option, 0, kStateCurrent, 1);
    return 0;
}

// set_current(value, fontType): marks the option with that value current.
Value SetCurrent(HELEMENT list, const std::vector<Value>& arguments) {
    if (arguments.empty())
        throw std::invalid_argument("set_current takes the option's value");
    std::string value = TextOf(&arguments[0]);
    Api().SelectElements(list, "option", &ClearCurrent, nullptr);
    std::string selector = "option[value=\"" + EscapeMarkup(value) + "\"]";
    HELEMENT option = nullptr;
    if (Api().SelectFirst(list, selector.c_str(), &option) != kHtmlOk || option == nullptr)
        return Value::Bool(false);
    Api().SetElementState(option, kStateCurrent, 0, 1);
    Api().ScrollToView(option, 0);
    Api().ElementRelease(option);
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

// The colour table's native handler, attached to "#ColorsPopup".
class ColorTableHandler : public so::ObjectBase {
public:
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kClassTag = 0xC010A7AB;
    static void BindMethods(so::MethodBinder<ColorTableHandler>& binder) {
        binder.Bind<host::UIHandler::GetSubscribedEvents, &ColorTableHandler::GetSubscribedEvents>();
        binder.Bind<host::UIHandler::HandleEvent, &ColorTableHandler::HandleEvent>();
    }

    SOResult GetSubscribedEvents(std::uint32_t* mask) {
        if (mask == nullptr)
            return so::kInvalidArgument;
        *mask = kHandleBehaviorEvent;
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
        if (event->cmd == kButtonClick && IsChoice(event->heTarget)) {
            Value chosen = Value::String(AttributeOf(event->heTarget, "value"));
            HtmlBehaviorEventParams report{kColorTableChosen, table, table, 0, chosen.ToRaw()};
            std::uint32_t taken = 0;
            Api().FireEvent(&report, 0, &taken);
            Value::ClearRaw(report.data);
            *handled = 1;
            return so::kOk;
        }
        return so::kNothingProvided;
    }

private:
    static bool IsChoice(HELEMENT element) {
        std::uint32_t matches = 0;
        return element != nullptr &&
               Api().TestElement(element, ".color-cell, .color-none", &matches) == kHtmlOk && matches != 0;
    }

    // Reason 1: "no colour" may be offered for this property.
    static void SetCurrentColor(HELEMENT table, const Value& color, bool noColorAllowed) {
        std::wstring text = color.ToText().value_or(L"");
        Api().SetAttributeByName(table, "current-color", text.c_str());
        Api().SetAttributeByName(table, "no-color-allowed", noColorAllowed ? L"" : nullptr);
        Api().SelectElements(table, ".color-cell", &ClearCurrent, nullptr);
        std::string selector = ".color-cell[value=\"" + EscapeMarkup(so::Utf8FromWide(text)) + "\"]";
        HELEMENT cell = nullptr;
        if (!text.empty() && Api().SelectFirst(table, selector.c_str(), &cell) == kHtmlOk &&
            cell != nullptr) {
            Api().SetElementState(cell, kStateCurrent, 0, 1);
            Api().ElementRelease(cell);
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
