// Documents and the counted handles that carry them and their objects across the C interface, and
// how failures inside become statuses and the thread's last error at that interface.
#pragma once

#include "host/PdfCore.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pdfcore {

// A qpdf document. A document read from a file keeps reading it while it lives.
struct Document {
    QPDF pdf;
};

// What a PDHandle points at: a document, or one object of it. The object is declared after the
// document so that it goes first: an object must not outlive the QPDF that owns it.
struct Handle {
    std::shared_ptr<Document> document;
    QPDFObjectHandle object; // uninitialised in a document's handle
    std::atomic<std::uint32_t> references{1};

    bool IsDocument() const { return !object.isInitialized(); }
};

// A new handle with one reference, live until its last release.
PDHandle NewHandle(std::shared_ptr<Document> document, QPDFObjectHandle object = QPDFObjectHandle());
void AcquireHandle(PDHandle handle);
void ReleaseHandle(PDHandle handle);

// The live handle behind `handle`; a Failure (kPDInvalidHandle) for null, a handle never handed
// out, or one released. `what` names the parameter in the message.
Handle& ResolveHandle(PDHandle handle, std::string_view what);
// As ResolveHandle, and also a Failure (kPDWrongKind) when it is not a document's handle.
Handle& ResolveDocument(PDHandle handle);
// As ResolveHandle, and also a Failure (kPDWrongKind) when it is a document's handle.
Handle& ResolveObject(PDHandle handle, std::string_view what);

// A failure with the status the exported function returns for it.
class Failure : public std::runtime_error {
public:
    Failure(PDStatus status, const std::string& message) : std::runtime_error(message), status_(status) {}
    PDStatus Status() const { return status_; }

private:
    PDStatus status_;
};

// A Failure (kPDInvalidArgument) when an output pointer is null.
inline void RequireOutput(const void* output, std::string_view what) {
    if (output == nullptr)
        throw Failure(kPDInvalidArgument, std::string(what) + " is null");
}

void RecordLastError(std::string_view function, std::string_view message);
const std::string& LastError();

// Runs the body of the exported function `function`: a Failure becomes its status, any other
// exception (qpdf's, an allocation's) kPDFailure, each with the thread's last error set.
template <class Body>
PDStatus Guarded(std::string_view function, Body&& body) noexcept {
    try {
        body();
        return kPDOk;
    } catch (const Failure& failure) {
        RecordLastError(function, failure.what());
        return failure.Status();
    } catch (const std::exception& exception) {
        RecordLastError(function, exception.what());
        return kPDFailure;
    } catch (...) {
        RecordLastError(function, "an unknown exception");
        return kPDFailure;
    }
}

} // namespace pdfcore
