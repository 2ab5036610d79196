// A recursive-descent parser for selector text; every failure is a SelectorError with its offset.
#include "headless-host/html-engine/dom/SelectorParser.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/ElementState.h"
#include "headless-host/html-engine/dom/Entities.h"

#include <array>
#include <utility>

namespace html {

namespace {

struct StatePseudoClass {
    std::string_view name;
    std::uint32_t bits;
};

constexpr std::array kStatePseudoClasses = std::to_array<StatePseudoClass>({
    {"active", ElementState::kActive},
    {"checked", ElementState::kChecked},
    {"collapsed", ElementState::kCollapsed},
    {"current", ElementState::kCurrent},
    {"disabled", ElementState::kDisabled},
    {"expanded", ElementState::kExpanded},
    {"focus", ElementState::kFocus},
    {"hover", ElementState::kHover},
    {"owns-popup", ElementState::kOwnsPopup},
    {"popup", ElementState::kPopup},
    {"read-only", ElementState::kReadOnly},
    {"readonly", ElementState::kReadOnly},
});

struct NamedPseudoClass {
    std::string_view name;
    PseudoClass pseudoClass;
};

constexpr std::array kPlainPseudoClasses = std::to_array<NamedPseudoClass>({
    {"root", PseudoClass::Root},
    {"first-child", PseudoClass::FirstChild},
    {"last-child", PseudoClass::LastChild},
    {"only-child", PseudoClass::OnlyChild},
    {"first-of-type", PseudoClass::FirstOfType},
    {"last-of-type", PseudoClass::LastOfType},
    {"only-of-type", PseudoClass::OnlyOfType},
    {"empty", PseudoClass::Empty},
    {"enabled", PseudoClass::Enabled},
});

constexpr std::array kNthPseudoClasses = std::to_array<NamedPseudoClass>({
    {"nth-child", PseudoClass::NthChild},
    {"nth-last-child", PseudoClass::NthLastChild},
    {"nth-of-type", PseudoClass::NthOfType},
    {"nth-last-of-type", PseudoClass::NthLastOfType},
});

bool IsNameStart(char c) {
    return IsAsciiAlpha(c) || c == '_' || c == '-' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsAsciiDigit(c);
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    SelectorList ParseList(int nesting);

private:
    [[noreturn]] void Fail(std::string reason) const { throw SelectorError(std::move(reason), pos_); }
    [[noreturn]] void Fail(std::string reason, std::size_t position) const {
        throw SelectorError(std::move(reason), position);
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }
    bool SkipWhitespace();
    std::string Describe() const;

    ComplexSelector ParseComplex(int nesting);
    CompoundSelector ParseCompound(int nesting);
    SimpleSelector ParseAttribute();
    SimpleSelector ParsePseudoClass(int nesting);
    NthPattern ParseNth(std::string_view argument, std::size_t position) const;
    std::string ReadName(); // identifier characters and escapes; may start with a digit
    void ReadEscape(std::string& out);
    std::string ReadQuoted();

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool Reader::SkipWhitespace() {
    const std::size_t start = pos_;
    while (!AtEnd() && IsAsciiWhitespace(Peek())) {
        ++pos_;
    }
    return pos_ != start;
}

std::string Reader::Describe() const {
    if (AtEnd()) {
        return "end of selector";
    }
    return "'" + std::string(1, Peek()) + "'";
}

SelectorList Reader::ParseList(int nesting) {
    SelectorList list;
    for (;;) {
        SkipWhitespace();
        list.selectors.push_back(ParseComplex(nesting));
        SkipWhitespace();
        if (AtEnd()) {
            if (nesting > 0) {
                Fail("missing ')'");
            }
            return list;
        }
        if (Peek() == ',') {
            ++pos_;
            continue;
        }
        if (nesting > 0 && Peek() == ')') {
            return list;
        }
        Fail("unexpected " + Describe());
    }
}

ComplexSelector Reader::ParseComplex(int nesting) {
    ComplexSelector complex;
    Combinator combinator = Combinator::None;
    for (;;) {
        CompoundSelector compound = ParseCompound(nesting);
        compound.combinator = combinator;
        complex.compounds.push_back(std::move(compound));
        const bool hadWhitespace = SkipWhitespace();
        const char c = Peek();
        if (AtEnd() || c == ',' || c == ')') {
            return complex;
        }
        if (c == '>' || c == '+' || c == '~') {
            combinator = c == '>'   ? Combinator::Child
                         : c == '+' ? Combinator::NextSibling
                                    : Combinator::SubsequentSibling;
            ++pos_;
            SkipWhitespace();
            if (AtEnd() || Peek() == ',' || Peek() == ')') {
                Fail("selector expected after '" + std::string(1, c) + "'");
            }
        } else if (hadWhitespace) {
            combinator = Combinator::Descendant;
        } else {
            Fail("unexpected " + Describe());
        }
    }
}

CompoundSelector Reader::ParseCompound(int nesting) {
    CompoundSelector compound;
    if (Peek() == '*') {
        ++pos_;
        compound.simpleSelectors.push_back({.kind = SimpleSelector::Kind::Universal});
    } else if (IsNameStart(Peek()) || Peek() == '\\') {
        compound.simpleSelectors.push_back(
            {.kind = SimpleSelector::Kind::Type, .name = ToAsciiLower(ReadName())});
    }
    if (Peek() == '|') {
        Fail("namespaces are not supported");
    }
    for (;;) {
        const char c = Peek();
        if (c == '#' || c == '.') {
            const std::size_t start = pos_;
            ++pos_;
            std::string name = ReadName();
            if (name.empty()) {
                Fail(std::string(c == '#' ? "id" : "class") + " name expected after '" + c + "'", start);
            }
            compound.simpleSelectors.push_back(
                {.kind = c == '#' ? SimpleSelector::Kind::Id : SimpleSelector::Kind::Class,
                 .name = std::move(name)});
        } else if (c == '[') {
            compound.simpleSelectors.push_back(ParseAttribute());
        } else if (c == ':') {
            compound.simpleSelectors.push_back(ParsePseudoClass(nesting));
        } else {
            break;
        }
    }
    if (compound.simpleSelectors.empty()) {
        Fail("selector expected, found " + Describe());
    }
    return compound;
}

SimpleSelector Reader::ParseAttribute() {
    const std::size_t start = pos_;
    ++pos_; // '['
    SkipWhitespace();
    SimpleSelector selector{.kind = SimpleSelector::Kind::Attribute};
    selector.name = ToAsciiLower(ReadName());
    if (selector.name.empty()) {
        Fail("attribute name expected");
    }
    SkipWhitespace();
    if (AtEnd()) {
        Fail("unclosed '['", start);
    }
    if (Peek() == ']') {
        ++pos_;
        return selector;
    }
    const char first = Peek();
    if (first == '=') {
        selector.attributeOperator = AttributeOperator::Equals;
        ++pos_;
    } else if (Peek(1) == '=' &&
               (first == '~' || first == '|' || first == '^' || first == '$' || first == '*')) {
        selector.attributeOperator = first == '~'   ? AttributeOperator::Includes
                                     : first == '|' ? AttributeOperator::DashMatch
                                     : first == '^' ? AttributeOperator::PrefixMatch
                                     : first == '$' ? AttributeOperator::SuffixMatch
                                                    : AttributeOperator::Substring;
        pos_ += 2;
    } else {
        Fail("attribute operator or ']' expected, found " + Describe());
    }
    SkipWhitespace();
    if (Peek() == '"' || Peek() == '\'') {
        selector.attributeValue = ReadQuoted();
    } else {
        const std::size_t valueStart = pos_;
        while (!AtEnd() && !IsAsciiWhitespace(Peek()) && Peek() != ']' && Peek() != '"' && Peek() != '\'') {
            if (Peek() == '\\') {
                ReadEscape(selector.attributeValue);
            } else {
                selector.attributeValue += Peek();
                ++pos_;
            }
        }
        if (pos_ == valueStart) {
            Fail("attribute value expected");
        }
    }
    SkipWhitespace();
    if ((Peek() == 'i' || Peek() == 'I' || Peek() == 's' || Peek() == 'S') &&
        (IsAsciiWhitespace(Peek(1)) || Peek(1) == ']')) {
        selector.attributeCaseInsensitive = Peek() == 'i' || Peek() == 'I';
        ++pos_;
        SkipWhitespace();
    }
    if (Peek() != ']') {
        Fail(AtEnd() ? "unclosed '['" : "']' expected, found " + Describe(), AtEnd() ? start : pos_);
    }
    ++pos_;
    return selector;
}

SimpleSelector Reader::ParsePseudoClass(int nesting) {
    const std::size_t start = pos_;
    ++pos_; // ':'
    if (Peek() == ':') {
        Fail("pseudo-elements are not supported");
    }
    const std::string name = ToAsciiLower(ReadName());
    if (name.empty()) {
        Fail("pseudo-class name expected after ':'", start);
    }
    if (Peek() != '(') {
        for (const auto& plain : kPlainPseudoClasses) {
            if (plain.name == name) {
                return {.kind = SimpleSelector::Kind::PseudoClass, .pseudoClass = plain.pseudoClass};
            }
        }
        for (const auto& state : kStatePseudoClasses) {
            if (state.name == name) {
                return {.kind = SimpleSelector::Kind::PseudoClass,
                        .pseudoClass = PseudoClass::State,
                        .stateBits = state.bits};
            }
        }
        Fail("unknown pseudo-class ':" + name + "'", start);
    }
    ++pos_; // '('
    if (name == "not") {
        if (nesting + 1 > SelectorParser::kMaxNesting) {
            Fail(":not() nested too deep", start);
        }
        auto argument = std::make_shared<SelectorList>(ParseList(nesting + 1));
        ++pos_; // ')', which ParseList stopped at
        return {.kind = SimpleSelector::Kind::PseudoClass,
                .pseudoClass = PseudoClass::Not,
                .argument = std::move(argument)};
    }
    for (const auto& nth : kNthPseudoClasses) {
        if (nth.name == name) {
            const std::size_t close = text_.find(')', pos_);
            if (close == std::string_view::npos) {
                Fail("missing ')'");
            }
            const NthPattern pattern = ParseNth(text_.substr(pos_, close - pos_), pos_);
            pos_ = close + 1;
            return {
                .kind = SimpleSelector::Kind::PseudoClass, .pseudoClass = nth.pseudoClass, .nth = pattern};
        }
    }
    Fail("unknown pseudo-class function ':" + name + "()'", start);
}

// An+B: "odd", "even", "3", "-n+2", "2n", "+2n - 1"...
NthPattern Reader::ParseNth(std::string_view argument, std::size_t position) const {
    std::string compact;
    for (char c : argument) {
        if (!IsAsciiWhitespace(c)) {
            compact += ToAsciiLower(c);
        }
    }
    if (compact == "odd") {
        return {2, 1};
    }
    if (compact == "even") {
        return {2, 0};
    }
    std::string_view rest = compact;
    // A signed integer of at most 9 digits; `required` says whether digits must be there.
    auto readInteger = [&](bool required, std::int64_t& value) {
        std::int64_t sign = 1;
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
            sign = rest.front() == '-' ? -1 : 1;
            rest.remove_prefix(1);
        }
        std::size_t digits = 0;
        value = 0;
        while (digits < rest.size() && IsAsciiDigit(rest[digits])) {
            if (digits == 9) {
                Fail("number too large in :nth-*()", position);
            }
            value = value * 10 + (rest[digits] - '0');
            ++digits;
        }
        rest.remove_prefix(digits);
        if (digits == 0) {
            if (required) {
                Fail("An+B expected in :nth-*()", position);
            }
            value = sign; // "n", "+n", "-n"
            return;
        }
        value *= sign;
    };
    NthPattern pattern;
    const std::size_t n = compact.find('n');
    if (n == std::string::npos) {
        readInteger(true, pattern.b);
    } else {
        std::string_view coefficient = rest.substr(0, n);
        rest = coefficient;
        readInteger(false, pattern.a);
        if (!rest.empty()) {
            Fail("An+B expected in :nth-*()", position);
        }
        rest = std::string_view(compact).substr(n + 1);
        if (!rest.empty()) {
            if (rest.front() != '+' && rest.front() != '-') {
                Fail("An+B expected in :nth-*()", position);
            }
            readInteger(true, pattern.b);
        }
    }
    if (!rest.empty()) {
        Fail("An+B expected in :nth-*()", position);
    }
    return pattern;
}

std::string Reader::ReadName() {
    std::string name;
    while (!AtEnd()) {
        const char c = Peek();
        if (c == '\\') {
            ReadEscape(name);
        } else if (IsNameChar(c)) {
            name += c;
            ++pos_;
        } else {
            break;
        }
    }
    return name;
}

// A CSS escape: up to six hex digits and one optional whitespace, or any other character as itself.
void Reader::ReadEscape(std::string& out) {
    const std::size_t start = pos_;
    ++pos_; // '\'
    if (AtEnd() || Peek() == '\n') {
        Fail("incomplete escape", start);
    }
    if (!IsAsciiHexDigit(Peek())) {
        out += Peek();
        ++pos_;
        return;
    }
    std::uint32_t value = 0;
    for (int digits = 0; digits < 6 && IsAsciiHexDigit(Peek()); ++digits) {
        const char c = ToAsciiLower(Peek());
        value = value * 16 + static_cast<std::uint32_t>(IsAsciiDigit(c) ? c - '0' : c - 'a' + 10);
        ++pos_;
    }
    if (IsAsciiWhitespace(Peek())) {
        ++pos_;
    }
    AppendUtf8(out, value == 0 ? 0xFFFD : value);
}

std::string Reader::ReadQuoted() {
    const std::size_t start = pos_;
    const char quote = Peek();
    ++pos_;
    std::string value;
    for (;;) {
        if (AtEnd()) {
            Fail("unclosed string", start);
        }
        const char c = Peek();
        if (c == quote) {
            ++pos_;
            return value;
        }
        if (c == '\\') {
            ReadEscape(value);
        } else {
            value += c;
            ++pos_;
        }
    }
}

} // namespace

SelectorList SelectorParser::Parse(std::string_view text) {
    if (text.size() > kMaxLength) {
        throw SelectorError("selector longer than " + std::to_string(kMaxLength) + " bytes", kMaxLength);
    }
    Reader reader(text);
    return reader.ParseList(0);
}

} // namespace html
