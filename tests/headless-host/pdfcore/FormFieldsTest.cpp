// Pages, their annotations, widgets and the fields they belong to: read from a file and added
// through the library.
#include "tests/headless-host/pdfcore/PdfTestDocuments.h"

#include "host/PdfCore.h"

#include <qpdf/QPDFWriter.hh>

#include <vector>

namespace {

using namespace pdfcore_test;

std::int32_t Subtype(PDHandle annot) {
    std::int32_t subtype = -1;
    EXPECT_EQ(PDAnnotGetSubtype(annot, &subtype), kPDOk) << LastError();
    return subtype;
}

Ref FieldOf(PDHandle widget) {
    Ref field;
    EXPECT_EQ(PDWidgetAnnotGetParent(widget, Out(field)), kPDOk) << LastError();
    return field;
}

TEST(FormFields, AnnotationsInOrderWithTheirFieldsAndQualifiedNames) {
    QpdfDocument built;
    auto group = built.Indirect("<< /T (group) /Kids [] >>");
    auto kidField = built.Indirect("<< /T (kid) /Kids [] >>");
    kidField.replaceKey("/Parent", group);
    auto unnamed = built.Indirect("<< /Kids [] >>"); // adds nothing to the names below it
    unnamed.replaceKey("/Parent", kidField);

    built.AddLinkTo(built.Indirect("<< /S /URI /URI (x) >>"));
    built.AddAnnot(built.Indirect("<< /Type /Annot /Subtype /Widget /T (merged) /Rect [0 0 1 1] >>"));
    built.page.getKey("/Annots").appendItem(QPDFObjectHandle::newInteger(3)); // damage, skipped
    auto kidWidget = built.Indirect("<< /Type /Annot /Subtype /Widget /Rect [0 0 1 1] >>");
    kidWidget.replaceKey("/Parent", kidField);
    built.AddAnnot(kidWidget);
    auto mergedKid = built.Indirect("<< /Type /Annot /Subtype /Widget /T (deep) /Rect [0 0 1 1] >>");
    mergedKid.replaceKey("/Parent", unnamed);
    built.AddAnnot(mergedKid);
    built.AddAnnot(built.Indirect("<< /Type /Annot /Subtype /Text /Rect [0 0 1 1] >>"));
    Ref document = built.Open();

    Ref page;
    ASSERT_EQ(PDDocGetPage(document.get(), 0, Out(page)), kPDOk);
    std::uint32_t count = 0;
    ASSERT_EQ(PDPageGetNumAnnots(page.get(), &count), kPDOk);
    ASSERT_EQ(count, 5u);
    std::vector<Ref> annots(count);
    std::vector<std::int32_t> subtypes;
    for (std::uint32_t index = 0; index < count; ++index) {
        ASSERT_EQ(PDPageGetAnnot(page.get(), index, Out(annots[index])), kPDOk);
        subtypes.push_back(Subtype(annots[index].get()));
    }
    EXPECT_EQ(subtypes, (std::vector<std::int32_t>{kPDAnnotLink, kPDAnnotWidget, kPDAnnotWidget,
                                                   kPDAnnotWidget, kPDTypeUnknown}));
    Ref past;
    EXPECT_EQ(PDPageGetAnnot(page.get(), count, Out(past)), kPDOutOfRange);

    EXPECT_EQ(FieldName(FieldOf(annots[1].get()).get()), L"merged");
    EXPECT_EQ(FieldName(FieldOf(annots[2].get()).get()), L"group.kid");
    EXPECT_EQ(FieldName(FieldOf(annots[3].get()).get()), L"group.kid.deep");
    // The field of a merged widget is the widget: its own parent is the next field up.
    Ref deepField = FieldOf(annots[3].get());
    std::int32_t subtype = 0;
    EXPECT_EQ(PDAnnotGetSubtype(deepField.get(), &subtype), kPDOk);
    EXPECT_EQ(subtype, kPDAnnotWidget);

    Ref noField;
    EXPECT_EQ(PDWidgetAnnotGetParent(annots[0].get(), Out(noField)), kPDWrongKind);
    EXPECT_EQ(PDWidgetAnnotGetParent(annots[4].get(), Out(noField)), kPDWrongKind);
}

TEST(FormFields, WidgetWithoutFieldIsNotFound) {
    QpdfDocument built;
    built.AddAnnot(built.Indirect("<< /Type /Annot /Subtype /Widget /Rect [0 0 1 1] >>"));
    Ref document = built.Open();
    Ref page, widget, field;
    ASSERT_EQ(PDDocGetPage(document.get(), 0, Out(page)), kPDOk);
    ASSERT_EQ(PDPageGetAnnot(page.get(), 0, Out(widget)), kPDOk);
    EXPECT_EQ(PDWidgetAnnotGetParent(widget.get(), Out(field)), kPDNotFound);
    EXPECT_EQ(field, nullptr);
}

TEST(FormFields, ParentLoopEndsTheName) {
    QpdfDocument built;
    auto upper = built.Indirect("<< /T (upper) >>");
    auto lower = built.Indirect("<< /T (lower) >>");
    upper.replaceKey("/Parent", lower);
    lower.replaceKey("/Parent", upper);
    auto widget = built.Indirect("<< /Type /Annot /Subtype /Widget /Rect [0 0 1 1] >>");
    widget.replaceKey("/Parent", lower);
    built.AddAnnot(widget);
    Ref document = built.Open();

    Ref page, annot;
    ASSERT_EQ(PDDocGetPage(document.get(), 0, Out(page)), kPDOk);
    ASSERT_EQ(PDPageGetAnnot(page.get(), 0, Out(annot)), kPDOk);
    EXPECT_EQ(FieldName(FieldOf(annot.get()).get()), L"upper.lower");
}

TEST(FormFields, AddedWidgetsAreFieldsOfTheFormUnderTheirParents) {
    TemporaryFile file("widgets.pdf");
    {
        Ref document = NewDocument();
        Ref first = AddPage(document.get());
        Ref second = AddPage(document.get());
        Ref top, child, sibling, other;
        ASSERT_EQ(PDPageAddWidget(first.get(), "top", nullptr, Out(top)), kPDOk) << LastError();
        ASSERT_EQ(PDPageAddWidget(first.get(), "child", "group.sub", Out(child)), kPDOk) << LastError();
        ASSERT_EQ(PDPageAddWidget(second.get(), "sibling", "group.sub", Out(sibling)), kPDOk) << LastError();
        ASSERT_EQ(PDPageAddWidget(second.get(), "\xC3\xA9t\xC3\xA9", "group", Out(other)), kPDOk)
            << LastError();

        EXPECT_EQ(Subtype(top.get()), kPDAnnotWidget);
        EXPECT_EQ(FieldName(FieldOf(top.get()).get()), L"top");
        EXPECT_EQ(FieldName(FieldOf(child.get()).get()), L"group.sub.child");
        EXPECT_EQ(FieldName(FieldOf(sibling.get()).get()), L"group.sub.sibling");
        EXPECT_EQ(FieldName(FieldOf(other.get()).get()), L"group.\u00E9t\u00E9");

        std::uint32_t count = 0;
        ASSERT_EQ(PDPageGetNumAnnots(second.get(), &count), kPDOk);
        EXPECT_EQ(count, 2u);

        Ref refused;
        EXPECT_EQ(PDPageAddWidget(first.get(), "child", "group.sub", Out(refused)), kPDInvalidArgument);
        EXPECT_NE(LastError().find("\"group.sub.child\" exists"), std::string::npos) << LastError();
        EXPECT_EQ(PDPageAddWidget(first.get(), "a.b", nullptr, Out(refused)), kPDInvalidArgument);
        EXPECT_EQ(PDPageAddWidget(first.get(), "", nullptr, Out(refused)), kPDInvalidArgument);
        EXPECT_EQ(PDPageAddWidget(first.get(), "x", "group..sub", Out(refused)), kPDInvalidArgument);
        EXPECT_EQ(PDPageAddWidget(first.get(), nullptr, nullptr, Out(refused)), kPDInvalidArgument);
        EXPECT_EQ(PDPageAddWidget(document.get(), "x", nullptr, Out(refused)), kPDWrongKind);
        EXPECT_EQ(refused, nullptr);
        ASSERT_EQ(PDDocSave(document.get(), file.Path().c_str()), kPDOk) << LastError();
    }

    // The form as another reader sees it: the top-level fields, and each field's kids.
    QPDF saved;
    saved.processFile(file.Path().c_str());
    auto fields = saved.getRoot().getKey("/AcroForm").getKey("/Fields");
    ASSERT_EQ(fields.getArrayNItems(), 2);
    EXPECT_EQ(fields.getArrayItem(0).getKey("/T").getUTF8Value(), "top");
    auto group = fields.getArrayItem(1);
    EXPECT_EQ(group.getKey("/T").getUTF8Value(), "group");
    ASSERT_EQ(group.getKey("/Kids").getArrayNItems(), 2);
    auto sub = group.getKey("/Kids").getArrayItem(0);
    EXPECT_TRUE(sub.getKey("/Parent").isSameObjectAs(group));
    ASSERT_EQ(sub.getKey("/Kids").getArrayNItems(), 2);
    auto child = sub.getKey("/Kids").getArrayItem(0);
    EXPECT_EQ(child.getKey("/T").getUTF8Value(), "child");
    EXPECT_TRUE(child.getKey("/Parent").isSameObjectAs(sub));
    QPDFObjectHandle firstPage = saved.getAllPages().at(0);
    EXPECT_TRUE(child.getKey("/P").isSameObjectAs(firstPage));
    EXPECT_TRUE(firstPage.getKey("/Annots").getArrayItem(1).isSameObjectAs(child));
}

TEST(FormFields, WidgetActionsAreSetReadAndRemoved) {
    Ref document = NewDocument();
    Ref page = AddPage(document.get());
    Ref widget;
    ASSERT_EQ(PDPageAddWidget(page.get(), "button", nullptr, Out(widget)), kPDOk);
    Ref none;
    ASSERT_EQ(PDAnnotGetAction(widget.get(), Out(none)), kPDOk);
    EXPECT_EQ(none, nullptr);

    {
        Ref action = ActionFromJson(document.get(), R"({"type":"Named","name":"PrevPage"})");
        ASSERT_EQ(PDAnnotSetAction(widget.get(), action.get()), kPDOk);
    }
    // The action stays in the document when its handle goes.
    Ref action;
    ASSERT_EQ(PDAnnotGetAction(widget.get(), Out(action)), kPDOk);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(Describe(action.get()), R"({"type":"Named","name":"PrevPage"})");

    Ref otherDocument = NewDocument();
    Ref foreign = ActionFromJson(otherDocument.get(), R"({"type":"Movie"})");
    EXPECT_EQ(PDAnnotSetAction(widget.get(), foreign.get()), kPDInvalidArgument);
    EXPECT_EQ(PDAnnotSetAction(widget.get(), page.get()), kPDWrongKind); // a page is no action

    ASSERT_EQ(PDAnnotSetAction(widget.get(), nullptr), kPDOk);
    Ref removed;
    ASSERT_EQ(PDAnnotGetAction(widget.get(), Out(removed)), kPDOk);
    EXPECT_EQ(removed, nullptr);
}

} // namespace
