// The popups shown, in the order they were shown (the topmost last): their states and their
// anchors', and the events around showing and hiding them.
#pragma once

#include <memory>
#include <vector>

namespace html {

class Element;
class Window;

struct ShownPopup {
    std::shared_ptr<Element> popup;
    std::shared_ptr<Element> anchor;
};

// [ui-thread]
class PopupStack {
public:
    explicit PopupStack(Window& window) : window_(window) {}

    // kPopupRequest, then shown (popup state, owner state on the anchor), then kPopupReady. Showing
    // a shown popup again only moves it to the new anchor.
    void Show(Element& popup, Element& anchor);
    // kPopupDismissing, hidden, kPopupDismissed; popups shown inside it go first. Nothing happens
    // for a popup that is not shown.
    void Hide(Element& popup);
    bool IsShown(const Element& popup) const;
    const std::vector<ShownPopup>& Shown() const { return popups_; }
    // A mouse press on `target`: hides, topmost first, every popup that neither holds the target
    // nor is anchored on it.
    void DismissOutside(Element& target);
    // Escape: hides the topmost popup; false when none is shown.
    bool DismissTop();
    // `root` is leaving the document: the popups inside it or anchored inside it are forgotten,
    // without events.
    void ForgetInside(const Element& root);

private:
    // Off the stack, with the popup's state and (when it anchors no other) the anchor's cleared.
    void Forget(const Element& popup);

    Window& window_;
    std::vector<ShownPopup> popups_;
};

} // namespace html
