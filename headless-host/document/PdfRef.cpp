#include "headless-host/document/PdfRef.h"

#include <cassert>
#include <vector>

namespace headless {

namespace {

// The library's two-call pattern: the length first, then the text.
template <class Char, class Read>
std::basic_string<Char> ReadText(Read read) {
    std::uint32_t length = 0;
    CheckPdf(read(static_cast<Char*>(nullptr), &length));
    std::vector<Char> buffer(std::size_t(length) + 1);
    length = std::uint32_t(buffer.size());
    CheckPdf(read(buffer.data(), &length));
    return std::basic_string<Char>(buffer.data(), length);
}

} // namespace

std::string PdfLastError() {
    // Not through ReadText: a failure here must not ask for the last error again.
    std::uint32_t length = 0;
    if (PDGetLastError(nullptr, &length) != kPDOk)
        return "the PDF core library failed";
    std::string text(std::size_t(length) + 1, '\0');
    length = std::uint32_t(text.size());
    if (PDGetLastError(text.data(), &length) != kPDOk)
        return "the PDF core library failed";
    text.resize(length);
    return text;
}

void CheckPdf(PDStatus status) {
    if (status != kPDOk)
        throw PdfCoreError(status, PdfLastError());
}

PdfRef PdfRef::Share(PDHandle handle) {
    if (handle != nullptr)
        CheckPdf(PDHandleAcquire(handle));
    return PdfRef(handle);
}

PdfRef::PdfRef(const PdfRef& other) : handle_(other.handle_) {
    if (handle_ != nullptr) {
        [[maybe_unused]] PDStatus status = PDHandleAcquire(handle_);
        assert(status == kPDOk && "a held handle is always known to the library");
    }
}

void PdfRef::Reset() {
    if (PDHandle handle = std::exchange(handle_, nullptr)) {
        [[maybe_unused]] PDStatus status = PDHandleRelease(handle);
        assert(status == kPDOk && "a held handle is always known to the library");
    }
}

bool SamePdfObject(PDHandle first, PDHandle second) {
    if (first == nullptr || second == nullptr)
        return first == second;
    std::uint8_t same = 0;
    CheckPdf(PDHandleIsSameObject(first, second, &same));
    return same != 0;
}

PdfRef PdfDocumentOf(PDHandle handle) {
    PdfRef document;
    CheckPdf(PDHandleGetDocument(handle, document.Put()));
    return document;
}

std::string DescribePdfAction(PDHandle action) {
    return ReadText<char>(
        [action](char* buffer, std::uint32_t* length) { return PDActionDescribe(action, buffer, length); });
}

std::int32_t PdfActionType(PDHandle action) {
    std::int32_t type = kPDTypeUnknown;
    CheckPdf(PDActionGetType(action, &type));
    return type;
}

std::wstring PdfActionScript(PDHandle action) {
    return ReadText<wchar_t>([action](wchar_t* buffer, std::uint32_t* length) {
        return PDActionJavaScriptGetScript(action, buffer, length);
    });
}

std::uint32_t PdfActionNextCount(PDHandle action) {
    std::uint32_t count = 0;
    CheckPdf(PDActionGetNextLength(action, &count));
    return count;
}

} // namespace headless
