// The one table between the PDF names of action types (/S) and annotation subtypes (/Subtype) and
// the values host/PdfCore.h gives them.
#pragma once

#include <cstdint>
#include <string_view>

namespace pdfcore {

// Names are written without their leading '/'. Unknown names give kPDTypeUnknown.
std::int32_t ActionTypeOfName(std::string_view name);
std::int32_t AnnotSubtypeOfName(std::string_view name);

} // namespace pdfcore
