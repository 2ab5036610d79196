// Form fields: their qualified names, the field of a widget, and widgets added with their fields.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <optional>
#include <string>
#include <string_view>

namespace pdfcore {

// The /T of the field and its ancestors, outermost first, joined by '.' (UTF-8). Stops at an
// ancestor met before, so a /Parent loop ends the name instead of the stack.
std::string QualifiedName(QPDFObjectHandle field);
// The widget itself when it carries /T (merged with its field), else its /Parent dictionary.
std::optional<QPDFObjectHandle> FieldOfWidget(QPDFObjectHandle widget);
// Adds a widget merged with a new field named `fieldName` to `page`'s /Annots, under the field
// named `parentName` (made when missing) or at the top of the form. Throws a Failure
// (kPDInvalidArgument) for a name that is empty, holds '.', or is taken.
QPDFObjectHandle AddWidget(QPDF& pdf, QPDFObjectHandle page, std::string_view fieldName,
                           std::optional<std::string_view> parentName);

} // namespace pdfcore
