// Sibling navigation, removal and tree-order walking shared by every node kind.
#include "headless-host/html-engine/dom/Node.h"

#include "headless-host/html-engine/dom/Element.h"

#include <functional>
#include <vector>

namespace html {

Node* Node::PreviousSibling() const {
    if (!parent_ || indexInParent_ == 0) {
        return nullptr;
    }
    return parent_->Children()[indexInParent_ - 1].get();
}

Node* Node::NextSibling() const {
    if (!parent_ || indexInParent_ + 1 >= parent_->Children().size()) {
        return nullptr;
    }
    return parent_->Children()[indexInParent_ + 1].get();
}

Element* Node::PreviousElementSibling() const {
    for (Node* node = PreviousSibling(); node; node = node->PreviousSibling()) {
        if (node->IsElement()) {
            return static_cast<Element*>(node);
        }
    }
    return nullptr;
}

Element* Node::NextElementSibling() const {
    for (Node* node = NextSibling(); node; node = node->NextSibling()) {
        if (node->IsElement()) {
            return static_cast<Element*>(node);
        }
    }
    return nullptr;
}

std::shared_ptr<Node> Node::Remove() {
    if (!parent_) {
        return shared_from_this();
    }
    return parent_->RemoveChild(*this);
}

int CompareDocumentOrder(const Node& a, const Node& b) {
    if (&a == &b) {
        return 0;
    }
    // Paths from each root down to the node; the first difference decides.
    auto pathFromRoot = [](const Node& node) {
        std::vector<const Node*> path;
        for (const Node* current = &node; current; current = current->Parent()) {
            path.push_back(current);
        }
        return std::vector<const Node*>(path.rbegin(), path.rend());
    };
    const auto pathA = pathFromRoot(a);
    const auto pathB = pathFromRoot(b);
    if (pathA.front() != pathB.front()) {
        return std::less<const Node*>{}(pathA.front(), pathB.front()) ? -1 : 1;
    }
    std::size_t depth = 1;
    while (depth < pathA.size() && depth < pathB.size() && pathA[depth] == pathB[depth]) {
        ++depth;
    }
    if (depth == pathA.size()) {
        return -1; // a is an ancestor of b
    }
    if (depth == pathB.size()) {
        return 1;
    }
    return pathA[depth]->IndexInParent() < pathB[depth]->IndexInParent() ? -1 : 1;
}

Node* NextInTreeOrder(const Node& node, const Node& subtreeRoot) {
    if (node.IsElement()) {
        const auto& children = static_cast<const Element&>(node).Children();
        if (!children.empty()) {
            return children.front().get();
        }
    }
    return NextInTreeOrderSkippingChildren(node, subtreeRoot);
}

Node* NextInTreeOrderSkippingChildren(const Node& node, const Node& subtreeRoot) {
    for (const Node* current = &node; current && current != &subtreeRoot; current = current->Parent()) {
        if (Node* sibling = current->NextSibling()) {
            return sibling;
        }
    }
    return nullptr;
}

} // namespace html
