// Delivers events to the native handlers attached to elements: by event group, from the target up
// through its ancestors, until one handles the event.
#pragma once

#include "headless-host/html-engine/runtime/Value.h"
#include "host/HtmlEngineApi.h"
#include "host/ServiceObject.h"

#include <cstdint>
#include <map>

namespace html {

class Element;
class Window;

// A handler receives an event of a group only when the group's bit is in the mask its
// GetSubscribedEvents gives at that moment (no answer means no events). The handlers of one
// element are asked in the order they were attached. Only the bubbling phase is delivered: codes
// never carry kHtmlSinking. A handler's failure (a failure code with its error record) is reported
// through the window and counts as not handled; it never leaves the dispatcher.
class EventDispatcher {
public:
    explicit EventDispatcher(Window& window) : window_(window) {}

    // A behaviour event sent now, with handles for `target` and `source` made for the call; gives
    // whether a handler handled it.
    bool FireBehaviorEvent(std::uint32_t code, Element& target, Element* source, std::uintptr_t reason = 0,
                           const Value& data = Value());

    // Handled: HandleEvent answered 0 and set its flag.
    bool Behavior(Element& target, HtmlBehaviorEventParams& params);
    // Handled: the handler answered 0.
    bool Mouse(Element& target, HtmlMouseParams& params);
    bool Key(Element& target, HtmlKeyParams& params);
    bool Focus(Element& target, HtmlFocusParams& params);
    // The element's own handlers only; true when one answered 0 (its result is in params.result).
    bool ScriptCall(Element& element, HtmlScriptingMethodParams& params);

    // How many behaviour events of `code` were delivered (handled or not) since the counts were
    // last forgotten.
    std::uint64_t BehaviorEventCount(std::uint32_t code) const;
    void ForgetBehaviorEvents() { behaviorEventCounts_.clear(); }

private:
    template <class Call>
    bool Deliver(Element& target, std::uint32_t group, bool bubble, Call call);
    std::uint32_t SubscribedEvents(ServiceObject* handler);

    Window& window_;
    std::map<std::uint32_t, std::uint64_t> behaviorEventCounts_;
};

} // namespace html
