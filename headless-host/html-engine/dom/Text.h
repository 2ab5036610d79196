// A text node: character data between tags, UTF-8, with character references already decoded.
#pragma once

#include "headless-host/html-engine/dom/Node.h"

#include <memory>
#include <string>
#include <string_view>

namespace html {

class Text final : public Node {
    struct Key {
        explicit Key() = default;
    };

public:
    Text(Key, std::string data) : Node(NodeType::Text), data_(std::move(data)) {}
    static std::shared_ptr<Text> Create(std::string data) {
        return std::make_shared<Text>(Key{}, std::move(data));
    }

    const std::string& Data() const { return data_; }
    void SetData(std::string data) { data_ = std::move(data); }
    void AppendData(std::string_view data) { data_.append(data); }
    std::string TextContent() const override { return data_; }

private:
    std::string data_;
};

} // namespace html
