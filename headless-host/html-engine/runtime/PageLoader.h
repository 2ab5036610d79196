// Loading pages: the host's resource reader, the URL of the page shown (which its includes and
// later insertions are resolved against) and the markup errors of the last load.
#pragma once

#include "headless-host/html-engine/dom/Document.h"
#include "headless-host/html-engine/dom/MarkupParser.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace html {

// [ui-thread]
class PageLoader {
public:
    void SetResourceReader(ResourceReader reader) { reader_ = std::move(reader); }
    // The resource at `url`; none without a reader or such a resource.
    std::optional<std::string> Read(const std::string& url) const;
    // The page at `url` from its markup: `url` becomes the page's URL first (its includes are
    // resolved against it), and the parser's diagnostics replace the last load's.
    Document Parse(std::string_view utf8, const std::string& url);
    // For markup put into the page later: includes read relative to the page.
    ParseOptions Options() const;
    // As "line:column: message", prefixed with the include's source when there is one.
    const std::vector<std::string>& Diagnostics() const { return diagnostics_; }

private:
    ResourceReader reader_;
    std::string pageUrl_;
    std::vector<std::string> diagnostics_;
};

} // namespace html
