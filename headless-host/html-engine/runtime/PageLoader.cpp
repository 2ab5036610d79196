#include "headless-host/html-engine/runtime/PageLoader.h"

#include "headless-host/html-engine/dom/UrlResolver.h"

namespace html {

std::optional<std::string> PageLoader::Read(const std::string& url) const {
    return reader_ ? reader_(url) : std::nullopt;
}

Document PageLoader::Parse(std::string_view utf8, const std::string& url) {
    pageUrl_ = url;
    MarkupParser parser(Options());
    Document document = parser.ParseDocument(utf8);
    diagnostics_.clear();
    for (const auto& diagnostic : parser.Diagnostics()) {
        diagnostics_.push_back((diagnostic.source.empty() ? "" : diagnostic.source + ":") +
                               std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) +
                               ": " + diagnostic.message);
    }
    return document;
}

ParseOptions PageLoader::Options() const {
    ParseOptions options;
    // Includes name their file relative to the page; nested includes too, as the parser gives no
    // other base.
    options.includeResolver = [this](std::string_view src) -> std::optional<std::string> {
        if (!reader_) {
            return std::nullopt;
        }
        return reader_(UrlResolver::Resolve(pageUrl_, src));
    };
    return options;
}

} // namespace html
