// Translating the texts a page marks with a "localize" attribute, through the host's translator.
#pragma once

#include "headless-host/html-engine/runtime/EngineWindow.h"

namespace html {

class Element;

// [ui-thread]
class Localizer {
public:
    // Applies to what is localised from then on; none by default.
    void SetTranslator(Translator translator) { translator_ = std::move(translator); }
    // The own text nodes of every element in `root`'s subtree that carries "localize" (its value
    // is the context) are replaced by their translation, the white space around the text kept.
    // Nothing happens without a translator.
    void Localize(Element& root) const;

private:
    Translator translator_;
};

} // namespace html
