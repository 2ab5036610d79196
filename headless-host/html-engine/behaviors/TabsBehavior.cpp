// Tabs: a container whose tabs (elements with a "panel" attribute) show one of its panels
// (elements whose "name" is that attribute's value) at a time.
#include "headless-host/html-engine/behaviors/Behavior.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/HtmlEngineApi.h"
#include "service-common/TextConversion.h"

#include <algorithm>

namespace html {

namespace {

Element* ChildWithClass(Element& self, std::string_view className) {
    for (const auto& child : self.Children()) {
        if (child->IsElement() && static_cast<Element&>(*child).HasClass(className)) {
            return static_cast<Element*>(child.get());
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<Element>> ChildrenWith(Element* container, std::string_view attribute) {
    std::vector<std::shared_ptr<Element>> found;
    if (container != nullptr) {
        for (const auto& child : container->Children()) {
            if (child->IsElement() && static_cast<Element&>(*child).HasAttribute(attribute)) {
                found.push_back(std::static_pointer_cast<Element>(child));
            }
        }
    }
    return found;
}

// A tab container holds a ".strip" of tabs and a ".panels-container" of panels, its own children;
// tab containers inside its panels are containers of their own.
class TabsBehavior final : public Behavior {
public:
    // Selecting the current tab again changes nothing and raises nothing. The other tabs lose the
    // current and expanded states and the other panels collapse; then the tab and its panel
    // expand, each raising kElementExpanded.
    static bool Select(Window& window, Element& self, Element& tab) {
        const std::string* name = tab.GetAttribute("panel");
        if (name == nullptr) {
            return false;
        }
        std::shared_ptr<Element> chosenPanel;
        for (const auto& other : Tabs(self)) {
            if (other.get() != &tab) {
                window.States().Change(*other, 0, kStateCurrent | kStateExpanded);
            }
        }
        for (const auto& panel : Panels(self)) {
            if (*panel->GetAttribute("name") == *name) {
                chosenPanel = panel;
            } else {
                window.States().Change(*panel, kStateCollapsed, 0);
            }
        }
        window.States().Change(tab, kStateCurrent | kStateExpanded, 0);
        if (chosenPanel) {
            window.States().Change(*chosenPanel, kStateExpanded, 0);
        }
        return true;
    }

    ClickAction OnClick(Window& window, Element& self, Element& target) override {
        for (const auto& tab : Tabs(self)) {
            for (Element* element = &target; element != nullptr && element != &self;
                 element = element->Parent()) {
                if (element == tab.get()) {
                    if (!ElementStates::IsDisabled(*tab)) {
                        Select(window, self, *tab);
                    }
                    return ClickAction::Consumed;
                }
            }
        }
        return ClickAction::NotMine;
    }

    // "select" with a panel name and "select_first" answer whether a tab was selected.
    std::optional<Value> CallMethod(Window& window, Element& self, std::string_view name,
                                    const std::vector<Value>& arguments) override {
        if (name == "select") {
            std::optional<std::wstring> wanted = arguments.empty() ? std::nullopt : arguments[0].ToText();
            if (wanted) {
                const std::string panel = so::Utf8FromWide(*wanted);
                for (const auto& tab : Tabs(self)) {
                    if (*tab->GetAttribute("panel") == panel) {
                        return Value::Bool(Select(window, self, *tab));
                    }
                }
            }
            return Value::Bool(false);
        }
        if (name == "select_first") {
            for (const auto& tab : Tabs(self)) {
                if (!ElementStates::IsDisabled(*tab)) {
                    return Value::Bool(Select(window, self, *tab));
                }
            }
            return Value::Bool(false);
        }
        return std::nullopt;
    }

private:
    static std::vector<std::shared_ptr<Element>> Tabs(Element& self) {
        return ChildrenWith(ChildWithClass(self, "strip"), "panel");
    }
    static std::vector<std::shared_ptr<Element>> Panels(Element& self) {
        return ChildrenWith(ChildWithClass(self, "panels-container"), "name");
    }
};

} // namespace

std::unique_ptr<Behavior> MakeTabsBehavior(std::string_view name) {
    return name == "tabs" ? std::make_unique<TabsBehavior>() : nullptr;
}

} // namespace html
