// The editable behaviours: text, number, decimal, date and time inputs, text areas, plaintext, the
// caption of an editable drop-down select, and the horizontal slider.
#include "headless-host/html-engine/behaviors/Behavior.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/TreeIndex.h"
#include "headless-host/html-engine/runtime/CivilTime.h"
#include "headless-host/html-engine/runtime/Window.h"
#include "service-common/TextConversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>

namespace html {

namespace {

constexpr std::uint32_t kKeyBackspace = 0x08;
constexpr std::uint32_t kKeyEnter = 0x0D;
constexpr std::uint32_t kKeyEnd = 0x23;
constexpr std::uint32_t kKeyHome = 0x24;
constexpr std::uint32_t kKeyLeft = 0x25;
constexpr std::uint32_t kKeyUp = 0x26;
constexpr std::uint32_t kKeyRight = 0x27;
constexpr std::uint32_t kKeyDown = 0x28;
constexpr std::uint32_t kKeyDelete = 0x2E;
constexpr std::uint32_t kKeyA = 0x41;

enum class EditKind { Text, Number, Decimal, Date, Time, TextArea, PlainText, Caption };

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = TrimAsciiWhitespace(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<double> ParseFloat(std::string_view text) {
    text = TrimAsciiWhitespace(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

// The "filter" attribute: single characters and "a~b" ranges, e.g. ".-0~9".
bool FilterAllows(const std::wstring& filter, wchar_t character) {
    for (std::size_t i = 0; i < filter.size(); ++i) {
        if (i + 2 < filter.size() && filter[i + 1] == L'~') {
            if (character >= filter[i] && character <= filter[i + 2]) {
                return true;
            }
            i += 2;
        } else if (filter[i] == character) {
            return true;
        }
    }
    return false;
}

bool AttributeFlag(const Element& element, std::string_view name) {
    return element.HasAttribute(name);
}

std::optional<double> NumberAttribute(const Element& element, std::string_view name) {
    const std::string* text = element.GetAttribute(name);
    return text != nullptr ? ParseFloat(*text) : std::nullopt;
}

// Digits after the point in a number's text ("1.50": 2).
std::size_t DecimalPlaces(std::string_view text) {
    text = TrimAsciiWhitespace(text);
    std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : text.size() - point - 1;
}

std::wstring FixedText(double number, std::size_t decimals) {
    char text[128];
    number += 0.0; // no "-0"
    auto result = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed, int(decimals));
    if (result.ec != std::errc()) {
        result = std::to_chars(text, text + sizeof text, number); // too long for fixed notation
    }
    return so::WideFromUtf8(std::string_view(text, std::size_t(result.ptr - text)));
}

class EditBehavior final : public Behavior {
public:
    explicit EditBehavior(EditKind kind) : kind_(kind) {}

    void OnBound(Window& window, Element& self) override {
        if (StoredInContent()) {
            const std::string* value = kind_ == EditKind::PlainText ? self.GetAttribute("value") : nullptr;
            if (value != nullptr) {
                self.SetTextContent(*value);
            }
        } else {
            const std::string* value = self.GetAttribute("value");
            text_ = value != nullptr ? so::WideFromUtf8(*value) : std::wstring();
            // An input that starts without a value shows what its "novalue" says.
            if (text_.empty()) {
                text_ = NoValueText(self).value_or(std::wstring());
            }
        }
        if (AttributeFlag(self, "disabled")) {
            self.SetState(ElementState::kDisabled, 0);
        }
        if (AttributeFlag(self, "readonly")) {
            self.SetState(ElementState::kReadOnly, 0);
        }
        caret_ = anchor_ = Text(self).size();
        committed_ = Text(self);
        window.NoteChange();
    }

    std::optional<Value> GetValue(Window&, Element& self) override {
        if (ShowsNoValue(self)) {
            return Value();
        }
        const std::string text = so::Utf8FromWide(Text(self));
        switch (kind_) {
        case EditKind::Number:
            if (auto number = ParseInteger(text)) {
                return Value::Int(*number);
            }
            if (auto number = ParseFloat(text)) {
                return Value::Float(*number);
            }
            return Value();
        case EditKind::Decimal:
            if (auto number = ParseFloat(text)) {
                return Value::Float(*number);
            }
            return Value();
        case EditKind::Date:
            if (auto date = CivilTime::ParseDate(TrimAsciiWhitespace(text))) {
                return Value::DateTicks(*date->ToTicks());
            }
            return Value();
        case EditKind::Time:
            if (auto time = CivilTime::ParseTime(TrimAsciiWhitespace(text))) {
                return Value::DateTicks(*time->ToTicks());
            }
            return Value();
        default:
            return Value::String(Text(self));
        }
    }

    // What a program sets is committed as it stands: a caption announces only what a user typed.
    bool SetValue(Window& window, Element& self, const Value& value) override {
        std::optional<std::wstring> text = TextFor(self, value);
        if (!text) {
            return false;
        }
        Store(window, self, std::move(*text));
        caret_ = anchor_ = Text(self).size();
        committed_ = Text(self);
        return true;
    }

    bool ChangeByUser(Window& window, Element& self, const Value& value) override {
        std::optional<std::wstring> text = TextFor(self, value);
        if (!text) {
            return false;
        }
        Fire(window, self, kEditValueChanging);
        Store(window, self, std::move(*text));
        caret_ = anchor_ = Text(self).size();
        committed_ = Text(self);
        Fire(window, self, kEditValueChanged);
        return true;
    }

    std::optional<std::wstring> GetText(Window&, Element& self) override { return Text(self); }

    bool SetText(Window& window, Element& self, std::wstring_view text) override {
        Store(window, self, std::wstring(text));
        caret_ = anchor_ = text.size();
        committed_ = Text(self);
        return true;
    }

    ClickAction OnClick(Window&, Element&, Element&) override { return ClickAction::Consumed; }

    bool OnKeyDown(Window& window, Element& self, std::uint32_t keyCode, std::uint32_t altState) override {
        const std::size_t length = Text(self).size();
        const bool shift = (altState & kShiftKeyPressed) != 0;
        auto moveCaret = [&](std::size_t position) {
            caret_ = position;
            if (!shift) {
                anchor_ = position;
            }
            return true;
        };
        switch (keyCode) {
        case kKeyLeft:
            return moveCaret(caret_ > 0 ? caret_ - 1 : 0);
        case kKeyRight:
            return moveCaret(std::min(caret_ + 1, length));
        case kKeyHome:
            return moveCaret(0);
        case kKeyEnd:
            return moveCaret(length);
        case kKeyBackspace:
        case kKeyDelete: {
            if (!IsEditable(self)) {
                return true;
            }
            SelectNoValueText(self);
            auto [from, to] = Selection(length);
            if (from == to) {
                if (keyCode == kKeyBackspace && from > 0) {
                    --from;
                } else if (keyCode == kKeyDelete && to < length) {
                    ++to;
                }
            }
            if (from != to) {
                Replace(window, self, from, to, L"");
            }
            return true;
        }
        case kKeyEnter:
            if (kind_ == EditKind::TextArea || kind_ == EditKind::PlainText) {
                if (IsEditable(self)) {
                    auto [from, to] = Selection(length);
                    Replace(window, self, from, to, L"\n");
                }
                return true;
            }
            if (kind_ == EditKind::Caption) {
                Commit(window, self);
                return true;
            }
            return false;
        case kKeyUp:
        case kKeyDown:
            if (kind_ != EditKind::Number && kind_ != EditKind::Decimal) {
                return false;
            }
            if (IsEditable(self)) {
                Step(window, self, keyCode == kKeyUp ? 1 : -1);
            }
            return true;
        case kKeyA:
            if ((altState & kControlKeyPressed) != 0) {
                anchor_ = 0;
                caret_ = length;
                return true;
            }
            return false;
        default:
            return false;
        }
    }

    bool OnChar(Window& window, Element& self, wchar_t character) override {
        if ((character < 0x20 && character != L'\t') || character == 0x7F || !IsEditable(self) ||
            !Accepts(self, character)) {
            return false;
        }
        SelectNoValueText(self);
        const std::size_t length = Text(self).size();
        auto [from, to] = Selection(length);
        if (const std::string* maxLength = self.GetAttribute("maxlength")) {
            auto limit = ParseInteger(*maxLength);
            if (limit && *limit >= 0 && length - (to - from) + 1 > std::size_t(*limit)) {
                return false;
            }
        }
        Replace(window, self, from, to, std::wstring(1, character));
        return true;
    }

    std::optional<Value> CallMethod(Window&, Element& self, std::string_view name,
                                    const std::vector<Value>& arguments) override {
        const std::int64_t length = std::int64_t(Text(self).size());
        if (name == "setSelection") {
            auto argument = [&](std::size_t index, std::int64_t fallback) {
                std::int64_t position =
                    index < arguments.size() ? arguments[index].AsInt().value_or(fallback) : fallback;
                return std::size_t(std::clamp<std::int64_t>(position, 0, length));
            };
            anchor_ = argument(0, length);
            caret_ = argument(1, std::int64_t(anchor_));
            return Value();
        }
        if (name == "doSelectAll" || name == "selectAll") {
            anchor_ = 0;
            caret_ = std::size_t(length);
            return Value();
        }
        if (name == "getSelection") {
            return Value::MakeArray({Value::Int(std::int64_t(anchor_)), Value::Int(std::int64_t(caret_))});
        }
        return std::nullopt;
    }

    void OnFocusLost(Window& window, Element& self) override {
        if (kind_ == EditKind::Caption) {
            Commit(window, self);
        }
    }

    Element* FocusTarget(Element& self) override {
        const std::string* type = self.GetAttribute("type");
        return type != nullptr && EqualsAsciiCaseInsensitive(*type, "hidden") ? nullptr : &self;
    }

    bool IsFormField() const override { return kind_ != EditKind::Caption; }

private:
    bool StoredInContent() const {
        return kind_ == EditKind::TextArea || kind_ == EditKind::PlainText || kind_ == EditKind::Caption;
    }

    // Inputs keep their text to themselves (their "value" attribute stays the initial value, as
    // in a browser); text areas, plaintext and captions show theirs as content.
    std::wstring Text(const Element& self) const {
        return StoredInContent() ? so::WideFromUtf8(self.TextContent()) : text_;
    }

    void Store(Window& window, Element& self, std::wstring text) {
        if (StoredInContent()) {
            self.SetTextContent(so::Utf8FromWide(text));
        } else {
            text_ = std::move(text);
        }
        caret_ = std::min(caret_, Text(self).size());
        anchor_ = std::min(anchor_, Text(self).size());
        window.NoteChange();
    }

    bool IsNumeric() const { return kind_ == EditKind::Number || kind_ == EditKind::Decimal; }

    // The text of the "novalue" attribute (entities decoded), shown while the input has no value.
    static std::optional<std::wstring> NoValueText(const Element& self) {
        const std::string* text = self.GetAttribute("novalue");
        return text != nullptr && !text->empty() ? std::optional(so::WideFromUtf8(*text)) : std::nullopt;
    }

    bool ShowsNoValue(const Element& self) const {
        std::optional<std::wstring> noValue = NoValueText(self);
        return noValue && Text(self) == *noValue;
    }

    // The novalue text is no text a user edits: the first key replaces it whole.
    void SelectNoValueText(const Element& self) {
        if (ShowsNoValue(self)) {
            anchor_ = 0;
            caret_ = Text(self).size();
        }
    }

    // Nothing (undefined, null, a number input's NaN) shows as the novalue text, or as no text.
    std::optional<std::wstring> TextFor(const Element& self, const Value& value) const {
        const std::optional<double> number = value.AsNumber();
        if (value.IsUndefined() || value.Type() == kHtmlValueNull ||
            (IsNumeric() && number && std::isnan(*number))) {
            return NoValueText(self).value_or(std::wstring());
        }
        if (auto ticks = value.AsDateTicks(); ticks && (kind_ == EditKind::Date || kind_ == EditKind::Time)) {
            CivilTime civil = CivilTime::FromTicks(*ticks);
            return so::WideFromUtf8(kind_ == EditKind::Date ? civil.DateText() : civil.TimeText());
        }
        return value.ToText();
    }

    std::pair<std::size_t, std::size_t> Selection(std::size_t length) const {
        std::size_t from = std::min({anchor_, caret_, length});
        std::size_t to = std::min(std::max(anchor_, caret_), length);
        return {from, to};
    }

    bool IsEditable(const Element& self) const {
        return !ElementStates::IsDisabled(self) && (self.State() & ElementState::kReadOnly) == 0 &&
               !AttributeFlag(self, "readonly");
    }

    bool Accepts(const Element& self, wchar_t character) const {
        if (const std::string* filter = self.GetAttribute("filter")) {
            return FilterAllows(so::WideFromUtf8(*filter), character);
        }
        switch (kind_) {
        case EditKind::Number:
            return std::iswdigit(character) || character == L'-' || character == L'+';
        case EditKind::Decimal:
            return std::iswdigit(character) || character == L'-' || character == L'+' || character == L'.';
        case EditKind::Date:
            return std::iswdigit(character) || character == L'-';
        case EditKind::Time:
            return std::iswdigit(character) || character == L':';
        default:
            return true;
        }
    }

    // A caption announces only the change under way: the change itself is announced when the
    // user commits the text (Commit), as a combo box does; every other input announces each edit.
    void Replace(Window& window, Element& self, std::size_t from, std::size_t to, const std::wstring& with) {
        Fire(window, self, kEditValueChanging);
        std::wstring text = Text(self);
        // A handler of the changing event may have changed the text itself.
        from = std::min(from, text.size());
        to = std::clamp(to, from, text.size());
        text.replace(from, to - from, with);
        Store(window, self, std::move(text));
        caret_ = anchor_ = from + with.size();
        if (kind_ != EditKind::Caption) {
            committed_ = Text(self);
            Fire(window, self, kEditValueChanged);
        }
    }

    // Enter, or the focus leaving: kEditValueChanged once for what was typed since the last
    // commit, nothing when the text is what it was then.
    void Commit(Window& window, Element& self) {
        std::wstring text = Text(self);
        if (text == committed_) {
            return;
        }
        committed_ = std::move(text);
        Fire(window, self, kEditValueChanged);
    }

    // Up and Down on a number: by "step" (1 without one), kept within "min" and "max" when they
    // are given, shown with as many decimals as the step or the text had. Without a value the
    // first step lands on "min", or one step from 0. Typed text is not clamped: the application
    // does that when it takes the value.
    void Step(Window& window, Element& self, int direction) {
        const std::optional<double> stepAttribute = NumberAttribute(self, "step");
        const double step = stepAttribute && *stepAttribute > 0 ? *stepAttribute : 1.0;
        const std::optional<double> low = NumberAttribute(self, "min");
        const std::optional<double> high = NumberAttribute(self, "max");
        const std::string text = so::Utf8FromWide(Text(self));
        const std::optional<double> current = ShowsNoValue(self) ? std::nullopt : ParseFloat(text);
        double next = current ? *current + direction * step : low ? *low : direction * step;
        if (high) {
            next = std::min(next, *high);
        }
        if (low) {
            next = std::max(next, *low);
        }
        const std::string* stepText = self.GetAttribute("step");
        const std::size_t decimals =
            std::max(stepAttribute ? DecimalPlaces(*stepText) : 0, current ? DecimalPlaces(text) : 0);
        std::wstring nextText = FixedText(next, decimals);
        if (nextText != Text(self)) {
            Replace(window, self, 0, Text(self).size(), nextText);
        }
    }

    // A caption's edits are its select's: the select is the target, the caption the source.
    void Fire(Window& window, Element& self, std::uint32_t code) {
        Element* target = kind_ == EditKind::Caption && self.Parent() != nullptr ? self.Parent() : &self;
        window.Events().FireBehaviorEvent(code, *target, &self);
    }

    EditKind kind_;
    std::wstring text_;
    std::wstring committed_; // a caption's text as last committed or set by a program
    std::size_t anchor_ = 0; // where the selection started
    std::size_t caret_ = 0;  // where it ends
};

// A slider's "buddy" names (by id) an element anywhere in the document that shows its value as
// text: the slider keeps it up to date however its value changes.
class SliderBehavior final : public Behavior {
public:
    void OnBound(Window& window, Element& self) override {
        auto attribute = [&](std::string_view name, std::int64_t fallback) {
            const std::string* text = self.GetAttribute(name);
            return text != nullptr ? ParseInteger(*text).value_or(fallback) : fallback;
        };
        min_ = attribute("min", 0);
        max_ = std::max(min_, attribute("max", 100));
        step_ = std::max<std::int64_t>(1, attribute("step", 1));
        value_ = std::clamp(attribute("value", min_), min_, max_);
        if (AttributeFlag(self, "disabled")) {
            self.SetState(ElementState::kDisabled, 0);
        }
        ShowInBuddy(window, self);
    }

    std::optional<Value> GetValue(Window&, Element&) override { return Value::Int(value_); }

    bool SetValue(Window& window, Element& self, const Value& value) override {
        if (auto number = NumberOf(value)) {
            value_ = *number;
            window.NoteChange();
            ShowInBuddy(window, self);
        }
        return true;
    }

    bool ChangeByUser(Window& window, Element& self, const Value& value) override {
        auto number = NumberOf(value);
        if (!number || ElementStates::IsDisabled(self)) {
            return false;
        }
        if (*number != value_) {
            value_ = *number;
            window.NoteChange();
            ShowInBuddy(window, self);
            window.Events().FireBehaviorEvent(kButtonStateChanged, self, &self);
        }
        return true;
    }

    std::optional<std::wstring> GetText(Window&, Element&) override { return std::to_wstring(value_); }

    ClickAction OnClick(Window&, Element&, Element&) override { return ClickAction::Consumed; }

    bool OnKeyDown(Window& window, Element& self, std::uint32_t keyCode, std::uint32_t) override {
        switch (keyCode) {
        case kKeyLeft:
        case kKeyDown:
            return ChangeByUser(window, self, Value::Int(value_ - step_));
        case kKeyRight:
        case kKeyUp:
            return ChangeByUser(window, self, Value::Int(value_ + step_));
        case kKeyHome:
            return ChangeByUser(window, self, Value::Int(min_));
        case kKeyEnd:
            return ChangeByUser(window, self, Value::Int(max_));
        default:
            return false;
        }
    }

    Element* FocusTarget(Element& self) override { return &self; }
    bool IsFormField() const override { return true; }

private:
    void ShowInBuddy(Window& window, Element& self) const {
        const std::string* buddyId = self.GetAttribute("buddy");
        if (buddyId == nullptr || buddyId->empty() || !window.IsInDocument(self)) {
            return;
        }
        // Every slider of a freshly set page looks for its buddy: through the page's index of ids,
        // whose first entry is the first such element in document order.
        const std::vector<Element*>* withId = window.Root().IndexOfTree().Find(TreeIndex::Key::Id, *buddyId);
        if (withId != nullptr && !withId->empty()) {
            window.SetText(*withId->front(), std::to_wstring(value_));
        }
    }

    std::optional<std::int64_t> NumberOf(const Value& value) const {
        std::optional<double> number = value.AsNumber();
        if (!number) {
            if (auto text = value.ToText()) {
                number = ParseFloat(so::Utf8FromWide(*text));
            }
        }
        if (!number || !std::isfinite(*number)) {
            return std::nullopt;
        }
        return std::llround(std::clamp(*number, double(min_), double(max_)));
    }

    std::int64_t min_ = 0;
    std::int64_t max_ = 100;
    std::int64_t step_ = 1;
    std::int64_t value_ = 0;
};

} // namespace

std::unique_ptr<Behavior> MakeEditBehavior(std::string_view name) {
    static constexpr std::pair<std::string_view, EditKind> kKinds[] = {
        {"edit", EditKind::Text},           {"number", EditKind::Number},
        {"decimal", EditKind::Decimal},     {"date", EditKind::Date},
        {"time", EditKind::Time},           {"textarea", EditKind::TextArea},
        {"plaintext", EditKind::PlainText}, {"select-caption", EditKind::Caption}};
    for (const auto& [kindName, kind] : kKinds) {
        if (name == kindName) {
            return std::make_unique<EditBehavior>(kind);
        }
    }
    if (name == "hslider") {
        return std::make_unique<SliderBehavior>();
    }
    return nullptr;
}

} // namespace html
