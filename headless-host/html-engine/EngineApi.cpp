// HtmlEngineAPI(): the engine's C function table over the windows, values and handles of this
// library. No exception crosses it: failures become result codes.
#include "headless-host/html-engine/Element.h"
#include "headless-host/html-engine/ElementHandle.h"
#include "headless-host/html-engine/InlineStyle.h"
#include "headless-host/html-engine/Layout.h"
#include "headless-host/html-engine/MarkupSerializer.h"
#include "headless-host/html-engine/SelectorError.h"
#include "headless-host/html-engine/SelectorQuery.h"
#include "headless-host/html-engine/Value.h"
#include "headless-host/html-engine/Window.h"
#include "host/HtmlEngineApi.h"
#include "service-common/TextConversion.h"

#include <bit>
#include <iostream>
#include <limits>

namespace html {

namespace {

enum class Access { Read, Change };

struct Target {
    std::shared_ptr<Element> element;
    Window* window = nullptr;
};

// Resolves a handle for an operation on the calling thread: the handle must be live, its window
// still there, and the caller on that window's UI thread.
HtmlResult Use(HELEMENT handle, Target& target, Access access = Access::Read) {
    HandleTarget resolved = HandleTable::Instance().Resolve(handle);
    if (!resolved || resolved.window == nullptr) {
        return kHtmlInvalidHandle;
    }
    if (!resolved.window->IsUIThread()) {
        std::cerr << "html-engine: an element operation was called off the UI thread; refused\n";
        return kHtmlOperationFailed;
    }
    target = {std::move(resolved.element), resolved.window};
    if (access == Access::Change) {
        target.window->NoteChange();
    }
    return kHtmlOk;
}

// Runs an operation, turning what it throws into a result: an invalid selector is an ordinary
// failure; anything else is reported too.
template <class Operation>
HtmlResult Guarded(Operation operation) {
    try {
        return operation();
    } catch (const SelectorError&) {
        return kHtmlOperationFailed;
    } catch (const std::exception& e) {
        std::cerr << "html-engine: " << e.what() << '\n';
        return kHtmlOperationFailed;
    } catch (...) {
        return kHtmlOperationFailed;
    }
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

HtmlResult ValueInit(HtmlValue* value) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    *value = HtmlValue{kHtmlValueUndefined, 0, 0};
    return kHtmlOk;
}

HtmlResult ValueClear(HtmlValue* value) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    Value::ClearRaw(*value);
    return kHtmlOk;
}

HtmlResult ValueCopy(HtmlValue* destination, const HtmlValue* source) {
    if (destination == nullptr || source == nullptr) {
        return kHtmlInvalidParameter;
    }
    if (destination == source) {
        return kHtmlOk;
    }
    return Guarded([&] { return Give(Value::FromRaw(*source), destination); });
}

HtmlResult ValueType(const HtmlValue* value, std::uint32_t* type) {
    if (value == nullptr || type == nullptr) {
        return kHtmlInvalidParameter;
    }
    *type = value->type;
    return kHtmlOk;
}

HtmlResult ValueIntData(const HtmlValue* value, std::int32_t* data) {
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
}

HtmlResult ValueIntDataSet(HtmlValue* value, std::int32_t data, std::uint32_t type) {
    if (value == nullptr || (type != kHtmlValueInt && type != kHtmlValueBool)) {
        return kHtmlInvalidParameter;
    }
    return Give(type == kHtmlValueBool ? Value::Bool(data != 0) : Value::Int(data), value);
}

HtmlResult ValueInt64Data(const HtmlValue* value, std::int64_t* data) {
    if (value == nullptr || data == nullptr) {
        return kHtmlInvalidParameter;
    }
    if (value->type != kHtmlValueInt && value->type != kHtmlValueDate) {
        return kHtmlOperationFailed;
    }
    *data = std::int64_t(value->data);
    return kHtmlOk;
}

HtmlResult ValueInt64DataSet(HtmlValue* value, std::int64_t data, std::uint32_t type) {
    if (value == nullptr || (type != kHtmlValueInt && type != kHtmlValueDate)) {
        return kHtmlInvalidParameter;
    }
    return Give(type == kHtmlValueDate ? Value::DateTicks(data) : Value::Int(data), value);
}

// Integers read as floats too: a number is a number.
HtmlResult ValueFloatData(const HtmlValue* value, double* data) {
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
}

HtmlResult ValueFloatDataSet(HtmlValue* value, double data) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Give(Value::Float(data), value);
}

HtmlResult ValueStringData(const HtmlValue* value, HtmlWideReceiver receiver, void* param) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        std::optional<std::wstring> text = Value::FromRaw(*value).ToText();
        return text ? GiveWide(*text, receiver, param) : kHtmlOperationFailed;
    });
}

HtmlResult ValueStringDataSet(HtmlValue* value, const wchar_t* text, std::uint32_t length) {
    if (value == nullptr || (text == nullptr && length != 0)) {
        return kHtmlInvalidParameter;
    }
    return Guarded(
        [&] { return Give(Value::String(std::wstring(text != nullptr ? text : L"", length)), value); });
}

HtmlResult ValueFromJson(HtmlValue* value, const char* json, std::uint32_t length) {
    if (value == nullptr || (json == nullptr && length != 0)) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        std::optional<Value> parsed = Value::FromJson(std::string_view(json != nullptr ? json : "", length));
        return parsed ? Give(*parsed, value) : kHtmlOperationFailed;
    });
}

HtmlResult ValueToJson(const HtmlValue* value, HtmlUtf8Receiver receiver, void* param) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] { return GiveUtf8(Value::FromRaw(*value).ToJson(), receiver, param); });
}

// Maps and arrays are read through a copy: values are small, and the copy keeps the C side free
// of pointers into a value's insides.
HtmlResult ValueElementCount(const HtmlValue* value, std::uint32_t* count) {
    if (value == nullptr || count == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
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

HtmlResult ValueNthElement(const HtmlValue* value, std::uint32_t index, HtmlValue* element) {
    if (value == nullptr || element == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
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

HtmlResult ValueGetByKey(const HtmlValue* value, const char* key, HtmlValue* element) {
    if (value == nullptr || key == nullptr || element == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Value copy = Value::FromRaw(*value);
        if (copy.AsMap() == nullptr) {
            return kHtmlOperationFailed;
        }
        const Value* found = copy.Find(key);
        return found != nullptr ? Give(*found, element) : kHtmlNotHandled;
    });
}

// ---- Handles and queries ---------------------------------------------------------------------------

HtmlResult ElementAddRef(HELEMENT element) {
    return HandleTable::Instance().AddRef(element) ? kHtmlOk : kHtmlInvalidHandle;
}

HtmlResult ElementRelease(HELEMENT element) {
    return HandleTable::Instance().Release(element) ? kHtmlOk : kHtmlInvalidHandle;
}

HtmlResult SelectElements(HELEMENT scope, const char* selector, HtmlElementCallback callback, void* param) {
    if (selector == nullptr || callback == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(scope, target); result != kHtmlOk) {
            return result;
        }
        for (const auto& found : QueryAll(*target.element, selector)) {
            ScopedHandle handle(*found, target.window);
            if (callback(handle.Get(), param) != 0) {
                break;
            }
        }
        return kHtmlOk;
    });
}

HtmlResult SelectFirst(HELEMENT scope, const char* selector, HELEMENT* found) {
    if (selector == nullptr || found == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(scope, target); result != kHtmlOk) {
            return result;
        }
        *found = AcquireFor(QueryFirst(*target.element, selector).get(), target.window);
        return kHtmlOk;
    });
}

// As the engine has always done it, the search starts with the element itself: `depth` 1 tests
// only the element, 5 the element and four ancestors, 0 the whole chain.
HtmlResult SelectParent(HELEMENT element, const char* selector, std::uint32_t depth, HELEMENT* found) {
    if (selector == nullptr || found == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        Element* match = nullptr;
        std::uint32_t level = 1;
        for (Element* candidate = target.element.get();
             candidate != nullptr && (depth == 0 || level <= depth);
             candidate = candidate->Parent(), ++level) {
            if (Matches(*candidate, selector)) {
                match = candidate;
                break;
            }
        }
        *found = AcquireFor(match, target.window);
        return kHtmlOk;
    });
}

HtmlResult TestElement(HELEMENT element, const char* selector, std::uint32_t* matches) {
    if (selector == nullptr || matches == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        *matches = Matches(*target.element, selector) ? 1 : 0;
        return kHtmlOk;
    });
}

HtmlResult GetParentElement(HELEMENT element, HELEMENT* parent) {
    if (parent == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *parent = AcquireFor(target.element->Parent(), target.window);
    return kHtmlOk;
}

// Children are element children: text and comments are not counted.
HtmlResult GetChildrenCount(HELEMENT element, std::uint32_t* count) {
    if (count == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *count = 0;
    for (const auto& child : target.element->Children()) {
        *count += child->IsElement() ? 1 : 0;
    }
    return kHtmlOk;
}

HtmlResult GetNthChild(HELEMENT element, std::uint32_t index, HELEMENT* child) {
    if (child == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    for (const auto& node : target.element->Children()) {
        if (node->IsElement() && index-- == 0) {
            *child = AcquireFor(static_cast<Element*>(node.get()), target.window);
            return kHtmlOk;
        }
    }
    return kHtmlInvalidParameter;
}

HtmlResult GetElementTag(HELEMENT element, HtmlUtf8Receiver receiver, void* param) {
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    return GiveUtf8(target.element->TagName(), receiver, param);
}

HtmlResult GetRootElement(HWND hwnd, HELEMENT* root) {
    if (root == nullptr) {
        return kHtmlInvalidParameter;
    }
    Window* window = Window::FromHwnd(hwnd);
    if (window == nullptr) {
        return kHtmlInvalidHandle;
    }
    if (!window->IsUIThread()) {
        return kHtmlOperationFailed;
    }
    *root = AcquireFor(&window->Root(), window);
    return kHtmlOk;
}

// ---- Attributes and content --------------------------------------------------------------------------

HtmlResult GetAttributeByName(HELEMENT element, const char* name, HtmlWideReceiver receiver, void* param) {
    if (name == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    const std::string* value = target.element->GetAttribute(name);
    return value != nullptr ? GiveWide(so::WideFromUtf8(*value), receiver, param) : kHtmlNotHandled;
}

HtmlResult SetAttributeByName(HELEMENT element, const char* name, const wchar_t* value) {
    if (name == nullptr || *name == '\0') {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        target.window->SetAttribute(*target.element, name,
                                    value != nullptr ? std::optional(so::Utf8FromWide(value)) : std::nullopt);
        return kHtmlOk;
    });
}

HtmlResult GetStyleAttribute(HELEMENT element, const char* name, HtmlWideReceiver receiver, void* param) {
    if (name == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    std::optional<std::string> value = InlineStyle::Get(*target.element, name);
    return value ? GiveWide(so::WideFromUtf8(*value), receiver, param) : kHtmlNotHandled;
}

HtmlResult SetStyleAttribute(HELEMENT element, const char* name, const wchar_t* value) {
    if (name == nullptr || *name == '\0') {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        target.window->SetStyle(*target.element, name,
                                value != nullptr ? so::Utf8FromWide(value) : std::string());
        return kHtmlOk;
    });
}

HtmlResult GetElementHtml(HELEMENT element, std::uint32_t outer, HtmlUtf8Receiver receiver, void* param) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        return GiveUtf8(outer != 0 ? MarkupSerializer::OuterHtml(*target.element)
                                   : MarkupSerializer::InnerHtml(*target.element),
                        receiver, param);
    });
}

HtmlResult SetElementHtml(HELEMENT element, const char* html, std::uint32_t length, std::uint32_t placement) {
    if ((html == nullptr && length != 0) || placement > kPrependInnerHtml) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        return target.window->SetHtml(*target.element, std::string_view(html != nullptr ? html : "", length),
                                      HtmlInnerHtmlPlacement(placement))
                   ? kHtmlOk
                   : kHtmlOperationFailed;
    });
}

HtmlResult GetElementText(HELEMENT element, HtmlWideReceiver receiver, void* param) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        return GiveWide(target.window->Text(*target.element), receiver, param);
    });
}

HtmlResult SetElementText(HELEMENT element, const wchar_t* text, std::uint32_t length) {
    if (text == nullptr && length != 0) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        target.window->SetText(*target.element, std::wstring_view(text != nullptr ? text : L"", length));
        return kHtmlOk;
    });
}

HtmlResult DetachElement(HELEMENT element) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        return target.window->Remove(*target.element) ? kHtmlOk : kHtmlOperationFailed;
    });
}

// ---- States and values -------------------------------------------------------------------------------

HtmlResult GetElementState(HELEMENT element, std::uint32_t* state) {
    if (state == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *state = ElementStates::Of(*target.element);
    return kHtmlOk;
}

HtmlResult SetElementState(HELEMENT element, std::uint32_t bitsToSet, std::uint32_t bitsToClear,
                           std::uint32_t) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        target.window->States().Change(*target.element, bitsToSet, bitsToClear);
        return kHtmlOk;
    });
}

HtmlResult GetElementValue(HELEMENT element, HtmlValue* value) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        return Give(target.window->GetValue(*target.element), value);
    });
}

HtmlResult SetElementValue(HELEMENT element, const HtmlValue* value) {
    if (value == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        return target.window->SetValue(*target.element, Value::FromRaw(*value)) ? kHtmlOk
                                                                                : kHtmlOperationFailed;
    });
}

// ---- Layout ------------------------------------------------------------------------------------------

// Every view-relative area is the border box: the layout has no borders or padding.
HtmlResult GetElementLocation(HELEMENT element, RECT* location, std::uint32_t area) {
    if (location == nullptr || (area & 0x10) == 0) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        *location = target.window->Geometry().Location(*target.element);
        return kHtmlOk;
    });
}

HtmlResult GetElementIntrinsicHeight(HELEMENT element, std::int32_t forWidth, std::int32_t* height) {
    if (height == nullptr || forWidth < 0) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target); result != kHtmlOk) {
            return result;
        }
        *height = Layout::IntrinsicHeight(*target.element, forWidth);
        return kHtmlOk;
    });
}

// The view never scrolls: everything is in view.
HtmlResult ScrollToView(HELEMENT element, std::uint32_t) {
    Target target;
    return Use(element, target);
}

HtmlResult GetElementHwnd(HELEMENT element, HWND* window, std::uint32_t) {
    if (window == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *window = target.window->Hwnd();
    return kHtmlOk;
}

// ---- Popups and events -------------------------------------------------------------------------------

// Every placement opens below the anchor: the only one the panel uses.
HtmlResult ShowPopup(HELEMENT popup, HELEMENT anchor, std::uint32_t) {
    if (anchor == nullptr) {
        return kHtmlOperationFailed;
    }
    return Guarded([&] {
        Target popupTarget;
        Target anchorTarget;
        if (HtmlResult result = Use(popup, popupTarget, Access::Change); result != kHtmlOk) {
            return result;
        }
        if (HtmlResult result = Use(anchor, anchorTarget); result != kHtmlOk) {
            return result;
        }
        Window& window = *popupTarget.window;
        if (anchorTarget.window != &window || !window.IsInDocument(*popupTarget.element) ||
            !window.IsInDocument(*anchorTarget.element)) {
            return kHtmlOperationFailed;
        }
        window.Popups().Show(*popupTarget.element, *anchorTarget.element);
        return kHtmlOk;
    });
}

HtmlResult HidePopup(HELEMENT popup) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(popup, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        target.window->Popups().Hide(*target.element);
        return kHtmlOk;
    });
}

// Posting is [thread-safe]: only the handles are resolved on the calling thread.
HtmlResult FireEvent(const HtmlBehaviorEventParams* event, std::uint32_t post, std::uint32_t* handled) {
    if (event == nullptr || (event->heTarget == nullptr && event->he == nullptr)) {
        return kHtmlInvalidParameter;
    }
    if (handled != nullptr) {
        *handled = 0;
    }
    return Guarded([&] {
        HandleTarget target =
            HandleTable::Instance().Resolve(event->heTarget != nullptr ? event->heTarget : event->he);
        HandleTarget source = HandleTable::Instance().Resolve(event->he);
        if (!target || target.window == nullptr || (event->he != nullptr && !source)) {
            return kHtmlInvalidHandle;
        }
        if (post != 0) {
            target.window->PostBehaviorEvent(event->cmd, target.element, source.element, event->reason,
                                             Value::FromRaw(event->data));
            return kHtmlOk;
        }
        Target checked;
        if (HtmlResult result =
                Use(event->heTarget != nullptr ? event->heTarget : event->he, checked, Access::Change);
            result != kHtmlOk) {
            return result;
        }
        HtmlBehaviorEventParams params = *event;
        params.heTarget = event->heTarget != nullptr ? event->heTarget : event->he;
        const bool wasHandled = checked.window->Events().Behavior(*checked.element, params);
        if (handled != nullptr) {
            *handled = wasHandled ? 1 : 0;
        }
        return kHtmlOk;
    });
}

HtmlResult CallScriptingMethod(HELEMENT element, const char* name, const HtmlValue* argv, std::uint32_t argc,
                               HtmlValue* result) {
    if (name == nullptr || (argv == nullptr && argc != 0)) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult code = Use(element, target, Access::Change); code != kHtmlOk) {
            return code;
        }
        std::vector<Value> arguments;
        arguments.reserve(argc);
        for (std::uint32_t i = 0; i < argc; ++i) {
            arguments.push_back(Value::FromRaw(argv[i]));
        }
        Value answer;
        HtmlResult code =
            target.window->Runtime().CallScriptingMethod(*target.element, name, arguments, answer);
        if (code == kHtmlOk && result != nullptr) {
            return Give(answer, result);
        }
        return code;
    });
}

HtmlResult ExecuteBehaviorCommand(HELEMENT element, const char* command, std::uint32_t* handled) {
    if (command == nullptr) {
        return kHtmlInvalidParameter;
    }
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        const bool done = target.window->Runtime().ExecuteCommand(*target.element, command);
        if (handled != nullptr) {
            *handled = done ? 1 : 0;
        }
        return done ? kHtmlOk : kHtmlNotHandled;
    });
}

// ---- Handlers and window services ----------------------------------------------------------------------

HtmlResult AttachEventHandler(HELEMENT element, ServiceObject* handler) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        return target.window->Runtime().AttachHandler(*target.element, handler);
    });
}

HtmlResult DetachEventHandler(HELEMENT element, ServiceObject* handler) {
    return Guarded([&] {
        Target target;
        if (HtmlResult result = Use(element, target, Access::Change); result != kHtmlOk) {
            return result;
        }
        return target.window->Runtime().DetachHandler(*target.element, handler);
    });
}

HtmlResult GetUIInvoker(HELEMENT element, ServiceObject** invoker) {
    if (invoker == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *invoker = so::Ref::Share(target.window->Invoker()).Detach();
    return kHtmlOk;
}

HtmlResult GetWindowContext(HELEMENT element, ServiceObject** context) {
    if (context == nullptr) {
        return kHtmlInvalidParameter;
    }
    Target target;
    if (HtmlResult result = Use(element, target); result != kHtmlOk) {
        return result;
    }
    *context = so::Ref::Share(target.window->WindowContext()).Detach();
    return kHtmlOk;
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
