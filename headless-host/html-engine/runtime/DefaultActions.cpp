#include "headless-host/html-engine/runtime/DefaultActions.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "host/HtmlEngineApi.h"

namespace html {

namespace {

constexpr std::uint32_t kKeyTab = 0x09;
constexpr std::uint32_t kKeyEscape = 0x1B;

} // namespace

void DefaultActions::Click(Element& target) {
    std::shared_ptr<Element> pin = Shared(target);
    for (Element* element = &target; element != nullptr; element = element->Parent()) {
        Behavior* behavior = window_.Runtime().BehaviorOf(*element);
        if (behavior == nullptr) {
            continue;
        }
        switch (behavior->OnClick(window_, *element, target)) {
        case ClickAction::NotMine:
            continue;
        case ClickAction::Consumed:
            return;
        case ClickAction::ButtonClick:
            window_.Events().FireBehaviorEvent(kButtonClick, *element, element);
            return;
        }
    }
    // No behaviour took it: the page's style sheets (which are not applied) decide what is a
    // button, so every other click is reported as one on the element clicked.
    window_.Events().FireBehaviorEvent(kButtonClick, target, &target);
}

void DefaultActions::KeyDown(std::uint32_t keyCode, std::uint32_t altState) {
    Element* current = window_.Focus().Current();
    std::shared_ptr<Element> focus = current != nullptr ? Shared(*current) : nullptr;
    for (Element* element = focus.get(); element != nullptr; element = element->Parent()) {
        if (Behavior* behavior = window_.Runtime().BehaviorOf(*element);
            behavior != nullptr && behavior->OnKeyDown(window_, *element, keyCode, altState)) {
            return;
        }
    }
    if (keyCode == kKeyEscape) {
        window_.Popups().DismissTop();
    } else if (keyCode == kKeyTab) {
        window_.Focus().Advance((altState & kShiftKeyPressed) != 0);
    }
}

void DefaultActions::Char(wchar_t character) {
    Element* current = window_.Focus().Current();
    std::shared_ptr<Element> focus = current != nullptr ? Shared(*current) : nullptr;
    if (focus) {
        if (Behavior* behavior = window_.Runtime().BehaviorOf(*focus)) {
            behavior->OnChar(window_, *focus, character);
        }
    }
}

} // namespace html
