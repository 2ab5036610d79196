#include "tests/headless-host/pdfcore/PdfTestDocuments.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <unistd.h>

namespace pdfcore_test {

Ref NewDocument() {
    Ref document;
    EXPECT_EQ(PDDocCreate(Out(document)), kPDOk);
    return document;
}

Ref AddPage(PDHandle document) {
    Ref page;
    EXPECT_EQ(PDDocAddPage(document, Out(page)), kPDOk);
    return page;
}

Ref ActionFromJson(PDHandle document, std::string_view json) {
    Ref action;
    EXPECT_EQ(PDActionCreateFromJson(document, std::string(json).c_str(), Out(action)), kPDOk) << LastError();
    return action;
}

namespace {

template <class Char, class Get>
std::basic_string<Char> ReadText(Get get) {
    std::uint32_t length = 0;
    EXPECT_EQ(get(nullptr, &length), kPDOk) << LastError();
    std::basic_string<Char> text(length + 1, Char('?'));
    EXPECT_EQ(get(text.data(), &length), kPDOk) << LastError();
    text.resize(length);
    return text;
}

} // namespace

std::wstring FieldName(PDHandle field) {
    return ReadText<wchar_t>(
        [field](wchar_t* buffer, std::uint32_t* length) { return PDFieldGetName(field, buffer, length); });
}

std::wstring Script(PDHandle action) {
    return ReadText<wchar_t>([action](wchar_t* buffer, std::uint32_t* length) {
        return PDActionJavaScriptGetScript(action, buffer, length);
    });
}

std::string Describe(PDHandle action) {
    return ReadText<char>(
        [action](char* buffer, std::uint32_t* length) { return PDActionDescribe(action, buffer, length); });
}

std::int32_t ActionType(PDHandle action) {
    std::int32_t type = -1;
    EXPECT_EQ(PDActionGetType(action, &type), kPDOk) << LastError();
    return type;
}

std::string LastError() {
    std::uint32_t length = 0;
    if (PDGetLastError(nullptr, &length) != kPDOk)
        return "(no error text)";
    std::string text(length + 1, '\0');
    PDGetLastError(text.data(), &length);
    text.resize(length);
    return text;
}

TemporaryFile::TemporaryFile(std::string_view name) {
    static std::atomic<int> counter{0};
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string label = test != nullptr ? test->name() : "test";
    std::replace(label.begin(), label.end(), '/', '_'); // parameterised tests are named "Case/0"
    // Several builds of these tests may run at once on one machine.
    path_ = testing::TempDir() + "pdfcore-" + std::to_string(getpid()) + "-" + label + "-" +
            std::to_string(counter++) + "-" + std::string(name);
}

TemporaryFile::~TemporaryFile() {
    std::remove(path_.c_str());
}

QpdfDocument::QpdfDocument() : file_("qpdf.pdf") {
    pdf.emptyPDF();
    page = Indirect("<< /Type /Page /MediaBox [0 0 612 792] /Annots [] >>");
    pdf.addPage(page, false);
}

QPDFObjectHandle QpdfDocument::Indirect(std::string_view pdfText) {
    return pdf.makeIndirectObject(QPDFObjectHandle::parse(std::string(pdfText)));
}

void QpdfDocument::AddLinkTo(QPDFObjectHandle action) {
    auto link = Indirect("<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] >>");
    link.replaceKey("/A", action);
    AddAnnot(link);
}

void QpdfDocument::AddAnnot(QPDFObjectHandle annot) {
    page.getKey("/Annots").appendItem(annot);
}

Ref QpdfDocument::Open() {
    QPDFWriter writer(pdf, file_.Path().c_str());
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.write();
    Ref document;
    EXPECT_EQ(PDDocOpen(file_.Path().c_str(), Out(document)), kPDOk) << LastError();
    return document;
}

Ref LinkAction(PDHandle document, std::uint32_t index) {
    Ref page, annot, action;
    EXPECT_EQ(PDDocGetPage(document, 0, Out(page)), kPDOk) << LastError();
    EXPECT_EQ(PDPageGetAnnot(page.get(), index, Out(annot)), kPDOk) << LastError();
    EXPECT_EQ(PDAnnotGetAction(annot.get(), Out(action)), kPDOk) << LastError();
    return action;
}

QPDFObjectHandle FlateStream(QPDF& pdf, const std::string& data) {
    Pl_Buffer compressed("compressed");
    Pl_Flate flate("deflate", &compressed, Pl_Flate::a_deflate);
    flate.writeString(data);
    flate.finish();
    auto stream = pdf.newStream();
    stream.replaceStreamData(compressed.getBufferSharedPointer(), QPDFObjectHandle::newName("/FlateDecode"),
                             QPDFObjectHandle::newNull());
    return stream;
}

} // namespace pdfcore_test
