#include "headless-host/html-engine/driver/InputDriver.h"

#include "headless-host/html-engine/behaviors/Behavior.h"
#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/runtime/ElementHandle.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "headless-host/support/HostSupport.h"
#include "service-common/TextConversion.h"

#include <cwctype>

namespace html {

namespace {

constexpr int kVirtualShift = 0x10;
constexpr int kVirtualControl = 0x11;
constexpr int kVirtualAlt = 0x12;

// The modifier keys are down (as GetKeyState reports them) for as long as the object lives.
class HeldModifiers {
public:
    HeldModifiers(std::uint32_t modifiers, std::uint32_t key) : modifiers_(modifiers), key_(key) {
        Set(true);
    }
    HeldModifiers(const HeldModifiers&) = delete;
    HeldModifiers& operator=(const HeldModifiers&) = delete;
    ~HeldModifiers() { Set(false); }

private:
    void Set(bool down) {
        HostSetKeyState(kVirtualControl, down && (modifiers_ & kControlKeyPressed) != 0);
        HostSetKeyState(kVirtualShift, down && (modifiers_ & kShiftKeyPressed) != 0);
        HostSetKeyState(kVirtualAlt, down && (modifiers_ & kAltKeyPressed) != 0);
        HostSetKeyState(int(key_), down);
    }
    std::uint32_t modifiers_;
    std::uint32_t key_;
};

// The virtual key that types a character on a US keyboard, as far as the engine cares.
std::uint32_t VirtualKeyFor(wchar_t character) {
    if (character >= L'a' && character <= L'z') {
        return std::uint32_t(character - L'a' + L'A');
    }
    if ((character >= L'A' && character <= L'Z') || (character >= L'0' && character <= L'9') ||
        character == L' ') {
        return std::uint32_t(character);
    }
    switch (character) {
    case L'-':
        return 0xBD;
    case L'.':
        return 0xBE;
    case L',':
        return 0xBC;
    default:
        return 0; // no key of its own: typed through an input method
    }
}

// The character a key types, or 0.
wchar_t CharacterFor(std::uint32_t virtualKey, std::uint32_t modifiers) {
    if ((modifiers & (kControlKeyPressed | kAltKeyPressed)) != 0) {
        return 0;
    }
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return (modifiers & kShiftKeyPressed) != 0 ? wchar_t(virtualKey) : wchar_t(virtualKey - 'A' + 'a');
    }
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == ' ' ||
        virtualKey == InputDriver::kKeyReturn) {
        return wchar_t(virtualKey);
    }
    return 0;
}

// The option of `select` whose "value" is `value`, else the first that shows it. The value goes
// first, so that an option showing another's value is not taken for it.
std::shared_ptr<Element> FindOptionShowing(Element& select, std::wstring_view value) {
    const auto candidates = QueryAll(select, "option");
    for (const auto& candidate : candidates) {
        const std::string* own = candidate->GetAttribute("value");
        if (own != nullptr && so::WideFromUtf8(*own) == value) {
            return candidate;
        }
    }
    auto shows = [value](Element& element) {
        return so::WideFromUtf8(std::string(TrimAsciiWhitespace(element.TextContent()))) == value;
    };
    for (const auto& candidate : candidates) {
        if (shows(*candidate)) {
            return candidate;
        }
    }
    for (const auto& candidate : candidates) {
        auto parts = ChildElements(*candidate);
        if (!parts.empty() && shows(*parts.front())) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

InputDriver::InputDriver(EngineWindow& window) : window_(window.Impl()), defaults_(window_) {}

Element* InputDriver::Resolve(HELEMENT handle) const {
    HandleTarget target = HandleTable::Instance().Resolve(handle);
    if (!target || target.window != &window_ || !window_.IsUIThread() ||
        !window_.IsInDocument(*target.element)) {
        return nullptr;
    }
    return target.element.get(); // the document keeps it alive
}

bool InputDriver::SendMouse(Element& target, std::uint32_t command) {
    RECT box = window_.Geometry().Location(target);
    POINT inView{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ScopedHandle handle(target, &window_);
    HtmlMouseParams params{command, handle.Get(),     POINT{inView.x - box.left, inView.y - box.top},
                           inView,  kMainMouseButton, 0};
    return window_.Events().Mouse(target, params);
}

bool InputDriver::SendKey(std::uint32_t command, std::uint32_t keyCode, std::uint32_t modifiers) {
    Element* focus = window_.Focus().Current();
    std::shared_ptr<Element> target = Shared(focus != nullptr ? *focus : window_.Root());
    ScopedHandle handle(*target, &window_);
    HtmlKeyParams params{command, handle.Get(), keyCode, modifiers};
    return window_.Events().Key(*target, params);
}

bool InputDriver::Click(HELEMENT handle) {
    Element* element = Resolve(handle);
    if (element == nullptr || ElementStates::IsDisabled(*element)) {
        return false;
    }
    std::shared_ptr<Element> target = Shared(*element);
    window_.NoteChange();
    window_.Popups().DismissOutside(*target);
    if (!window_.IsInDocument(*target)) {
        return true; // a dismissal took it away: the press landed on nothing
    }
    for (Element* candidate = target.get(); candidate != nullptr; candidate = candidate->Parent()) {
        if (Element* focusTarget = window_.Focus().TargetFor(*candidate)) {
            window_.Focus().Move(focusTarget, kByMouse);
            break;
        }
    }
    SendMouse(*target, kMouseDown);
    SendMouse(*target, kMouseUp);
    if (window_.IsInDocument(*target) && !ElementStates::IsDisabled(*target)) {
        defaults_.Click(*target);
    }
    return true;
}

bool InputDriver::TypeCharacter(wchar_t character) {
    if (character == L'\n') {
        return PressKey(kKeyReturn);
    }
    if (character == L'\t') {
        // A tab character in typed (or pasted) text, not the Tab key: it goes to the focused field
        // as a character; the key, which moves the focus, is PressKey's.
        if (!SendKey(kKeyChar, std::uint32_t(character), 0)) {
            defaults_.Char(character);
        }
        return true;
    }
    const std::uint32_t key = VirtualKeyFor(character);
    const std::uint32_t modifiers = std::iswupper(character) ? std::uint32_t(kShiftKeyPressed) : 0u;
    HeldModifiers held(modifiers, key);
    SendKey(kKeyDown, key, modifiers);
    if (!SendKey(kKeyChar, std::uint32_t(character), modifiers)) {
        defaults_.Char(character);
    }
    SendKey(kKeyUp, key, modifiers);
    return true;
}

bool InputDriver::TypeText(HELEMENT handle, std::wstring_view text) {
    Element* element = Resolve(handle);
    if (element == nullptr || ElementStates::IsDisabled(*element)) {
        return false;
    }
    window_.NoteChange();
    Element* focusTarget = window_.Focus().TargetFor(*element);
    if (focusTarget == nullptr) {
        return false;
    }
    if (window_.Focus().Current() != focusTarget && !window_.Focus().Move(focusTarget, kByMouse)) {
        return false;
    }
    for (wchar_t character : text) {
        TypeCharacter(character);
    }
    return true;
}

bool InputDriver::PressKey(std::uint32_t virtualKey, std::uint32_t modifiers) {
    if (!window_.IsUIThread()) {
        return false;
    }
    window_.NoteChange();
    HeldModifiers held(modifiers, virtualKey);
    if (!SendKey(kKeyDown, virtualKey, modifiers)) {
        defaults_.KeyDown(virtualKey, modifiers);
    }
    if (wchar_t character = CharacterFor(virtualKey, modifiers); character != 0) {
        if (!SendKey(kKeyChar, std::uint32_t(character), modifiers)) {
            defaults_.Char(character);
        }
    }
    SendKey(kKeyUp, virtualKey, modifiers);
    return true;
}

bool InputDriver::ChooseOption(HELEMENT handle, std::wstring_view value, ChoiceRefusal* refusal) {
    ChoiceRefusal unused = ChoiceRefusal::None;
    ChoiceRefusal& why = refusal != nullptr ? *refusal : unused;
    why = ChoiceRefusal::None;
    Element* select = Resolve(handle);
    if (select == nullptr || ElementStates::IsDisabled(*select)) {
        why = ChoiceRefusal::Unavailable;
        return false;
    }
    std::shared_ptr<Element> option = FindOptionShowing(*select, value);
    if (!option) {
        why = ChoiceRefusal::NoSuchOption;
        return false;
    }
    if (ElementStates::IsDisabled(*option) || option->HasAttribute("disabled")) {
        why = ChoiceRefusal::OptionDisabled;
        return false;
    }
    for (Element* element = select; element != nullptr; element = element->Parent()) {
        if (element->TagName() == "popup" && !window_.Popups().IsShown(*element)) {
            why = ChoiceRefusal::NotShown;
            return false;
        }
    }
    // Options in a drop-down of the select itself are reachable once the user opens it.
    for (Element* element = option->Parent(); element != nullptr && element != select;
         element = element->Parent()) {
        if (element->TagName() != "popup" || window_.Popups().IsShown(*element)) {
            continue;
        }
        ScopedHandle selectHandle(*select, &window_);
        Click(selectHandle.Get());
        if (!window_.Popups().IsShown(*element)) {
            why = ChoiceRefusal::NotShown;
            return false;
        }
    }
    ScopedHandle optionHandle(*option, &window_);
    if (!Click(optionHandle.Get())) {
        why = ChoiceRefusal::Unavailable;
        return false;
    }
    return true;
}

bool InputDriver::ExpandTab(HELEMENT tab) {
    Element* element = Resolve(tab);
    return element != nullptr && element->HasAttribute("panel") && Click(tab);
}

bool InputDriver::DismissPopup() {
    if (window_.Popups().Shown().empty()) {
        return false;
    }
    return PressKey(kKeyEscape);
}

bool InputDriver::ClickOutside() {
    ScopedHandle root(window_.Root(), &window_);
    return Click(root.Get());
}

bool InputDriver::MoveFocus(HELEMENT handle) {
    Element* element = Resolve(handle);
    if (element == nullptr) {
        return false;
    }
    Element* focusTarget = window_.Focus().TargetFor(*element);
    return window_.Focus().Move(focusTarget != nullptr ? focusTarget : element, kByMouse);
}

bool InputDriver::ChangeValue(HELEMENT handle, const Value& value) {
    Element* element = Resolve(handle);
    if (element == nullptr || ElementStates::IsDisabled(*element)) {
        return false;
    }
    window_.NoteChange();
    Behavior* behavior = window_.Runtime().BehaviorOf(*element);
    return behavior != nullptr && behavior->ChangeByUser(window_, *element, value);
}

} // namespace html
