#include "headless-host/html-engine/runtime/Localizer.h"

#include "headless-host/html-engine/dom/AsciiText.h"
#include "headless-host/html-engine/dom/ElementTree.h"
#include "headless-host/html-engine/dom/Text.h"
#include "service-common/TextConversion.h"

namespace html {

void Localizer::Localize(Element& root) const {
    if (!translator_) {
        return;
    }
    for (const auto& element : SubtreeElements(root)) {
        const std::string* context = element->GetAttribute("localize");
        if (context == nullptr) {
            continue;
        }
        const std::wstring wideContext = so::WideFromUtf8(*context);
        // Only the element's own text nodes: elements inside it carry their own attribute if they
        // are to be translated.
        for (const auto& child : element->Children()) {
            if (child->Type() != NodeType::Text) {
                continue;
            }
            auto& text = static_cast<html::Text&>(*child);
            std::string_view data = text.Data();
            std::string_view trimmed = TrimAsciiWhitespace(data);
            if (trimmed.empty()) {
                continue;
            }
            std::optional<std::wstring> translated = translator_(so::WideFromUtf8(trimmed), wideContext);
            if (translated) {
                std::size_t leading = std::size_t(trimmed.data() - data.data());
                text.SetData(std::string(data.substr(0, leading)) + so::Utf8FromWide(*translated) +
                             std::string(data.substr(leading + trimmed.size())));
            }
        }
    }
}

} // namespace html
