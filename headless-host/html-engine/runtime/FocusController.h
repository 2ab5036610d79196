// The keyboard focus: which element holds it and how it moves, with the focus events handlers
// see.
#pragma once

#include "host/HtmlEngineApi.h"

#include <memory>

namespace html {

class Element;
class Window;

// [ui-thread]
class FocusController {
public:
    explicit FocusController(Window& window) : window_(window) {}

    // Null when no element has the focus.
    Element* Current() const { return focus_.lock().get(); }
    // Asks with kFocusRequest (a handler may cancel) unless told not to, then tells the old
    // holder's behaviour (an editable caption commits its text there), then kFocusLost to the old
    // holder and kFocusGot to the new one. Null drops the focus. False when refused, disabled or
    // outside the document.
    bool Move(Element* target, HtmlFocusCause cause, bool askFirst = true);
    // A request even when `target` has the focus already (a closing drop-down gives it back), then
    // the move.
    bool Request(Element& target, HtmlFocusCause cause);
    // Tab and Shift+Tab: the next or previous element that takes the focus, in document order.
    void Advance(bool backwards);
    // Where a user's click or Tab puts the focus for `element` (itself, or e.g. an editable
    // select's caption); null when it takes none.
    Element* TargetFor(Element& element);
    // `root` is leaving the document: a focus inside it is dropped without focus events.
    void DropInside(const Element& root);

private:
    Window& window_;
    std::weak_ptr<Element> focus_;
};

} // namespace html
