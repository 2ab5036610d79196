#include "ui-engine/Element.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextReceivers.h"

#include <boost/format.hpp>

#include <utility>

namespace ui {

namespace {

int CollectElement(HELEMENT element, void* param) {
    static_cast<std::vector<Element>*>(param)->emplace_back(element);
    return 0;
}

std::optional<std::wstring> ReadText(HtmlResult (*read)(HELEMENT, const char*, HtmlWideReceiver, void*),
                                     HELEMENT element, const char* name, const char* operation) {
    std::wstring text;
    HtmlResult result = read(element, name, &so::AppendWide, &text);
    if (result == kHtmlNotHandled)
        return std::nullopt;
    CheckEngineResult(result, operation);
    return text;
}

} // namespace

void CheckEngineResult(HtmlResult result, const char* operation) {
    if (result != kHtmlOk)
        throw so::ServiceObjectException(
            kEngineFailureBase + result,
            (boost::format("The HTML engine refused %1% (result %2%)") % operation % std::uint32_t(result))
                .str());
}

Element::Element(HELEMENT handle) : handle_(handle) {
    if (handle_ != nullptr)
        Engine().ElementAddRef(handle_);
}

Element Element::Adopt(HELEMENT handle) {
    Element element;
    element.handle_ = handle;
    return element;
}

Element::Element(const Element& other) : Element(other.handle_) {}
Element::Element(Element&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
Element& Element::operator=(Element other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
}
Element::~Element() {
    if (handle_ != nullptr)
        Engine().ElementRelease(handle_);
}

std::vector<Element> Element::FindAll(const char* selector) const {
    std::vector<Element> found;
    CheckEngineResult(Engine().SelectElements(handle_, selector, &CollectElement, &found), selector);
    return found;
}

Element Element::FindFirst(const char* selector) const {
    HELEMENT found = nullptr;
    CheckEngineResult(Engine().SelectFirst(handle_, selector, &found), selector);
    return Adopt(found);
}

Element Element::FindParent(const char* selector, std::uint32_t depth) const {
    HELEMENT found = nullptr;
    CheckEngineResult(Engine().SelectParent(handle_, selector, depth, &found), selector);
    return Adopt(found);
}

bool Element::Test(const char* selector) const {
    std::uint32_t matches = 0;
    CheckEngineResult(Engine().TestElement(handle_, selector, &matches), selector);
    return matches != 0;
}

Element Element::Parent() const {
    HELEMENT parent = nullptr;
    CheckEngineResult(Engine().GetParentElement(handle_, &parent), "GetParentElement");
    return Adopt(parent);
}

std::vector<Element> Element::Children() const {
    std::uint32_t count = 0;
    CheckEngineResult(Engine().GetChildrenCount(handle_, &count), "GetChildrenCount");
    std::vector<Element> children;
    for (std::uint32_t i = 0; i < count; ++i) {
        HELEMENT child = nullptr;
        CheckEngineResult(Engine().GetNthChild(handle_, i, &child), "GetNthChild");
        children.push_back(Adopt(child));
    }
    return children;
}

std::string Element::Tag() const {
    std::string tag;
    CheckEngineResult(Engine().GetElementTag(handle_, &so::AppendUtf8, &tag), "GetElementTag");
    return tag;
}

std::optional<std::wstring> Element::GetAttribute(const char* name) const {
    return ReadText(Engine().GetAttributeByName, handle_, name, "GetAttributeByName");
}

void Element::SetAttribute(const char* name, const std::optional<std::wstring>& value) const {
    CheckEngineResult(Engine().SetAttributeByName(handle_, name, value ? value->c_str() : nullptr),
                      "SetAttributeByName");
}

std::optional<std::wstring> Element::GetStyleAttribute(const char* name) const {
    return ReadText(Engine().GetStyleAttribute, handle_, name, "GetStyleAttribute");
}

void Element::SetStyleAttribute(const char* name, const std::wstring& value) const {
    CheckEngineResult(Engine().SetStyleAttribute(handle_, name, value.c_str()), "SetStyleAttribute");
}

std::string Element::InnerHtml() const {
    std::string html;
    CheckEngineResult(Engine().GetElementHtml(handle_, 0, &so::AppendUtf8, &html), "GetElementHtml");
    return html;
}

std::string Element::OuterHtml() const {
    std::string html;
    CheckEngineResult(Engine().GetElementHtml(handle_, 1, &so::AppendUtf8, &html), "GetElementHtml");
    return html;
}

void Element::SetInnerHtml(std::string_view utf8Markup) const {
    CheckEngineResult(
        Engine().SetElementHtml(handle_, utf8Markup.data(), std::uint32_t(utf8Markup.size()), kSetInnerHtml),
        "SetElementHtml");
}

void Element::AppendHtml(std::string_view utf8Markup) const {
    CheckEngineResult(Engine().SetElementHtml(handle_, utf8Markup.data(), std::uint32_t(utf8Markup.size()),
                                              kAppendInnerHtml),
                      "SetElementHtml");
}

std::wstring Element::Text() const {
    std::wstring text;
    CheckEngineResult(Engine().GetElementText(handle_, &so::AppendWide, &text), "GetElementText");
    return text;
}

void Element::SetText(std::wstring_view text) const {
    CheckEngineResult(Engine().SetElementText(handle_, text.data(), std::uint32_t(text.size())),
                      "SetElementText");
}

void Element::Remove() const {
    CheckEngineResult(Engine().DetachElement(handle_), "DetachElement");
}

std::uint32_t Element::State() const {
    std::uint32_t state = 0;
    CheckEngineResult(Engine().GetElementState(handle_, &state), "GetElementState");
    return state;
}

void Element::SetState(std::uint32_t bitsToSet, std::uint32_t bitsToClear) const {
    CheckEngineResult(Engine().SetElementState(handle_, bitsToSet, bitsToClear, 1), "SetElementState");
}

Value Element::GetValue() const {
    Value value;
    CheckEngineResult(Engine().GetElementValue(handle_, value.Raw()), "GetElementValue");
    return value;
}

void Element::SetValue(const Value& value) const {
    CheckEngineResult(Engine().SetElementValue(handle_, value.Raw()), "SetElementValue");
}

RECT Element::Location(std::uint32_t area) const {
    RECT location{};
    CheckEngineResult(Engine().GetElementLocation(handle_, &location, area), "GetElementLocation");
    return location;
}

std::int32_t Element::IntrinsicHeight(std::int32_t forWidth) const {
    std::int32_t height = 0;
    CheckEngineResult(Engine().GetElementIntrinsicHeight(handle_, forWidth, &height),
                      "GetElementIntrinsicHeight");
    return height;
}

void Element::ScrollIntoView() const {
    CheckEngineResult(Engine().ScrollToView(handle_, 0), "ScrollToView");
}

HWND Element::WindowHandle() const {
    HWND window = nullptr;
    CheckEngineResult(Engine().GetElementHwnd(handle_, &window, 1), "GetElementHwnd");
    return window;
}

void Element::ShowPopup(const Element& anchor, std::uint32_t placement) const {
    CheckEngineResult(Engine().ShowPopup(handle_, anchor.handle_, placement), "ShowPopup");
}

void Element::HidePopup() const {
    CheckEngineResult(Engine().HidePopup(handle_), "HidePopup");
}

void Element::HideShownPopups(const char* selector) const {
    for (const Element& popup : FindAll(selector)) {
        if (popup.IsPopupShown())
            popup.HidePopup();
    }
}

bool Element::FireEvent(std::uint32_t code, const Element& source, bool post, std::uintptr_t reason,
                        const Value& data) const {
    HtmlBehaviorEventParams event{code, handle_, source.handle_, reason, {}};
    Engine().ValueCopy(&event.data, data.Raw());
    std::uint32_t handled = 0;
    HtmlResult result = Engine().FireEvent(&event, post ? 1 : 0, &handled);
    Engine().ValueClear(&event.data);
    CheckEngineResult(result, "FireEvent");
    return handled != 0;
}

Value Element::CallMethod(const char* name, const std::vector<Value>& arguments) const {
    std::vector<HtmlValue> argv;
    argv.reserve(arguments.size());
    for (const Value& argument : arguments)
        argv.push_back(*argument.Raw());
    Value result;
    CheckEngineResult(
        Engine().CallScriptingMethod(handle_, name, argv.data(), std::uint32_t(argv.size()), result.Raw()),
        name);
    return result;
}

bool Element::ExecuteCommand(const char* command) const {
    std::uint32_t handled = 0;
    CheckEngineResult(Engine().ExecuteBehaviorCommand(handle_, command, &handled), command);
    return handled != 0;
}

} // namespace ui
