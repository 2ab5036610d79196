#include "headless-host/html-engine/runtime/PopupStack.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/HtmlEngineApi.h"

#include <algorithm>

namespace html {

bool PopupStack::IsShown(const Element& popup) const {
    return std::any_of(popups_.begin(), popups_.end(),
                       [&](const ShownPopup& shown) { return shown.popup.get() == &popup; });
}

void PopupStack::Show(Element& popup, Element& anchor) {
    std::shared_ptr<Element> popupPin = Shared(popup);
    std::shared_ptr<Element> anchorPin = Shared(anchor);
    for (auto& shown : popups_) {
        if (shown.popup == popupPin) {
            shown.anchor->SetState(0, ElementState::kOwnsPopup);
            shown.anchor = anchorPin;
            anchor.SetState(ElementState::kOwnsPopup, 0);
            window_.NoteChange();
            return;
        }
    }
    window_.Events().FireBehaviorEvent(kPopupRequest, popup, &popup);
    // A handler of the request may have removed the popup, or shown it itself.
    if (!window_.IsInDocument(popup) || !window_.IsInDocument(anchor) || IsShown(popup)) {
        return;
    }
    popups_.push_back({popupPin, anchorPin});
    popup.SetState(ElementState::kPopup, 0);
    anchor.SetState(ElementState::kOwnsPopup, 0);
    window_.NoteChange();
    window_.Events().FireBehaviorEvent(kPopupReady, popup, &popup);
}

void PopupStack::Hide(Element& popup) {
    if (!IsShown(popup)) {
        return;
    }
    std::shared_ptr<Element> pin = Shared(popup);
    // Popups opened from inside this one close with it, innermost first.
    for (std::size_t i = popups_.size(); i-- > 0;) {
        if (i < popups_.size() && popups_[i].popup != pin && IsInside(*popups_[i].popup, popup)) {
            std::shared_ptr<Element> inner = popups_[i].popup;
            Hide(*inner);
        }
    }
    window_.Events().FireBehaviorEvent(kPopupDismissing, popup, &popup);
    auto shown = std::find_if(popups_.begin(), popups_.end(),
                              [&](const ShownPopup& entry) { return entry.popup == pin; });
    if (shown == popups_.end()) {
        return; // a handler of the dismissing event hid it already
    }
    std::shared_ptr<Element> anchor = shown->anchor;
    FocusController& focusController = window_.Focus();
    Element* focus = focusController.Current();
    const bool focusWasInside = focus != nullptr && IsInside(*focus, popup);
    Forget(popup);
    window_.Events().FireBehaviorEvent(kPopupDismissed, popup, &popup);
    // The focus goes back to where the popup came from; a behaviour around the popup (a drop-down
    // select) may take it first.
    for (Element* owner = popup.Parent(); owner != nullptr; owner = owner->Parent()) {
        if (Behavior* behavior = window_.Runtime().BehaviorOf(*owner)) {
            behavior->OnPopupHidden(window_, *owner, popup, focusWasInside);
        }
    }
    if (focusWasInside && (focus = focusController.Current()) != nullptr && IsInside(*focus, popup)) {
        focusController.Move(window_.IsInDocument(*anchor) ? focusController.TargetFor(*anchor) : nullptr,
                             kByPopup);
    }
}

void PopupStack::Forget(const Element& popup) {
    auto shown = std::find_if(popups_.begin(), popups_.end(),
                              [&](const ShownPopup& entry) { return entry.popup.get() == &popup; });
    if (shown == popups_.end()) {
        return;
    }
    ShownPopup entry = std::move(*shown);
    popups_.erase(shown);
    entry.popup->SetState(0, ElementState::kPopup);
    const bool ownsAnother = std::any_of(popups_.begin(), popups_.end(), [&](const ShownPopup& other) {
        return other.anchor == entry.anchor;
    });
    if (!ownsAnother) {
        entry.anchor->SetState(0, ElementState::kOwnsPopup);
    }
    window_.NoteChange();
}

void PopupStack::ForgetInside(const Element& root) {
    for (std::size_t i = popups_.size(); i-- > 0;) {
        if (IsInside(*popups_[i].popup, root) || IsInside(*popups_[i].anchor, root)) {
            Forget(*popups_[i].popup);
        }
    }
}

void PopupStack::DismissOutside(Element& target) {
    std::shared_ptr<Element> pin = Shared(target);
    // Bounded by the number of popups open now: a handler that opens one again from its
    // dismissal is not chased.
    for (std::size_t rounds = popups_.size(); rounds > 0 && !popups_.empty(); --rounds) {
        ShownPopup top = popups_.back();
        if (IsInside(target, *top.popup) || IsInside(target, *top.anchor)) {
            return;
        }
        Hide(*top.popup);
    }
}

bool PopupStack::DismissTop() {
    if (popups_.empty()) {
        return false;
    }
    std::shared_ptr<Element> top = popups_.back().popup;
    Hide(*top);
    return true;
}

} // namespace html
