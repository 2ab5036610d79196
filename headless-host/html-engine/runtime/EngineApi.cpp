// HtmlEngineAPI(): the engine's C function table over the windows, values and handles of this
// library. No exception crosses it: every slot runs guarded, and failures become result codes.
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupSerializer.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/ElementStates.h"
#include "headless-host/html-engine/runtime/InlineStyle.h"
#include "headless-host/html-engine/runtime/Layout.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/HtmlEngineApi.h"
#include "service-common/TextConversion.h"

#include <bit>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace html {

namespace {

// ---- Guarded dispatch ------------------------------------------------------------------------------

// A reporter that throws loses its report, not the process.
void ReportFailure(const Window* window, const std::string& message) noexcept {
    if (window == nullptr) {
        return;
    }
    try {
        window->ReportError(message);
    } catch (...) {
    }
}

// Runs a slot's body so that nothing it throws crosses the table: it becomes kHtmlOperationFailed.
// An invalid selector is the caller's own input, which the result code names well enough; any
// other failure is reported to `reportTo`, the window the slot works in. The value and handle
// slots have no window: their result code is all their caller learns.
template <class Body>
HtmlResult Guarded(Body body, const Window* reportTo = nullptr) noexcept {
    try {
        return body();
    } catch (const SelectorError&) {
        return kHtmlOperationFailed;
    } catch (const std::exception& e) {
        ReportFailure(reportTo, std::string("An engine call failed: ") + e.what());
    } catch (...) {
        ReportFailure(reportTo, "An engine call failed with an exception of unknown type");
    }
    return kHtmlOperationFailed;
}

// A window is used from its UI thread only; a call from elsewhere is refused and reported (the
// report reaches the host's reporter on the UI thread).
HtmlResult CheckThread(const Window& window) {
    if (window.IsUIThread()) {
        return kHtmlOk;
    }
    ReportFailure(&window, "An engine call was made off the UI thread; refused");
    return kHtmlOperationFailed;
}

// What an element slot works on: the handle's element and the window it was reached through.
struct Target {
    std::shared_ptr<Element> element;
    Window* window = nullptr;
};

// The handle's element and window, for use on the calling thread: kHtmlInvalidHandle for a dead
// handle or one whose window is gone, kHtmlOperationFailed off that window's UI thread.
HtmlResult Resolve(HELEMENT handle, Target& target) {
    HandleTarget resolved = HandleTable::Instance().Resolve(handle);
    if (!resolved || resolved.window == nullptr) {
        return kHtmlInvalidHandle;
    }
    if (HtmlResult result = CheckThread(*resolved.window); result != kHtmlOk) {
        return result;
    }
    target = {std::move(resolved.element), resolved.window};
    return kHtmlOk;
}

// Whether an element slot changes what the layout depends on.
enum class Access { Read, Change };

// Every element slot: the handle resolved and checked, a change noted, then
// `body(element, window)`, guarded and reporting to that window.
template <class Body>
HtmlResult OnElement(HELEMENT handle, Access access, Body body) noexcept {
    Target target;
    if (HtmlResult result = Guarded([&] { return Resolve(handle, target); }); result != kHtmlOk) {
        return result;
    }
    return Guarded(
        [&] {
            if (access == Access::Change) {
                target.window->NoteChange();
            }
            return body(*target.element, *target.window);
        },
        target.window);
}

HtmlResult GiveWide(const std::wstring& text, HtmlWideReceiver receiver, void* param) {
    if (receiver == nullptr) {
        return kHtmlInvalidParameter;
    }
    receiver(text.c_str(), std::uint32_t(text.size()), param);
    return kHtmlOk;
}

HtmlResult GiveUtf8(const std::string& text, HtmlUtf8Receiver receiver, void* param) {
    if (receiver == nullptr) {
        return kHtmlInvalidParameter;
    }
    receiver(text.c_str(), std::uint32_t(text.size()), param);
    return kHtmlOk;
}

// Writes `value` into an out value, releasing what that held.
HtmlResult Give(const Value& value, HtmlValue* out) {
    if (out == nullptr) {
        return kHtmlInvalidParameter;
    }
    HtmlValue raw = value.ToRaw();
    Value::ClearRaw(*out);
    *out = raw;
    return kHtmlOk;
}

HELEMENT AcquireFor(Element* element, Window* window) {
    return element != nullptr ? HandleTable::Instance().Acquire(*element, window) : nullptr;
}

// ---- Values ----------------------------------------------------------------------------------------

HtmlResult ValueInit(HtmlValue* value) noexcept {
    return Guarded([&] {
        if (value == nullptr) {
            return kHtmlInvalidParameter;
        }
        *value = HtmlValue{kHtmlValueUndefined, 0, 0};
        return kHtmlOk;
    });
}

HtmlResult ValueClear(HtmlValue* value) noexcept {
    return Guarded([&] {
        if (value == nullptr) {
            return kHtmlInvalidParameter;
        }
        Value::ClearRaw(*value);
        return kHtmlOk;
    });
}

HtmlResult ValueCopy(HtmlValue* destination, const HtmlValue* source) noexcept {
    return Guarded([&] {
        if (destination == nullptr || source == nullptr) {
            return kHtmlInvalidParameter;
        }
        return destination == source ? kHtmlOk : Give(Value::FromRaw(*source), destination);
    });
}

HtmlResult ValueType(const HtmlValue* value, std::uint32_t* type) noexcept {
    return Guarded([&] {
        if (value == nullptr || type == nullptr) {
            return kHtmlInvalidParameter;
        }
        *type = value->type;
        return kHtmlOk;
    });
}

HtmlResult ValueIntData(const HtmlValue* value, std::int32_t* data) noexcept {
    return Guarded([&] {
        if (value == nullptr || data == nullptr) {
            return kHtmlInvalidParameter;
        }
        if (value->type == kHtmlValueBool) {
            *data = value->data != 0 ? 1 : 0;
            return kHtmlOk;
        }
        auto number = std::int64_t(value->data);
        if (value->type != kHtmlValueInt || number < std::numeric_limits<std::int32_t>::min() ||
            number > std::numeric_limits<std::int32_t>::max()) {
            return kHtmlOperationFailed;
        }
        *data = std::int32_t(number);
        return kHtmlOk;
    });
}

HtmlResult ValueIntDataSet(HtmlValue* value, std::int32_t data, std::uint32_t type) noexcept {
    return Guarded([&] {
        if (value == nullptr || (type != kHtmlValueInt && type != kHtmlValueBool)) {
            return kHtmlInvalidParameter;
        }
        return Give(type == kHtmlValueBool ? Value::Bool(data != 0) : Value::Int(data), value);
    });
}

HtmlResult ValueInt64Data(const HtmlValue* value, std::int64_t* data) noexcept {
    return Guarded([&] {
        if (value == nullptr || data == nullptr) {
            return kHtmlInvalidParameter;
        }
        if (value->type != kHtmlValueInt && value->type != kHtmlValueDate) {
            return kHtmlOperationFailed;
        }
        *data = std::int64_t(value->data);
        return kHtmlOk;
    });
}

HtmlResult ValueInt64DataSet(HtmlValue* value, std::int64_t data, std::uint32_t type) noexcept {
    return Guarded([&] {
        if (value == nullptr || (type != kHtmlValueInt && type != kHtmlValueDate)) {
            return kHtmlInvalidParameter;
        }
        return Give(type == kHtmlValueDate ? Value::DateTicks(data) : Value::Int(data), value);
    });
}

// Integers read as floats too: a number is a number.
HtmlResult ValueFloatData(const HtmlValue* value, double* data) noexcept {
    return Guarded([&] {
        if (value == nullptr || data == nullptr) {
            return kHtmlInvalidParameter;
        }
        if (value->type == kHtmlValueFloat) {
            *data = std::bit_cast<double>(value->data);
        } else if (value->type == kHtmlValueInt) {
            *data = double(std::int64_t(value->data));
        } else {
            return kHtmlOperationFailed;
        }
        return kHtmlOk;
    });
}

HtmlResult ValueFloatDataSet(HtmlValue* value, double data) noexcept {
    return Guarded(
        [&] { return value != nullptr ? Give(Value::Float(data), value) : kHtmlInvalidParameter; });
}

HtmlResult ValueStringData(const HtmlValue* value, HtmlWideReceiver receiver, void* param) noexcept {
    return Guarded([&] {
        if (value == nullptr) {
            return kHtmlInvalidParameter;
        }
        std::optional<std::wstring> text = Value::FromRaw(*value).ToText();
        return text ? GiveWide(*text, receiver, param) : kHtmlOperationFailed;
    });
}

HtmlResult ValueStringDataSet(HtmlValue* value, const wchar_t* text, std::uint32_t length) noexcept {
    return Guarded([&] {
        if (value == nullptr || (text == nullptr && length != 0)) {
            return kHtmlInvalidParameter;
        }
        return Give(Value::String(std::wstring(text != nullptr ? text : L"", length)), value);
    });
}

HtmlResult ValueFromJson(HtmlValue* value, const char* json, std::uint32_t length) noexcept {
    return Guarded([&] {
        if (value == nullptr || (json == nullptr && length != 0)) {
            return kHtmlInvalidParameter;
        }
        std::optional<Value> parsed = Value::FromJson(std::string_view(json != nullptr ? json : "", length));
        return parsed ? Give(*parsed, value) : kHtmlOperationFailed;
    });
}

HtmlResult ValueToJson(const HtmlValue* value, HtmlUtf8Receiver receiver, void* param) noexcept {
    return Guarded([&] {
        return value != nullptr ? GiveUtf8(Value::FromRaw(*value).ToJson(), receiver, param)
                                : kHtmlInvalidParameter;
    });
}

// Maps and arrays are read through a copy: values are small, and the copy keeps the C side free
// of pointers into a value's insides.
HtmlResult ValueElementCount(const HtmlValue* value, std::uint32_t* count) noexcept {
    return Guarded([&] {
        if (value == nullptr || count == nullptr) {
            return kHtmlInvalidParameter;
        }
        Value copy = Value::FromRaw(*value);
        if (const auto* items = copy.AsArray()) {
            *count = std::uint32_t(items->size());
        } else if (const auto* entries = copy.AsMap()) {
            *count = std::uint32_t(entries->size());
        } else {
            return kHtmlOperationFailed;
        }
        return kHtmlOk;
    });
}

HtmlResult ValueNthElement(const HtmlValue* value, std::uint32_t index, HtmlValue* element) noexcept {
    return Guarded([&] {
        if (value == nullptr || element == nullptr) {
            return kHtmlInvalidParameter;
        }
        Value copy = Value::FromRaw(*value);
        if (const auto* items = copy.AsArray()) {
            return index < items->size() ? Give((*items)[index], element) : kHtmlInvalidParameter;
        }
        if (const auto* entries = copy.AsMap()) {
            return index < entries->size() ? Give((*entries)[index].second, element) : kHtmlInvalidParameter;
        }
        return kHtmlOperationFailed;
    });
}

HtmlResult ValueGetByKey(const HtmlValue* value, const char* key, HtmlValue* element) noexcept {
    return Guarded([&] {
        if (value == nullptr || key == nullptr || element == nullptr) {
            return kHtmlInvalidParameter;
        }
        Value copy = Value::FromRaw(*value);
        if (copy.AsMap() == nullptr) {
            return kHtmlOperationFailed;
        }
        const Value* found = copy.Find(key);
        return found != nullptr ? Give(*found, element) : kHtmlNotHandled;
    });
}

// ---- Handles and queries ---------------------------------------------------------------------------

// Counting is [thread-safe].
HtmlResult ElementAddRef(HELEMENT element) noexcept {
    return Guarded([&] { return HandleTable::Instance().AddRef(element) ? kHtmlOk : kHtmlInvalidHandle; });
}

HtmlResult ElementRelease(HELEMENT element) noexcept {
    return Guarded([&] { return HandleTable::Instance().Release(element) ? kHtmlOk : kHtmlInvalidHandle; });
}

HtmlResult SelectElements(HELEMENT scope, const char* selector, HtmlElementCallback callback,
                          void* param) noexcept {
    if (selector == nullptr || callback == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(scope, Access::Read, [&](Element& element, Window& window) {
        for (const auto& found : QueryAll(element, selector)) {
            ScopedHandle handle(*found, &window);
            if (callback(handle.Get(), param) != 0) {
                break;
            }
        }
        return kHtmlOk;
    });
}

HtmlResult SelectFirst(HELEMENT scope, const char* selector, HELEMENT* found) noexcept {
    if (selector == nullptr || found == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(scope, Access::Read, [&](Element& element, Window& window) {
        *found = AcquireFor(QueryFirst(element, selector).get(), &window);
        return kHtmlOk;
    });
}

// As the engine has always done it, the search starts with the element itself: `depth` 1 tests
// only the element, 5 the element and four ancestors, 0 the whole chain.
HtmlResult SelectParent(HELEMENT element, const char* selector, std::uint32_t depth,
                        HELEMENT* found) noexcept {
    if (selector == nullptr || found == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        Element* match = nullptr;
        std::uint32_t level = 1;
        for (Element* candidate = &self; candidate != nullptr && (depth == 0 || level <= depth);
             candidate = candidate->Parent(), ++level) {
            if (Matches(*candidate, selector)) {
                match = candidate;
                break;
            }
        }
        *found = AcquireFor(match, &window);
        return kHtmlOk;
    });
}

HtmlResult TestElement(HELEMENT element, const char* selector, std::uint32_t* matches) noexcept {
    if (selector == nullptr || matches == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        *matches = Matches(self, selector) ? 1 : 0;
        return kHtmlOk;
    });
}

HtmlResult GetParentElement(HELEMENT element, HELEMENT* parent) noexcept {
    if (parent == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        *parent = AcquireFor(self.Parent(), &window);
        return kHtmlOk;
    });
}

// Children are element children: text and comments are not counted.
HtmlResult GetChildrenCount(HELEMENT element, std::uint32_t* count) noexcept {
    if (count == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        *count = 0;
        for (const auto& child : self.Children()) {
            *count += child->IsElement() ? 1 : 0;
        }
        return kHtmlOk;
    });
}

HtmlResult GetNthChild(HELEMENT element, std::uint32_t index, HELEMENT* child) noexcept {
    if (child == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        for (const auto& node : self.Children()) {
            if (node->IsElement() && index-- == 0) {
                *child = AcquireFor(static_cast<Element*>(node.get()), &window);
                return kHtmlOk;
            }
        }
        return kHtmlInvalidParameter;
    });
}

HtmlResult GetElementTag(HELEMENT element, HtmlUtf8Receiver receiver, void* param) noexcept {
    return OnElement(element, Access::Read,
                     [&](Element& self, Window&) { return GiveUtf8(self.TagName(), receiver, param); });
}

// The window behind `hwnd` checked as a handle's is; failures from then on are reported to it.
HtmlResult GetRootElement(HWND hwnd, HELEMENT* root) noexcept {
    if (root == nullptr) {
        return kHtmlInvalidParameter;
    }
    Window* window = nullptr;
    HtmlResult result = Guarded([&] {
        window = Window::FromHwnd(hwnd);
        return window != nullptr ? CheckThread(*window) : kHtmlInvalidHandle;
    });
    if (result != kHtmlOk) {
        return result;
    }
    return Guarded(
        [&] {
            *root = AcquireFor(&window->Root(), window);
            return kHtmlOk;
        },
        window);
}

// ---- Attributes and content --------------------------------------------------------------------------

HtmlResult GetAttributeByName(HELEMENT element, const char* name, HtmlWideReceiver receiver,
                              void* param) noexcept {
    if (name == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        const std::string* value = self.GetAttribute(name);
        return value != nullptr ? GiveWide(so::WideFromUtf8(*value), receiver, param) : kHtmlNotHandled;
    });
}

HtmlResult SetAttributeByName(HELEMENT element, const char* name, const wchar_t* value) noexcept {
    if (name == nullptr || *name == '\0') {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        window.SetAttribute(self, name,
                            value != nullptr ? std::optional(so::Utf8FromWide(value)) : std::nullopt);
        return kHtmlOk;
    });
}

HtmlResult GetStyleAttribute(HELEMENT element, const char* name, HtmlWideReceiver receiver,
                             void* param) noexcept {
    if (name == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        std::optional<std::string> value = InlineStyle::Get(self, name);
        return value ? GiveWide(so::WideFromUtf8(*value), receiver, param) : kHtmlNotHandled;
    });
}

HtmlResult SetStyleAttribute(HELEMENT element, const char* name, const wchar_t* value) noexcept {
    if (name == nullptr || *name == '\0') {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        window.SetStyle(self, name, value != nullptr ? so::Utf8FromWide(value) : std::string());
        return kHtmlOk;
    });
}

HtmlResult GetElementHtml(HELEMENT element, std::uint32_t outer, HtmlUtf8Receiver receiver,
                          void* param) noexcept {
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        return GiveUtf8(outer != 0 ? MarkupSerializer::OuterHtml(self) : MarkupSerializer::InnerHtml(self),
                        receiver, param);
    });
}

HtmlResult SetElementHtml(HELEMENT element, const char* html, std::uint32_t length,
                          std::uint32_t placement) noexcept {
    if ((html == nullptr && length != 0) || placement > kPrependInnerHtml) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        return window.SetHtml(self, std::string_view(html != nullptr ? html : "", length),
                              HtmlInnerHtmlPlacement(placement))
                   ? kHtmlOk
                   : kHtmlOperationFailed;
    });
}

HtmlResult GetElementText(HELEMENT element, HtmlWideReceiver receiver, void* param) noexcept {
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        return GiveWide(window.Text(self), receiver, param);
    });
}

HtmlResult SetElementText(HELEMENT element, const wchar_t* text, std::uint32_t length) noexcept {
    if (text == nullptr && length != 0) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        window.SetText(self, std::wstring_view(text != nullptr ? text : L"", length));
        return kHtmlOk;
    });
}

HtmlResult DetachElement(HELEMENT element) noexcept {
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        return window.Remove(self) ? kHtmlOk : kHtmlOperationFailed;
    });
}

// ---- States and values -------------------------------------------------------------------------------

HtmlResult GetElementState(HELEMENT element, std::uint32_t* state) noexcept {
    if (state == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window&) {
        *state = ElementStates::Of(self);
        return kHtmlOk;
    });
}

HtmlResult SetElementState(HELEMENT element, std::uint32_t bitsToSet, std::uint32_t bitsToClear,
                           std::uint32_t) noexcept {
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        window.States().Change(self, bitsToSet, bitsToClear);
        return kHtmlOk;
    });
}

HtmlResult GetElementValue(HELEMENT element, HtmlValue* value) noexcept {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read,
                     [&](Element& self, Window& window) { return Give(window.GetValue(self), value); });
}

HtmlResult SetElementValue(HELEMENT element, const HtmlValue* value) noexcept {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        return window.SetValue(self, Value::FromRaw(*value)) ? kHtmlOk : kHtmlOperationFailed;
    });
}

// ---- Layout ------------------------------------------------------------------------------------------

// Every view-relative area is the border box: the layout has no borders or padding.
HtmlResult GetElementLocation(HELEMENT element, RECT* location, std::uint32_t area) noexcept {
    if (location == nullptr || (area & 0x10) == 0) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        *location = window.Geometry().Location(self);
        return kHtmlOk;
    });
}

HtmlResult GetElementIntrinsicHeight(HELEMENT element, std::int32_t forWidth, std::int32_t* height) noexcept {
    if (height == nullptr || forWidth < 0) {
        return kHtmlInvalidParameter;
    }
    // Outside the document an element has no style to be measured with: it takes no space, as
    // its location says too.
    return OnElement(element, Access::Read, [&](Element& self, Window& window) {
        *height = window.IsInDocument(self) ? Layout::IntrinsicHeight(self, forWidth) : 0;
        return kHtmlOk;
    });
}

// The view never scrolls: everything is in view.
HtmlResult ScrollToView(HELEMENT element, std::uint32_t) noexcept {
    return OnElement(element, Access::Read, [](Element&, Window&) { return kHtmlOk; });
}

HtmlResult GetElementHwnd(HELEMENT element, HWND* hwnd, std::uint32_t) noexcept {
    if (hwnd == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element&, Window& window) {
        *hwnd = window.Hwnd();
        return kHtmlOk;
    });
}

// ---- Popups and events -------------------------------------------------------------------------------

// Every placement opens below the anchor: the only one the panel uses.
HtmlResult ShowPopup(HELEMENT popup, HELEMENT anchor, std::uint32_t) noexcept {
    if (anchor == nullptr) {
        return kHtmlOperationFailed;
    }
    return OnElement(popup, Access::Change, [&](Element& shown, Window& window) {
        Target anchorTarget;
        if (HtmlResult result = Resolve(anchor, anchorTarget); result != kHtmlOk) {
            return result;
        }
        if (anchorTarget.window != &window || !window.IsInDocument(shown) ||
            !window.IsInDocument(*anchorTarget.element)) {
            return kHtmlOperationFailed;
        }
        window.Popups().Show(shown, *anchorTarget.element);
        return kHtmlOk;
    });
}

HtmlResult HidePopup(HELEMENT popup) noexcept {
    return OnElement(popup, Access::Change, [&](Element& shown, Window& window) {
        window.Popups().Hide(shown);
        return kHtmlOk;
    });
}

// Posting is [thread-safe]: only the handles are resolved on the calling thread, both of them
// before anything else.
HtmlResult FireEvent(const HtmlBehaviorEventParams* event, std::uint32_t post,
                     std::uint32_t* handled) noexcept {
    if (event == nullptr || (event->heTarget == nullptr && event->he == nullptr)) {
        return kHtmlInvalidParameter;
    }
    if (handled != nullptr) {
        *handled = 0;
    }
    const HELEMENT targetHandle = event->heTarget != nullptr ? event->heTarget : event->he;
    HandleTarget target;
    HandleTarget source;
    HtmlResult result = Guarded([&] {
        target = HandleTable::Instance().Resolve(targetHandle);
        source = HandleTable::Instance().Resolve(event->he);
        return !target || target.window == nullptr || (event->he != nullptr && !source) ? kHtmlInvalidHandle
                                                                                        : kHtmlOk;
    });
    if (result != kHtmlOk) {
        return result;
    }
    if (post != 0) {
        return Guarded(
            [&] {
                target.window->PostBehaviorEvent(event->cmd, target.element, source.element, event->reason,
                                                 Value::FromRaw(event->data));
                return kHtmlOk;
            },
            target.window);
    }
    return OnElement(targetHandle, Access::Change, [&](Element& element, Window& window) {
        HtmlBehaviorEventParams params = *event;
        params.heTarget = targetHandle;
        const bool wasHandled = window.Events().Behavior(element, params);
        if (handled != nullptr) {
            *handled = wasHandled ? 1 : 0;
        }
        return kHtmlOk;
    });
}

HtmlResult CallScriptingMethod(HELEMENT element, const char* name, const HtmlValue* argv, std::uint32_t argc,
                               HtmlValue* result) noexcept {
    if (name == nullptr || (argv == nullptr && argc != 0)) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        std::vector<Value> arguments;
        arguments.reserve(argc);
        for (std::uint32_t i = 0; i < argc; ++i) {
            arguments.push_back(Value::FromRaw(argv[i]));
        }
        Value answer;
        HtmlResult code = window.Runtime().CallScriptingMethod(self, name, arguments, answer);
        return code == kHtmlOk && result != nullptr ? Give(answer, result) : code;
    });
}

HtmlResult ExecuteBehaviorCommand(HELEMENT element, const char* command, std::uint32_t* handled) noexcept {
    if (command == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        const bool done = window.Runtime().ExecuteCommand(self, command);
        if (handled != nullptr) {
            *handled = done ? 1 : 0;
        }
        return done ? kHtmlOk : kHtmlNotHandled;
    });
}

// ---- Handlers and window services ----------------------------------------------------------------------

HtmlResult AttachEventHandler(HELEMENT element, ServiceObject* handler) noexcept {
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        return window.Runtime().AttachHandler(self, handler);
    });
}

HtmlResult DetachEventHandler(HELEMENT element, ServiceObject* handler) noexcept {
    return OnElement(element, Access::Change, [&](Element& self, Window& window) {
        return window.Runtime().DetachHandler(self, handler);
    });
}

HtmlResult GetUIInvoker(HELEMENT element, ServiceObject** invoker) noexcept {
    if (invoker == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element&, Window& window) {
        *invoker = so::Ref::Share(window.Invoker()).Detach();
        return kHtmlOk;
    });
}

HtmlResult GetWindowContext(HELEMENT element, ServiceObject** context) noexcept {
    if (context == nullptr) {
        return kHtmlInvalidParameter;
    }
    return OnElement(element, Access::Read, [&](Element&, Window& window) {
        *context = so::Ref::Share(window.WindowContext()).Detach();
        return kHtmlOk;
    });
}

const HtmlEngineApi kEngineApi{
    .size = sizeof(HtmlEngineApi),
    .ValueInit = &ValueInit,
    .ValueClear = &ValueClear,
    .ValueCopy = &ValueCopy,
    .ValueType = &ValueType,
    .ValueIntData = &ValueIntData,
    .ValueIntDataSet = &ValueIntDataSet,
    .ValueInt64Data = &ValueInt64Data,
    .ValueInt64DataSet = &ValueInt64DataSet,
    .ValueFloatData = &ValueFloatData,
    .ValueFloatDataSet = &ValueFloatDataSet,
    .ValueStringData = &ValueStringData,
    .ValueStringDataSet = &ValueStringDataSet,
    .ValueFromJson = &ValueFromJson,
    .ValueToJson = &ValueToJson,
    .ValueElementCount = &ValueElementCount,
    .ValueNthElement = &ValueNthElement,
    .ValueGetByKey = &ValueGetByKey,
    .ElementAddRef = &ElementAddRef,
    .ElementRelease = &ElementRelease,
    .SelectElements = &SelectElements,
    .SelectFirst = &SelectFirst,
    .SelectParent = &SelectParent,
    .TestElement = &TestElement,
    .GetParentElement = &GetParentElement,
    .GetChildrenCount = &GetChildrenCount,
    .GetNthChild = &GetNthChild,
    .GetElementTag = &GetElementTag,
    .GetRootElement = &GetRootElement,
    .GetAttributeByName = &GetAttributeByName,
    .SetAttributeByName = &SetAttributeByName,
    .GetStyleAttribute = &GetStyleAttribute,
    .SetStyleAttribute = &SetStyleAttribute,
    .GetElementHtml = &GetElementHtml,
    .SetElementHtml = &SetElementHtml,
    .GetElementText = &GetElementText,
    .SetElementText = &SetElementText,
    .DetachElement = &DetachElement,
    .GetElementState = &GetElementState,
    .SetElementState = &SetElementState,
    .GetElementValue = &GetElementValue,
    .SetElementValue = &SetElementValue,
    .GetElementLocation = &GetElementLocation,
    .GetElementIntrinsicHeight = &GetElementIntrinsicHeight,
    .ScrollToView = &ScrollToView,
    .GetElementHwnd = &GetElementHwnd,
    .ShowPopup = &ShowPopup,
    .HidePopup = &HidePopup,
    .FireEvent = &FireEvent,
    .CallScriptingMethod = &CallScriptingMethod,
    .ExecuteBehaviorCommand = &ExecuteBehaviorCommand,
    .AttachEventHandler = &AttachEventHandler,
    .DetachEventHandler = &DetachEventHandler,
    .GetUIInvoker = &GetUIInvoker,
    .GetWindowContext = &GetWindowContext,
};

} // namespace

} // namespace html

extern "C" const HtmlEngineApi* HtmlEngineAPI() {
    return &html::kEngineApi;
}
