// The elements of one tree by id, class, attribute name and tag, kept in document order as the tree
// changes, so that a query looks at the few elements that can match instead of the whole tree.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace html {

class Element;
class Node;
struct Attribute;

// Owned by the root of the tree it indexes; every element of that tree points to it (see
// Element::IndexOfTree). The tree's elements report each change that moves them in or out of a list:
// subtrees entering and leaving, attributes set and removed. Lists hold each element once, in
// document order: a subtree is contiguous in document order, so what it brings goes into one gap of
// each list, found by one binary search, and removals never disturb the order.
class TreeIndex {
public:
    enum class Key { Id, Class, Attribute, Tag };

    // Indexes `root`'s whole tree; `root` must have no parent.
    explicit TreeIndex(Element& root);
    TreeIndex(const TreeIndex&) = delete;
    TreeIndex& operator=(const TreeIndex&) = delete;

    // The elements with that id, class, attribute (any value) or tag, in document order; null when
    // there are none. Valid until the tree changes. Attribute and tag names are looked up lower-case.
    const std::vector<Element*>* Find(Key key, std::string_view name) const;

    // `subtreeRoot` and its descendant elements have just entered the tree.
    void AddSubtree(Element& subtreeRoot);
    // The same for consecutive siblings that entered together (`nodes` from `first` on; other nodes
    // than elements are passed over): one merge into each list for all of them.
    void AddSubtrees(const std::vector<std::shared_ptr<Node>>& nodes, std::size_t first);
    // These nodes and their descendants are about to leave the tree (other nodes are ignored).
    void RemoveSubtrees(const std::vector<std::shared_ptr<Node>>& subtreeRoots);
    void RemoveSubtree(Element& subtreeRoot);

    // `element`, in the tree, gains or loses `attribute`. With `valueOnly` only what the value
    // decides (the id, the classes) changes: the attribute stays, with another value.
    void AddAttribute(Element& element, const Attribute& attribute, bool valueOnly);
    void RemoveAttribute(Element& element, const Attribute& attribute, bool valueOnly);

private:
    struct Bucket {
        std::vector<Element*> elements; // document order
        std::vector<Element*> incoming; // what an addition brings, in document order
        bool touched = false;           // in touched_ during a removal
        std::string_view name;          // the map's key, which does not move
    };
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    using BucketMap = std::unordered_map<std::string, Bucket, NameHash, std::equal_to<>>;

    BucketMap& MapOf(Key key) { return maps_[static_cast<std::size_t>(key)]; }
    // Calls `visit(key, name)` for each list `attribute` puts its element in.
    template <typename Visit>
    static void ForEachKey(const Attribute& attribute, bool valueOnly, Visit visit);
    void Stage(Element& element, Key key, std::string_view name);
    void StageSubtree(Element& subtreeRoot);
    void Mark(Key key, std::string_view name);
    void MergeIncoming();
    void CompactTouched();

    BucketMap maps_[4];
    std::vector<Bucket*> staged_;                  // buckets with incoming elements
    std::vector<std::pair<Key, Bucket*>> touched_; // buckets that lose marked elements
};

// Whether `a` comes before `b` in document order; both in the same tree. Needs no allocation:
// linear in the depth of the tree.
bool PrecedesInTree(const Node& a, const Node& b);

} // namespace html
