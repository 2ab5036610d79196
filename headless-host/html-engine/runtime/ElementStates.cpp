#include "headless-host/html-engine/runtime/ElementStates.h"

#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/Text.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/HtmlEngineApi.h"

#include <algorithm>

namespace html {

namespace {

std::uint32_t ToInterfaceState(std::uint32_t domState) {
    std::uint32_t state = domState & ~ElementState::kOwnsPopup;
    return (domState & ElementState::kOwnsPopup) != 0 ? state | kStateOwnsPopup : state;
}

std::uint32_t ToDomState(std::uint32_t state) {
    std::uint32_t domState = state & ~std::uint32_t(kStateOwnsPopup);
    return (state & kStateOwnsPopup) != 0 ? domState | ElementState::kOwnsPopup : domState;
}

} // namespace

std::uint32_t ElementStates::Of(const Element& element) {
    std::uint32_t state = ToInterfaceState(element.State());
    const bool empty =
        std::none_of(element.Children().begin(), element.Children().end(), [](const auto& child) {
            return child->IsElement() ||
                   (child->Type() == NodeType::Text && !static_cast<html::Text&>(*child).Data().empty());
        });
    return empty ? state | kStateEmpty : state;
}

bool ElementStates::IsDisabled(const Element& element) {
    for (const Element* node = &element; node != nullptr; node = node->Parent()) {
        if ((node->State() & ElementState::kDisabled) != 0) {
            return true;
        }
    }
    return false;
}

void ElementStates::Change(Element& element, std::uint32_t bitsToSet, std::uint32_t bitsToClear) {
    std::shared_ptr<Element> pin = Shared(element);
    if ((bitsToSet & kStateExpanded) != 0) {
        bitsToClear |= kStateCollapsed;
    }
    if ((bitsToSet & kStateCollapsed) != 0) {
        bitsToClear |= kStateExpanded;
    }
    const bool setFocus = (bitsToSet & kStateFocus) != 0;
    const bool clearFocus = (bitsToClear & kStateFocus) != 0 && !setFocus;
    bitsToSet &= ~std::uint32_t(kStateFocus | kStateEmpty);
    bitsToClear &= ~std::uint32_t(kStateFocus | kStateEmpty);
    const bool newlyExpanded =
        (element.State() & ElementState::kExpanded) == 0 && (bitsToSet & kStateExpanded) != 0;
    element.SetState(ToDomState(bitsToSet), ToDomState(bitsToClear));
    window_.NoteChange();
    if (setFocus) {
        window_.Focus().Move(&element, kByCode);
    } else if (clearFocus && window_.Focus().Current() == &element) {
        window_.Focus().Move(nullptr, kByCode);
    }
    if (newlyExpanded) {
        window_.Events().FireBehaviorEvent(kElementExpanded, element, &element);
    }
}

} // namespace html
