// The lenient parser of the engine's markup dialect: pages, fragments (inner HTML) and includes.
#pragma once

#include "headless-host/html-engine/dom/Document.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace html {

class Element;
class Node;

// One error found in the markup, and how it was repaired or ignored. Line and column are 1-based;
// the column counts code points.
struct ParseDiagnostic {
    std::uint32_t line = 0;
    std::uint32_t column = 0;
    std::string message;
    // Empty for the markup given to the parser; the "src" of an <include> for markup it pulled in.
    std::string source;
};

struct ParseOptions {
    // Supplies the markup named by <include src="...">; none means "not found". Without a
    // resolver <include> elements stay in the tree, silently; when the resolver finds nothing,
    // they stay too, with a diagnostic.
    std::function<std::optional<std::string>(std::string_view src)> includeResolver;
    // Includes nested deeper than this are dropped: it stops include cycles.
    int maxIncludeDepth = 8;
    // Elements are not nested deeper than this; further start tags open siblings instead, so
    // hostile markup cannot make trees deep enough to exhaust the stack of a recursive consumer.
    std::size_t maxElementDepth = 512;
    // Diagnostics past this number are dropped (one last diagnostic says so).
    std::size_t maxDiagnostics = 200;
};

// Never throws on bad markup: like a browser it always builds a tree, and records every error
// or recovery as a diagnostic. Differences from HTML that the dialect relies on: "/>" closes any
// element, ".name" and "#name" in a start tag add a class and set the id, <include src> is
// replaced by the markup it names, no <head>/<body> are implied, and implied end tags exist only
// for p, li, dt, dd, option, optgroup and table rows and cells. Carriage returns become line feeds.
class MarkupParser {
public:
    explicit MarkupParser(ParseOptions options = {});

    // A whole page. A leading UTF-8 byte-order mark is skipped.
    Document ParseDocument(std::string_view utf8);
    // Replaces the content of `target` with the parsed fragment (inner HTML). The content of a
    // <script>, <style>, <textarea>, <title> or <plaintext> target is taken as text.
    void SetInnerHtml(Element& target, std::string_view utf8);
    // The top-level nodes of a fragment, detached, in order.
    std::vector<std::shared_ptr<Node>> ParseFragment(std::string_view utf8);

    // The diagnostics of the last parse, in input order (included markup at its include).
    const std::vector<ParseDiagnostic>& Diagnostics() const { return diagnostics_; }

private:
    ParseOptions options_;
    std::vector<ParseDiagnostic> diagnostics_;
};

} // namespace html
