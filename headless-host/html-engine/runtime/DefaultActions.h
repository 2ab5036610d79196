// The engine's own reactions to user input that the handlers left alone: the behaviours' default
// actions, kButtonClick for clicks, editing keys, Escape and Tab.
#pragma once

#include <cstdint>

namespace html {

class Element;
class Window;

// [ui-thread]
class DefaultActions {
public:
    explicit DefaultActions(Window& window) : window_(window) {}

    // After the mouse events of a click on `target`: the first behaviour from the target up that
    // takes the click acts, and kButtonClick follows for buttons and for clicks no behaviour took.
    void Click(Element& target);
    // A key press the handlers did not take: the focused element's behaviours first, then Escape
    // closes the topmost popup and Tab moves the focus.
    void KeyDown(std::uint32_t keyCode, std::uint32_t altState);
    // A typed character the handlers did not take, for the focused element's behaviour.
    void Char(wchar_t character);

private:
    Window& window_;
};

} // namespace html
