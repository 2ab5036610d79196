#include "headless-host/html-engine/runtime/ElementRuntimeRegistry.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/behaviors/Behaviors.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/UIHandler.h"
#include "service-common/HostCall.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace html {

namespace {

std::uint64_t NewBindingMark() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

} // namespace

ElementRuntimeRegistry::ElementRuntimeRegistry(Window& window)
    : window_(window), bindingMark_(NewBindingMark()) {}

ElementRuntimeRegistry::~ElementRuntimeRegistry() = default;

// ---- Handlers ------------------------------------------------------------------------------------

HtmlResult ElementRuntimeRegistry::AttachHandler(Element& element, ServiceObject* handler) {
    if (handler == nullptr) {
        return kHtmlInvalidParameter;
    }
    if (IsAttached(element, handler)) {
        return kHtmlOk;
    }
    ElementRuntime& runtime = RuntimeOf(element);
    runtime.handlers.push_back(so::Ref::Share(handler));
    runtime.pin = Shared(element);
    ScopedHandle handle(element, &window_);
    try {
        so::Call<host::UIHandler::Attached>(handler, handle.Get());
    } catch (const std::exception& e) {
        window_.ReportError(std::string("A UI handler failed to attach: ") + e.what());
    }
    return kHtmlOk;
}

HtmlResult ElementRuntimeRegistry::DetachHandler(Element& element, ServiceObject* handler) {
    ElementRuntime* runtime = Find(element);
    if (runtime == nullptr) {
        return kHtmlInvalidParameter;
    }
    auto found = std::find_if(runtime->handlers.begin(), runtime->handlers.end(),
                              [handler](const so::Ref& attached) { return attached.Get() == handler; });
    if (found == runtime->handlers.end()) {
        return kHtmlInvalidParameter;
    }
    ScopedHandle handle(element, &window_); // keeps the element alive past its pin
    so::Ref detached = std::move(*found);
    runtime->handlers.erase(found);
    if (runtime->handlers.empty()) {
        runtime->pin.reset();
    }
    try {
        so::Call<host::UIHandler::Detached>(detached.Get(), handle.Get());
    } catch (const std::exception& e) {
        window_.ReportError(std::string("A UI handler failed to detach: ") + e.what());
    }
    return kHtmlOk;
}

std::vector<so::Ref> ElementRuntimeRegistry::HandlersOf(const Element& element) const {
    const ElementRuntime* runtime = Find(element);
    return runtime != nullptr ? runtime->handlers : std::vector<so::Ref>();
}

bool ElementRuntimeRegistry::IsAttached(const Element& element, ServiceObject* handler) const {
    const ElementRuntime* runtime = Find(element);
    return runtime != nullptr &&
           std::any_of(runtime->handlers.begin(), runtime->handlers.end(),
                       [handler](const so::Ref& attached) { return attached.Get() == handler; });
}

void ElementRuntimeRegistry::NotifyLocaleChanged() {
    // Collected first: a handler may rebuild the page (and so attach and detach others) when told.
    std::vector<so::Ref> handlers;
    for (const auto& [element, runtime] : runtime_)
        handlers.insert(handlers.end(), runtime->handlers.begin(), runtime->handlers.end());
    for (const so::Ref& handler : handlers) {
        try {
            so::Call<host::UIHandler::OnLocaleChanged>(handler.Get());
        } catch (const std::exception& e) {
            window_.ReportError(std::string("A UI handler failed to take the new language: ") + e.what());
        }
    }
}

void ElementRuntimeRegistry::DetachAllHandlers(ElementRuntime& runtime, Element& element) {
    std::shared_ptr<Element> pin = Shared(element);
    std::vector<so::Ref> handlers = std::move(runtime.handlers);
    runtime.handlers.clear();
    runtime.pin.reset();
    ScopedHandle handle(element, &window_);
    for (const so::Ref& handler : handlers) {
        try {
            so::Call<host::UIHandler::Detached>(handler.Get(), handle.Get());
        } catch (const std::exception& e) {
            window_.ReportError(std::string("A UI handler failed to detach: ") + e.what());
        }
    }
}

// ---- Behaviours ----------------------------------------------------------------------------------

const ElementRuntimeRegistry::ElementRuntime* ElementRuntimeRegistry::Find(const Element& element) const {
    auto found = runtime_.find(&element);
    // An entry whose element died (and whose address a new element took) is not this element's.
    if (found == runtime_.end() || found->second->element.lock().get() != &element) {
        return nullptr;
    }
    return found->second.get();
}

ElementRuntimeRegistry::ElementRuntime* ElementRuntimeRegistry::Find(const Element& element) {
    return const_cast<ElementRuntime*>(std::as_const(*this).Find(element));
}

ElementRuntimeRegistry::ElementRuntime& ElementRuntimeRegistry::RuntimeOf(Element& element) {
    if (ElementRuntime* runtime = Find(element)) {
        return *runtime;
    }
    // Entries of elements that died outside the document are swept now and then, not tracked.
    if (runtime_.size() >= 2 * sweptSize_ + 64) {
        std::erase_if(runtime_, [](const auto& entry) { return entry.second->element.expired(); });
        sweptSize_ = runtime_.size();
    }
    auto& entry = runtime_[&element];
    entry = std::make_unique<ElementRuntime>();
    entry->element = Shared(element);
    return *entry;
}

Behavior* ElementRuntimeRegistry::BehaviorOf(Element& element) {
    if (element.BindingMark() != bindingMark_) {
        // Marked before anything runs, so that a behaviour or an initialiser asking again does not
        // bind twice. Only an element with a behaviour gets an entry for it.
        element.SetBindingMark(bindingMark_);
        if (std::unique_ptr<Behavior> behavior =
                Behaviors::Create(window_.Bindings().BehaviorNameFor(element))) {
            ElementRuntime& runtime = RuntimeOf(element);
            runtime.behavior = std::move(behavior);
            runtime.behavior->OnBound(window_, element);
        }
        RunInitializers(element);
    }
    ElementRuntime* runtime = Find(element);
    return runtime != nullptr ? runtime->behavior.get() : nullptr;
}

void ElementRuntimeRegistry::RunInitializers(Element& element) {
    const std::vector<ElementBindings::Initializer>& initializers = window_.Bindings().Initializers();
    for (std::size_t i = 0; i < initializers.size(); ++i) {
        if (!Matches(element, *initializers[i].parsed)) {
            continue;
        }
        ElementInitializer initializer = initializers[i].initializer; // it may register more
        ScopedHandle handle(element, &window_);
        try {
            initializer(handle.Get());
        } catch (const std::exception& e) {
            window_.ReportError("Initialising an element for \"" + initializers[i].selector +
                                "\" failed: " + e.what());
        }
    }
}

void ElementRuntimeRegistry::BindSubtree(Element& root) {
    for (const auto& element : SubtreeElements(root)) {
        BehaviorOf(*element);
    }
}

// ---- Calls ---------------------------------------------------------------------------------------

HtmlResult ElementRuntimeRegistry::CallScriptingMethod(Element& element, const std::string& name,
                                                       const std::vector<Value>& arguments, Value& result) {
    std::shared_ptr<Element> pin = Shared(element);
    std::vector<HtmlValue> rawArguments;
    rawArguments.reserve(arguments.size());
    for (const Value& argument : arguments) {
        rawArguments.push_back(argument.ToRaw());
    }
    HtmlScriptingMethodParams params{
        name.c_str(), rawArguments.data(), std::uint32_t(rawArguments.size()), {}};
    const bool answered = window_.Events().ScriptCall(element, params);
    for (HtmlValue& raw : rawArguments) {
        Value::ClearRaw(raw);
    }
    Value handlerResult = Value::FromRaw(params.result);
    Value::ClearRaw(params.result);
    if (answered) {
        result = std::move(handlerResult);
        return kHtmlOk;
    }
    if (std::optional<ScriptMethod> method = window_.Bindings().ScriptMethodFor(element, name)) {
        ScopedHandle handle(element, &window_);
        try {
            result = (*method)(handle.Get(), arguments);
            return kHtmlOk;
        } catch (const std::exception& e) {
            window_.ReportError("The script method \"" + name + "\" failed: " + e.what());
            return kHtmlOperationFailed;
        }
    }
    if (Behavior* behavior = BehaviorOf(element)) {
        if (auto value = behavior->CallMethod(window_, element, name, arguments)) {
            result = std::move(*value);
            return kHtmlOk;
        }
    }
    return kHtmlNotHandled;
}

bool ElementRuntimeRegistry::ExecuteCommand(Element& element, std::string_view command) {
    std::shared_ptr<Element> pin = Shared(element);
    for (Element* owner = &element; owner != nullptr; owner = owner->Parent()) {
        if (Behavior* behavior = BehaviorOf(*owner);
            behavior != nullptr && behavior->ExecuteCommand(window_, *owner, element, command)) {
            window_.NoteChange();
            return true;
        }
    }
    return false;
}

// ---- Lifetime ------------------------------------------------------------------------------------

void ElementRuntimeRegistry::Leave(Element& root) {
    struct Leaving {
        std::shared_ptr<Element> element;
        std::unique_ptr<ElementRuntime> runtime;
    };
    std::vector<Leaving> leaving;
    for (const auto& element : SubtreeElements(root)) {
        if (element->BindingMark() == bindingMark_) {
            element->SetBindingMark(0); // bound again if it comes back
        }
        auto found = runtime_.find(element.get());
        if (found != runtime_.end()) {
            leaving.push_back({element, std::move(found->second)});
            runtime_.erase(found);
        }
    }
    // The handlers hear of it only after the runtime is gone: whatever they do with the engine
    // from Detached starts from a clean element.
    for (auto& entry : leaving) {
        if (entry.runtime->element.lock() == entry.element) {
            DetachAllHandlers(*entry.runtime, *entry.element);
        }
    }
}

void ElementRuntimeRegistry::DetachAll() {
    // Elements outside the document with handlers still attached: their handlers hold the only
    // way back to them, so they are detached here. A Detached that attaches again is not followed
    // for ever.
    for (int rounds = 0; rounds < 1000; ++rounds) {
        auto withHandlers = std::find_if(runtime_.begin(), runtime_.end(),
                                         [](const auto& entry) { return !entry.second->handlers.empty(); });
        if (withHandlers == runtime_.end()) {
            break;
        }
        std::shared_ptr<Element> element = withHandlers->second->pin;
        DetachAllHandlers(*withHandlers->second, *element);
    }
    runtime_.clear();
}

} // namespace html
