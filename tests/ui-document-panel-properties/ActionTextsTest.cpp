// The action editors' texts: a button's attributes from its parameters, and the value list's
// summary and button texts.
#include "ui-document-panel-properties/ActionEditors.h"

#include <gtest/gtest.h>

namespace {

using namespace panel::action;

TEST(ActionTexts, ParametersBecomeAttributesInKeyOrderWithoutSeparators) {
    host::ActionButtonData record;
    record.action = L"Print";
    record.parameters = {{L"range", L"all \"pages\" <now> & more"}, {L"copies", L"2"}};
    EXPECT_EQ(ButtonAttributes(record, false),
              L"action-param-copies=\"2\"action-param-range=\"all &quot;pages&quot; &lt;now&gt; &amp; more\"");
    EXPECT_EQ(ButtonAttributes(record, true).substr(0, 13), L"disabled=\"\"ac");
    EXPECT_EQ(ButtonAttributes({}, true), L"disabled=\"\"");
    EXPECT_EQ(ButtonAttributes({}, false), L"");
}

TEST(ActionTexts, ParameterKeysCannotBreakOutOfTheAttributeName) {
    EXPECT_EQ(AttributeNameOf(L"page_2.x-y"), L"page_2.x-y");
    EXPECT_EQ(AttributeNameOf(L"odd key"), L"odd-key");
    EXPECT_EQ(AttributeNameOf(L"a\"=b><x"), L"a--b--x");
}

TEST(ActionTexts, TheValueListSummaryEscapesEveryFirstStringAndEndsEachWithASemicolon) {
    host::PropStringPairListData record;
    record.pairs = {{L"a", L"1"}, {L"<b> & 'c' \"d\"", L"2"}, {L"", L"3"}};
    EXPECT_EQ(PairsSummary(record), L"a;&lt;b&gt; &amp; &apos;c&apos; &quot;d&quot;;;");
    EXPECT_EQ(PairsSummary({}), L"");
    EXPECT_EQ(DialogTextsOf(L"", L"&nbsp;").button, L"Set");
    EXPECT_EQ(DialogTextsOf(L"", L"&nbsp;").tooltip, L"&nbsp;");
    EXPECT_EQ(DialogTextsOf(L"a;", L"&nbsp;").button, L"Change");
    EXPECT_EQ(DialogTextsOf(L"a;", L"&nbsp;").tooltip, L"a;");
}

} // namespace
