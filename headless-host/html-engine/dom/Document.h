// A parsed page: its root element (always "html") and the doctype text, if the markup had one.
#pragma once

#include "headless-host/html-engine/dom/Element.h"

#include <memory>
#include <optional>
#include <string>

namespace html {

class Document {
public:
    Document() : root_(Element::Create("html")) {}

    const std::shared_ptr<Element>& Root() const { return root_; }

    // The text between "<!DOCTYPE" and ">", trimmed ("html"), or none without a doctype.
    const std::optional<std::string>& Doctype() const { return doctype_; }
    void SetDoctype(std::optional<std::string> doctype) { doctype_ = std::move(doctype); }

private:
    std::shared_ptr<Element> root_;
    std::optional<std::string> doctype_;
};

} // namespace html
