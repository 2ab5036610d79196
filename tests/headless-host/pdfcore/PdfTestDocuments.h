// What the PDF core tests share: owned handles, text read through the two-call pattern, and
// documents made with qpdf itself and opened through the library, so that the library reads
// objects it did not build.
#pragma once

#include "host/PdfCore.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace pdfcore_test {

struct HandleReleaser {
    void operator()(void* handle) const { EXPECT_EQ(PDHandleRelease(handle), kPDOk); }
};
// One reference, released when it goes.
using Ref = std::unique_ptr<std::remove_pointer_t<PDHandle>, HandleReleaser>;

// Takes the reference a function handed out through `out` when it returned kPDOk.
class Out {
public:
    explicit Out(Ref& target) : target_(target) {}
    ~Out() { target_.reset(handle_); }
    operator PDHandle*() { return &handle_; }

private:
    Ref& target_;
    PDHandle handle_ = nullptr;
};

Ref NewDocument();
Ref AddPage(PDHandle document);
Ref ActionFromJson(PDHandle document, std::string_view json);

std::wstring FieldName(PDHandle field);
std::wstring Script(PDHandle action);
std::string Describe(PDHandle action);
std::int32_t ActionType(PDHandle action);
std::string LastError();

// A unique file name under the test's temporary folder, removed when the object goes.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string_view name);
    ~TemporaryFile();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A document built with qpdf: one page whose annotations the tests add, written out and opened
// with PDDocOpen.
class QpdfDocument {
public:
    QpdfDocument();

    QPDFObjectHandle Indirect(std::string_view pdfText);
    // Puts `action` as the /A of a new link annotation on the page.
    void AddLinkTo(QPDFObjectHandle action);
    void AddAnnot(QPDFObjectHandle annot);
    // Writes the document as built (streams as they were given) and opens it through the library.
    Ref Open();

    QPDF pdf;
    QPDFObjectHandle page;

private:
    TemporaryFile file_;
};

// The action of annotation `index` on the first page of `document`.
Ref LinkAction(PDHandle document, std::uint32_t index);
// A Flate-compressed stream of `data`.
QPDFObjectHandle FlateStream(QPDF& pdf, const std::string& data);

} // namespace pdfcore_test
