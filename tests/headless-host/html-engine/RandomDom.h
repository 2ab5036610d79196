// Random trees, mutations and selectors for the differential tests of the indexed queries: the
// GoogleTest draws its choices from a seeded generator, the fuzz harness from its input bytes.
#pragma once

#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/SelectorError.h"
#include "headless-host/html-engine/dom/SelectorParser.h"
#include "headless-host/html-engine/dom/SelectorQuery.h"
#include "headless-host/html-engine/dom/Text.h"
#include "headless-host/html-engine/dom/TreeIndex.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace html::testing {

// `choose(n)` returns a number below n. Names come from small sets, so that selectors hit often.
class RandomDom {
public:
    using Choose = std::function<std::size_t(std::size_t)>;

    explicit RandomDom(Choose choose) : choose_(std::move(choose)) {}

    // A tree of about `size` elements with text between some of them.
    std::shared_ptr<Element> MakeTree(std::size_t size) {
        auto root = MakeElement();
        std::vector<Element*> elements{root.get()};
        for (std::size_t i = 1; i < size; ++i) {
            Element& parent = *elements[choose_(elements.size())];
            if (choose_(4) == 0) {
                parent.AppendChild(Text::Create(choose_(2) ? "t" : ""));
            }
            auto child = MakeElement();
            elements.push_back(child.get());
            parent.InsertChild(choose_(parent.Children().size() + 1), std::move(child));
        }
        return root;
    }

    // One change anywhere in `roots`' trees: the trees the test holds, detached subtrees included.
    // Removed subtrees are added to `roots`, as an outside handle would keep them.
    void Mutate(std::vector<std::shared_ptr<Element>>& roots) {
        std::vector<Element*> elements;
        for (const auto& root : roots) {
            elements.push_back(root.get());
            for (Node* node = NextInTreeOrder(*root, *root); node; node = NextInTreeOrder(*node, *root)) {
                if (node->IsElement()) {
                    elements.push_back(static_cast<Element*>(node));
                }
            }
        }
        Element& element = *elements[choose_(elements.size())];
        switch (choose_(10)) {
        case 0:
            element.SetAttribute("class", ClassList());
            break;
        case 1:
            element.SetAttribute(Pick(kAttributeNames), Pick(kValues));
            break;
        case 2:
            element.RemoveAttribute(Pick(kAttributeNames));
            break;
        case 3:
            element.AddMissingAttributes({{"class", ClassList()}, {Pick(kAttributeNames), Pick(kValues)}});
            break;
        case 4:
            if (element.Parent()) {
                roots.push_back(std::static_pointer_cast<Element>(element.Remove()));
            }
            break;
        case 5: {
            // Moves an element (maybe a detached root, maybe from another tree) under another one.
            Element& target = *elements[choose_(elements.size())];
            try {
                target.InsertChild(choose_(target.Children().size() + 1), element.shared_from_this());
            } catch (const std::invalid_argument&) {
                // into itself or a descendant: refused, nothing changed
            }
            break;
        }
        case 6:
            element.AppendChild(MakeTree(1 + choose_(4)));
            break;
        case 7:
            if (choose_(4) == 0) {
                element.SetTextContent("x");
            }
            break;
        case 8: {
            // Takes over all the children of another element (maybe of another tree).
            Element& donor = *elements[choose_(elements.size())];
            try {
                element.AppendChildrenOf(donor);
            } catch (const std::invalid_argument&) {
                // from itself or an ancestor: refused, nothing changed
            }
            break;
        }
        default:
            element.SetAttribute("id", Pick(kIds));
            break;
        }
        // Detached roots that went back into a tree are no roots any more.
        std::erase_if(roots, [](const std::shared_ptr<Element>& root) { return root->Parent() != nullptr; });
    }

    // A selector text in the engine's dialect; may be invalid now and then.
    std::string Selector() {
        std::string text = Complex();
        while (choose_(4) == 0) {
            text += ", " + Complex();
        }
        return text;
    }

private:
    static constexpr std::array<const char*, 4> kTags = {"div", "span", "p", "li"};
    static constexpr std::array<const char*, 5> kClasses = {"a", "b", "c", "d", "a-b"};
    static constexpr std::array<const char*, 3> kIds = {"x", "y", "z"};
    static constexpr std::array<const char*, 3> kAttributeNames = {"name", "lv", "id"};
    static constexpr std::array<const char*, 4> kValues = {"v", "w", "v w", ""};

    template <std::size_t N>
    const char* Pick(const std::array<const char*, N>& names) {
        return names[choose_(N)];
    }

    std::string ClassList() {
        std::string list;
        for (std::size_t count = choose_(4); count > 0; --count) {
            list += std::string(choose_(3) == 0 ? "  " : " ") + Pick(kClasses);
        }
        return list;
    }

    std::shared_ptr<Element> MakeElement() {
        auto element = Element::Create(Pick(kTags));
        if (choose_(3) != 0) {
            element->SetAttribute("class", ClassList());
        }
        if (choose_(4) == 0) {
            element->SetAttribute("id", Pick(kIds));
        }
        if (choose_(3) == 0) {
            element->SetAttribute(Pick(kAttributeNames), Pick(kValues));
        }
        return element;
    }

    std::string Simple() {
        switch (choose_(14)) {
        case 0:
            return Pick(kTags);
        case 1:
        case 2:
        case 3:
            return std::string(".") + Pick(kClasses);
        case 4:
            return std::string("#") + Pick(kIds);
        case 5:
            return std::string("[") + Pick(kAttributeNames) + "]";
        case 6:
            return std::string("[") + Pick(kAttributeNames) + (choose_(2) ? "~=" : "=") + Pick(kValues) + "]";
        case 7:
            return choose_(2) ? ":nth-child(odd)" : ":nth-last-child(2n+1)";
        case 8:
            return choose_(2) ? ":first-child" : ":last-of-type";
        case 9:
            return ":not(" + Compound() + ")";
        case 10:
            return ":root";
        case 11:
            return ":empty";
        case 12:
            return "*";
        default:
            return "[ID=" + std::string(Pick(kIds)) + "]";
        }
    }

    std::string Compound() {
        std::string text = Simple();
        while (choose_(3) == 0) {
            const std::string more = Simple();
            if (more != "*") {
                text += more;
            }
        }
        return text;
    }

    std::string Complex() {
        static constexpr std::array<const char*, 4> kCombinators = {" ", " > ", " + ", " ~ "};
        std::string text = Compound();
        for (std::size_t count = choose_(4); count > 0; --count) {
            text += (choose_(3) == 0 ? kCombinators[choose_(4)] : kCombinators[choose_(2)]) + Compound();
        }
        return text;
    }

    Choose choose_;
};

// The indexed queries and the reference agree on `scope`: QueryAll, QueryFirst and, for each
// element found, Matches. Returns a description of the first difference, or nothing.
inline std::string CompareWithReference(Element& scope, const SelectorList& selector) {
    const auto indexed = QueryAll(scope, selector);
    const auto reference = QueryAll(scope, selector, QueryOptions{.useIndex = false});
    if (indexed != reference) {
        return "QueryAll found " + std::to_string(indexed.size()) + " elements, the reference " +
               std::to_string(reference.size());
    }
    if (QueryFirst(scope, selector) != QueryFirst(scope, selector, QueryOptions{.useIndex = false})) {
        return "QueryFirst differs";
    }
    return {};
}

// The index of `root`'s tree holds, for each name RandomDom uses, exactly the elements a walk finds,
// in document order, and no empty list. Returns a description of the first difference, or nothing.
inline std::string CompareIndexWithTree(Element& root) {
    std::vector<Element*> elements{&root};
    for (Node* node = NextInTreeOrder(root, root); node; node = NextInTreeOrder(*node, root)) {
        if (node->IsElement()) {
            elements.push_back(static_cast<Element*>(node));
        }
    }
    const TreeIndex& index = root.IndexOfTree();
    std::string difference;
    auto compare = [&](TreeIndex::Key key, std::string_view name, auto has) {
        std::vector<Element*> expected;
        std::copy_if(elements.begin(), elements.end(), std::back_inserter(expected), has);
        const std::vector<Element*>* list = index.Find(key, name);
        if (difference.empty() && (list ? *list != expected || list->empty() : !expected.empty())) {
            difference = "the list of " + std::string(name) + " holds " +
                         std::to_string(list ? list->size() : 0) + " elements, the tree " +
                         std::to_string(expected.size());
        }
    };
    for (std::string_view name : {"a", "b", "c", "d", "a-b"}) {
        compare(TreeIndex::Key::Class, name, [name](Element* e) { return e->HasClass(name); });
    }
    for (std::string_view name : {"x", "y", "z"}) {
        compare(TreeIndex::Key::Id, name, [name](Element* e) { return e->Id() == name; });
    }
    for (std::string_view name : {"name", "lv", "id", "class"}) {
        compare(TreeIndex::Key::Attribute, name, [name](Element* e) { return e->HasAttribute(name); });
    }
    for (std::string_view name : {"div", "span", "p", "li"}) {
        compare(TreeIndex::Key::Tag, name, [name](Element* e) { return e->TagName() == name; });
    }
    return difference;
}

} // namespace html::testing
