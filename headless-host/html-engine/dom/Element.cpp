// Element attributes, state and child list upkeep.
#include "headless-host/html-engine/dom/Element.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Text.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace html {

Element::Element(Key, std::string tagName) : Node(NodeType::Element), tagName_(std::move(tagName)) {}

// Children are released from a work list instead of by the recursive chain of destructors, so
// that destroying a very deep tree cannot overflow the stack. Children kept alive by outside
// handles survive as roots of their own trees, with their parent link cleared.
Element::~Element() {
    std::vector<std::shared_ptr<Node>> pending = std::move(children_);
    while (!pending.empty()) {
        std::shared_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        node->parent_ = nullptr;
        node->indexInParent_ = 0;
        if (node->IsElement() && node.use_count() == 1) {
            auto& element = static_cast<Element&>(*node);
            for (auto& child : element.children_) {
                pending.push_back(std::move(child));
            }
            element.children_.clear();
        }
    }
}

std::shared_ptr<Element> Element::Create(std::string_view tagName) {
    return std::make_shared<Element>(Key{}, ToAsciiLower(tagName));
}

const std::string* Element::GetAttribute(std::string_view name) const {
    for (const auto& attribute : attributes_) {
        if (EqualsAsciiCaseInsensitive(attribute.name, name)) {
            return &attribute.value;
        }
    }
    return nullptr;
}

void Element::SetAttribute(std::string_view name, std::string value) {
    for (auto& attribute : attributes_) {
        if (EqualsAsciiCaseInsensitive(attribute.name, name)) {
            attribute.value = std::move(value);
            return;
        }
    }
    attributes_.push_back({ToAsciiLower(name), std::move(value)});
}

bool Element::RemoveAttribute(std::string_view name) {
    auto it = std::find_if(attributes_.begin(), attributes_.end(), [name](const Attribute& attribute) {
        return EqualsAsciiCaseInsensitive(attribute.name, name);
    });
    if (it == attributes_.end()) {
        return false;
    }
    attributes_.erase(it);
    return true;
}

void Element::AddMissingAttributes(std::vector<Attribute> attributes) {
    constexpr std::size_t kLinearSearchLimit = 16;
    if (attributes_.size() + attributes.size() <= kLinearSearchLimit) {
        for (auto& attribute : attributes) {
            if (!HasAttribute(attribute.name)) {
                attributes_.push_back(std::move(attribute));
            }
        }
        return;
    }
    // The views point into attributes_, which the reservation keeps from moving.
    attributes_.reserve(attributes_.size() + attributes.size());
    std::unordered_set<std::string_view> present;
    for (const auto& attribute : attributes_) {
        present.insert(attribute.name);
    }
    for (auto& attribute : attributes) {
        if (!present.contains(attribute.name)) {
            attributes_.push_back(std::move(attribute));
            present.insert(attributes_.back().name);
        }
    }
}

const std::string& Element::Id() const {
    static const std::string kNoId;
    const std::string* id = GetAttribute("id");
    return id ? *id : kNoId;
}

bool Element::HasClass(std::string_view className) const {
    const std::string* classes = GetAttribute("class");
    if (!classes || className.empty()) {
        return false;
    }
    // Searching for the name and checking its edges is much cheaper than splitting the list: most
    // tests are misses, found by one search.
    const std::string_view list = *classes;
    for (std::size_t at = list.find(className); at != std::string_view::npos;
         at = list.find(className, at + 1)) {
        const std::size_t end = at + className.size();
        if ((at == 0 || IsAsciiWhitespace(list[at - 1])) &&
            (end == list.size() || IsAsciiWhitespace(list[end]))) {
            return true;
        }
    }
    return false;
}

bool Element::SetState(std::uint32_t bitsToSet, std::uint32_t bitsToClear) {
    const std::uint32_t newState = (state_ & ~bitsToClear) | bitsToSet;
    const bool changed = newState != state_;
    state_ = newState;
    return changed;
}

Element* Element::FirstElementChild() const {
    for (const auto& child : children_) {
        if (child->IsElement()) {
            return static_cast<Element*>(child.get());
        }
    }
    return nullptr;
}

Element* Element::LastElementChild() const {
    for (std::size_t i = children_.size(); i-- > 0;) {
        if (children_[i]->IsElement()) {
            return static_cast<Element*>(children_[i].get());
        }
    }
    return nullptr;
}

void Element::InsertChild(std::size_t index, std::shared_ptr<Node> child) {
    if (!child) {
        throw std::invalid_argument("InsertChild: null node");
    }
    // Only a node with children can be an ancestor of this one; skipping the walk for the others
    // keeps building a tree top-down linear.
    const bool mayBeAncestor =
        child.get() == this || (child->IsElement() && !static_cast<Element&>(*child).children_.empty());
    for (const Node* ancestor = this; mayBeAncestor && ancestor; ancestor = ancestor->Parent()) {
        if (ancestor == child.get()) {
            throw std::invalid_argument("InsertChild: a node cannot become its own descendant");
        }
    }
    if (Element* oldParent = child->parent_) {
        if (oldParent == this && child->indexInParent_ < index) {
            --index; // the child's own slot disappears before the insertion
        }
        oldParent->Detach(*child);
    }
    index = std::min(index, children_.size());
    child->parent_ = this;
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    Renumber(index);
}

std::shared_ptr<Node> Element::RemoveChild(Node& child) {
    if (child.parent_ != this) {
        return nullptr;
    }
    std::shared_ptr<Node> handle = children_[child.indexInParent_];
    Detach(child);
    return handle;
}

void Element::RemoveAllChildren() {
    // Each child's links are cleared before it may die, so that outside handles stay consistent.
    std::vector<std::shared_ptr<Node>> removed = std::move(children_);
    children_.clear();
    for (auto& node : removed) {
        node->parent_ = nullptr;
        node->indexInParent_ = 0;
    }
}

std::string Element::TextContent() const {
    std::string text;
    for (const Node* node = NextInTreeOrder(*this, *this); node; node = NextInTreeOrder(*node, *this)) {
        if (node->Type() == NodeType::Text) {
            text += static_cast<const Text*>(node)->Data();
        }
    }
    return text;
}

void Element::SetTextContent(std::string_view text) {
    RemoveAllChildren();
    if (!text.empty()) {
        AppendChild(Text::Create(std::string(text)));
    }
}

void Element::Renumber(std::size_t fromIndex) {
    for (std::size_t i = fromIndex; i < children_.size(); ++i) {
        children_[i]->indexInParent_ = i;
    }
}

void Element::Detach(Node& child) {
    const std::size_t index = child.indexInParent_;
    // Keep the node alive until its links are cleared: the vector may hold its last reference.
    std::shared_ptr<Node> keepAlive = std::move(children_[index]);
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    child.parent_ = nullptr;
    child.indexInParent_ = 0;
    Renumber(index);
}

} // namespace html
