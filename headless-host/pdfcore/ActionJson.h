// Actions built from and described as JSON (the format is in README.md beside this file).
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <string>
#include <string_view>

namespace pdfcore {

// A new JavaScript action, an indirect object of `pdf` with `script` (UTF-8) as a text string.
QPDFObjectHandle NewJavaScriptAction(QPDF& pdf, std::string_view script);
// The action chain that `json` describes, every action an indirect object of `pdf`. Throws a
// Failure (kPDInvalidArgument) naming where the description is wrong.
QPDFObjectHandle BuildAction(QPDF& pdf, std::string_view json);
// The action chain from `action` as compact JSON; an action met before is {"loop":true}.
std::string DescribeAction(QPDF& pdf, QPDFObjectHandle action);

} // namespace pdfcore
