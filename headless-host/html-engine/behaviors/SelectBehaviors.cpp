// Selects: list boxes and widget[type=select] with their options in place, and drop-down selects
// (optionally editable) whose options live in a popup under a caption.
#include "headless-host/html-engine/behaviors/Behavior.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "service-common/TextConversion.h"

#include <algorithm>

namespace html {

namespace {

constexpr std::uint32_t kKeyUp = 0x26;
constexpr std::uint32_t kKeyDown = 0x28;

bool IsSelectElement(const Element& element) {
    if (element.TagName() == "select") {
        return true;
    }
    const std::string* type = element.GetAttribute("type");
    return element.TagName() == "widget" && type != nullptr && EqualsAsciiCaseInsensitive(*type, "select");
}

// The options of `select`, in document order, not those of a select nested in it.
std::vector<Element*> Options(Element& select) {
    std::vector<Element*> options;
    for (Node* node = NextInTreeOrder(select, select); node != nullptr;) {
        if (!node->IsElement()) {
            node = NextInTreeOrder(*node, select);
            continue;
        }
        auto& element = static_cast<Element&>(*node);
        if (IsSelectElement(element)) {
            node = NextInTreeOrderSkippingChildren(element, select);
            continue;
        }
        if (element.TagName() == "option") {
            options.push_back(&element);
        }
        node = NextInTreeOrder(element, select);
    }
    return options;
}

std::string OptionText(const Element& option) {
    return std::string(TrimAsciiWhitespace(option.TextContent()));
}

// An option's value is its "value" attribute (an integer text reads as an integer), else its text.
Value OptionValue(const Element& option) {
    const std::string* value = option.GetAttribute("value");
    return value != nullptr ? Value::FromAttributeText(*value)
                            : Value::String(so::WideFromUtf8(OptionText(option)));
}

Element* FindOption(Element& select, const Value& value) {
    std::optional<std::wstring> wanted = value.ToText();
    if (!wanted) {
        return nullptr;
    }
    for (Element* option : Options(select)) {
        const std::string* own = option->GetAttribute("value");
        if (so::WideFromUtf8(own != nullptr ? *own : OptionText(*option)) == *wanted) {
            return option;
        }
    }
    return nullptr;
}

Element* CurrentOption(Element& select) {
    for (Element* option : Options(select)) {
        if ((option->State() & ElementState::kCurrent) != 0) {
            return option;
        }
    }
    return nullptr;
}

// The option that holds `target` (or is it), when it belongs to `select`.
Element* OptionAt(Element& select, Element& target) {
    for (Element* element = &target; element != nullptr && element != &select; element = element->Parent()) {
        if (element->TagName() == "option") {
            auto options = Options(select);
            return std::find(options.begin(), options.end(), element) != options.end() ? element : nullptr;
        }
    }
    return nullptr;
}

bool IsOptionEnabled(const Element& option) {
    return !ElementStates::IsDisabled(option) && !option.HasAttribute("disabled");
}

void MakeCurrent(Window& window, Element& select, Element* current) {
    for (Element* option : Options(select)) {
        option->SetState(option == current ? ElementState::kCurrent : 0,
                         option == current ? 0 : ElementState::kCurrent);
    }
    window.NoteChange();
}

void BindInitialCurrent(Window& window, Element& select) {
    auto options = Options(select);
    auto selected = std::find_if(options.begin(), options.end(),
                                 [](Element* option) { return option->HasAttribute("selected"); });
    if (selected != options.end()) {
        MakeCurrent(window, select, *selected);
    }
}

class ListSelectBehavior final : public Behavior {
public:
    void OnBound(Window& window, Element& self) override {
        if (self.HasAttribute("disabled")) {
            self.SetState(ElementState::kDisabled, 0);
        }
        BindInitialCurrent(window, self);
    }

    std::optional<Value> GetValue(Window&, Element& self) override {
        Element* current = CurrentOption(self);
        return current != nullptr ? OptionValue(*current) : Value();
    }

    // A value no option has leaves no option current.
    bool SetValue(Window& window, Element& self, const Value& value) override {
        MakeCurrent(window, self, FindOption(self, value));
        return true;
    }

    // Choosing an option reports the change even when it was current already: a user's choice.
    ClickAction OnClick(Window& window, Element& self, Element& target) override {
        Element* option = OptionAt(self, target);
        if (option != nullptr && IsOptionEnabled(*option)) {
            MakeCurrent(window, self, option);
            window.Events().FireBehaviorEvent(kSelectStateChanged, self, &self);
        }
        return ClickAction::Consumed;
    }

    bool OnKeyDown(Window& window, Element& self, std::uint32_t keyCode, std::uint32_t) override {
        if (keyCode != kKeyUp && keyCode != kKeyDown) {
            return false;
        }
        auto options = Options(self);
        std::erase_if(options, [&](Element* option) { return !IsOptionEnabled(*option); });
        if (options.empty()) {
            return true;
        }
        auto current = std::find(options.begin(), options.end(), CurrentOption(self));
        std::size_t index = 0;
        if (current != options.end()) {
            std::size_t at = std::size_t(current - options.begin());
            index = keyCode == kKeyUp ? (at > 0 ? at - 1 : 0) : std::min(at + 1, options.size() - 1);
        }
        if (options[index] != CurrentOption(self)) {
            MakeCurrent(window, self, options[index]);
            window.Events().FireBehaviorEvent(kSelectStateChanged, self, &self);
        }
        return true;
    }

    bool ExecuteCommand(Window& window, Element& self, Element& target, std::string_view command) override {
        Element* option = OptionAt(self, target);
        if (command != "set-current" || option == nullptr || option != &target) {
            return false;
        }
        MakeCurrent(window, self, option);
        return true;
    }

    Element* FocusTarget(Element& self) override { return &self; }
    bool IsFormField() const override { return true; }
};

// The engine gives a drop-down select a caption (first) and a popup holding the options, as the
// page's selectors expect ("select > caption", "select > popup"); markup that has them already
// keeps its own.
class DropdownSelectBehavior final : public Behavior {
public:
    void OnBound(Window& window, Element& self) override {
        editable_ = self.HasAttribute("editable");
        if (self.HasAttribute("disabled")) {
            self.SetState(ElementState::kDisabled, 0);
        }
        Element* caption = ChildByTag(self, "caption");
        if (caption == nullptr) {
            auto made = Element::Create("caption");
            caption = made.get();
            self.InsertChild(0, made);
        }
        if (ChildByTag(self, "popup") == nullptr) {
            auto popup = Element::Create("popup");
            std::vector<std::shared_ptr<Node>> moved;
            for (const auto& child : self.Children()) {
                if (child.get() != caption) {
                    moved.push_back(child);
                }
            }
            for (auto& node : moved) {
                popup->AppendChild(std::move(node));
            }
            self.AppendChild(popup);
        }
        BindInitialCurrent(window, self);
        if (Element* current = CurrentOption(self); current != nullptr && caption->TextContent().empty()) {
            caption->SetTextContent(OptionText(*current));
        }
        window.Runtime().BehaviorOf(*caption); // binds the editable caption
        window.NoteChange();
    }

    // An editable select's value is its caption's text unless that is the current option's text.
    std::optional<Value> GetValue(Window&, Element& self) override {
        Element* current = CurrentOption(self);
        const std::string caption = CaptionText(self);
        if (current != nullptr && (!editable_ || caption == OptionText(*current))) {
            return OptionValue(*current);
        }
        return editable_ ? Value::String(so::WideFromUtf8(caption)) : Value();
    }

    bool SetValue(Window& window, Element& self, const Value& value) override {
        Element* option = FindOption(self, value);
        MakeCurrent(window, self, option);
        if (option != nullptr) {
            SetCaption(window, self, OptionText(*option));
        } else {
            std::optional<std::wstring> text = value.ToText();
            SetCaption(window, self, editable_ && text ? so::Utf8FromWide(*text) : std::string());
        }
        return true;
    }

    std::optional<std::wstring> GetText(Window&, Element& self) override {
        return so::WideFromUtf8(CaptionText(self));
    }

    bool SetText(Window& window, Element& self, std::wstring_view text) override {
        SetCaption(window, self, so::Utf8FromWide(text));
        return true;
    }

    ClickAction OnClick(Window& window, Element& self, Element& target) override {
        Element* popup = ChildByTag(self, "popup");
        if (popup == nullptr || ElementStates::IsDisabled(self)) {
            return ClickAction::Consumed;
        }
        if (IsInside(target, *popup)) {
            Element* option = OptionAt(self, target);
            if (option != nullptr && IsOptionEnabled(*option)) {
                Choose(window, self, *option);
            }
            return ClickAction::Consumed;
        }
        if (window.Popups().IsShown(*popup)) {
            window.Popups().Hide(*popup);
        } else {
            window.Popups().Show(*popup, self);
        }
        return ClickAction::Consumed;
    }

    bool ExecuteCommand(Window& window, Element& self, Element& target, std::string_view command) override {
        Element* option = OptionAt(self, target);
        if (command != "set-current" || option == nullptr || option != &target) {
            return false;
        }
        MakeCurrent(window, self, option);
        SetCaption(window, self, OptionText(*option));
        return true;
    }

    Element* FocusTarget(Element& self) override {
        Element* caption = editable_ ? ChildByTag(self, "caption") : nullptr;
        return caption != nullptr ? caption : &self;
    }

    // The focus comes back from the list, asked for with the popup as its cause.
    void OnPopupHidden(Window& window, Element& self, Element& popup, bool) override {
        if (&popup == ChildByTag(self, "popup") && window.IsInDocument(self)) {
            if (Element* target = FocusTarget(self)) {
                window.Focus().Request(*target, kByPopup);
            }
        }
    }

    bool IsFormField() const override { return true; }

private:
    static Element* ChildByTag(Element& self, std::string_view tag) {
        for (const auto& child : self.Children()) {
            if (child->IsElement() && static_cast<Element&>(*child).TagName() == tag) {
                return static_cast<Element*>(child.get());
            }
        }
        return nullptr;
    }

    static std::string CaptionText(Element& self) {
        Element* caption = ChildByTag(self, "caption");
        return caption != nullptr ? caption->TextContent() : std::string();
    }

    // Through the caption's own behaviour: an editable caption takes the text as set, not typed,
    // and has nothing to commit afterwards.
    static void SetCaption(Window& window, Element& self, const std::string& text) {
        if (Element* caption = ChildByTag(self, "caption")) {
            window.SetText(*caption, so::WideFromUtf8(text));
        }
    }

    // The list closes before the change is announced, as a user sees it.
    void Choose(Window& window, Element& self, Element& option) {
        MakeCurrent(window, self, &option);
        SetCaption(window, self, OptionText(option));
        if (Element* popup = ChildByTag(self, "popup")) {
            window.Popups().Hide(*popup);
        }
        window.Events().FireBehaviorEvent(kSelectStateChanged, self, &self);
    }

    bool editable_ = false;
};

} // namespace

std::unique_ptr<Behavior> MakeSelectBehavior(std::string_view name) {
    if (name == "select") {
        return std::make_unique<ListSelectBehavior>();
    }
    if (name == "dropdown-select") {
        return std::make_unique<DropdownSelectBehavior>();
    }
    return nullptr;
}

} // namespace html
