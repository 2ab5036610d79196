#include "headless-host/app/PageInspector.h"

#include "service-common/TextConversion.h"
#include "service-common/TextReceivers.h"

#include <nlohmann/json.hpp>

#include <array>
#include <stdexcept>
#include <utility>

namespace headless {

namespace {

const HtmlEngineApi& Api() {
    return *HtmlEngineAPI();
}

constexpr std::array<std::pair<const char*, std::uint32_t>, 7> kStateNames = {{
    {"expanded", kStateExpanded},
    {"collapsed", kStateCollapsed},
    {"disabled", kStateDisabled},
    {"current", kStateCurrent},
    {"checked", kStateChecked},
    {"focus", kStateFocus},
    {"popup", kStatePopup},
}};

int Collect(HELEMENT element, void* param) {
    static_cast<std::vector<ElementRef>*>(param)->push_back(ElementRef::Share(element));
    return 0;
}

// The engine's value record, cleared with the object.
class ScopedValue {
public:
    ScopedValue() { Api().ValueInit(&value_); }
    ~ScopedValue() { Api().ValueClear(&value_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;
    HtmlValue* Get() { return &value_; }

private:
    HtmlValue value_{};
};

} // namespace

ElementRef ElementRef::Adopt(HELEMENT element) {
    return ElementRef(element);
}

ElementRef ElementRef::Share(HELEMENT element) {
    if (element != nullptr)
        Api().ElementAddRef(element);
    return ElementRef(element);
}

ElementRef::~ElementRef() {
    if (element_ != nullptr)
        Api().ElementRelease(element_);
}

ElementRef::ElementRef(ElementRef&& other) noexcept : element_(std::exchange(other.element_, nullptr)) {}

ElementRef& ElementRef::operator=(ElementRef&& other) noexcept {
    if (this != &other) {
        if (element_ != nullptr)
            Api().ElementRelease(element_);
        element_ = std::exchange(other.element_, nullptr);
    }
    return *this;
}

PageInspector::PageInspector(HELEMENT root) : root_(ElementRef::Share(root)) {}

std::vector<ElementRef> PageInspector::All(const std::string& selector) const {
    if (!root_)
        throw std::invalid_argument("no page is loaded");
    std::vector<ElementRef> found;
    HtmlResult result = Api().SelectElements(root_.Get(), selector.c_str(), &Collect, &found);
    if (result != kHtmlOk)
        throw std::invalid_argument("the selector \"" + selector + "\" is not valid");
    return found;
}

ElementRef PageInspector::First(const std::string& selector) const {
    if (!root_)
        throw std::invalid_argument("no page is loaded");
    HELEMENT found = nullptr;
    if (Api().SelectFirst(root_.Get(), selector.c_str(), &found) != kHtmlOk)
        throw std::invalid_argument("the selector \"" + selector + "\" is not valid");
    if (found == nullptr)
        throw std::invalid_argument("nothing matches \"" + selector + "\"");
    return ElementRef::Adopt(found);
}

std::string PageInspector::OuterHtml(HELEMENT element) {
    std::string html;
    Api().GetElementHtml(element, 1, &so::AppendUtf8, &html);
    return html;
}

std::string PageInspector::Text(HELEMENT element) {
    std::wstring text;
    Api().GetElementText(element, &so::AppendWide, &text);
    return so::Utf8FromWide(text);
}

std::optional<std::string> PageInspector::Attribute(HELEMENT element, const std::string& name) {
    std::wstring value;
    if (Api().GetAttributeByName(element, name.c_str(), &so::AppendWide, &value) != kHtmlOk)
        return std::nullopt;
    return so::Utf8FromWide(value);
}

std::string PageInspector::Style(HELEMENT element, const std::string& property) {
    std::wstring value;
    if (Api().GetStyleAttribute(element, property.c_str(), &so::AppendWide, &value) != kHtmlOk)
        return {};
    return so::Utf8FromWide(value);
}

std::uint32_t PageInspector::State(HELEMENT element) {
    std::uint32_t state = 0;
    Api().GetElementState(element, &state);
    return state;
}

std::uint32_t PageInspector::StateBit(const std::string& name) {
    for (const auto& [stateName, bit] : kStateNames)
        if (name == stateName)
            return bit;
    return 0;
}

std::string PageInspector::StateNames(std::uint32_t state) {
    std::string names;
    for (const auto& [stateName, bit] : kStateNames)
        if ((state & bit) != 0)
            names += (names.empty() ? "" : " ") + std::string(stateName);
    return names.empty() ? "none" : names;
}

std::string PageInspector::ValueText(HELEMENT element) {
    ScopedValue value;
    if (Api().GetElementValue(element, value.Get()) != kHtmlOk)
        throw std::invalid_argument("the element gives no value");
    std::uint32_t type = kHtmlValueUndefined;
    Api().ValueType(value.Get(), &type);
    if (type == kHtmlValueUndefined || type == kHtmlValueNull)
        return {};
    if (type == kHtmlValueString) {
        std::wstring text;
        Api().ValueStringData(value.Get(), &so::AppendWide, &text);
        return so::Utf8FromWide(text);
    }
    // A date or time input holds ticks; what it shows is what a user reads.
    if (type == kHtmlValueDate)
        return Text(element);
    std::string json;
    Api().ValueToJson(value.Get(), &so::AppendUtf8, &json);
    return json;
}

std::pair<std::int64_t, std::int64_t> PageInspector::Caret(HELEMENT element) {
    ScopedValue value;
    if (Api().CallScriptingMethod(element, "getSelection", nullptr, 0, value.Get()) != kHtmlOk)
        throw std::invalid_argument("the element keeps no caret");
    std::string json;
    Api().ValueToJson(value.Get(), &so::AppendUtf8, &json);
    nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (!parsed.is_array() || parsed.size() != 2 || !parsed[0].is_number_integer() ||
        !parsed[1].is_number_integer())
        throw std::invalid_argument("the element gives no selection, but " + json);
    return {parsed[0].get<std::int64_t>(), parsed[1].get<std::int64_t>()};
}

} // namespace headless
