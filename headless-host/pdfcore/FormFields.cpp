#include "headless-host/pdfcore/FormFields.h"

#include "headless-host/pdfcore/Handles.h"
#include "headless-host/pdfcore/PdfObjects.h"

#include <set>
#include <vector>

namespace pdfcore {

namespace {

// Direct objects cannot form loops, but a long enough chain of them would still exhaust the walk.
constexpr std::size_t kMaxFieldDepth = 1024;

std::vector<std::string> SplitQualifiedName(std::string_view name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t dot = name.find('.', start);
        parts.emplace_back(
            name.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (parts.back().empty())
            throw Failure(kPDInvalidArgument,
                          "the field name \"" + std::string(name) + "\" has an empty part");
        if (dot == std::string_view::npos)
            return parts;
        start = dot + 1;
    }
}

// The array a form's top-level fields or a field's children live in, made when missing.
QPDFObjectHandle ArrayEntry(QPDFObjectHandle dictionary, const std::string& key) {
    auto entry = dictionary.getKey(key);
    if (!entry.isArray()) {
        entry = QPDFObjectHandle::newArray();
        dictionary.replaceKey(key, entry);
    }
    return entry;
}

std::optional<QPDFObjectHandle> FieldNamed(QPDFObjectHandle fields, std::string_view partialName) {
    for (auto& field : DictionariesIn(fields)) {
        if (TextOf(field.getKey("/T")) == partialName)
            return field;
    }
    return std::nullopt;
}

QPDFObjectHandle FormFields(QPDF& pdf) {
    auto root = pdf.getRoot();
    auto form = root.getKey("/AcroForm");
    if (!form.isDictionary()) {
        form = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        root.replaceKey("/AcroForm", form);
    }
    return ArrayEntry(form, "/Fields");
}

} // namespace

std::string QualifiedName(QPDFObjectHandle field) {
    std::vector<std::string> parts;
    std::set<QPDFObjGen> seen;
    for (std::size_t depth = 0; field.isDictionary() && depth < kMaxFieldDepth; ++depth) {
        if (field.isIndirect() && !seen.insert(field.getObjGen()).second)
            break;
        auto partialName = field.getKey("/T");
        if (partialName.isString())
            parts.push_back(TextOf(partialName));
        field = field.getKey("/Parent");
    }
    std::string name;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        if (!name.empty())
            name += '.';
        name += *part;
    }
    return name;
}

std::optional<QPDFObjectHandle> FieldOfWidget(QPDFObjectHandle widget) {
    if (widget.hasKey("/T"))
        return widget;
    auto parent = widget.getKey("/Parent");
    if (parent.isDictionary())
        return parent;
    return std::nullopt;
}

QPDFObjectHandle AddWidget(QPDF& pdf, QPDFObjectHandle page, std::string_view fieldName,
                           std::optional<std::string_view> parentName) {
    if (fieldName.empty() || fieldName.find('.') != std::string_view::npos)
        throw Failure(kPDInvalidArgument,
                      "the partial field name \"" + std::string(fieldName) + "\" is empty or holds a '.'");
    auto level = FormFields(pdf);
    QPDFObjectHandle parent;
    if (parentName) {
        for (auto& part : SplitQualifiedName(*parentName)) {
            auto field = FieldNamed(level, part);
            if (!field) {
                field = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                field->replaceKey("/T", NewTextString(part));
                if (parent.isInitialized())
                    field->replaceKey("/Parent", parent);
                level.appendItem(*field);
            }
            parent = *field;
            level = ArrayEntry(parent, "/Kids");
        }
    }
    if (FieldNamed(level, fieldName)) {
        std::string qualified = parentName ? std::string(*parentName) + "." : std::string();
        throw Failure(kPDInvalidArgument,
                      "a field named \"" + qualified + std::string(fieldName) + "\" exists");
    }

    auto widget = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Widget "
                                                                 "/Rect [0 0 0 0] >>"));
    widget.replaceKey("/P", page);
    widget.replaceKey("/T", NewTextString(fieldName));
    if (parent.isInitialized())
        widget.replaceKey("/Parent", parent);
    level.appendItem(widget);
    ArrayEntry(page, "/Annots").appendItem(widget);
    return widget;
}

} // namespace pdfcore
