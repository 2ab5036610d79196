// A comment node. Comments are kept in the tree (templates may carry them into the page) and
// serialised back; they never match selectors and add nothing to text content.
#pragma once

#include "headless-host/html-engine/dom/Node.h"

#include <memory>
#include <string>

namespace html {

class Comment final : public Node {
    struct Key {
        explicit Key() = default;
    };

public:
    Comment(Key, std::string data) : Node(NodeType::Comment), data_(std::move(data)) {}
    static std::shared_ptr<Comment> Create(std::string data) {
        return std::make_shared<Comment>(Key{}, std::move(data));
    }

    const std::string& Data() const { return data_; }
    void SetData(std::string data) { data_ = std::move(data); }
    // Comments are not text: an element's text content skips them.
    std::string TextContent() const override { return data_; }

private:
    std::string data_;
};

} // namespace html
