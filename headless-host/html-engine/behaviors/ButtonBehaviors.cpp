// Buttons, check boxes, radio buttons and forms.
#include "headless-host/html-engine/behaviors/Behavior.h"

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "service-common/TextConversion.h"

namespace html {

namespace {

bool IsChecked(const Element& element) {
    return (element.State() & ElementState::kChecked) != 0;
}

void SetChecked(Window& window, Element& element, bool checked) {
    element.SetState(checked ? ElementState::kChecked : 0, checked ? 0 : ElementState::kChecked);
    window.NoteChange();
}

// The state a check box or radio button starts in comes from its attributes.
void BindCheckedAndDisabled(Element& self) {
    if (self.HasAttribute("checked")) {
        self.SetState(ElementState::kChecked, 0);
    }
    if (self.HasAttribute("disabled")) {
        self.SetState(ElementState::kDisabled, 0);
    }
}

std::optional<bool> FlagOf(const Value& value) {
    if (auto number = value.AsInt()) {
        return *number != 0;
    }
    if (const std::wstring* text = value.AsString()) {
        return *text == L"true" || *text == L"1" || *text == L"checked";
    }
    return std::nullopt;
}

// The elements of a form, not those of a form nested in it.
template <class Visit>
void ForEachField(Window& window, Element& form, Visit visit) {
    for (Node* node = NextInTreeOrder(form, form); node != nullptr;) {
        if (!node->IsElement()) {
            node = NextInTreeOrder(*node, form);
            continue;
        }
        auto& element = static_cast<Element&>(*node);
        if (element.TagName() == "form") {
            node = NextInTreeOrderSkippingChildren(element, form);
            continue;
        }
        Behavior* behavior = window.Runtime().BehaviorOf(element);
        if (behavior != nullptr && behavior->IsFormField() && element.HasAttribute("name")) {
            visit(element, *behavior);
        }
        node = NextInTreeOrder(element, form);
    }
}

class ButtonBehavior final : public Behavior {
public:
    void OnBound(Window&, Element& self) override {
        if (self.HasAttribute("disabled")) {
            self.SetState(ElementState::kDisabled, 0);
        }
    }
    ClickAction OnClick(Window&, Element&, Element&) override { return ClickAction::ButtonClick; }
    Element* FocusTarget(Element& self) override { return &self; }
};

class CheckBehavior final : public Behavior {
public:
    void OnBound(Window&, Element& self) override { BindCheckedAndDisabled(self); }
    std::optional<Value> GetValue(Window&, Element& self) override { return Value::Bool(IsChecked(self)); }
    bool SetValue(Window& window, Element& self, const Value& value) override {
        if (auto checked = FlagOf(value)) {
            SetChecked(window, self, *checked);
        }
        return true;
    }
    ClickAction OnClick(Window& window, Element& self, Element&) override {
        SetChecked(window, self, !IsChecked(self));
        window.Events().FireBehaviorEvent(kButtonStateChanged, self, &self);
        return ClickAction::ButtonClick;
    }
    Element* FocusTarget(Element& self) override { return &self; }
    bool IsFormField() const override { return true; }
};

class RadioBehavior final : public Behavior {
public:
    void OnBound(Window&, Element& self) override { BindCheckedAndDisabled(self); }
    std::optional<Value> GetValue(Window&, Element& self) override { return Value::Bool(IsChecked(self)); }
    bool SetValue(Window& window, Element& self, const Value& value) override {
        if (auto checked = FlagOf(value); checked && *checked) {
            Check(window, self);
        } else if (checked) {
            SetChecked(window, self, false);
        }
        return true;
    }
    // Only the button that becomes checked reports the change; a click on the checked one changes
    // nothing.
    ClickAction OnClick(Window& window, Element& self, Element&) override {
        if (!IsChecked(self)) {
            Check(window, self);
            window.Events().FireBehaviorEvent(kButtonStateChanged, self, &self);
        }
        return ClickAction::ButtonClick;
    }
    Element* FocusTarget(Element& self) override { return &self; }
    bool IsFormField() const override { return true; }
    bool IsRadio() const override { return true; }

    // The group is the buttons of the same name in the same form (or, outside forms, the same tree).
    static void Check(Window& window, Element& self) {
        const std::string* name = self.GetAttribute("name");
        Element* scope = &self;
        while (scope->Parent() != nullptr && scope->TagName() != "form") {
            scope = scope->Parent();
        }
        if (name != nullptr) {
            for (Node* node = NextInTreeOrder(*scope, *scope); node != nullptr;
                 node = NextInTreeOrder(*node, *scope)) {
                if (node->IsElement() && node != &self) {
                    auto& other = static_cast<Element&>(*node);
                    Behavior* behavior = window.Runtime().BehaviorOf(other);
                    const std::string* otherName = other.GetAttribute("name");
                    if (behavior != nullptr && behavior->IsRadio() && otherName != nullptr &&
                        *otherName == *name) {
                        SetChecked(window, other, false);
                    }
                }
            }
        }
        SetChecked(window, self, true);
    }
};

// A form's value is the map of its named fields; a radio group gives its checked button's
// "value" (null when none is checked).
class FormBehavior final : public Behavior {
public:
    std::optional<Value> GetValue(Window& window, Element& self) override {
        Value::Map fields;
        auto slot = [&fields](const std::string& name) -> Value& {
            for (auto& [key, value] : fields) {
                if (key == name) {
                    return value;
                }
            }
            return fields.emplace_back(name, Value::MakeNull()).second;
        };
        ForEachField(window, self, [&](Element& field, Behavior& behavior) {
            Value& value = slot(*field.GetAttribute("name"));
            if (!behavior.IsRadio()) {
                value = window.GetValue(field);
            } else if (IsChecked(field)) {
                const std::string* text = field.GetAttribute("value");
                value = text != nullptr ? Value::FromAttributeText(*text) : Value::Bool(true);
            }
        });
        return Value::MakeMap(std::move(fields));
    }

    // Fields the map does not name keep their values; a value that is not a map changes nothing.
    bool SetValue(Window& window, Element& self, const Value& value) override {
        if (value.AsMap() == nullptr) {
            return true;
        }
        ForEachField(window, self, [&](Element& field, Behavior& behavior) {
            const Value* fieldValue = value.Find(*field.GetAttribute("name"));
            if (fieldValue == nullptr) {
                return;
            }
            if (!behavior.IsRadio()) {
                window.SetValue(field, *fieldValue);
                return;
            }
            const std::string* ownValue = field.GetAttribute("value");
            std::optional<std::wstring> wanted = fieldValue->ToText();
            if (ownValue != nullptr && wanted && so::WideFromUtf8(*ownValue) == *wanted) {
                RadioBehavior::Check(window, field);
            }
        });
        return true;
    }
};

} // namespace

std::unique_ptr<Behavior> MakeButtonBehavior(std::string_view name) {
    if (name == "button") {
        return std::make_unique<ButtonBehavior>();
    }
    if (name == "check") {
        return std::make_unique<CheckBehavior>();
    }
    if (name == "radio") {
        return std::make_unique<RadioBehavior>();
    }
    if (name == "form") {
        return std::make_unique<FormBehavior>();
    }
    return nullptr;
}

} // namespace html
