// Element walks the engine's runtime parts share: a counted reference from a plain one,
// containment, and snapshots of elements that stay valid while the tree changes under them.
#pragma once

#include "headless-host/html-engine/dom/Element.h"

#include <memory>
#include <vector>

namespace html {

// Every element is owned through a shared_ptr (see Node), so a reference always gives one.
inline std::shared_ptr<Element> Shared(Element& element) {
    return std::static_pointer_cast<Element>(element.shared_from_this());
}

// `node` is `container` or one of its descendants.
inline bool IsInside(const Element& node, const Element& container) {
    for (const Element* element = &node; element != nullptr; element = element->Parent()) {
        if (element == &container) {
            return true;
        }
    }
    return false;
}

// `root` and its descendant elements in tree order.
inline std::vector<std::shared_ptr<Element>> SubtreeElements(Element& root) {
    std::vector<std::shared_ptr<Element>> elements{Shared(root)};
    for (Node* node = NextInTreeOrder(root, root); node != nullptr; node = NextInTreeOrder(*node, root)) {
        if (node->IsElement()) {
            elements.push_back(Shared(static_cast<Element&>(*node)));
        }
    }
    return elements;
}

inline std::vector<std::shared_ptr<Element>> ChildElements(Element& element) {
    std::vector<std::shared_ptr<Element>> children;
    for (const auto& child : element.Children()) {
        if (child->IsElement()) {
            children.push_back(std::static_pointer_cast<Element>(child));
        }
    }
    return children;
}

} // namespace html
