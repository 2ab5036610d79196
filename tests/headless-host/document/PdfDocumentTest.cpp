// The PDF document of a host document: its pages and the form fields' widgets, and the actions that
// property values hold as the panel reads, writes, merges and undoes them, as dumps show them, and
// as the widgets carry them; none of them outlives the document.
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/LimitedJsonParser.h"
#include "headless-host/document/PdfRef.h"
#include "headless-host/document/SampleDocument.h"
#include "headless-host/document/ValueForms.h"
#include "host/PdfCore.h"
#include "service-common/TextConversion.h"
#include "tests/headless-host/document/BusinessLogicFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using headless::PdfRef;
using testing_host::LastErrorMessage;
using testing_host::RawCall;

fs::path PdfActionsFile() {
    return fs::path(PP_SOURCE_DIR) / "tests/scenarios/documents/pdf-actions.json";
}

const std::vector<std::wstring> kMouseUp = {L"Events", L"Actions", L"Mouse Up"};

constexpr const char* kWelcomeChain = R"({"type":"GoTo","page":1,"next":[{"type":"JavaScript",)"
                                      R"("script":"app.alert(\"Welcome\");"},{"type":"URI",)"
                                      R"("uri":"https://example.org/forms"}]})";
constexpr const char* kHideTotal = R"({"type":"Hide","hide":true,"fields":["Total"]})";
constexpr const char* kShowNameAndCity = R"({"type":"Hide","hide":false,"fields":["Name","City"]})";

std::string FieldName(PDHandle field) {
    std::uint32_t length = 0;
    EXPECT_EQ(PDFieldGetName(field, nullptr, &length), kPDOk);
    std::wstring name(length + 1, L'\0');
    length = std::uint32_t(name.size());
    EXPECT_EQ(PDFieldGetName(field, name.data(), &length), kPDOk);
    name.resize(length);
    return so::Utf8FromWide(name);
}

// The qualified field names of each page's widgets, in the page's order.
std::vector<std::vector<std::string>> WidgetFieldsByPage(PDHandle document) {
    std::uint32_t pageCount = 0;
    EXPECT_EQ(PDDocGetPageCount(document, &pageCount), kPDOk);
    std::vector<std::vector<std::string>> pages(pageCount);
    for (std::uint32_t p = 0; p < pageCount; ++p) {
        PdfRef page;
        EXPECT_EQ(PDDocGetPage(document, p, page.Put()), kPDOk);
        std::uint32_t count = 0;
        EXPECT_EQ(PDPageGetNumAnnots(page.Get(), &count), kPDOk);
        for (std::uint32_t a = 0; a < count; ++a) {
            PdfRef annot;
            PdfRef field;
            EXPECT_EQ(PDPageGetAnnot(page.Get(), a, annot.Put()), kPDOk);
            EXPECT_EQ(PDWidgetAnnotGetParent(annot.Get(), field.Put()), kPDOk);
            pages[p].push_back(FieldName(field.Get()));
        }
    }
    return pages;
}

// Whether the library still knows the handle: a handle whose last reference went is refused.
bool IsLive(PDHandle handle) {
    if (PDHandleAcquire(handle) != kPDOk)
        return false;
    PDHandleRelease(handle);
    return true;
}

struct FieldsCase {
    const char* label;
    std::function<headless::DocumentModel()> load;
    std::vector<std::vector<std::string>> fields; // qualified names by page
};

class DocumentPdf : public testing::TestWithParam<FieldsCase> {};

// Every object with "field" has a widget on its page, in the order of the objects, and the object
// holds that same widget.
TEST_P(DocumentPdf, HasOnePagePerPageAndTheFieldsWidgetsInDocumentOrder) {
    headless::DocumentModel model = GetParam().load();
    ASSERT_TRUE(model.pdfDocument);
    EXPECT_EQ(WidgetFieldsByPage(model.pdfDocument.Get()), GetParam().fields);
    std::vector<std::uint32_t> seen(model.pageLabels.size(), 0);
    for (const auto& object : model.objects) {
        if (!object->widget)
            continue;
        PdfRef page;
        PdfRef annot;
        ASSERT_EQ(PDDocGetPage(model.pdfDocument.Get(), object->page, page.Put()), kPDOk);
        ASSERT_EQ(PDPageGetAnnot(page.Get(), seen[object->page]++, annot.Put()), kPDOk);
        EXPECT_TRUE(headless::SamePdfObject(annot.Get(), object->widget.Get()))
            << so::Utf8FromWide(object->name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DocumentPdf,
    testing::Values(
        FieldsCase{"Sample", &headless::LoadSampleDocument, {{"customer.name", "customer.city"}, {"agree"}}},
        FieldsCase{"PdfActions",
                   [] { return headless::LoadDocumentFile(PdfActionsFile()); },
                   {{"Name", "City", "Total", "address.zip.code"}, {}}}),
    [](const testing::TestParamInfo<FieldsCase>& info) { return std::string(info.param.label); });

class PdfActionsDocument : public testing_host::SampleDocumentTest {
public:
    void SetUp() override {
        SampleDocumentTest::SetUp();
        index = workspace->OpenFile(PdfActionsFile());
        workspace->Activate(index);
    }

    PDHandle Pdf() const { return workspace->Document(index).state->PdfDocument(); }
    std::string Shown(const std::wstring& object, const std::vector<std::wstring>& path) const {
        return workspace->PropertyValue(index, object, path);
    }
    PdfRef NewAction(PDHandle document, const char* json) {
        PdfRef action;
        EXPECT_EQ(PDActionCreateFromJson(document, json, action.Put()), kPDOk) << headless::PdfLastError();
        return action;
    }
    // The widget's activation action (/A) as the library describes it, "none" without one.
    std::string WidgetAction(const std::wstring& object) const {
        PdfRef action;
        EXPECT_EQ(PDAnnotGetAction(
                      headless::FindObject(workspace->Document(index).state->Model(), object)->widget.Get(),
                      action.Put()),
                  kPDOk);
        return action ? headless::DescribePdfAction(action.Get()) : "none";
    }

    std::size_t index = 0;
};

struct ShownCase {
    std::wstring object;
    std::vector<std::wstring> path;
    std::string shown;
};

class PdfActionsShown : public PdfActionsDocument, public testing::WithParamInterface<ShownCase> {};

// Dumps and `expect value` show what the file gave: an action as the library describes it, a script
// property's text, script or nothing.
TEST_P(PdfActionsShown, AsTheFileGaveIt) {
    EXPECT_EQ(Shown(GetParam().object, GetParam().path), GetParam().shown);
}

const std::vector<std::wstring> kCalculate = {L"Calculations", L"Calculate"};
std::vector<std::wstring> In(std::vector<std::wstring> groups, std::wstring name) {
    groups.push_back(std::move(name));
    return groups;
}

INSTANTIATE_TEST_SUITE_P(
    Values, PdfActionsShown,
    testing::Values(
        ShownCase{L"Name Field", kMouseUp, kWelcomeChain},
        ShownCase{L"Name Field", {L"Events", L"Actions", L"Mouse Up (read-only)"}, kWelcomeChain},
        ShownCase{L"City Field", kMouseUp, kHideTotal},
        ShownCase{
            L"City Field", {L"Events", L"Actions", L"On Blur"}, "<read error: The action cannot be read>"},
        ShownCase{L"Total Field", kMouseUp, kShowNameAndCity}, ShownCase{L"Zip Field", kMouseUp, "null"},
        ShownCase{L"Total Field", In(kCalculate, L"Custom Script"),
                  R"({"script":"event.value = this.getField(\"Name\").value.length;"})"},
        ShownCase{
            L"Total Field", In(kCalculate, L"Format Script"),
            R"({"action":{"type":"JavaScript","script":"AFNumber_Format(2);","next":{"type":"ResetForm",)"
            R"("fields":["City"]}}})"},
        ShownCase{L"Total Field", In(kCalculate, L"Calculated From (read-only)"), R"("Name, City")"},
        ShownCase{L"Total Field", In(kCalculate, L"Simplified Notation"), "null"},
        ShownCase{L"Total Field",
                  {L"Values", L"Value", L"Items"},
                  R"([["One","1"],["Two","2"],["<Three>","3"]])"}));

TEST_F(PdfActionsDocument, ReadActionsAreTheDocumentsOwnAndLent) {
    so::Ref mouseUp = Property(L"Name Field", kMouseUp);
    auto first = Read<host::PDActionDialogPropData>(mouseUp.Get());
    auto second = Read<host::PDActionDialogPropData>(mouseUp.Get());
    ASSERT_NE(first.action, nullptr);
    EXPECT_TRUE(headless::SamePdfObject(first.action, second.action));
    EXPECT_TRUE(headless::SamePdfObject(headless::PdfDocumentOf(first.action).Get(), Pdf()));
    EXPECT_EQ(headless::PdfActionType(first.action), kPDActionGoTo);
    EXPECT_EQ(headless::DescribePdfAction(first.action), kWelcomeChain);

    auto script = Read<host::JavaScriptActionDialogPropData>(
        Property(L"Total Field", In(kCalculate, L"Custom Script")).Get());
    ASSERT_NE(script.action, nullptr);
    EXPECT_FALSE(script.textSet);
    EXPECT_EQ(script.dialogKind, host::JavaScriptActionDialogPropData::kScriptEditor);
    EXPECT_EQ(headless::PdfActionScript(script.action),
              L"event.value = this.getField(\"Name\").value.length;");

    auto fields = Read<host::JavaScriptActionDialogPropData>(
        Property(L"Total Field", In(kCalculate, L"Calculated From")).Get());
    EXPECT_EQ(fields.action, nullptr);
    EXPECT_TRUE(fields.textSet);
    EXPECT_EQ(fields.text, L"Name, City");
    EXPECT_EQ(fields.dialogKind, host::JavaScriptActionDialogPropData::kFieldSelection);
}

// The write keeps a reference of the document's own: the writer's goes at once, and undo and redo
// still find both actions. The widget's /A follows every change; no action removes it.
TEST_F(PdfActionsDocument, WrittenActionIsKeptUndoneRedoneAndSetOnTheWidget) {
    EXPECT_EQ(WidgetAction(L"City Field"), kHideTotal);
    EXPECT_EQ(WidgetAction(L"Zip Field"), "none");
    so::Ref mouseUp = Property(L"City Field", kMouseUp);
    {
        PdfRef action = NewAction(Pdf(), R"({"type": "URI", "uri": "https://example.org/new"})");
        ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{action.Get()}), so::kOk)
            << LastErrorMessage();
    }
    const std::string written = R"({"type":"URI","uri":"https://example.org/new"})";
    EXPECT_EQ(Shown(L"City Field", kMouseUp), written);
    EXPECT_EQ(WidgetAction(L"City Field"), written);

    ASSERT_EQ(workspace->Undo(), so::kOk);
    EXPECT_EQ(Shown(L"City Field", kMouseUp), kHideTotal);
    EXPECT_EQ(WidgetAction(L"City Field"), kHideTotal);
    ASSERT_EQ(workspace->Redo(), so::kOk);
    EXPECT_EQ(Shown(L"City Field", kMouseUp), written);
    EXPECT_EQ(WidgetAction(L"City Field"), written);

    ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{}), so::kOk) << LastErrorMessage();
    EXPECT_EQ(Shown(L"City Field", kMouseUp), "null");
    EXPECT_EQ(WidgetAction(L"City Field"), "none");
    EXPECT_EQ(UndoCount(), 2u);
}

// Only the object's first action property is the widget's /A; its read-only copy does not touch it.
TEST_F(PdfActionsDocument, OnlyTheFirstActionPropertyIsTheWidgetsAction) {
    EXPECT_EQ(WidgetAction(L"Total Field"), kShowNameAndCity);
    auto model = headless::FindObject(workspace->Document(index).state->Model(), L"Total Field");
    auto copy = headless::FindProperty(*model, {L"Events", L"Actions", L"Mouse Up (read-only)"});
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->widget);
    EXPECT_TRUE(headless::FindProperty(*model, kMouseUp)->widget);
}

TEST_F(PdfActionsDocument, MixedSelectionReadsNoActionAndOneWriteGivesEveryObjectTheSameAction) {
    so::Ref mouseUp = Property(Context({L"Name Field", L"City Field"}).Get(), kMouseUp);
    std::uint8_t mixed = 0;
    so::Call<host::BLProperty::IsMixed>(mouseUp.Get(), &mixed);
    EXPECT_EQ(mixed, 1);
    EXPECT_EQ(Read<host::PDActionDialogPropData>(mouseUp.Get()).action, nullptr);

    PdfRef action = NewAction(Pdf(), R"({"type": "Named", "name": "FirstPage"})");
    ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{action.Get()}), so::kOk)
        << LastErrorMessage();
    so::Call<host::BLProperty::IsMixed>(mouseUp.Get(), &mixed);
    EXPECT_EQ(mixed, 0);
    EXPECT_TRUE(
        headless::SamePdfObject(Read<host::PDActionDialogPropData>(mouseUp.Get()).action, action.Get()));
    EXPECT_EQ(WidgetAction(L"Name Field"), WidgetAction(L"City Field"));

    ASSERT_EQ(workspace->Undo(), so::kOk);
    EXPECT_EQ(Shown(L"Name Field", kMouseUp), kWelcomeChain);
    EXPECT_EQ(Shown(L"City Field", kMouseUp), kHideTotal);
}

// Every call of the library hands out a new handle: one of the same action is the value it was.
TEST_F(PdfActionsDocument, WriteOfAnotherHandleOfTheSameActionLeavesNoStep) {
    PdfRef sameAction;
    ASSERT_EQ(
        PDAnnotGetAction(
            headless::FindObject(workspace->Document(index).state->Model(), L"Name Field")->widget.Get(),
            sameAction.Put()),
        kPDOk);
    so::Ref mouseUp = Property(L"Name Field", kMouseUp);
    ASSERT_NE(sameAction.Get(), Read<host::PDActionDialogPropData>(mouseUp.Get()).action);
    ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{sameAction.Get()}), so::kOk)
        << LastErrorMessage();
    EXPECT_EQ(UndoCount(), 0u);
    EXPECT_EQ(workspace->PropertyWrites(index, L"Name Field", kMouseUp), 1u);
}

// Equal descriptions are not the same action: only the same PDF object is.
TEST_F(PdfActionsDocument, ActionsOfEqualDescriptionsStillDiffer) {
    so::Ref mouseUp = Property(Context({L"Name Field", L"City Field"}).Get(), kMouseUp);
    PdfRef action = NewAction(Pdf(), R"({"type": "Named", "name": "FirstPage"})");
    ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{action.Get()}), so::kOk)
        << LastErrorMessage();
    PdfRef twin = NewAction(Pdf(), R"({"type": "Named", "name": "FirstPage"})");
    ASSERT_EQ(Write(Property(L"City Field", kMouseUp).Get(), host::PDActionDialogPropData{twin.Get()}),
              so::kOk);
    std::uint8_t mixed = 0;
    so::Call<host::BLProperty::IsMixed>(
        Property(Context({L"Name Field", L"City Field"}).Get(), kMouseUp).Get(), &mixed);
    EXPECT_EQ(mixed, 1);
}

// A script property shows its text when it is set, else its script, else any other action whole.
TEST_F(PdfActionsDocument, ScriptPropertyShowsItsTextItsScriptOrItsAction) {
    const auto path = In(kCalculate, L"Calculated From");
    so::Ref property = Property(L"Total Field", path);
    auto record = Read<host::JavaScriptActionDialogPropData>(property.Get());

    PdfRef script;
    ASSERT_EQ(PDActionCreate(Pdf(), kPDActionJavaScript, script.Put(), L"AFSimple_Calculate(\"SUM\");"),
              kPDOk);
    record.action = script.Get();
    record.textSet = false;
    record.text.clear();
    ASSERT_EQ(Write(property.Get(), record), so::kOk) << LastErrorMessage();
    EXPECT_EQ(Shown(L"Total Field", path), R"({"script":"AFSimple_Calculate(\"SUM\");"})");

    PdfRef chain =
        NewAction(Pdf(), R"({"type": "JavaScript", "script": "a();", "next": {"type": "ResetForm"}})");
    record.action = chain.Get();
    ASSERT_EQ(Write(property.Get(), record), so::kOk) << LastErrorMessage();
    EXPECT_EQ(Shown(L"Total Field", path),
              R"({"action":{"type":"JavaScript","script":"a();","next":{"type":"ResetForm"}}})");

    record.text = L"Name";
    record.textSet = true;
    ASSERT_EQ(Write(property.Get(), record), so::kOk) << LastErrorMessage();
    EXPECT_EQ(Shown(L"Total Field", path), R"("Name")");
    EXPECT_TRUE(headless::SamePdfObject(Read<host::JavaScriptActionDialogPropData>(property.Get()).action,
                                        chain.Get()));
}

// What a scenario's `set` does with a word: the property's form builds the action in the PDF document
// it names, or says that it names none.
TEST(PdfActionWords, BuildActionsInThePropertysPdfDocument) {
    headless::PropertyModel form;
    form.typeCode = std::uint32_t(host::PropertyType::JavaScriptActionDialog);
    form.kind = host::ValueKind::JavaScriptAction;
    const headless::StoredValue shape = headless::JavaScriptActionValue{
        {}, host::JavaScriptActionDialogPropData::kFieldSelection, L"old", true};
    auto value = [&](const std::string& word) {
        return headless::ValueFromJson(form, shape, headless::ValueJsonOfWord(form, word), "");
    };
    try {
        value(R"({"script": "a();"})");
        ADD_FAILURE() << "an action was built without a PDF document";
    } catch (const headless::JsonPathError& e) {
        EXPECT_EQ(e.Detail(), "there is no PDF document to build the action in");
    }

    ASSERT_EQ(PDDocCreate(form.pdfDocument.Put()), kPDOk);
    auto script = std::get<headless::JavaScriptActionValue>(value(R"({"script": "a();", "text": "b"})"));
    ASSERT_TRUE(script.action);
    EXPECT_TRUE(
        headless::SamePdfObject(headless::PdfDocumentOf(script.action.Get()).Get(), form.pdfDocument.Get()));
    EXPECT_EQ(headless::PdfActionScript(script.action.Get()), L"a();");
    EXPECT_EQ(script.text, L"b");
    EXPECT_EQ(script.dialogKind, host::JavaScriptActionDialogPropData::kFieldSelection);

    // A word that is no JSON object is the text, and the value holds nothing else.
    auto text = std::get<headless::JavaScriptActionValue>(value(R"({"script": "a();")"));
    EXPECT_FALSE(text.action);
    EXPECT_TRUE(text.textSet);
    EXPECT_EQ(text.text, L"{\"script\": \"a();\"");
    auto none = std::get<headless::JavaScriptActionValue>(value("null"));
    EXPECT_FALSE(none.action);
    EXPECT_FALSE(none.textSet);

    form.typeCode = std::uint32_t(host::PropertyType::PDActionDialog);
    form.kind = host::ValueKind::PDAction;
    auto action = std::get<headless::PdfActionValue>(headless::ValueFromJson(
        form, headless::PdfActionValue{},
        headless::ValueJsonOfWord(form, R"({"type": "Named", "name": "PrevPage"})"), ""));
    EXPECT_EQ(headless::ValueText(form.typeCode, action), R"({"type":"Named","name":"PrevPage"})");
}

struct RefusedAction {
    const char* label;
    std::vector<std::wstring> path; // of the Total Field
    // Makes the handle to write; may keep what must stay alive in `keep`.
    std::function<PDHandle(PdfActionsDocument&, std::vector<PdfRef>& keep)> handle;
    const char* message;
};

class PdfActionsRefused : public PdfActionsDocument, public testing::WithParamInterface<RefusedAction> {};

TEST_P(PdfActionsRefused, LeavesTheValueAndNamesWhy) {
    const RefusedAction& refused = GetParam();
    const std::string before = Shown(L"Total Field", refused.path);
    so::Ref property = Property(L"Total Field", refused.path);
    std::vector<PdfRef> keep;
    PDHandle handle = refused.handle(*this, keep);
    std::uint32_t kind = 0;
    so::Call<host::BLProperty::GetValueKind>(property.Get(), &kind);
    SOResult result = kind == std::uint32_t(host::ValueKind::PDAction)
                          ? Write(property.Get(), host::PDActionDialogPropData{handle})
                          : Write(property.Get(), host::JavaScriptActionDialogPropData{handle, 0, {}, false});
    EXPECT_EQ(result, so::kInvalidArgument);
    EXPECT_NE(LastErrorMessage().find(refused.message), std::string::npos) << LastErrorMessage();
    EXPECT_EQ(Shown(L"Total Field", refused.path), before);
    EXPECT_EQ(UndoCount(), 0u);
}

PDHandle ActionOfAnotherDocument(PdfActionsDocument& f, std::vector<PdfRef>& keep) {
    PdfRef other;
    EXPECT_EQ(PDDocCreate(other.Put()), kPDOk);
    keep.push_back(f.NewAction(other.Get(), R"({"type": "Named", "name": "NextPage"})"));
    keep.push_back(other);
    return keep.front().Get();
}

INSTANTIATE_TEST_SUITE_P(
    Handles, PdfActionsRefused,
    testing::Values(RefusedAction{"ActionOfAnotherDocument", kMouseUp, &ActionOfAnotherDocument,
                                  "the action belongs to another PDF document"},
                    RefusedAction{"ScriptOfAnotherDocument", In(kCalculate, L"Custom Script"),
                                  &ActionOfAnotherDocument, "the action belongs to another PDF document"},
                    RefusedAction{"Page", kMouseUp,
                                  [](PdfActionsDocument& f, std::vector<PdfRef>& keep) {
                                      keep.emplace_back();
                                      EXPECT_EQ(PDDocGetPage(f.Pdf(), 0, keep.back().Put()), kPDOk);
                                      return keep.back().Get();
                                  },
                                  "the handle is not an action (PDActionGetType: "},
                    RefusedAction{
                        "ReleasedHandle", kMouseUp,
                        [](PdfActionsDocument& f, std::vector<PdfRef>&) {
                            return f.NewAction(f.Pdf(), R"({"type": "ResetForm"})").Get();
                        },
                        "the action handle is not one the PDF core library knows (PDHandleAcquire: "}),
    [](const testing::TestParamInfo<RefusedAction>& info) { return std::string(info.param.label); });

// Reads lend, writes and steps hold their own references, and all of them go with the document.
TEST_F(PdfActionsDocument, NoActionOutlivesTheDocument) {
    std::vector<PDHandle> seen = {Pdf()};
    for (const auto* object : {L"Name Field", L"City Field", L"Total Field"})
        seen.push_back(Read<host::PDActionDialogPropData>(Property(object, kMouseUp).Get()).action);
    seen.push_back(Read<host::JavaScriptActionDialogPropData>(
                       Property(L"Total Field", In(kCalculate, L"Custom Script")).Get())
                       .action);
    so::Ref mouseUp = Property(L"City Field", kMouseUp);
    for (const char* json : {R"({"type": "Named", "name": "LastPage"})", R"({"type": "ResetForm"})"}) {
        PdfRef action = NewAction(Pdf(), json);
        ASSERT_EQ(Write(mouseUp.Get(), host::PDActionDialogPropData{action.Get()}), so::kOk);
        seen.push_back(action.Get());
    }
    ASSERT_EQ(workspace->Undo(), so::kOk); // one step to undo, one to redo: both hold actions
    mouseUp = so::Ref();
    for (PDHandle handle : seen)
        ASSERT_TRUE(IsLive(handle));

    workspace.reset();
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_FALSE(IsLive(seen[i])) << "handle " << i;
}

} // namespace
