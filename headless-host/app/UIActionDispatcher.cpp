#include "headless-host/app/UIActionDispatcher.h"

#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "host/HtmlEngineApi.h"
#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"

#include <stdexcept>
#include <string_view>
#include <utility>

namespace headless {

namespace {

constexpr std::string_view kParameterPrefix = "action-param-";

// Attached to one action button; the button's attributes are read when it is clicked, since the
// panel changes them in place when its property changes.
class ActionButtonHandler : public so::ObjectBase {
public:
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kClassTag = 0xAC710B7A;
    static void BindMethods(so::MethodBinder<ActionButtonHandler>& binder) {
        binder.Bind<host::UIHandler::GetSubscribedEvents, &ActionButtonHandler::GetSubscribedEvents>();
        binder.Bind<host::UIHandler::HandleEvent, &ActionButtonHandler::HandleEvent>();
    }

    ActionButtonHandler(std::shared_ptr<UIActionDispatcher> dispatcher, html::EngineWindow& window)
        : dispatcher_(std::move(dispatcher)), window_(window) {}

    SOResult GetSubscribedEvents(std::uint32_t* mask) {
        if (mask == nullptr)
            return so::kInvalidArgument;
        *mask = kHandleBehaviorEvent;
        return so::kOk;
    }

    // The click is not taken: the panel may still want to hear of it.
    SOResult HandleEvent(std::uint8_t* handled, HELEMENT button, HtmlBehaviorEventParams* event) {
        if (handled == nullptr || event == nullptr)
            return so::kInvalidArgument;
        *handled = 0;
        if (event->cmd != kButtonClick)
            return so::kNothingProvided;
        // The engine raises no click on an element disabled by state; a "disabled" attribute set
        // after the button was bound does not set the state, and disables the button all the same.
        std::uint32_t state = 0;
        HtmlEngineAPI()->GetElementState(button, &state);
        if ((state & kStateDisabled) != 0)
            return so::kNothingProvided;
        DispatchedUIAction action;
        bool hasAction = false;
        for (auto& [name, value] : window_.AttributesOf(button)) {
            if (name == "disabled")
                return so::kNothingProvided;
            if (name == "action") {
                hasAction = true;
                action.name = value;
            } else if (name.starts_with(kParameterPrefix)) {
                action.parameters[name.substr(kParameterPrefix.size())] = value;
            }
        }
        if (!hasAction || action.name.empty())
            return so::kNothingProvided;
        dispatcher_->Dispatch(std::move(action));
        return so::kNothingProvided;
    }

private:
    std::shared_ptr<UIActionDispatcher> dispatcher_;
    html::EngineWindow& window_;
};

} // namespace

void UIActionDispatcher::Install(html::EngineWindow& window) {
    window.WhenBound("button.action-button", [self = shared_from_this(), &window](HELEMENT button) {
        so::Ref handler = so::Make<ActionButtonHandler>(self, window);
        if (HtmlEngineAPI()->AttachEventHandler(button, handler.Get()) != kHtmlOk)
            throw std::runtime_error("the action button refused the host's click handler");
    });
}

std::vector<DispatchedUIAction> UIActionDispatcher::Dispatched() const {
    std::lock_guard lock(mutex_);
    return dispatched_;
}

void UIActionDispatcher::Dispatch(DispatchedUIAction action) {
    std::lock_guard lock(mutex_);
    dispatched_.push_back(std::move(action));
}

std::string UIActionDispatcher::Describe(const DispatchedUIAction& action) {
    std::string text = action.name;
    for (const auto& [key, value] : action.parameters)
        text += " " + key + "=" + value;
    return text;
}

} // namespace headless
