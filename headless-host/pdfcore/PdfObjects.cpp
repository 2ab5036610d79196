#include "headless-host/pdfcore/PdfObjects.h"

#include <qpdf/Buffer.hh>

namespace pdfcore {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// PDF 2.0 adds UTF-8 text strings behind a byte order mark; qpdf reads the other two encodings.
std::string DecodeTextString(const std::string& bytes) {
    if (bytes.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0)
        return bytes.substr(kUtf8ByteOrderMark.size());
    return QPDFObjectHandle::newString(bytes).getUTF8Value();
}

} // namespace

std::string NameOf(QPDFObjectHandle object) {
    if (!object.isName())
        return {};
    std::string name = object.getName();
    return name.empty() ? name : name.substr(1);
}

std::vector<QPDFObjectHandle> DictionariesIn(QPDFObjectHandle object) {
    if (object.isDictionary())
        return {object};
    std::vector<QPDFObjectHandle> dictionaries;
    if (object.isArray()) {
        for (auto& item : object.aitems()) {
            if (item.isDictionary())
                dictionaries.push_back(item);
        }
    }
    return dictionaries;
}

std::string TextOf(QPDFObjectHandle object) {
    if (object.isString())
        return DecodeTextString(object.getStringValue());
    if (object.isStream()) {
        auto data = object.getStreamData(qpdf_dl_generalized);
        return DecodeTextString(
            std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()));
    }
    return {};
}

QPDFObjectHandle NewTextString(std::string_view utf8) {
    return QPDFObjectHandle::newUnicodeString(std::string(utf8));
}

bool IsPage(QPDFObjectHandle object) {
    if (!object.isDictionary())
        return false;
    auto type = object.getKey("/Type");
    return type.isNull() || NameOf(type) == "Page";
}

} // namespace pdfcore
