// Reading PDF objects as the interface needs them: names, lists that may be one entry, text
// strings and text streams.
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <string_view>
#include <vector>

namespace pdfcore {

// A name's text without its leading '/'; empty for anything but a name.
std::string NameOf(QPDFObjectHandle object);
// A dictionary on its own, or the dictionaries of an array in their order; empty otherwise. Entries
// like /Next and /Annots hold either, and a damaged entry must not hide the sound ones.
std::vector<QPDFObjectHandle> DictionariesIn(QPDFObjectHandle object);
// A text string or text stream as UTF-8: PDFDocEncoding, UTF-16BE or UTF-8 after their byte order
// marks. Empty for other objects. Throws when a stream's filters cannot be decoded.
std::string TextOf(QPDFObjectHandle object);
// A text string: PDFDocEncoding when that can hold `utf8`, else UTF-16BE with a byte order mark.
QPDFObjectHandle NewTextString(std::string_view utf8);
// A page dictionary: /Type /Page, or no /Type at all as damaged files have it.
bool IsPage(QPDFObjectHandle object);

} // namespace pdfcore
