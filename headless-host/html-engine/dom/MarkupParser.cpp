// Tokenizer and tree builder of the markup dialect, in one pass over the input.
#include "headless-host/html-engine/dom/MarkupParser.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Comment.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/Entities.h"
#include "headless-host/html-engine/dom/Text.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <unordered_map>

namespace html {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// <include> is void in the dialect: it stands for other markup and has no content of its own.
constexpr std::array<std::string_view, 16> kVoidElements = {
    "area",  "base",   "br",   "col",  "embed", "hr",     "img",   "include",
    "input", "keygen", "link", "meta", "param", "source", "track", "wbr"};

// Elements whose end tag may be left out without a diagnostic: they are closed by their
// siblings or their parent's end tag.
constexpr std::array<std::string_view, 16> kOptionalEndTag = {
    "body",   "colgroup", "dd",    "dt", "head",  "html", "li",    "optgroup",
    "option", "p",        "tbody", "td", "tfoot", "th",   "thead", "tr"};

// Start tags that close an open <p> first.
constexpr std::array<std::string_view, 30> kClosesParagraph = {
    "address",    "article", "aside",  "blockquote", "dd",   "details", "div", "dl", "dt",      "fieldset",
    "figcaption", "figure",  "footer", "form",       "h1",   "h2",      "h3",  "h4", "h5",      "h6",
    "header",     "hr",      "li",     "main",       "menu", "nav",     "ol",  "p",  "section", "table"};

// Called for every tag, mostly for names the list lacks: the first letter rules most out cheaply.
template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return !name.empty() && std::any_of(names.begin(), names.end(), [name](std::string_view candidate) {
        return candidate.size() == name.size() && candidate[0] == name[0] && candidate == name;
    });
}

enum class TextMode {
    Normal,
    RawText,          // script, style, xmp: no tags and no character references inside
    EscapableRawText, // textarea, title, plaintext: no tags, but character references are decoded
};

TextMode TextModeOf(std::string_view tag) {
    if (tag == "script" || tag == "style" || tag == "xmp") {
        return TextMode::RawText;
    }
    if (tag == "textarea" || tag == "title" || tag == "plaintext") {
        return TextMode::EscapableRawText;
    }
    return TextMode::Normal;
}

// What ends a name or a value inside a tag, one lookup per character: tags are most of the markup.
enum CharClass : std::uint8_t {
    kWhitespace = 1,
    kTagNameEnd = 2,       // also ends a ".name" or "#name" shorthand
    kAttributeNameEnd = 4, // after its first character
    kUnquotedValueEnd = 8,
};

constexpr std::array<std::uint8_t, 256> kCharClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (unsigned char c : std::string_view(" \t\n\r\f")) {
        classes[c] = kWhitespace | kTagNameEnd | kAttributeNameEnd | kUnquotedValueEnd;
    }
    for (unsigned char c : std::string_view("/>.#")) {
        classes[c] |= kTagNameEnd;
    }
    for (unsigned char c : std::string_view("/>=")) {
        classes[c] |= kAttributeNameEnd;
    }
    classes['>'] |= kUnquotedValueEnd;
    return classes;
}();

bool Is(char c, CharClass charClass) {
    return (kCharClasses[static_cast<unsigned char>(c)] & charClass) != 0;
}

// The first position from `at` whose character is not of `charClass` (or the end).
std::size_t SkipWhile(std::string_view text, std::size_t at, CharClass charClass) {
    while (at < text.size() && Is(text[at], charClass)) {
        ++at;
    }
    return at;
}

// The first position from `at` whose character is of `charClass` (or the end).
std::size_t SkipUntil(std::string_view text, std::size_t at, CharClass charClass) {
    while (at < text.size() && !Is(text[at], charClass)) {
        ++at;
    }
    return at;
}

bool IsAllWhitespace(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsAsciiWhitespace(c); });
}

std::size_t DepthOf(const Element& element) {
    std::size_t depth = 1;
    for (const Element* ancestor = element.Parent(); ancestor; ancestor = ancestor->Parent()) {
        ++depth;
    }
    return depth;
}

struct StartTag {
    std::string name;
    std::vector<Attribute> attributes;
    bool selfClosing = false;
    // Attribute positions by name, for tags with many attributes; covers a prefix of `attributes`.
    std::unordered_map<std::string, std::size_t> index;

    Attribute* Find(const std::string& attributeName) {
        constexpr std::size_t kLinearSearchLimit = 16;
        if (attributes.size() <= kLinearSearchLimit) {
            auto found = std::find_if(attributes.begin(), attributes.end(), [&](const Attribute& attribute) {
                return attribute.name == attributeName;
            });
            return found == attributes.end() ? nullptr : &*found;
        }
        for (std::size_t i = index.size(); i < attributes.size(); ++i) {
            index.emplace(attributes[i].name, i);
        }
        auto found = index.find(attributeName);
        return found == index.end() ? nullptr : &attributes[found->second];
    }
};

// What one parse shares with the runs over the markup of its includes.
struct ParseSession {
    const ParseOptions& options;
    std::vector<ParseDiagnostic>& diagnostics;
};

// One pass over one input: the markup given to the parser, or the markup of one include.
class ParserRun {
public:
    // `baseDepth` is the depth the content will have in the end, when `base` stands in for another
    // element; by default, `base`'s own.
    ParserRun(ParseSession& session, std::string_view input, std::string source, int includeDepth,
              Element& base, Document* document, std::optional<std::size_t> baseDepth = std::nullopt)
        : session_(session), source_(std::move(source)), includeDepth_(includeDepth), document_(document),
          baseDepth_(baseDepth ? *baseDepth : DepthOf(base)) {
        if (input.starts_with(kByteOrderMark)) {
            input.remove_prefix(kByteOrderMark.size());
        }
        // CR LF and lone CR become LF before anything else, as in HTML, so that text, values and
        // positions do not depend on the line ends the markup was stored with.
        if (input.find('\r') != std::string_view::npos) {
            normalized_.reserve(input.size());
            for (std::size_t i = 0; i < input.size(); ++i) {
                if (input[i] == '\r') {
                    normalized_ += '\n';
                    if (i + 1 < input.size() && input[i + 1] == '\n') {
                        ++i;
                    }
                } else {
                    normalized_ += input[i];
                }
            }
            input = normalized_;
        }
        in_ = input;
        open_.push_back(&base);
    }

    void Run();

private:
    bool AtEnd() const { return pos_ >= in_.size(); }
    char Peek(std::size_t ahead = 0) const { return pos_ + ahead < in_.size() ? in_[pos_ + ahead] : '\0'; }
    Element& Current() const { return *open_.back(); }

    void Diagnose(std::size_t offset, std::string message);
    void Flush();
    void Insert(std::shared_ptr<Node> node);

    void ReadText();
    void ReadRawText(TextMode mode);
    void DecodeInto(std::string_view text, std::size_t offset, std::string& out);
    std::size_t DecodeReference(std::string_view text, std::size_t at, std::size_t offset, std::string& out);

    void ReadMarkupDeclaration();
    void ReadComment();
    void ReadBogusComment(std::size_t dataStart);
    std::optional<StartTag> ReadStartTag();
    // The attributes as the element keeps them: in a vector of their exact number, and the tag's
    // vector goes back to be reused by the next tag.
    std::vector<Attribute> TakeAttributes(StartTag& tag);
    void ReadEndTag();
    void SkipRestOfEndTag();
    void AddAttribute(StartTag& tag, std::string name, std::string value, std::size_t offset);

    void OpenElement(StartTag tag, std::size_t offset);
    void CloseImpliedBy(std::string_view tag);
    void PopTo(std::size_t index, std::string_view closingTag, std::size_t offset);
    void ResolveInclude(StartTag tag, std::size_t offset);

    ParseSession& session_;
    std::string source_;
    int includeDepth_;
    Document* document_; // null when parsing a fragment
    std::size_t baseDepth_;
    std::string normalized_;
    std::string_view in_;
    std::size_t pos_ = 0;
    std::vector<Element*> open_; // open_[0] is the element the run parses into; never popped

    std::string pendingText_;
    bool sawHtmlTag_ = false;
    std::vector<Attribute> attributeBuffer_; // lent to each start tag in turn, so it grows only once

    // Diagnostics come in input order nearly always, so positions are counted on from the last one.
    std::size_t positionOffset_ = 0;
    std::uint32_t line_ = 1;
    std::uint32_t column_ = 1;
};

void ParserRun::Diagnose(std::size_t offset, std::string message) {
    auto& diagnostics = session_.diagnostics;
    const std::size_t limit = session_.options.maxDiagnostics;
    if (diagnostics.size() > limit) {
        return;
    }
    if (offset < positionOffset_) {
        positionOffset_ = 0;
        line_ = 1;
        column_ = 1;
    }
    offset = std::min(offset, in_.size());
    for (; positionOffset_ < offset; ++positionOffset_) {
        const auto byte = static_cast<unsigned char>(in_[positionOffset_]);
        if (byte == '\n') {
            ++line_;
            column_ = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column_;
        }
    }
    if (diagnostics.size() == limit) {
        message = "too many errors; later ones are not reported";
    }
    diagnostics.push_back({line_, column_, std::move(message), source_});
}

void ParserRun::Flush() {
    if (pendingText_.empty()) {
        return;
    }
    Element& parent = Current();
    const auto& children = parent.Children();
    // Whitespace at the start of the root and in the prolog (among the comments and the doctype
    // before <html>) carries nothing; browsers drop it as well.
    if (document_ && open_.size() == 1 && IsAllWhitespace(pendingText_) &&
        (children.empty() ||
         (!sawHtmlTag_ && std::all_of(children.begin(), children.end(),
                                      [](const auto& node) { return node->Type() == NodeType::Comment; })))) {
        pendingText_.clear();
        return;
    }
    if (!children.empty() && children.back()->Type() == NodeType::Text) {
        // Appending in place: markup like "a<html>b<html>c…" would otherwise copy the text each time.
        static_cast<Text&>(*children.back()).AppendData(pendingText_);
    } else {
        parent.AppendChild(Text::Create(std::move(pendingText_)));
    }
    pendingText_.clear();
}

void ParserRun::Insert(std::shared_ptr<Node> node) {
    Flush();
    Current().AppendChild(std::move(node));
}

void ParserRun::Run() {
    const Element* modeOf = nullptr;
    TextMode mode = TextMode::Normal;
    while (!AtEnd()) {
        if (&Current() != modeOf) {
            modeOf = &Current();
            mode = TextModeOf(modeOf->TagName());
        }
        if (mode != TextMode::Normal) {
            ReadRawText(mode);
            continue;
        }
        if (Peek() != '<') {
            ReadText();
            continue;
        }
        const char next = Peek(1);
        if (IsAsciiAlpha(next)) {
            const std::size_t offset = pos_;
            if (auto tag = ReadStartTag()) {
                OpenElement(std::move(*tag), offset);
            }
        } else if (next == '/' && IsAsciiAlpha(Peek(2))) {
            ReadEndTag();
        } else if (next == '/' && Peek(2) == '>') {
            Diagnose(pos_, "empty end tag '</>' ignored");
            pos_ += 3;
        } else if (next == '/' && pos_ + 2 < in_.size()) {
            Diagnose(pos_, "invalid end tag read as a comment");
            ReadBogusComment(pos_ + 2);
        } else if (next == '!') {
            ReadMarkupDeclaration();
        } else if (next == '?') {
            Diagnose(pos_, "processing instruction read as a comment");
            ReadBogusComment(pos_ + 1);
        } else {
            Diagnose(pos_, "stray '<' kept as text");
            pendingText_ += '<';
            ++pos_;
        }
    }
    Flush();
    for (std::size_t i = open_.size() - 1; i > 0; --i) {
        if (!Contains(kOptionalEndTag, open_[i]->TagName())) {
            Diagnose(in_.size(), "<" + open_[i]->TagName() + "> not closed before the end of the input");
        }
    }
    open_.resize(1);
}

void ParserRun::ReadText() {
    std::size_t end = in_.find('<', pos_);
    if (end == std::string_view::npos) {
        end = in_.size();
    }
    DecodeInto(in_.substr(pos_, end - pos_), pos_, pendingText_);
    pos_ = end;
}

void ParserRun::ReadRawText(TextMode mode) {
    const std::string& tag = Current().TagName();
    // The content ends at "</tag" followed by whitespace, '/' or '>', in any letter case.
    std::size_t end = pos_;
    for (;;) {
        end = in_.find("</", end);
        if (end == std::string_view::npos) {
            break;
        }
        const std::size_t afterName = end + 2 + tag.size();
        if (afterName < in_.size() && EqualsAsciiCaseInsensitive(in_.substr(end + 2, tag.size()), tag) &&
            (IsAsciiWhitespace(in_[afterName]) || in_[afterName] == '/' || in_[afterName] == '>')) {
            break;
        }
        end += 2;
    }
    const std::size_t textEnd = end == std::string_view::npos ? in_.size() : end;
    const std::string_view text = in_.substr(pos_, textEnd - pos_);
    if (mode == TextMode::EscapableRawText) {
        DecodeInto(text, pos_, pendingText_);
    } else {
        pendingText_ += text;
    }
    pos_ = textEnd;
    if (end == std::string_view::npos) {
        // The element stays open; the end of the input closes it with a diagnostic.
        Flush();
        return;
    }
    ReadEndTag();
}

void ParserRun::DecodeInto(std::string_view text, std::size_t offset, std::string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            return;
        }
        out.append(text.substr(i, amp - i));
        i = amp + DecodeReference(text, amp, offset, out);
    }
}

// Decodes the character reference at text[at] (an '&') into `out`; returns the bytes it used. What
// is not a reference is kept as text, starting with the '&' itself. `offset` places `text` in the
// input, for diagnostics.
std::size_t ParserRun::DecodeReference(std::string_view text, std::size_t at, std::size_t offset,
                                       std::string& out) {
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex) {
            ++i;
        }
        const std::size_t digitsStart = i;
        std::uint32_t value = 0;
        while (i < text.size() && (hex ? IsAsciiHexDigit(text[i]) : IsAsciiDigit(text[i]))) {
            const char c = ToAsciiLower(text[i]);
            const std::uint32_t digit = IsAsciiDigit(c) ? static_cast<std::uint32_t>(c - '0')
                                                        : static_cast<std::uint32_t>(c - 'a' + 10);
            value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
            ++i;
        }
        if (i == digitsStart) {
            Diagnose(offset + at, "character reference without digits kept as text");
            out += '&';
            return 1;
        }
        if (i < text.size() && text[i] == ';') {
            ++i;
        } else {
            Diagnose(offset + at, "character reference without ';'");
        }
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            Diagnose(offset + at, "character reference to an invalid code point replaced by U+FFFD");
            value = 0xFFFD;
        }
        AppendUtf8(out, value);
        return i - at;
    }
    constexpr std::size_t kLongestName = 32;
    while (i < text.size() && i - at <= kLongestName && (IsAsciiAlpha(text[i]) || IsAsciiDigit(text[i]))) {
        ++i;
    }
    if (i == at + 1 || i >= text.size() || text[i] != ';') {
        out += '&'; // "AT&T", "a & b": an ampersand that starts no reference is plain text
        return 1;
    }
    const std::string_view name = text.substr(at + 1, i - at - 1);
    if (auto decoded = LookUpNamedEntity(name)) {
        out += *decoded;
        return i + 1 - at;
    }
    Diagnose(offset + at, "unknown character reference '&" + std::string(name) + ";' kept as text");
    out += '&';
    return 1;
}

void ParserRun::ReadMarkupDeclaration() {
    const std::string_view rest = in_.substr(pos_);
    if (rest.starts_with("<!--")) {
        ReadComment();
        return;
    }
    if (StartsWithAsciiCaseInsensitive(rest, "<!doctype")) {
        const std::size_t offset = pos_;
        std::size_t end = in_.find('>', pos_);
        if (end == std::string_view::npos) {
            Diagnose(offset, "doctype not closed before the end of the input");
            end = in_.size();
        }
        std::string_view text = TrimAsciiWhitespace(in_.substr(pos_ + 9, end - (pos_ + 9)));
        pos_ = std::min(end + 1, in_.size());
        Flush();
        // Only comments may come before the doctype.
        const auto& children = Current().Children();
        const bool beforeContent =
            document_ && open_.size() == 1 && !sawHtmlTag_ && !document_->Doctype() &&
            std::all_of(children.begin(), children.end(),
                        [](const std::shared_ptr<Node>& node) { return node->Type() == NodeType::Comment; });
        if (!beforeContent) {
            Diagnose(offset, "doctype ignored: only one, before the page content");
            return;
        }
        document_->SetDoctype(std::string(text));
        return;
    }
    Diagnose(pos_, "markup declaration read as a comment");
    ReadBogusComment(pos_ + 2);
}

void ParserRun::ReadComment() {
    const std::size_t offset = pos_;
    const std::size_t dataStart = pos_ + 4;
    // "<!-->" and "<!--->" are complete (empty) comments, as in HTML.
    if (in_.substr(dataStart).starts_with(">") || in_.substr(dataStart).starts_with("->")) {
        Diagnose(offset, "comment closed abruptly");
        pos_ = dataStart + (in_[dataStart] == '>' ? 1 : 2);
        Insert(Comment::Create(""));
        return;
    }
    std::size_t end = in_.find("-->", dataStart);
    if (end == std::string_view::npos) {
        Diagnose(offset, "comment not closed before the end of the input");
        Insert(Comment::Create(std::string(in_.substr(dataStart))));
        pos_ = in_.size();
        return;
    }
    Insert(Comment::Create(std::string(in_.substr(dataStart, end - dataStart))));
    pos_ = end + 3;
}

void ParserRun::ReadBogusComment(std::size_t dataStart) {
    std::size_t end = in_.find('>', dataStart);
    if (end == std::string_view::npos) {
        end = in_.size();
    }
    Insert(Comment::Create(std::string(in_.substr(dataStart, end - dataStart))));
    pos_ = std::min(end + 1, in_.size());
}

std::optional<StartTag> ParserRun::ReadStartTag() {
    const std::size_t offset = pos_;
    StartTag tag;
    tag.attributes = std::move(attributeBuffer_);
    tag.attributes.clear();
    const std::size_t i = SkipUntil(in_, pos_ + 1, kTagNameEnd);
    tag.name = ToAsciiLower(in_.substr(pos_ + 1, i - pos_ - 1));
    pos_ = i;
    for (;;) {
        pos_ = SkipWhile(in_, pos_, kWhitespace);
        if (AtEnd()) {
            Diagnose(offset, "<" + tag.name + "> not finished before the end of the input; dropped");
            return std::nullopt;
        }
        const char c = Peek();
        if (c == '>') {
            ++pos_;
            return tag;
        }
        if (c == '/') {
            if (Peek(1) == '>') {
                pos_ += 2;
                tag.selfClosing = true;
                return tag;
            }
            ++pos_;
            continue;
        }
        const std::size_t attributeOffset = pos_;
        if (c == '.' || c == '#') {
            // Dialect shorthands: ".name" adds a class, "#name" sets the id.
            const std::size_t end = SkipUntil(in_, pos_ + 1, kTagNameEnd);
            std::string value(in_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end;
            if (value.empty()) {
                Diagnose(attributeOffset, std::string("empty '") + c + "' shorthand ignored");
                continue;
            }
            AddAttribute(tag, c == '.' ? "class" : "id", std::move(value), attributeOffset);
            continue;
        }
        // The first character always belongs to the name, even '='.
        const std::size_t nameEnd = SkipUntil(in_, pos_ + 1, kAttributeNameEnd);
        std::string name = ToAsciiLower(in_.substr(pos_, nameEnd - pos_));
        pos_ = nameEnd;
        const std::size_t afterName = SkipWhile(in_, pos_, kWhitespace);
        std::string value;
        if (afterName < in_.size() && in_[afterName] == '=') {
            pos_ = SkipWhile(in_, afterName + 1, kWhitespace);
            const char quote = Peek();
            if (quote == '"' || quote == '\'') {
                const std::size_t close = in_.find(quote, pos_ + 1);
                if (close == std::string_view::npos) {
                    Diagnose(offset, "<" + tag.name + "> has an unterminated attribute value; dropped");
                    pos_ = in_.size();
                    return std::nullopt;
                }
                DecodeInto(in_.substr(pos_ + 1, close - pos_ - 1), pos_ + 1, value);
                pos_ = close + 1;
            } else {
                const std::size_t end = SkipUntil(in_, pos_, kUnquotedValueEnd);
                if (end == pos_) {
                    Diagnose(attributeOffset, "attribute '" + name + "' has '=' but no value");
                }
                DecodeInto(in_.substr(pos_, end - pos_), pos_, value);
                pos_ = end;
            }
        }
        AddAttribute(tag, std::move(name), std::move(value), attributeOffset);
    }
}

std::vector<Attribute> ParserRun::TakeAttributes(StartTag& tag) {
    std::vector<Attribute> attributes;
    attributes.reserve(tag.attributes.size());
    std::move(tag.attributes.begin(), tag.attributes.end(), std::back_inserter(attributes));
    attributeBuffer_ = std::move(tag.attributes);
    return attributes;
}

void ParserRun::AddAttribute(StartTag& tag, std::string name, std::string value, std::size_t offset) {
    Attribute* existing = tag.Find(name);
    if (!existing) {
        tag.attributes.push_back({std::move(name), std::move(value)});
        return;
    }
    // Classes from shorthands and class attributes add up; for anything else the first one wins.
    if (name == "class") {
        if (!value.empty()) {
            existing->value += existing->value.empty() ? value : " " + value;
        }
        return;
    }
    Diagnose(offset, "duplicate attribute '" + name + "' ignored");
}

void ParserRun::ReadEndTag() {
    const std::size_t offset = pos_;
    const std::size_t i = SkipUntil(in_, pos_ + 2, kTagNameEnd);
    const std::string name = ToAsciiLower(in_.substr(pos_ + 2, i - pos_ - 2));
    pos_ = i;
    SkipRestOfEndTag();
    if (name == "include" || (name == "html" && document_)) {
        return; // </include> closes nothing (the element is void); </html> closes nothing either
    }
    for (std::size_t index = open_.size() - 1; index > 0; --index) {
        if (open_[index]->TagName() == name) {
            PopTo(index, name, offset);
            return;
        }
    }
    Diagnose(offset, "end tag </" + name + "> matches no open element; ignored");
}

void ParserRun::SkipRestOfEndTag() {
    const std::size_t offset = pos_;
    while (!AtEnd() && IsAsciiWhitespace(Peek())) {
        ++pos_;
    }
    if (Peek() == '>') {
        ++pos_;
        return;
    }
    const std::size_t end = in_.find('>', pos_);
    if (end == std::string_view::npos) {
        Diagnose(offset, "end tag not finished before the end of the input");
        pos_ = in_.size();
        return;
    }
    Diagnose(offset, "end tag with attributes; they are ignored");
    pos_ = end + 1;
}

void ParserRun::PopTo(std::size_t index, std::string_view closingTag, std::size_t offset) {
    Flush();
    for (std::size_t i = open_.size() - 1; i > index; --i) {
        if (!Contains(kOptionalEndTag, open_[i]->TagName())) {
            Diagnose(offset,
                     "</" + std::string(closingTag) + "> also closes unclosed <" + open_[i]->TagName() + ">");
        }
    }
    open_.resize(index);
}

void ParserRun::CloseImpliedBy(std::string_view tag) {
    // Only what the dialect's markup needs: lists, definition lists, options and table rows.
    auto closes = [tag](std::string_view open) {
        if (open == "p") {
            return Contains(kClosesParagraph, tag);
        }
        if (open == "li") {
            return tag == "li";
        }
        if (open == "dt" || open == "dd") {
            return tag == "dt" || tag == "dd";
        }
        if (open == "option") {
            return tag == "option" || tag == "optgroup";
        }
        if (open == "optgroup") {
            return tag == "optgroup";
        }
        if (open == "td" || open == "th") {
            return tag == "td" || tag == "th" || tag == "tr" || tag == "tbody" || tag == "thead" ||
                   tag == "tfoot";
        }
        if (open == "tr") {
            return tag == "tr" || tag == "tbody" || tag == "thead" || tag == "tfoot";
        }
        if (open == "thead" || open == "tbody" || open == "tfoot") {
            return tag == "tbody" || tag == "thead" || tag == "tfoot";
        }
        return false;
    };
    while (open_.size() > 1 && closes(Current().TagName())) {
        Flush();
        open_.pop_back();
    }
}

void ParserRun::OpenElement(StartTag tag, std::size_t offset) {
    if (tag.name == "html") {
        if (!document_) {
            Diagnose(offset, "<html> inside a fragment ignored");
            return;
        }
        if (sawHtmlTag_) {
            Diagnose(offset, "second <html> start tag; its new attributes go to the root");
        }
        Flush();
        sawHtmlTag_ = true;
        document_->Root()->AddMissingAttributes(std::move(tag.attributes));
        return;
    }
    if (tag.name == "include") {
        ResolveInclude(std::move(tag), offset);
        return;
    }
    CloseImpliedBy(tag.name);
    auto element = Element::Create(tag.name);
    if (tag.attributes.empty()) {
        attributeBuffer_ = std::move(tag.attributes);
    } else {
        element->AddMissingAttributes(TakeAttributes(tag));
    }
    if (baseDepth_ + open_.size() > session_.options.maxElementDepth) {
        Diagnose(offset, "elements nested too deep; <" + tag.name + "> opened as a sibling");
        if (open_.size() > 1) {
            Flush();
            open_.pop_back();
        }
    }
    Element* raw = element.get();
    Insert(std::move(element));
    if (tag.selfClosing || Contains(kVoidElements, tag.name)) {
        return;
    }
    if (baseDepth_ + open_.size() <= session_.options.maxElementDepth) {
        open_.push_back(raw);
    }
}

void ParserRun::ResolveInclude(StartTag tag, std::size_t offset) {
    auto src = std::find_if(tag.attributes.begin(), tag.attributes.end(),
                            [](const Attribute& attribute) { return attribute.name == "src"; });
    std::optional<std::string> markup;
    // Without a resolver includes are left alone on purpose (a dump of a template, say): that is
    // no error. With one, an include it cannot supply is.
    if (session_.options.includeResolver) {
        if (src == tag.attributes.end()) {
            Diagnose(offset, "<include> without src kept as it is");
        } else if (includeDepth_ >= session_.options.maxIncludeDepth) {
            Diagnose(offset,
                     "<include src=\"" + src->value + "\"> nested too deep (an include cycle?); dropped");
            return;
        } else if (!(markup = session_.options.includeResolver(src->value))) {
            Diagnose(offset, "<include src=\"" + src->value + "\"> not found; kept as it is");
        }
    }
    if (!markup) {
        auto element = Element::Create("include");
        element->AddMissingAttributes(std::move(tag.attributes));
        Insert(std::move(element));
        return;
    }
    Flush();
    ParserRun nested(session_, *markup, src->value, includeDepth_ + 1, Current(), nullptr);
    nested.Run();
}

} // namespace

MarkupParser::MarkupParser(ParseOptions options) : options_(std::move(options)) {}

Document MarkupParser::ParseDocument(std::string_view utf8) {
    diagnostics_.clear();
    Document document;
    ParseSession session{options_, diagnostics_};
    ParserRun run(session, utf8, "", 0, *document.Root(), &document);
    run.Run();
    return document;
}

void MarkupParser::SetInnerHtml(Element& target, std::string_view utf8) {
    diagnostics_.clear();
    target.RemoveAllChildren();
    ParseSession session{options_, diagnostics_};
    // Parsed apart and handed over whole: built in place, each element would enter an indexed tree
    // on its own, and find its place in each of its lists on its own.
    auto container = Element::Create(target.TagName());
    ParserRun run(session, utf8, "", 0, *container, nullptr, DepthOf(target));
    run.Run();
    target.AppendChildrenOf(*container);
}

std::vector<std::shared_ptr<Node>> MarkupParser::ParseFragment(std::string_view utf8) {
    auto container = Element::Create("div");
    SetInnerHtml(*container, utf8);
    std::vector<std::shared_ptr<Node>> nodes = container->Children();
    container->RemoveAllChildren();
    return nodes;
}

} // namespace html
