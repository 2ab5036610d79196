// A native behaviour: the engine's own logic for an element kind (inputs, check boxes, selects,
// forms, tabs…), bound to one element, holding that element's control state.
#pragma once

#include "headless-host/html-engine/runtime/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace html {

class Element;
class Window;

enum class ClickAction {
    NotMine,     // let the ancestors' behaviours look at the click
    Consumed,    // done; no kButtonClick
    ButtonClick, // done; kButtonClick follows, with this behaviour's element as target
};

// Every hook has a harmless default, so a behaviour overrides only what its kind does. All of them
// run on the UI thread.
class Behavior {
public:
    virtual ~Behavior() = default;

    // Once, when the element is bound (it entered a document, or was used before that).
    virtual void OnBound(Window&, Element&) {}

    // None: the element has no value of its own (the engine's default applies).
    virtual std::optional<Value> GetValue(Window&, Element&) { return std::nullopt; }
    // False: not taken (the engine's default applies). Programmatic: raises no event.
    virtual bool SetValue(Window&, Element&, const Value&) { return false; }
    // A change as a user makes it (dragging a slider), with the events a user's change raises.
    virtual bool ChangeByUser(Window&, Element&, const Value&) { return false; }
    virtual std::optional<std::wstring> GetText(Window&, Element&) { return std::nullopt; }
    virtual bool SetText(Window&, Element&, std::wstring_view) { return false; }

    // A click on `target`, this element or one of its descendants, that no behaviour further
    // down took.
    virtual ClickAction OnClick(Window&, Element& /*self*/, Element& /*target*/) {
        return ClickAction::NotMine;
    }
    // A key the handlers did not take, while this element (or a descendant) has the focus. True
    // when it was used.
    virtual bool OnKeyDown(Window&, Element& /*self*/, std::uint32_t /*keyCode*/,
                           std::uint32_t /*altState*/) {
        return false;
    }
    // A typed character, while this element has the focus.
    virtual bool OnChar(Window&, Element&, wchar_t) { return false; }

    // None: no method of that name.
    virtual std::optional<Value> CallMethod(Window&, Element&, std::string_view /*name*/,
                                            const std::vector<Value>& /*arguments*/) {
        return std::nullopt;
    }
    // A command on `target` (this element or a descendant); false when not taken.
    virtual bool ExecuteCommand(Window&, Element& /*self*/, Element& /*target*/,
                                std::string_view /*command*/) {
        return false;
    }
    // The element had the focus and is giving it up (before kFocusLost reaches the handlers, as a
    // browser's change event precedes blur).
    virtual void OnFocusLost(Window&, Element&) {}
    // Where the focus goes when a user focuses this element; null when it takes none.
    virtual Element* FocusTarget(Element&) { return nullptr; }
    // Whether a form reads and writes this element's value by its "name".
    virtual bool IsFormField() const { return false; }
    // Radio buttons take part in a form by their group: the checked one's "value".
    virtual bool IsRadio() const { return false; }
    // A popup inside this element was hidden.
    virtual void OnPopupHidden(Window&, Element& /*self*/, Element& /*popup*/, bool /*focusWasInside*/) {}
};

// The behaviour families, one factory each (EditBehaviors.cpp, ButtonBehaviors.cpp,
// SelectBehaviors.cpp, TabsBehavior.cpp). Each gives null for a name it does not know.
std::unique_ptr<Behavior> MakeEditBehavior(std::string_view name);
std::unique_ptr<Behavior> MakeButtonBehavior(std::string_view name);
std::unique_ptr<Behavior> MakeSelectBehavior(std::string_view name);
std::unique_ptr<Behavior> MakeTabsBehavior(std::string_view name);

} // namespace html
