// The markup parser and serializer through their public entry points: the dialect, recovery from
// bad markup, includes and diagnostics.
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/Comment.h"
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupSerializer.h"
#include "headless-host/html-engine/dom/Text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace html {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct FragmentCase {
    const char* name;
    std::string markup;
    std::string expected; // serialised inner markup of the container
    // Empty: the markup must parse without any diagnostic. Otherwise a text one diagnostic has.
    std::string diagnostic;
};

std::ostream& operator<<(std::ostream& out, const FragmentCase& fragmentCase) {
    return out << fragmentCase.name;
}

std::string Serialized(const std::string& markup, std::vector<ParseDiagnostic>* diagnostics = nullptr) {
    auto container = Element::Create("div");
    MarkupParser parser;
    parser.SetInnerHtml(*container, markup);
    if (diagnostics) {
        *diagnostics = parser.Diagnostics();
    }
    return MarkupSerializer::InnerHtml(*container);
}

std::string Messages(const std::vector<ParseDiagnostic>& diagnostics) {
    std::string all;
    for (const auto& diagnostic : diagnostics) {
        all += std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) + " " +
               diagnostic.message + "\n";
    }
    return all;
}

class MarkupParserFragment : public ::testing::TestWithParam<FragmentCase> {};

// Each case checks the repaired tree, the diagnostics, and that the result is a fixed point: it
// parses without diagnostics and serialises to itself.
TEST_P(MarkupParserFragment, ParsesToExpectedMarkupThatRoundTrips) {
    const FragmentCase& param = GetParam();
    std::vector<ParseDiagnostic> diagnostics;
    EXPECT_EQ(Serialized(param.markup, &diagnostics), param.expected);
    if (param.diagnostic.empty()) {
        EXPECT_THAT(diagnostics, IsEmpty()) << Messages(diagnostics);
    } else {
        EXPECT_THAT(Messages(diagnostics), HasSubstr(param.diagnostic));
    }
    std::vector<ParseDiagnostic> reparseDiagnostics;
    EXPECT_EQ(Serialized(param.expected, &reparseDiagnostics), param.expected);
    EXPECT_THAT(reparseDiagnostics, IsEmpty()) << Messages(reparseDiagnostics);
}

const std::string kHugeValue(1 << 20, 'v');

INSTANTIATE_TEST_SUITE_P(
    Dialect, MarkupParserFragment,
    ::testing::Values(
        FragmentCase{"UnquotedAndValuelessAttributes", "<div a=1 B localize title='x y'>t</div>",
                     R"(<div a="1" b="" localize="" title="x y">t</div>)"},
        FragmentCase{"ClassAndIdShorthands", "<div .a #b .c class=d>x</div><span.e#f></span>",
                     R"(<div class="a c d" id="b">x</div><span class="e" id="f"></span>)"},
        FragmentCase{"AttributesKeepTheirOrder", R"(<input z=1 type="text" a=2 novalue="&ndash;">)",
                     "<input z=\"1\" type=\"text\" a=\"2\" novalue=\"\u2013\">"},
        FragmentCase{"VoidElementsHaveNoEndTag", "<br><img src=a.png>x<hr/>y<input>",
                     R"(<br><img src="a.png">x<hr>y<input>)"},
        FragmentCase{"SlashClosesAnyElement",
                     "<div class=\"appearance-dropdown-separator\" /><option>4</option>",
                     R"(<div class="appearance-dropdown-separator"></div><option>4</option>)"},
        FragmentCase{"NamedAndNumericReferences",
                     "a&nbsp;b&ndash;c&mdash;&amp;&lt;&gt;&quot;&apos;&#65;&#x42;&hellip;&copy;&sol;",
                     "a&nbsp;b\u2013c\u2014&amp;&lt;&gt;\"'AB\u2026\u00A9/"},
        FragmentCase{"LoneAmpersandsAreText", "AT&T &amp co & more", "AT&amp;T &amp;amp co &amp; more"},
        FragmentCase{"CommentsAreKept", "<!-- note --><b>x</b><!---->", "<!-- note --><b>x</b><!---->"},
        FragmentCase{"EngineElements",
                     "<popup .edit-popup .edit-popup-string><div .edit-box><widget type=select size=0>"
                     "<optgroup></optgroup></widget></div></popup>",
                     R"(<popup class="edit-popup edit-popup-string"><div class="edit-box">)"
                     R"(<widget type="select" size="0"><optgroup></optgroup></widget></div></popup>)"},
        FragmentCase{
            "SelectKeepsCaptionPopupAndOptgroup",
            "<select type=dropdown editable><caption>1.5</caption><popup><optgroup>"
            "<option value=1>1<option value=2>2</optgroup></popup></select>",
            R"(<select type="dropdown" editable=""><caption>1.5</caption><popup><optgroup>)"
            R"(<option value="1">1</option><option value="2">2</option></optgroup></popup></select>)"},
        FragmentCase{"PlaintextContentIsText",
                     "<plaintext id=Textarea value=\"a\">x <b> &amp; y</plaintext>z",
                     R"(<plaintext id="Textarea" value="a">x &lt;b&gt; &amp; y</plaintext>z)"},
        FragmentCase{"ScriptAndStyleAreRawText",
                     "<script>if (a < b && c) { s = '</div>'; }</script><style>a>b{}</style>",
                     "<script>if (a < b && c) { s = '</div>'; }</script><style>a>b{}</style>"},
        FragmentCase{
            "ImpliedEndTags",
            "<ul><li>a<li>b</ul><p>c<div>d</div><dl><dt>e<dd>f</dl><table><tr><td>1<td>2<tr><th>3</table>",
            "<ul><li>a</li><li>b</li></ul><p>c</p><div>d</div><dl><dt>e</dt><dd>f</dd></dl>"
            "<table><tr><td>1</td><td>2</td></tr><tr><th>3</th></tr></table>"},
        FragmentCase{"LineEndsBecomeLineFeeds", "a\r\nb\rc<div title=\"1\r\n2\">&#13;</div>",
                     "a\nb\nc<div title=\"1\n2\">&#13;</div>"},
        FragmentCase{"ByteOrderMarkIsSkipped", "\xEF\xBB\xBF<b>x</b>", "<b>x</b>"},
        FragmentCase{"UpperCaseNamesAreLowered", "<DIV CLASS=X><SPAN></span></div>",
                     R"(<div class="X"><span></span></div>)"},
        FragmentCase{"AttributeValueEscapes", "<div title='say \"hi\" &amp; <go>'></div>",
                     R"(<div title="say &quot;hi&quot; &amp; &lt;go&gt;"></div>)"},
        FragmentCase{"HugeAttributeValue", "<div title=\"" + kHugeValue + "\"></div>",
                     "<div title=\"" + kHugeValue + "\"></div>"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Malformed, MarkupParserFragment,
    ::testing::Values(
        FragmentCase{"UnclosedElementsCloseAtEnd", "<div><span>x", "<div><span>x</span></div>", "not closed"},
        FragmentCase{"StrayLessThanIsText", "a < b <3 <", "a &lt; b &lt;3 &lt;", "stray '<'"},
        FragmentCase{"StrayEndTagIsIgnored", "</x>a</div>", "a", "matches no open element"},
        FragmentCase{"MisnestedEndTagClosesInner", "<b><i>x</b>y</i>", "<b><i>x</i></b>y", "also closes"},
        FragmentCase{"TagCutByEndOfInputIsDropped", "ok<div class=\"x", "ok", "dropped"},
        FragmentCase{"UnknownReferenceStaysText", "&bogus; &ndash", "&amp;bogus; &amp;ndash",
                     "unknown character reference"},
        FragmentCase{"InvalidCodePointBecomesReplacement", "&#xD800;&#0;&#99999999;", "\uFFFD\uFFFD\uFFFD",
                     "invalid code point"},
        FragmentCase{"ReferenceWithoutDigits", "&#;&#x;", "&amp;#;&amp;#x;", "without digits"},
        FragmentCase{"UnterminatedComment", "a<!-- b", "a<!-- b-->", "comment not closed"},
        FragmentCase{"ProcessingInstructionBecomesComment", "<?xml version=1?>x", "<!--?xml version=1?-->x",
                     "processing instruction"},
        FragmentCase{"BadEndTagBecomesComment", "</ x>y", "<!-- x-->y", "invalid end tag"},
        FragmentCase{"DuplicateAttributeKeepsFirst", "<div id=a title=1 id=b #c></div>",
                     R"(<div id="a" title="1"></div>)", "duplicate attribute 'id'"},
        FragmentCase{"HtmlTagInFragmentIsIgnored", "<html lang=en><b>x</b></html>", "<b>x</b>",
                     "inside a fragment"},
        FragmentCase{"UnclosedScriptTakesTheRest", "<script>a</scrip", "<script>a</scrip</script>",
                     "not closed"},
        FragmentCase{"EndTagAttributesAreIgnored", "<b>x</b class=y>", "<b>x</b>", "end tag with attributes"},
        FragmentCase{"EmptyShorthandIsIgnored", "<div . #>x</div>", "<div>x</div>", "empty '.' shorthand"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MarkupParserRecovery, NestingDeeperThanTheLimitOpensSiblings) {
    std::string markup;
    for (int i = 0; i < 5000; ++i) {
        markup += "<div>";
    }
    ParseOptions options;
    options.maxElementDepth = 100;
    MarkupParser parser(options);
    const Document document = parser.ParseDocument(markup);
    std::size_t depth = 0;
    for (const Element* element = document.Root().get(); element; element = element->LastElementChild()) {
        ++depth;
    }
    EXPECT_EQ(depth, 100u);
    EXPECT_THAT(Messages(parser.Diagnostics()), HasSubstr("nested too deep"));
}

TEST(MarkupParserRecovery, DiagnosticsAreCapped) {
    ParseOptions options;
    options.maxDiagnostics = 5;
    MarkupParser parser(options);
    parser.ParseDocument(std::string(100, '<') + "x");
    ASSERT_EQ(parser.Diagnostics().size(), 6u);
    EXPECT_THAT(parser.Diagnostics().back().message, HasSubstr("too many errors"));
}

TEST(MarkupParserDiagnostics, GiveLineAndColumnInCodePoints) {
    MarkupParser parser;
    parser.ParseDocument("<p>\n\u00e9\u00e9 &bogus;</p>");
    ASSERT_EQ(parser.Diagnostics().size(), 1u);
    EXPECT_EQ(parser.Diagnostics()[0].line, 2u);
    EXPECT_EQ(parser.Diagnostics()[0].column, 4u);
    EXPECT_EQ(parser.Diagnostics()[0].source, "");
}

TEST(MarkupParserDocument, KeepsDoctypeAndRootAttributes) {
    MarkupParser parser;
    const Document document = parser.ParseDocument(
        "\xEF\xBB\xBF\r\n<!-- top --><!DOCTYPE html>\r\n<html lang=en>\r\n<body class=b>x</body></html>\n");
    EXPECT_THAT(parser.Diagnostics(), IsEmpty()) << Messages(parser.Diagnostics());
    EXPECT_EQ(MarkupSerializer::Serialize(document),
              "<!DOCTYPE html><html lang=\"en\"><!-- top -->\n<body class=\"b\">x</body>\n</html>");
}

TEST(MarkupParserDocument, ContentWithoutHtmlTagGoesIntoTheRoot) {
    MarkupParser parser;
    const Document document = parser.ParseDocument("  <div>a</div> <span>b</span>");
    EXPECT_EQ(document.Root()->TagName(), "html");
    EXPECT_FALSE(document.Doctype().has_value());
    EXPECT_EQ(MarkupSerializer::InnerHtml(*document.Root()), "<div>a</div> <span>b</span>");
}

TEST(MarkupParserDocument, LateDoctypeIsIgnored) {
    MarkupParser parser;
    const Document document = parser.ParseDocument("<b></b><!DOCTYPE html>");
    EXPECT_FALSE(document.Doctype().has_value());
    EXPECT_THAT(Messages(parser.Diagnostics()), HasSubstr("doctype ignored"));
}

class MarkupParserInclude : public ::testing::Test {
protected:
    MarkupParser MakeParser() {
        ParseOptions options;
        options.includeResolver = [this](std::string_view src) -> std::optional<std::string> {
            ++requests_[std::string(src)];
            auto found = files_.find(std::string(src));
            return found == files_.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
        options.maxIncludeDepth = 4;
        return MarkupParser(options);
    }

    std::map<std::string, std::string> files_;
    std::map<std::string, int> requests_;
};

TEST_F(MarkupParserInclude, ReplacesTheIncludeByItsMarkup) {
    files_["bubble.htm.inc"] = "\xEF\xBB\xBF<popup #bubble>b<include src=\"inner.inc\"/></popup>";
    files_["inner.inc"] = "<i>deep</i>";
    MarkupParser parser = MakeParser();
    const Document document =
        parser.ParseDocument("<body>a<include src=\"bubble.htm.inc\"></include>c</body>");
    EXPECT_THAT(parser.Diagnostics(), IsEmpty()) << Messages(parser.Diagnostics());
    EXPECT_EQ(MarkupSerializer::InnerHtml(*document.Root()),
              R"(<body>a<popup id="bubble">b<i>deep</i></popup>c</body>)");
}

TEST_F(MarkupParserInclude, CycleStopsAtTheDepthLimit) {
    files_["loop.inc"] = "<b>x</b><include src=loop.inc>";
    MarkupParser parser = MakeParser();
    const Document document = parser.ParseDocument("<include src=loop.inc>");
    EXPECT_EQ(requests_["loop.inc"], 4);
    EXPECT_EQ(MarkupSerializer::InnerHtml(*document.Root()), "<b>x</b><b>x</b><b>x</b><b>x</b>");
    ASSERT_EQ(parser.Diagnostics().size(), 1u);
    EXPECT_THAT(parser.Diagnostics()[0].message, HasSubstr("nested too deep"));
    EXPECT_EQ(parser.Diagnostics()[0].source, "loop.inc");
}

TEST_F(MarkupParserInclude, MissingIncludeStaysWithADiagnostic) {
    files_["broken.inc"] = "<b>&bogus;</b>";
    MarkupParser parser = MakeParser();
    const Document document = parser.ParseDocument("<include src=missing.htm>\n<include src=broken.inc>");
    EXPECT_EQ(MarkupSerializer::InnerHtml(*document.Root()),
              "<include src=\"missing.htm\">\n<b>&amp;bogus;</b>");
    ASSERT_EQ(parser.Diagnostics().size(), 2u);
    EXPECT_THAT(parser.Diagnostics()[0].message, HasSubstr("not found"));
    EXPECT_EQ(parser.Diagnostics()[1].source, "broken.inc");
    EXPECT_EQ(parser.Diagnostics()[1].column, 4u);
}

TEST(MarkupParserInnerHtml, ReplacesContentAndKeepsTheTarget) {
    auto host = Element::Create("div");
    auto old = Element::Create("span");
    host->AppendChild(old);
    MarkupParser parser;
    parser.SetInnerHtml(*host, "<b>new</b>text");
    EXPECT_EQ(old->Parent(), nullptr);
    EXPECT_EQ(MarkupSerializer::OuterHtml(*host), "<div><b>new</b>text</div>");
}

TEST(MarkupParserInnerHtml, RawTextTargetTakesMarkupAsText) {
    auto textarea = Element::Create("textarea");
    MarkupParser parser;
    parser.SetInnerHtml(*textarea, "<b>&amp;</b>");
    ASSERT_EQ(textarea->Children().size(), 1u);
    EXPECT_EQ(textarea->TextContent(), "<b>&</b>");
}

TEST(MarkupParserInnerHtml, FragmentNodesComeBackDetached) {
    MarkupParser parser;
    const auto nodes = parser.ParseFragment("a<!--c--><b></b>");
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0]->Type(), NodeType::Text);
    EXPECT_EQ(nodes[1]->Type(), NodeType::Comment);
    EXPECT_EQ(nodes[2]->Type(), NodeType::Element);
    for (const auto& node : nodes) {
        EXPECT_EQ(node->Parent(), nullptr);
    }
}

} // namespace
} // namespace html
