// Actions built from JSON descriptions and described back: round trips of every type and of
// chains, chains that loop, and descriptions the builder refuses.
#include "tests/headless-host/pdfcore/PdfTestDocuments.h"

#include "host/PdfCore.h"

#include <nlohmann/json.hpp>

namespace {

using namespace pdfcore_test;
using Json = nlohmann::json;

// The builder's descriptions, each of which its description gives back.
class ActionJsonRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(ActionJsonRoundTrip, DescribesWhatItBuilt) {
    Ref document = NewDocument();
    Ref first = AddPage(document.get());
    Ref second = AddPage(document.get());
    Ref action = ActionFromJson(document.get(), GetParam());
    EXPECT_EQ(Json::parse(Describe(action.get())), Json::parse(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ActionJsonRoundTrip,
    testing::Values(
        R"({"type":"URI","uri":"https://example.org/a?b=1"})",
        R"({"type":"JavaScript","script":"app.alert(\"Gr\u00fc\u00dfe \u2713\");"})",
        R"({"type":"Hide","hide":false,"fields":["a","b.c","\u00e9"]})", R"({"type":"Hide","hide":true})",
        R"({"type":"GoTo","page":1})", R"({"type":"GoTo","dest":"chapter1"})",
        R"({"type":"Named","name":"NextPage"})", R"({"type":"Launch","file":"x.pdf"})",
        R"({"type":"SubmitForm","url":"https://example.org/submit","fields":["a"]})",
        R"({"type":"ResetForm"})", R"({"type":"ResetForm","fields":["a","b"]})",
        R"({"type":"ImportData","file":"x.fdf"})", R"({"type":"Sound"})", R"({"type":"Movie"})",
        R"({"type":"JavaScript","script":"1","next":{"type":"Named","name":"FirstPage"}})",
        R"({"type":"URI","uri":"u","next":[{"type":"Hide","hide":true,"next":[{"type":"ResetForm"}]},
                                                       {"type":"Movie"}]})"));

TEST(ActionJson, ChainsAreSeparateIndirectActionsInOrder) {
    Ref document = NewDocument();
    Ref action = ActionFromJson(document.get(), R"({"type":"JavaScript","script":"1","next":[
        {"type":"JavaScript","script":"2","next":{"type":"JavaScript","script":"3"}},
        {"type":"JavaScript","script":"4"}]})");
    std::uint32_t count = 0;
    ASSERT_EQ(PDActionGetNextLength(action.get(), &count), kPDOk);
    ASSERT_EQ(count, 2u);
    Ref second, third, fourth;
    ASSERT_EQ(PDActionGetNext(action.get(), 0, Out(second)), kPDOk);
    ASSERT_EQ(PDActionGetNext(action.get(), 1, Out(fourth)), kPDOk);
    ASSERT_EQ(PDActionGetNextLength(second.get(), &count), kPDOk);
    ASSERT_EQ(count, 1u);
    ASSERT_EQ(PDActionGetNext(second.get(), 0, Out(third)), kPDOk);
    EXPECT_EQ(Script(second.get()), L"2");
    EXPECT_EQ(Script(third.get()), L"3");
    EXPECT_EQ(Script(fourth.get()), L"4");
}

TEST(ActionJson, DescriptionStopsAtAnActionMetBefore) {
    QpdfDocument built;
    auto first = built.Indirect("<< /S /JavaScript /JS (1) >>");
    auto second = built.Indirect("<< /S /Named /N /NextPage >>");
    first.replaceKey("/Next", second);
    second.replaceKey("/Next", first);
    built.AddLinkTo(first);
    auto self = built.Indirect("<< /S /Movie >>");
    auto selfNext = QPDFObjectHandle::newArray();
    selfNext.appendItem(self);
    self.replaceKey("/Next", selfNext);
    built.AddLinkTo(self);
    built.AddLinkTo(built.Indirect("<< /S /Rendition /R 3 >>"));
    Ref document = built.Open();

    EXPECT_EQ(Json::parse(Describe(LinkAction(document.get(), 0).get())),
              Json::parse(R"({"type":"JavaScript","script":"1",
                              "next":{"type":"Named","name":"NextPage","next":{"loop":true}}})"));
    EXPECT_EQ(Json::parse(Describe(LinkAction(document.get(), 1).get())),
              Json::parse(R"({"type":"Movie","next":[{"loop":true}]})"));
    // A type the table does not know is described by its name alone.
    EXPECT_EQ(Describe(LinkAction(document.get(), 2).get()), R"({"type":"Rendition"})");
}

TEST(ActionJson, DescribesFilesFieldsAndDestinationsAsPdfWritesThem) {
    QpdfDocument built;
    auto field = built.Indirect("<< /T (child) >>");
    field.replaceKey("/Parent", built.Indirect("<< /T (group) >>"));
    auto hide = built.Indirect("<< /S /Hide /T [(plain) 7] >>");
    hide.getKey("/T").appendItem(field);
    built.AddLinkTo(hide);
    built.AddLinkTo(built.Indirect("<< /S /Hide /T (single) >>"));
    built.AddLinkTo(built.Indirect(
        "<< /S /Launch /F << /Type /Filespec /F (old.pdf) /UF <FEFF00E9002E007000640066> >> >>"));
    built.AddLinkTo(built.Indirect("<< /S /GoTo /D /Named >>"));
    auto goTo = built.Indirect("<< /S /GoTo >>");
    auto destination = QPDFObjectHandle::newArray();
    destination.appendItem(built.page);
    destination.appendItem(QPDFObjectHandle::newName("/XYZ"));
    goTo.replaceKey("/D", destination);
    built.AddLinkTo(goTo);
    Ref document = built.Open();

    auto described = [&document](std::uint32_t index) {
        return Json::parse(Describe(LinkAction(document.get(), index).get()));
    };
    EXPECT_EQ(described(0), Json::parse(R"({"type":"Hide","hide":true,"fields":["plain","group.child"]})"));
    EXPECT_EQ(described(1), Json::parse(R"({"type":"Hide","hide":true,"fields":["single"]})"));
    EXPECT_EQ(described(2), Json::parse(R"({"type":"Launch","file":"\u00e9.pdf"})"));
    EXPECT_EQ(described(3), Json::parse(R"({"type":"GoTo","dest":"Named"})"));
    EXPECT_EQ(described(4), Json::parse(R"({"type":"GoTo","page":0})"));
}

struct RefusedCase {
    const char* json;
    const char* message; // a part of the last error
};

void PrintTo(const RefusedCase& refused, std::ostream* out) {
    *out << refused.json;
}

class ActionJsonRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(ActionJsonRefused, NamesWhatIsWrong) {
    Ref document = NewDocument();
    Ref page = AddPage(document.get());
    Ref action;
    EXPECT_EQ(PDActionCreateFromJson(document.get(), GetParam().json, Out(action)), kPDInvalidArgument);
    EXPECT_EQ(action, nullptr);
    EXPECT_NE(LastError().find(GetParam().message), std::string::npos) << LastError();
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ActionJsonRefused,
    testing::Values(
        RefusedCase{"{\"type\":", "not valid JSON"}, RefusedCase{"[]", "action: an action is a JSON object"},
        RefusedCase{R"({"uri":"x"})", R"(action: "type" must be a string)"},
        RefusedCase{R"({"type":"Rendition"})", R"(action.type: "Rendition" is not an action type)"},
        RefusedCase{R"({"type":"URI"})", R"(action: "uri" must be a string)"},
        RefusedCase{R"({"type":"URI","uri":"x","script":"y"})", R"(a URI action takes no "script")"},
        RefusedCase{R"({"type":"GoTo","page":1})", "action.page: a page index below 1"},
        RefusedCase{R"({"type":"GoTo","page":-1})", "action.page"},
        RefusedCase{R"({"type":"GoTo"})", R"(either "page" or "dest")"},
        RefusedCase{R"({"type":"Hide","hide":"yes"})", "action.hide: a boolean"},
        RefusedCase{R"({"type":"Hide","fields":"a"})", "action.fields: an array"},
        RefusedCase{R"({"type":"Hide","fields":["a",1]})", "action.fields: a field name"},
        RefusedCase{R"({"type":"URI","uri":"x","next":[{"type":"Movie"},{"type":"Bogus"}]})",
                    "action.next[1].type"},
        RefusedCase{R"({"type":"URI","uri":"x","next":5})", "action.next: an action or an array"}));

TEST(ActionJson, RefusesChainsDeeperThanAnyRealOne) {
    std::string deep = R"({"type":"Movie"})";
    for (int level = 0; level < 300; ++level)
        deep = R"({"type":"Movie","next":)" + deep + "}";
    Ref document = NewDocument();
    Ref action;
    EXPECT_EQ(PDActionCreateFromJson(document.get(), deep.c_str(), Out(action)), kPDInvalidArgument);
    EXPECT_NE(LastError().find("deeper than"), std::string::npos) << LastError();
}

} // namespace
