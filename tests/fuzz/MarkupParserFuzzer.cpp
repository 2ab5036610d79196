// libFuzzer harness for the markup parser: any input parses, and the serialised result is a fixed
// point (it reparses without diagnostics and serialises to itself).
#include "headless-host/html-engine/dom/Element.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/dom/MarkupSerializer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    html::ParseOptions options;
    options.maxElementDepth = 64;
    html::MarkupParser parser(options);
    const std::string first = html::MarkupSerializer::Serialize(parser.ParseDocument(markup));
    const std::string second = html::MarkupSerializer::Serialize(parser.ParseDocument(first));
    if (first != second || !parser.Diagnostics().empty()) {
        std::fprintf(stderr, "not a fixed point:\n%s\n%s\n", first.c_str(), second.c_str());
        std::abort();
    }
    auto target = html::Element::Create("div");
    parser.SetInnerHtml(*target, markup);
    const std::string inner = html::MarkupSerializer::InnerHtml(*target);
    parser.SetInnerHtml(*target, inner);
    if (html::MarkupSerializer::InnerHtml(*target) != inner) {
        std::fprintf(stderr, "fragment not a fixed point:\n%s\n", inner.c_str());
        std::abort();
    }
    return 0;
}
