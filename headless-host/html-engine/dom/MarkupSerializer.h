// Markup of a node, an element's content or a whole document, as the parser reads it back.
#pragma once

#include <string>

namespace html {

class Document;
class Element;
class Node;

// Attributes come out in stored order, always double-quoted; text escapes '&', '<', '>', U+00A0,
// U+FEFF (which would pass for a byte-order mark) and CR (which the parser's line-end
// normalisation would turn into LF); attribute values also escape '"'. The content of <script>, <style> and
// <xmp> is written as it is. Void elements get no end tag; other empty elements always get one
// ("<div></div>", never "/>"). For any markup m: Serialize(Parse(Serialize(Parse(m)))) ==
// Serialize(Parse(m)).
class MarkupSerializer {
public:
    static std::string OuterHtml(const Node& node);
    static std::string InnerHtml(const Element& element);
    static std::string Serialize(const Document& document);
};

} // namespace html
