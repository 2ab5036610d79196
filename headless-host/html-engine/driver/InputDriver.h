// A user at the keyboard and mouse of an engine window: each action raises the events a real
// engine raises for it, in the same order. Tests and the host program drive pages through it.
#pragma once

#include "headless-host/html-engine/runtime/DefaultActions.h"
#include "headless-host/html-engine/runtime/HtmlEngineExport.h"
#include "headless-host/html-engine/runtime/Value.h"
#include "host/HtmlEngineApi.h"

#include <cstdint>
#include <string_view>

namespace html {

class EngineWindow;
class Element;
class Window;

// Why ChooseOption chose nothing.
enum class ChoiceRefusal {
    None,
    Unavailable,    // the select's handle is dead or of another window, or it is outside the
                    // document or disabled
    NoSuchOption,   // no option has that value or shows that text
    OptionDisabled, // by its attribute or its state
    NotShown,       // the option is in a popup that is not shown and that the select does not open
};

// Every action gives false, having done nothing, when a user could not do it: a handle that is
// dead or of another window, an element outside the document or disabled, nothing to act on.
// [ui-thread]
class HTML_ENGINE_API InputDriver {
public:
    static constexpr std::uint32_t kKeyReturn = 0x0D;
    static constexpr std::uint32_t kKeyEscape = 0x1B;
    static constexpr std::uint32_t kKeyTab = 0x09;

    explicit InputDriver(EngineWindow& window);

    // Popups the element is outside of (and not the anchor of) are dismissed; the focus moves to
    // the element when it takes focus; then mouse down and mouse up (kMouseUp) on it, then the
    // engine's reaction: a check box toggles (kButtonStateChanged), an option is chosen
    // (kSelectStateChanged), a tab is selected (kElementExpanded), a drop-down opens or closes
    // (kPopupRequest, kPopupReady / kPopupDismissing, kPopupDismissed), and every other click is
    // reported as kButtonClick.
    bool Click(HELEMENT element);
    // Focuses the input (its caption, for an editable select) if needed, then per character key
    // down, character and key up; each accepted character changes the value between
    // kEditValueChanging and kEditValueChanged, except in an editable select's caption, whose
    // select raises kEditValueChanged once the text is committed (Enter, or the focus leaving). A
    // line break is the Enter key; a tab is the tab character alone (as pasted), which text fields
    // take, not the Tab key that moves the focus.
    bool TypeText(HELEMENT input, std::wstring_view text);
    // Key down, the character for a printable key without Ctrl or Alt, key up, to the focused
    // element (the root without one). `modifiers` are HtmlKeyboardStates bits; GetKeyState
    // reports them (and the key) as down meanwhile. Unhandled, Escape closes the topmost popup and
    // Tab moves the focus.
    bool PressKey(std::uint32_t virtualKey, std::uint32_t modifiers = 0);
    // Opens the select's drop-down when its options are in one, then clicks the option whose
    // "value" is `value`, else the one that shows it: as its whole text or as its first part (a
    // font's name before its sample). An option in a popup the page has not shown (an editor's
    // list before the editor opens it) is out of the user's reach. `refusal`, when given, says why
    // nothing was chosen.
    bool ChooseOption(HELEMENT select, std::wstring_view value, ChoiceRefusal* refusal = nullptr);
    // Clicks a tab of a tab container.
    bool ExpandTab(HELEMENT tab);
    // Escape while a popup is shown.
    bool DismissPopup();
    // A click on the page's root, outside every popup.
    bool ClickOutside();
    // Gives the element (or where it sends the focus) the keyboard focus, as a click would.
    bool MoveFocus(HELEMENT element);
    // A value picked as a user picks it (a slider dragged, a date chosen), with the events that
    // raises. False for elements whose value a user cannot pick.
    bool ChangeValue(HELEMENT element, const Value& value);

private:
    Element* Resolve(HELEMENT handle) const;
    bool SendMouse(Element& target, std::uint32_t command);
    bool SendKey(std::uint32_t command, std::uint32_t keyCode, std::uint32_t modifiers);
    bool TypeCharacter(wchar_t character);

    Window& window_;
    DefaultActions defaults_;
};

} // namespace html
