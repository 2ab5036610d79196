// An element: lower-case tag name, attributes in insertion order, state bits and owned children.
#pragma once

#include "headless-host/html-engine/dom/Node.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace html {

class TreeIndex;

struct Attribute {
    std::string name; // lower-case
    std::string value;
};

class Element final : public Node {
    struct Key {
        explicit Key() = default;
    };

public:
    Element(Key, std::string tagName);
    ~Element() override;

    // The tag name is stored lower-case (ASCII).
    static std::shared_ptr<Element> Create(std::string_view tagName);

    const std::string& TagName() const { return tagName_; }

    // Attribute names are compared ASCII case-insensitively and stored lower-case.
    const std::vector<Attribute>& Attributes() const { return attributes_; }
    // The value, or null when absent. The pointer is valid until the attributes change.
    const std::string* GetAttribute(std::string_view name) const;
    bool HasAttribute(std::string_view name) const { return GetAttribute(name) != nullptr; }
    // Replaces the value in place (the attribute keeps its position) or appends a new attribute.
    void SetAttribute(std::string_view name, std::string value);
    // Returns whether the attribute existed.
    bool RemoveAttribute(std::string_view name);
    // Appends each attribute whose name is not present yet (the first of duplicates wins), in
    // order. Names must be lower-case. Linear in the number of attributes, however many there are.
    void AddMissingAttributes(std::vector<Attribute> attributes);

    // The "id" attribute, or an empty string.
    const std::string& Id() const;
    // Whether `className` is one of the whitespace-separated tokens of the "class" attribute.
    bool HasClass(std::string_view className) const;
    // The same answer from a one-word summary of the classes, remembered until the attributes
    // change: most tests are misses, and most misses need no look at the attribute.
    bool HasClassQuickly(std::string_view className) const;

    std::uint32_t State() const { return state_; }
    // Clears `bitsToClear`, then sets `bitsToSet`. Returns whether the state changed.
    bool SetState(std::uint32_t bitsToSet, std::uint32_t bitsToClear);

    const std::vector<std::shared_ptr<Node>>& Children() const { return children_; }
    Element* FirstElementChild() const;
    Element* LastElementChild() const;

    // Moves `child` here (out of its old parent, if any), at `index` (clamped to the child count).
    // Inserting an element into itself or into one of its descendants throws std::invalid_argument.
    void InsertChild(std::size_t index, std::shared_ptr<Node> child);
    void AppendChild(std::shared_ptr<Node> child) { InsertChild(children_.size(), std::move(child)); }
    // Moves every child of `donor` to the end of this element's children, in order; an indexed
    // tree takes them all in at once. `donor` must not be this element or one of its ancestors
    // (std::invalid_argument).
    void AppendChildrenOf(Element& donor);
    // Returns the removed child's handle, or null when `child` is not a child of this element.
    std::shared_ptr<Node> RemoveChild(Node& child);
    void RemoveAllChildren();

    std::string TextContent() const override;
    // Replaces all children by one text node (by none for an empty text).
    void SetTextContent(std::string_view text);

    // The index of this element's tree, built at the tree's root the first time it is asked for and
    // kept up to date from then on. Valid while the element stays in that tree.
    TreeIndex& IndexOfTree();

    // A number the engine's runtime leaves on an element it has bound (which of its registries did
    // it), so that the many plain elements of a page need no record of their own. Opaque here;
    // 0 until set.
    std::uint64_t BindingMark() const { return bindingMark_; }
    void SetBindingMark(std::uint64_t mark) { bindingMark_ = mark; }

private:
    friend class TreeIndex;

    void Renumber(std::size_t fromIndex);
    void Detach(Node& child);
    // This element and its descendants stop pointing to an index (theirs is gone or not theirs).
    void ForgetTreeIndex();

    std::string tagName_;
    std::vector<Attribute> attributes_;
    std::uint32_t state_ = 0;
    std::uint64_t bindingMark_ = 0;
    bool leavingTreeIndex_ = false; // marked for removal while the index compacts
    mutable bool classSummaryValid_ = false;
    mutable std::uint16_t classesAt_ = 0; // the position of the "class" attribute, if any
    std::vector<std::shared_ptr<Node>> children_;
    TreeIndex* treeIndex_ = nullptr;            // of the tree this element is in, if it has one
    std::unique_ptr<TreeIndex> ownedTreeIndex_; // on the root of an indexed tree only
    mutable std::uint64_t classSummary_ = 0;    // a bit per class, chosen by a hash of its name
};

} // namespace html
