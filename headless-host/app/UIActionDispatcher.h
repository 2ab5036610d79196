// The host's side of the panel's action buttons: a click on a "button.action-button" runs the UI
// action its "action" attribute names, with its "action-param-KEY" attributes as parameters. The
// headless host has no actions to run: it remembers every one dispatched, for scenarios to check.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace html {
class EngineWindow;
} // namespace html

namespace headless {

struct DispatchedUIAction {
    std::string name;
    // By key (the attribute's name after "action-param-"), sorted: the order of attributes in the
    // page is not part of the action.
    std::map<std::string, std::string> parameters;
};

class UIActionDispatcher : public std::enable_shared_from_this<UIActionDispatcher> {
public:
    // Gives every action button that `window` binds from now on (on load or insertion) the host's
    // click handler, which dispatches the button's action and leaves the click to the page's other
    // handlers. A button without an "action" attribute, or a disabled one (by state or attribute),
    // dispatches nothing. The dispatcher must be owned by a shared_ptr.
    void Install(html::EngineWindow& window);

    std::vector<DispatchedUIAction> Dispatched() const;
    void Dispatch(DispatchedUIAction action);

    // "Name key=value key2=value2", the parameters sorted by key.
    static std::string Describe(const DispatchedUIAction& action);

private:
    mutable std::mutex mutex_;
    std::vector<DispatchedUIAction> dispatched_;
};

} // namespace headless
