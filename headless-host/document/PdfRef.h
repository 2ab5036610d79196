// Counted references to the PDF core library's handles, and the few reads of its objects that the
// host's documents need, with the library's failures turned into exceptions.
#pragma once

#include "host/PdfCore.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace headless {

// A failed call of the PDF core library: its status and its last error (PDGetLastError), which
// names the function and what was wrong.
class PdfCoreError : public std::runtime_error {
public:
    PdfCoreError(PDStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    PDStatus Status() const { return status_; }

private:
    PDStatus status_;
};

// The calling thread's last failure of the library, e.g. "PDActionCreateFromJson: action.type: …".
std::string PdfLastError();
// Raises PdfCoreError with the last failure for any status but kPDOk.
void CheckPdf(PDStatus status);

// One counted reference to a PDF core handle: a copy acquires one more, destruction releases its
// own. [thread-safe]
class PdfRef {
public:
    PdfRef() = default;
    // Takes over the reference a library call handed out.
    static PdfRef Adopt(PDHandle handle) { return PdfRef(handle); }
    // A reference of its own to a borrowed handle (null gives null). Raises PdfCoreError for a handle
    // the library does not know, or no longer does.
    static PdfRef Share(PDHandle handle);

    PdfRef(const PdfRef& other);
    PdfRef(PdfRef&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    PdfRef& operator=(PdfRef other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~PdfRef() { Reset(); }

    PDHandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Releases what is held and gives the slot for a call that hands out a handle.
    PDHandle* Put() {
        Reset();
        return &handle_;
    }
    void Reset();

private:
    explicit PdfRef(PDHandle handle) : handle_(handle) {}
    PDHandle handle_ = nullptr;
};

// [document] Whether the handles name the same object; two nulls are the same, a null and a handle
// are not, and neither are handles of different documents. Raises PdfCoreError for an unknown handle.
bool SamePdfObject(PDHandle first, PDHandle second);
// [document] The document of any handle.
PdfRef PdfDocumentOf(PDHandle handle);
// [document] The action chain in the library's JSON description (its key order, "type" first).
std::string DescribePdfAction(PDHandle action);
// [document] The action's type (kPDAction…); kPDTypeUnknown for a type the library does not name.
// Raises PdfCoreError (kPDWrongKind) for a handle that is not an action.
std::int32_t PdfActionType(PDHandle action);
// [document] A JavaScript action's script.
std::wstring PdfActionScript(PDHandle action);
// [document] How many actions follow the action (/Next).
std::uint32_t PdfActionNextCount(PDHandle action);

} // namespace headless
