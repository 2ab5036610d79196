#include "headless-host/html-engine/runtime/EventDispatcher.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/UIHandler.h"
#include "service-common/HostCall.h"

#include <memory>
#include <optional>
#include <vector>

namespace html {

bool EventDispatcher::FireBehaviorEvent(std::uint32_t code, Element& target, Element* source,
                                        std::uintptr_t reason, const Value& data) {
    std::shared_ptr<Element> pin = Shared(target);
    ScopedHandle targetHandle(target, &window_);
    std::optional<ScopedHandle> sourceHandle;
    if (source != nullptr) {
        sourceHandle.emplace(*source, &window_);
    }
    HtmlBehaviorEventParams params{code, targetHandle.Get(), sourceHandle ? sourceHandle->Get() : nullptr,
                                   reason, data.ToRaw()};
    bool handled = Behavior(target, params);
    Value::ClearRaw(params.data);
    return handled;
}

template <class Call>
bool EventDispatcher::Deliver(Element& target, std::uint32_t group, bool bubble, Call call) {
    // The path is fixed before anyone runs: a handler that moves or removes elements changes
    // neither who else gets this event nor whether they are still alive.
    std::vector<std::shared_ptr<Element>> path;
    for (Element* element = &target; element != nullptr; element = bubble ? element->Parent() : nullptr) {
        path.push_back(Shared(*element));
    }
    for (const auto& element : path) {
        for (const so::Ref& handler : window_.Runtime().HandlersOf(*element)) {
            // Detached by an earlier handler of this very event: it no longer gets events.
            if (!window_.Runtime().IsAttached(*element, handler.Get()) ||
                (SubscribedEvents(handler.Get()) & group) == 0) {
                continue;
            }
            ScopedHandle handle(*element, &window_);
            try {
                if (call(handler.Get(), handle.Get())) {
                    return true;
                }
            } catch (const std::exception& e) {
                window_.ReportError(std::string("A UI handler failed: ") + e.what());
            }
        }
    }
    return false;
}

std::uint32_t EventDispatcher::SubscribedEvents(ServiceObject* handler) {
    std::uint32_t mask = 0;
    try {
        auto code = so::Call<host::UIHandler::GetSubscribedEvents>(handler, &mask);
        return code && *code == so::kOk ? mask : 0;
    } catch (const std::exception& e) {
        window_.ReportError(std::string("A UI handler failed to give its events: ") + e.what());
        return 0;
    }
}

bool EventDispatcher::Behavior(Element& target, HtmlBehaviorEventParams& params) {
    ++behaviorEventCounts_[params.cmd];
    return Deliver(target, kHandleBehaviorEvent, true, [&](ServiceObject* handler, HELEMENT element) {
        std::uint8_t handled = 0;
        auto code = so::Call<host::UIHandler::HandleEvent>(handler, &handled, element, &params);
        return code && *code == so::kOk && handled != 0;
    });
}

std::uint64_t EventDispatcher::BehaviorEventCount(std::uint32_t code) const {
    auto found = behaviorEventCounts_.find(code);
    return found != behaviorEventCounts_.end() ? found->second : 0;
}

bool EventDispatcher::Mouse(Element& target, HtmlMouseParams& params) {
    return Deliver(target, kHandleMouse, true, [&](ServiceObject* handler, HELEMENT element) {
        auto code = so::Call<host::UIHandler::HandleMouse>(handler, element, &params);
        return code && *code == so::kOk;
    });
}

bool EventDispatcher::Key(Element& target, HtmlKeyParams& params) {
    return Deliver(target, kHandleKey, true, [&](ServiceObject* handler, HELEMENT element) {
        auto code = so::Call<host::UIHandler::HandleKey>(handler, element, &params);
        return code && *code == so::kOk;
    });
}

bool EventDispatcher::Focus(Element& target, HtmlFocusParams& params) {
    return Deliver(target, kHandleFocus, true, [&](ServiceObject* handler, HELEMENT element) {
        auto code = so::Call<host::UIHandler::HandleFocus>(handler, element, &params);
        return code && *code == so::kOk;
    });
}

bool EventDispatcher::ScriptCall(Element& element, HtmlScriptingMethodParams& params) {
    return Deliver(element, kHandleScriptingMethodCall, false, [&](ServiceObject* handler, HELEMENT self) {
        auto code = so::Call<host::UIHandler::HandleScriptCall>(handler, self, &params);
        return code && *code == so::kOk;
    });
}

} // namespace html
