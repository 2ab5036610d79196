// Which native behaviour an element gets, and making it.
#pragma once

#include "headless-host/html-engine/behaviors/Behavior.h"

#include <memory>
#include <string_view>

namespace html {

class Element;

class Behaviors {
public:
    // The behaviour a tag and its "type" imply without any binding, or "": inputs by type, button,
    // textarea, plaintext, select and widget[type=select], form, and the caption of an editable
    // drop-down select, and tabs for an element holding a ".strip" and a ".panels-container".
    static std::string_view IntrinsicName(const Element& element);
    // A new behaviour by name; null for an unknown one.
    static std::unique_ptr<Behavior> Create(std::string_view name);
};

} // namespace html
