// The base of every DOM node: its kind, its place among its parent's children, and document order.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace html {

class Element;

enum class NodeType { Element, Text, Comment };

// Nodes are always owned by std::shared_ptr (they are made through the Create functions of the
// concrete classes): a parent owns its children, and a handle held from outside keeps a removed
// node alive and valid. The parent link is a plain pointer, cleared when the node leaves its
// parent or the parent dies. The DOM is not thread-safe: one thread owns a tree.
class Node : public std::enable_shared_from_this<Node> {
public:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    virtual ~Node() = default;

    NodeType Type() const { return type_; }
    bool IsElement() const { return type_ == NodeType::Element; }

    Element* Parent() const { return parent_; }
    // Position among the parent's children; 0 for a node without parent.
    std::size_t IndexInParent() const { return parent_ ? indexInParent_ : 0; }
    Node* PreviousSibling() const;
    Node* NextSibling() const;
    Element* PreviousElementSibling() const;
    Element* NextElementSibling() const;

    // Detaches the node from its parent. Returns the node's own handle so that a caller who only
    // had a reference can keep it alive; nothing happens for a node without parent.
    std::shared_ptr<Node> Remove();

    // Elements: the concatenated text of all descendant text nodes. Text and comments: their data.
    virtual std::string TextContent() const = 0;

protected:
    explicit Node(NodeType type) : type_(type) {}

private:
    friend class Element;

    NodeType type_;
    Element* parent_ = nullptr;
    std::size_t indexInParent_ = 0;
};

// Document order: negative when `a` comes before `b`, zero for the same node, positive after. An
// ancestor comes before its descendants. Nodes of two different trees are ordered by their roots'
// addresses, which is arbitrary but consistent.
int CompareDocumentOrder(const Node& a, const Node& b);

// The node after `node` in tree order (pre-order) that still lies inside `subtreeRoot`, or null
// at the end of that subtree. Walking with it needs no recursion, so trees of any depth are safe.
Node* NextInTreeOrder(const Node& node, const Node& subtreeRoot);
// The same, skipping the children of `node` (continues after its subtree).
Node* NextInTreeOrderSkippingChildren(const Node& node, const Node& subtreeRoot);

} // namespace html
