// Element attributes, state and child list upkeep.
#include "headless-host/html-engine/dom/Element.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Text.h"
#include "headless-host/html-engine/dom/TreeIndex.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <unordered_set>

namespace html {

Element::Element(Key, std::string tagName) : Node(NodeType::Element), tagName_(std::move(tagName)) {}

// Children are released from a work list instead of by the recursive chain of destructors, so
// that destroying a very deep tree cannot overflow the stack. Children kept alive by outside
// handles survive as roots of their own trees, with their parent link cleared (and, when this root
// owned the tree's index, without it).
Element::~Element() {
    std::vector<std::shared_ptr<Node>> pending = std::move(children_);
    while (!pending.empty()) {
        std::shared_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        node->parent_ = nullptr;
        node->indexInParent_ = 0;
        if (ownedTreeIndex_ && node->IsElement() && node.use_count() > 1) {
            static_cast<Element&>(*node).ForgetTreeIndex();
        }
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
    classSummaryValid_ = false;
    for (auto& attribute : attributes_) {
        if (EqualsAsciiCaseInsensitive(attribute.name, name)) {
            if (treeIndex_) {
                treeIndex_->RemoveAttribute(*this, attribute, true);
            }
            attribute.value = std::move(value);
            if (treeIndex_) {
                treeIndex_->AddAttribute(*this, attribute, true);
            }
            return;
        }
    }
    attributes_.push_back({ToAsciiLower(name), std::move(value)});
    if (treeIndex_) {
        treeIndex_->AddAttribute(*this, attributes_.back(), false);
    }
}

bool Element::RemoveAttribute(std::string_view name) {
    auto it = std::find_if(attributes_.begin(), attributes_.end(), [name](const Attribute& attribute) {
        return EqualsAsciiCaseInsensitive(attribute.name, name);
    });
    if (it == attributes_.end()) {
        return false;
    }
    if (treeIndex_) {
        treeIndex_->RemoveAttribute(*this, *it, false);
    }
    attributes_.erase(it);
    classSummaryValid_ = false;
    return true;
}

void Element::AddMissingAttributes(std::vector<Attribute> attributes) {
    classSummaryValid_ = false;
    const std::size_t oldCount = attributes_.size();
    constexpr std::size_t kLinearSearchLimit = 16;
    auto hasDuplicates = [&attributes] {
        for (std::size_t i = 1; i < attributes.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (EqualsAsciiCaseInsensitive(attributes[i].name, attributes[j].name)) {
                    return true;
                }
            }
        }
        return false;
    };
    if (attributes_.empty() && attributes.size() <= kLinearSearchLimit && !hasDuplicates()) {
        // A new element, as the parser makes them: the list is taken as it is.
        attributes_ = std::move(attributes);
    } else if (attributes_.size() + attributes.size() <= kLinearSearchLimit) {
        for (auto& attribute : attributes) {
            if (!HasAttribute(attribute.name)) {
                attributes_.push_back(std::move(attribute));
            }
        }
    } else {
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
    if (treeIndex_) {
        for (std::size_t i = oldCount; i < attributes_.size(); ++i) {
            treeIndex_->AddAttribute(*this, attributes_[i], false);
        }
    }
}

const std::string& Element::Id() const {
    static const std::string kNoId;
    const std::string* id = GetAttribute("id");
    return id ? *id : kNoId;
}

namespace {

// Searching for the name and checking its edges is much cheaper than splitting the list: most
// tests are misses, found by one search.
bool ContainsClass(std::string_view list, std::string_view className) {
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

} // namespace

bool Element::HasClass(std::string_view className) const {
    const std::string* classes = GetAttribute("class");
    if (!classes || className.empty()) {
        return false;
    }
    return ContainsClass(*classes, className);
}

namespace {

// Cheap rather than thorough: the summary only has to tell the usual classes of a page apart, and
// a false positive costs one look at the attribute.
std::uint64_t ClassBit(std::string_view className) {
    if (className.empty()) {
        return 0;
    }
    const auto at = [className](std::size_t i) { return static_cast<unsigned char>(className[i]); };
    const std::size_t mixed =
        className.size() * 7 + at(0) * 3 + at(className.size() / 2) * 11 + at(className.size() - 1) * 5;
    return std::uint64_t{1} << (mixed & 63);
}

} // namespace

bool Element::HasClassQuickly(std::string_view className) const {
    // Past this position the summary is not kept, and every test looks at the attribute.
    constexpr std::size_t kUnsummarized = UINT16_MAX;
    if (!classSummaryValid_) {
        classSummary_ = 0;
        classesAt_ = 0;
        for (std::size_t i = 0; i < attributes_.size(); ++i) {
            if (EqualsAsciiCaseInsensitive(attributes_[i].name, "class")) {
                classesAt_ = static_cast<std::uint16_t>(std::min(i, kUnsummarized));
                classSummary_ = ~std::uint64_t{0};
                if (i < kUnsummarized) {
                    classSummary_ = 0;
                    ForEachAsciiToken(attributes_[i].value,
                                      [this](std::string_view name) { classSummary_ |= ClassBit(name); });
                }
                break;
            }
        }
        classSummaryValid_ = true;
    }
    if ((classSummary_ & ClassBit(className)) == 0) {
        return false;
    }
    if (classesAt_ == kUnsummarized) {
        return HasClass(className);
    }
    return ContainsClass(attributes_[classesAt_].value, className);
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
    Element* element = child->IsElement() ? static_cast<Element*>(child.get()) : nullptr;
    if (element && element->ownedTreeIndex_) {
        // A tree joining another one gives up its own index: only roots own one.
        element->ForgetTreeIndex();
        element->ownedTreeIndex_.reset();
    }
    index = std::min(index, children_.size());
    if (children_.capacity() == 0) {
        // Most elements get a few children, one at a time: grown from one slot, the list would
        // move several times on its way there.
        constexpr std::size_t kFirstCapacity = 4;
        children_.reserve(kFirstCapacity);
    }
    child->parent_ = this;
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    Renumber(index);
    if (element && treeIndex_) {
        treeIndex_->AddSubtree(*element);
    }
}

void Element::AppendChildrenOf(Element& donor) {
    for (const Node* ancestor = this; ancestor; ancestor = ancestor->Parent()) {
        if (ancestor == &donor) {
            throw std::invalid_argument(
                "AppendChildrenOf: an element cannot take its own ancestor's children");
        }
    }
    if (donor.children_.empty()) {
        return;
    }
    if (donor.treeIndex_) {
        donor.treeIndex_->RemoveSubtrees(donor.children_);
    }
    std::vector<std::shared_ptr<Node>> moved = std::move(donor.children_);
    donor.children_.clear();
    const std::size_t first = children_.size();
    children_.reserve(first + moved.size());
    for (auto& node : moved) {
        node->parent_ = this;
        children_.push_back(std::move(node));
    }
    Renumber(first);
    if (treeIndex_) {
        treeIndex_->AddSubtrees(children_, first);
    }
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
    if (treeIndex_) {
        treeIndex_->RemoveSubtrees(children_);
    }
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

TreeIndex& Element::IndexOfTree() {
    if (treeIndex_) {
        return *treeIndex_;
    }
    Element* root = this;
    while (root->Parent()) {
        root = root->Parent();
    }
    root->ownedTreeIndex_ = std::make_unique<TreeIndex>(*root);
    return *root->ownedTreeIndex_;
}

void Element::ForgetTreeIndex() {
    treeIndex_ = nullptr;
    for (Node* node = NextInTreeOrder(*this, *this); node; node = NextInTreeOrder(*node, *this)) {
        if (node->IsElement()) {
            static_cast<Element&>(*node).treeIndex_ = nullptr;
        }
    }
}

void Element::Renumber(std::size_t fromIndex) {
    for (std::size_t i = fromIndex; i < children_.size(); ++i) {
        children_[i]->indexInParent_ = i;
    }
}

void Element::Detach(Node& child) {
    const std::size_t index = child.indexInParent_;
    if (treeIndex_ && child.IsElement()) {
        treeIndex_->RemoveSubtree(static_cast<Element&>(child));
    }
    // Keep the node alive until its links are cleared: the vector may hold its last reference.
    std::shared_ptr<Node> keepAlive = std::move(children_[index]);
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    child.parent_ = nullptr;
    child.indexInParent_ = 0;
    Renumber(index);
}

} // namespace html
