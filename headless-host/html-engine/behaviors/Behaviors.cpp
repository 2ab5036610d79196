#include "headless-host/html-engine/behaviors/Behaviors.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"

namespace html {

namespace {

std::string TypeOf(const Element& element) {
    const std::string* type = element.GetAttribute("type");
    return type != nullptr ? ToAsciiLower(*type) : std::string();
}

bool IsDropDown(const std::string& type) {
    return type == "dropdown" || type == "select-dropdown";
}

} // namespace

std::string_view Behaviors::IntrinsicName(const Element& element) {
    const std::string& tag = element.TagName();
    const std::string type = TypeOf(element);
    if (tag == "input") {
        if (type.empty() || type == "text" || type == "password" || type == "search") {
            return "edit";
        }
        for (std::string_view kind : {"number", "decimal", "hslider", "date", "time", "radio"}) {
            if (type == kind) {
                return kind;
            }
        }
        if (type == "checkbox") {
            return "check";
        }
        if (type == "button" || type == "submit" || type == "reset") {
            return "button";
        }
        return "";
    }
    if (tag == "button") {
        return type == "checkbox" ? "check" : type == "radio" ? "radio" : "button";
    }
    if (tag == "textarea" || tag == "plaintext" || tag == "form") {
        return tag;
    }
    if (tag == "select") {
        return IsDropDown(type) ? "dropdown-select" : "select";
    }
    if (tag == "widget" && type == "select") {
        return "select";
    }
    // The page's tab controls: a strip of tabs and a container of panels, side by side.
    bool hasStrip = false;
    bool hasPanels = false;
    for (const auto& child : element.Children()) {
        if (child->IsElement()) {
            hasStrip = hasStrip || static_cast<const Element&>(*child).HasClass("strip");
            hasPanels = hasPanels || static_cast<const Element&>(*child).HasClass("panels-container");
        }
    }
    if (hasStrip && hasPanels) {
        return "tabs";
    }
    if (tag == "caption") {
        const Element* parent = element.Parent();
        if (parent != nullptr && parent->TagName() == "select" && IsDropDown(TypeOf(*parent)) &&
            parent->HasAttribute("editable")) {
            return "select-caption";
        }
    }
    return "";
}

std::unique_ptr<Behavior> Behaviors::Create(std::string_view name) {
    for (auto make : {&MakeEditBehavior, &MakeButtonBehavior, &MakeSelectBehavior, &MakeTabsBehavior}) {
        if (auto behavior = make(name)) {
            return behavior;
        }
    }
    return nullptr;
}

} // namespace html
