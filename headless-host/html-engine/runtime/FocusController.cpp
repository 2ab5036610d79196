#include "headless-host/html-engine/runtime/FocusController.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/ElementStates.h"
#include "headless-host/html-engine/runtime/Window.h"

#include <algorithm>
#include <vector>

namespace html {

bool FocusController::Move(Element* target, HtmlFocusCause cause, bool askFirst) {
    std::shared_ptr<Element> oldFocus = focus_.lock();
    if (target == oldFocus.get()) {
        return true;
    }
    std::shared_ptr<Element> newFocus = target != nullptr ? Shared(*target) : nullptr;
    if (newFocus && (ElementStates::IsDisabled(*newFocus) || !window_.IsInDocument(*newFocus))) {
        return false;
    }
    if (newFocus && askFirst) {
        ScopedHandle handle(*newFocus, &window_);
        HtmlFocusParams request{kFocusRequest, handle.Get(), cause, 0};
        window_.Events().Focus(*newFocus, request);
        if (request.cancel != 0) {
            return false;
        }
        oldFocus = focus_.lock(); // a handler may have moved the focus meanwhile
    }
    if (oldFocus) {
        oldFocus->SetState(0, ElementState::kFocus);
        focus_.reset();
        if (Behavior* behavior = window_.Runtime().BehaviorOf(*oldFocus)) {
            behavior->OnFocusLost(window_, *oldFocus);
        }
        ScopedHandle handle(*oldFocus, &window_);
        HtmlFocusParams lost{kFocusLost, handle.Get(), cause, 0};
        window_.Events().Focus(*oldFocus, lost);
    }
    if (newFocus && window_.IsInDocument(*newFocus)) {
        newFocus->SetState(ElementState::kFocus, 0);
        focus_ = newFocus;
        ScopedHandle handle(*newFocus, &window_);
        HtmlFocusParams got{kFocusGot, handle.Get(), cause, 0};
        window_.Events().Focus(*newFocus, got);
    }
    window_.NoteChange();
    return true;
}

bool FocusController::Request(Element& target, HtmlFocusCause cause) {
    std::shared_ptr<Element> pin = Shared(target);
    ScopedHandle handle(target, &window_);
    HtmlFocusParams request{kFocusRequest, handle.Get(), cause, 0};
    window_.Events().Focus(target, request);
    return request.cancel == 0 && Move(&target, cause, false);
}

Element* FocusController::TargetFor(Element& element) {
    if (Behavior* behavior = window_.Runtime().BehaviorOf(element)) {
        return behavior->FocusTarget(element);
    }
    return element.HasAttribute("tabindex") ? &element : nullptr;
}

void FocusController::Advance(bool backwards) {
    std::vector<Element*> focusable;
    for (const auto& element : SubtreeElements(window_.Root())) {
        if (TargetFor(*element) == element.get() && !ElementStates::IsDisabled(*element)) {
            focusable.push_back(element.get());
        }
    }
    if (focusable.empty()) {
        return;
    }
    auto current = std::find(focusable.begin(), focusable.end(), Current());
    std::size_t index = 0;
    if (current != focusable.end()) {
        std::size_t at = std::size_t(current - focusable.begin());
        index = backwards ? (at + focusable.size() - 1) % focusable.size() : (at + 1) % focusable.size();
    } else if (backwards) {
        index = focusable.size() - 1;
    }
    Move(focusable[index], backwards ? kByKeyPrev : kByKeyNext);
}

void FocusController::DropInside(const Element& root) {
    if (Element* focus = Current(); focus != nullptr && IsInside(*focus, root)) {
        focus->SetState(0, ElementState::kFocus);
        focus_.reset();
    }
}

} // namespace html
