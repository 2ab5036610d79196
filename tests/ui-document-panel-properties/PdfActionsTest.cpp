// What the action editors read from PDF actions: the summary of a chain as a real file holds it,
// loops included, the hide action's two names, the fields of a page's widgets, and the command's
// references.
#include "ui-document-panel-properties/PdfActions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using panel::PdfRef;
namespace pdf = panel::pdf;

// A file as a writer left it: no cross-reference table, so the library rebuilds it, as it does for
// damaged files.
constexpr const char* kChainFile = R"(%PDF-1.7
1 0 obj << /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [9 0 R 10 0 R] >> >> endobj
2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj
3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [4 0 R 11 0 R 12 0 R 13 0 R] >> endobj
4 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A 5 0 R >> endobj
5 0 obj << /S /GoTo /D [3 0 R /Fit] /Next [6 0 R 8 0 R] >> endobj
6 0 obj << /S /JavaScript /JS (app.alert\(1\)) /Next 7 0 R >> endobj
7 0 obj << /S /Hide /H false /T (Total) /Next 5 0 R >> endobj
8 0 obj << /S /URI /URI (https://example.org) /Next 14 0 R >> endobj
9 0 obj << /T (Name) /FT /Tx >> endobj
10 0 obj << /T (address) /Kids [13 0 R] >> endobj
11 0 obj << /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /Parent 9 0 R >> endobj
12 0 obj << /Type /Annot /Subtype /Text /Rect [0 0 10 10] >> endobj
13 0 obj << /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /T (zip) /FT /Tx /Parent 10 0 R >> endobj
14 0 obj << /S /Rendition >> endobj
trailer << /Root 1 0 R >>
%%EOF
)";

class PdfActions : public testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("pdf-actions-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".pdf");
        std::ofstream(path_) << kChainFile;
        PDHandle document = nullptr;
        ASSERT_EQ(PDDocOpen(path_.string().c_str(), &document), kPDOk);
        document_ = PdfRef::Adopt(document);
        PDHandle page = nullptr;
        ASSERT_EQ(PDDocGetPage(document, 0, &page), kPDOk);
        page_ = PdfRef::Adopt(page);
    }
    void TearDown() override { std::filesystem::remove(path_); }

    PdfRef ActionOfAnnot(std::uint32_t index) {
        PDHandle annot = nullptr;
        EXPECT_EQ(PDPageGetAnnot(page_.Get(), index, &annot), kPDOk);
        const PdfRef held = PdfRef::Adopt(annot);
        PDHandle action = nullptr;
        EXPECT_EQ(PDAnnotGetAction(annot, &action), kPDOk);
        return PdfRef::Adopt(action);
    }

    std::filesystem::path path_;
    PdfRef document_;
    PdfRef page_;
};

TEST_F(PdfActions, AChainIsSummedUpDepthFirstAndALoopStopsWhereItComesBack) {
    const PdfRef first = ActionOfAnnot(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(pdf::ActionSummary(first.Get()),
              L"Go to a page, Run JavaScript, Show a field, \u2026, Open a web link, Unknown action");
    EXPECT_EQ(pdf::ActionSummary(nullptr), L"");
}

TEST_F(PdfActions, NamesTellHidingFromShowingAndScriptsAreRead) {
    const PdfRef first = ActionOfAnnot(0);
    PDHandle script = nullptr;
    ASSERT_EQ(PDActionGetNext(first.Get(), 0, &script), kPDOk);
    const PdfRef heldScript = PdfRef::Adopt(script);
    EXPECT_EQ(pdf::ScriptOf(script), L"app.alert(1)");
    EXPECT_EQ(pdf::ScriptOf(first.Get()), L"") << "not a script action";
    PDHandle hide = nullptr;
    ASSERT_EQ(PDActionGetNext(script, 0, &hide), kPDOk);
    const PdfRef heldHide = PdfRef::Adopt(hide);
    EXPECT_EQ(pdf::ActionName(hide), L"Show a field");
    EXPECT_EQ(pdf::ActionName(nullptr), L"Unknown action");
}

TEST_F(PdfActions, TheFieldsOfAPagesWidgetsAreListedInAnnotationOrderByQualifiedName) {
    EXPECT_EQ(pdf::WidgetFieldNames(page_.Get()), L"Name,address.zip");
    EXPECT_EQ(pdf::WidgetFieldNames(nullptr), L"");
}

TEST_F(PdfActions, AReferenceIsTakenOnSharingAndGivenBackOnce) {
    const PdfRef first = ActionOfAnnot(0);
    PDHandle raw = first.Get();
    {
        PdfRef copy = first;
        PdfRef moved = std::move(copy);
        EXPECT_EQ(moved.Get(), raw);
        EXPECT_FALSE(copy);
    }
    // Still one reference of ours: the handle works, and one release ends it.
    std::int32_t type = 0;
    EXPECT_EQ(PDActionGetType(raw, &type), kPDOk);
    EXPECT_EQ(type, kPDActionGoTo);
}

} // namespace
