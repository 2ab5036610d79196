// Upkeep of the per-tree element lists: additions merged into place, removals compacted in one pass.
#include "headless-host/html-engine/dom/TreeIndex.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/Element.h"

#include <algorithm>
#include <cassert>

namespace html {

namespace {

std::size_t DepthOf(const Node& node) {
    std::size_t depth = 0;
    for (const Node* ancestor = node.Parent(); ancestor; ancestor = ancestor->Parent()) {
        ++depth;
    }
    return depth;
}

bool HasAsciiUpper(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Calls `visit(element)` for `root` and each of its descendant elements, in tree order.
template <typename Visit>
void ForEachElement(Element& root, Visit visit) {
    visit(root);
    for (Node* node = NextInTreeOrder(root, root); node; node = NextInTreeOrder(*node, root)) {
        if (node->IsElement()) {
            visit(static_cast<Element&>(*node));
        }
    }
}

} // namespace

bool PrecedesInTree(const Node& a, const Node& b) {
    if (&a == &b) {
        return false;
    }
    const Node* left = &a;
    const Node* right = &b;
    std::size_t leftDepth = DepthOf(a);
    std::size_t rightDepth = DepthOf(b);
    for (; leftDepth > rightDepth; --leftDepth) {
        left = left->Parent();
    }
    for (; rightDepth > leftDepth; --rightDepth) {
        right = right->Parent();
    }
    if (left == right) {
        return left == &a; // one is an ancestor of the other, and the ancestor comes first
    }
    while (left->Parent() != right->Parent()) {
        left = left->Parent();
        right = right->Parent();
    }
    return left->IndexInParent() < right->IndexInParent();
}

TreeIndex::TreeIndex(Element& root) {
    assert(!root.Parent() && "TreeIndex: only the root of a tree owns an index");
    AddSubtree(root);
}

const std::vector<Element*>* TreeIndex::Find(Key key, std::string_view name) const {
    const BucketMap& map = maps_[static_cast<std::size_t>(key)];
    const auto found = (key == Key::Attribute || key == Key::Tag) && HasAsciiUpper(name)
                           ? map.find(ToAsciiLower(name))
                           : map.find(name);
    return found == map.end() ? nullptr : &found->second.elements;
}

template <typename Visit>
void TreeIndex::ForEachKey(const Attribute& attribute, bool valueOnly, Visit visit) {
    if (!valueOnly) {
        visit(Key::Attribute, std::string_view(attribute.name));
    }
    if (EqualsAsciiCaseInsensitive(attribute.name, "id")) {
        // "#" followed by nothing is no selector, so an empty id is never looked up.
        if (!attribute.value.empty()) {
            visit(Key::Id, std::string_view(attribute.value));
        }
    } else if (EqualsAsciiCaseInsensitive(attribute.name, "class")) {
        ForEachAsciiToken(attribute.value, [&](std::string_view name) { visit(Key::Class, name); });
    }
}

void TreeIndex::Stage(Element& element, Key key, std::string_view name) {
    BucketMap& map = MapOf(key);
    auto found = map.find(name);
    if (found == map.end()) {
        std::string owned((key == Key::Attribute || key == Key::Tag) ? ToAsciiLower(name)
                                                                     : std::string(name));
        found = map.try_emplace(std::move(owned)).first;
        found->second.name = found->first;
    }
    Bucket& bucket = found->second;
    if (bucket.incoming.empty()) {
        staged_.push_back(&bucket);
    } else if (bucket.incoming.back() == &element) {
        return; // a class named twice in one attribute
    }
    bucket.incoming.push_back(&element);
}

// Everything staged came from one subtree, which is contiguous in document order and had no
// element in any list: each list takes it into a single gap.
void TreeIndex::MergeIncoming() {
    for (Bucket* bucket : staged_) {
        auto& elements = bucket->elements;
        const Element* first = bucket->incoming.front();
        auto gap = elements.end();
        if (!elements.empty() && !PrecedesInTree(*elements.back(), *first)) {
            gap = std::partition_point(elements.begin(), elements.end(), [first](const Element* element) {
                return PrecedesInTree(*element, *first);
            });
        }
        elements.insert(gap, bucket->incoming.begin(), bucket->incoming.end());
        bucket->incoming.clear();
    }
    staged_.clear();
}

void TreeIndex::StageSubtree(Element& subtreeRoot) {
    ForEachElement(subtreeRoot, [this](Element& element) {
        element.treeIndex_ = this;
        Stage(element, Key::Tag, element.TagName());
        for (const Attribute& attribute : element.Attributes()) {
            ForEachKey(attribute, false, [&](Key key, std::string_view name) { Stage(element, key, name); });
        }
    });
}

void TreeIndex::AddSubtree(Element& subtreeRoot) {
    StageSubtree(subtreeRoot);
    MergeIncoming();
}

void TreeIndex::AddSubtrees(const std::vector<std::shared_ptr<Node>>& nodes, std::size_t first) {
    // Consecutive siblings' subtrees follow one another in document order: together they are one
    // contiguous run, which each list takes in at one gap.
    for (std::size_t i = first; i < nodes.size(); ++i) {
        if (nodes[i]->IsElement()) {
            StageSubtree(static_cast<Element&>(*nodes[i]));
        }
    }
    MergeIncoming();
}

void TreeIndex::Mark(Key key, std::string_view name) {
    BucketMap& map = MapOf(key);
    auto found = map.find(name);
    if (found == map.end() && (key == Key::Attribute || key == Key::Tag)) {
        found = map.find(ToAsciiLower(name));
    }
    if (found != map.end() && !found->second.touched) {
        found->second.touched = true;
        touched_.emplace_back(key, &found->second);
    }
}

// Drops the marked elements from every touched list in one pass each, keeping the order, and
// forgets lists left empty (ids come and go with the panel's content).
void TreeIndex::CompactTouched() {
    for (auto [key, bucket] : touched_) {
        auto& elements = bucket->elements;
        elements.erase(std::remove_if(elements.begin(), elements.end(),
                                      [](const Element* element) { return element->leavingTreeIndex_; }),
                       elements.end());
        bucket->touched = false;
    }
    for (auto [key, bucket] : touched_) {
        if (bucket->elements.empty()) {
            BucketMap& map = MapOf(key);
            map.erase(map.find(bucket->name));
        }
    }
    touched_.clear();
}

void TreeIndex::RemoveSubtrees(const std::vector<std::shared_ptr<Node>>& subtreeRoots) {
    auto mark = [this](Element& element) {
        element.leavingTreeIndex_ = true;
        Mark(Key::Tag, element.TagName());
        for (const Attribute& attribute : element.Attributes()) {
            ForEachKey(attribute, false, [this](Key key, std::string_view name) { Mark(key, name); });
        }
    };
    for (const auto& node : subtreeRoots) {
        if (node->IsElement()) {
            ForEachElement(static_cast<Element&>(*node), mark);
        }
    }
    CompactTouched();
    for (const auto& node : subtreeRoots) {
        if (node->IsElement()) {
            ForEachElement(static_cast<Element&>(*node), [](Element& element) {
                element.leavingTreeIndex_ = false;
                element.treeIndex_ = nullptr;
            });
        }
    }
}

void TreeIndex::RemoveSubtree(Element& subtreeRoot) {
    RemoveSubtrees({subtreeRoot.shared_from_this()});
}

void TreeIndex::AddAttribute(Element& element, const Attribute& attribute, bool valueOnly) {
    ForEachKey(attribute, valueOnly, [&](Key key, std::string_view name) { Stage(element, key, name); });
    MergeIncoming();
}

void TreeIndex::RemoveAttribute(Element& element, const Attribute& attribute, bool valueOnly) {
    element.leavingTreeIndex_ = true;
    ForEachKey(attribute, valueOnly, [this](Key key, std::string_view name) { Mark(key, name); });
    CompactTouched();
    element.leavingTreeIndex_ = false;
}

} // namespace html
