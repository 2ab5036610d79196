// Text across the C interface: wide text through the support library's conversions, and the
// two-call pattern by which text leaves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pdfcore {

// Throw a Failure (kPDFailure, or kPDInvalidArgument for WideToUtf8) on text that is not valid.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(const wchar_t* text);

// The two-call pattern of host/PdfCore.h; a Failure (kPDBufferTooSmall) sets the length needed.
void DeliverText(std::wstring_view text, wchar_t* buffer, std::uint32_t* inOutLength);
void DeliverText(std::string_view text, char* buffer, std::uint32_t* inOutLength);

} // namespace pdfcore
