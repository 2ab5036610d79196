// Reading actions: their types, the Hide flag, the chain of /Next, JavaScript scripts, and the
// JavaScript actions the library creates.
#include "tests/headless-host/pdfcore/PdfTestDocuments.h"

#include "host/PdfCore.h"
#include "host/ValueRecords.h"

#include <qpdf/QPDFWriter.hh>

#include <vector>

namespace {

using namespace pdfcore_test;
using namespace std::string_literals;

static_assert(std::is_same_v<host::PdfActionHandle, PDHandle>,
              "an action handle of the value records is a PDHandle");

struct TypeCase {
    const char* name;
    std::int32_t type;
    const char* json;
};

void PrintTo(const TypeCase& typeCase, std::ostream* out) {
    *out << typeCase.name;
}

class ActionTypes : public testing::TestWithParam<TypeCase> {};

TEST_P(ActionTypes, ReadFromTheFileAndFromTheBuilder) {
    QpdfDocument built;
    auto action = built.Indirect("<< /Type /Action >>");
    action.replaceKey("/S", QPDFObjectHandle::newName(std::string("/") + GetParam().name));
    built.AddLinkTo(action);
    Ref document = built.Open();
    EXPECT_EQ(ActionType(LinkAction(document.get(), 0).get()), GetParam().type);

    Ref fromJson = ActionFromJson(document.get(), GetParam().json);
    EXPECT_EQ(ActionType(fromJson.get()), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, ActionTypes,
    testing::Values(TypeCase{"GoTo", 235, R"({"type":"GoTo","page":0})"},
                    TypeCase{"Launch", 289, R"({"type":"Launch","file":"x.pdf"})"},
                    TypeCase{"URI", 550, R"({"type":"URI","uri":"https://example.org/"})"},
                    TypeCase{"Sound", 479, R"({"type":"Sound"})"},
                    TypeCase{"Movie", 331, R"({"type":"Movie"})"},
                    TypeCase{"SubmitForm", 498, R"({"type":"SubmitForm","url":"https://example.org/s"})"},
                    TypeCase{"ResetForm", 445, R"({"type":"ResetForm"})"},
                    TypeCase{"ImportData", 261, R"({"type":"ImportData","file":"x.fdf"})"},
                    TypeCase{"JavaScript", 275, R"({"type":"JavaScript","script":"1"})"},
                    TypeCase{"Named", 337, R"({"type":"Named","name":"NextPage"})"},
                    TypeCase{"Hide", 246, R"({"type":"Hide"})"}),
    [](const testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST(Actions, UnknownTypeIsZeroAndNoTypeIsNotAnAction) {
    QpdfDocument built;
    built.AddLinkTo(built.Indirect("<< /S /Rendition >>"));
    built.AddLinkTo(built.Indirect("<< /S /Widget >>")); // an annotation's name, not an action's
    built.AddLinkTo(built.Indirect("<< /Type /Action /URI (x) >>"));
    Ref document = built.Open();

    EXPECT_EQ(ActionType(LinkAction(document.get(), 0).get()), kPDTypeUnknown);
    EXPECT_EQ(ActionType(LinkAction(document.get(), 1).get()), kPDTypeUnknown);
    std::int32_t type = 7;
    EXPECT_EQ(PDActionGetType(LinkAction(document.get(), 2).get(), &type), kPDWrongKind);
    EXPECT_EQ(type, 7);
}

TEST(Actions, HideFlagDefaultsToHiding) {
    QpdfDocument built;
    built.AddLinkTo(built.Indirect("<< /S /Hide /T (a) >>"));
    built.AddLinkTo(built.Indirect("<< /S /Hide /T (a) /H false >>"));
    built.AddLinkTo(built.Indirect("<< /S /Hide /T (a) /H true >>"));
    built.AddLinkTo(built.Indirect("<< /S /URI /URI (x) /H false >>"));
    Ref document = built.Open();

    auto hiding = [](PDHandle action) {
        std::uint8_t flag = 9;
        EXPECT_EQ(PDActionHideIsHiding(action, &flag), kPDOk) << LastError();
        return flag;
    };
    EXPECT_EQ(hiding(LinkAction(document.get(), 0).get()), 1);
    EXPECT_EQ(hiding(LinkAction(document.get(), 1).get()), 0);
    EXPECT_EQ(hiding(LinkAction(document.get(), 2).get()), 1);
    std::uint8_t flag = 9;
    EXPECT_EQ(PDActionHideIsHiding(LinkAction(document.get(), 3).get(), &flag), kPDWrongKind);

    EXPECT_EQ(hiding(ActionFromJson(document.get(), R"({"type":"Hide"})").get()), 1);
    EXPECT_EQ(hiding(ActionFromJson(document.get(), R"({"type":"Hide","hide":false})").get()), 0);
    EXPECT_EQ(hiding(ActionFromJson(document.get(), R"({"type":"Hide","hide":true})").get()), 1);
}

// The chain in depth-first order, each action named by its script.
void CollectScripts(PDHandle action, std::vector<std::wstring>& scripts) {
    scripts.push_back(Script(action));
    std::uint32_t count = 0;
    ASSERT_EQ(PDActionGetNextLength(action, &count), kPDOk);
    for (std::uint32_t index = 0; index < count; ++index) {
        Ref next;
        ASSERT_EQ(PDActionGetNext(action, index, Out(next)), kPDOk) << LastError();
        CollectScripts(next.get(), scripts);
    }
}

TEST(Actions, NextIsOneDictionaryOrAnArrayWalkedDepthFirst) {
    QpdfDocument built;
    auto script = [&built](const char* text) {
        return built.Indirect(std::string("<< /S /JavaScript /JS (") + text + ") >>");
    };
    auto first = script("1"), second = script("2"), third = script("3"), fourth = script("4");
    // first -> [second -> third, 42 (not an action), fourth]
    second.replaceKey("/Next", third);
    auto next = QPDFObjectHandle::newArray();
    next.appendItem(second);
    next.appendItem(QPDFObjectHandle::newInteger(42));
    next.appendItem(fourth);
    first.replaceKey("/Next", next);
    built.AddLinkTo(first);
    Ref document = built.Open();

    Ref action = LinkAction(document.get(), 0);
    std::vector<std::wstring> scripts;
    CollectScripts(action.get(), scripts);
    EXPECT_EQ(scripts, (std::vector<std::wstring>{L"1", L"2", L"3", L"4"}));

    std::uint32_t count = 0;
    ASSERT_EQ(PDActionGetNextLength(action.get(), &count), kPDOk);
    EXPECT_EQ(count, 2u);
    Ref past;
    EXPECT_EQ(PDActionGetNext(action.get(), 2, Out(past)), kPDOutOfRange);
    EXPECT_EQ(past, nullptr);
}

TEST(Actions, ScriptsAsPdfDocEncodingUtf16AndCompressedStreams) {
    QpdfDocument built;
    // PDFDocEncoding 0x80 is a bullet, 0xA0 the euro sign: not Latin-1.
    auto docEncoded = built.Indirect("<< /S /JavaScript >>");
    docEncoded.replaceKey("/JS", QPDFObjectHandle::newString("a\x80"
                                                             "b\xA0"));
    built.AddLinkTo(docEncoded);
    auto utf16 = built.Indirect("<< /S /JavaScript >>");
    utf16.replaceKey("/JS",
                     QPDFObjectHandle::newUnicodeString("app.alert('\xE4\xB8\xAD \xF0\x9F\x98\x80');"));
    ASSERT_EQ(utf16.getKey("/JS").getStringValue().substr(0, 2), "\xFE\xFF");
    built.AddLinkTo(utf16);
    auto stream = built.Indirect("<< /S /JavaScript >>");
    stream.replaceKey("/JS", FlateStream(built.pdf, "\xFE\xFF\x00x\x00=\x00\xE9"s));
    built.AddLinkTo(stream);
    auto utf8 = built.Indirect("<< /S /JavaScript >>");
    utf8.replaceKey("/JS", QPDFObjectHandle::newString("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9"));
    built.AddLinkTo(utf8);
    built.AddLinkTo(built.Indirect("<< /S /JavaScript >>"));
    Ref document = built.Open();

    EXPECT_EQ(Script(LinkAction(document.get(), 0).get()), L"a\u2022b\u20AC");
    EXPECT_EQ(Script(LinkAction(document.get(), 1).get()), L"app.alert('\u4E2D \U0001F600');");
    EXPECT_EQ(Script(LinkAction(document.get(), 2).get()), L"x=\u00E9");
    EXPECT_EQ(Script(LinkAction(document.get(), 3).get()), L"\u00E9t\u00E9");
    EXPECT_EQ(Script(LinkAction(document.get(), 4).get()), L"");
}

TEST(Actions, ScriptOfAnotherActionIsWrongKind) {
    Ref document = NewDocument();
    Ref uri = ActionFromJson(document.get(), R"({"type":"URI","uri":"x"})");
    std::uint32_t length = 0;
    EXPECT_EQ(PDActionJavaScriptGetScript(uri.get(), nullptr, &length), kPDWrongKind);
    EXPECT_NE(LastError().find("URI action"), std::string::npos) << LastError();
}

TEST(Actions, CreateMakesAnIndirectJavaScriptActionOfThatDocument) {
    TemporaryFile file("created.pdf");
    {
        Ref document = NewDocument();
        Ref page = AddPage(document.get());
        Ref latin, wide, empty;
        ASSERT_EQ(PDActionCreate(document.get(), kPDActionJavaScript, Out(latin), L"caf\u00E9()"), kPDOk);
        ASSERT_EQ(PDActionCreate(document.get(), kPDActionJavaScript, Out(wide), L"\u4E2D\U0001F600"), kPDOk);
        ASSERT_EQ(PDActionCreate(document.get(), kPDActionJavaScript, Out(empty), nullptr), kPDOk);
        EXPECT_EQ(ActionType(latin.get()), kPDActionJavaScript);
        EXPECT_EQ(Script(latin.get()), L"caf\u00E9()");
        EXPECT_EQ(Script(wide.get()), L"\u4E2D\U0001F600");
        EXPECT_EQ(Script(empty.get()), L"");

        for (const char* name : {"latin", "wide"}) {
            Ref widget;
            ASSERT_EQ(PDPageAddWidget(page.get(), name, nullptr, Out(widget)), kPDOk) << LastError();
            ASSERT_EQ(PDAnnotSetAction(widget.get(), std::string(name) == "latin" ? latin.get() : wide.get()),
                      kPDOk);
        }
        ASSERT_EQ(PDDocSave(document.get(), file.Path().c_str()), kPDOk) << LastError();
    }

    QPDF saved;
    saved.processFile(file.Path().c_str());
    QPDFObjectHandle firstPage = saved.getAllPages().at(0);
    auto annots = firstPage.getKey("/Annots");
    ASSERT_EQ(annots.getArrayNItems(), 2);
    auto latin = annots.getArrayItem(0).getKey("/A");
    auto wide = annots.getArrayItem(1).getKey("/A");
    EXPECT_TRUE(latin.isIndirect());
    EXPECT_TRUE(wide.isIndirect());
    EXPECT_EQ(latin.getKey("/Type").getName(), "/Action");
    EXPECT_EQ(latin.getKey("/S").getName(), "/JavaScript");
    // Text that PDFDocEncoding holds is stored in it; other text as UTF-16BE behind a byte order mark.
    EXPECT_EQ(latin.getKey("/JS").getStringValue(), "caf\xE9()");
    EXPECT_EQ(wide.getKey("/JS").getStringValue(), "\xFE\xFF\x4E\x2D\xD8\x3D\xDE\x00"s);
}

TEST(Actions, CreateSupportsOnlyJavaScript) {
    Ref document = NewDocument();
    for (std::int32_t type : {kPDActionURI, kPDActionHide, kPDTypeUnknown, 12345}) {
        Ref action;
        EXPECT_EQ(PDActionCreate(document.get(), type, Out(action), L"x"), kPDNotSupported) << type;
        EXPECT_EQ(action, nullptr);
    }
    Ref page = AddPage(document.get());
    Ref action;
    EXPECT_EQ(PDActionCreate(page.get(), kPDActionJavaScript, Out(action), L"x"), kPDWrongKind);
}

} // namespace
