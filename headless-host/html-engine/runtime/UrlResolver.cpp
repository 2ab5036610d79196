#include "headless-host/html-engine/runtime/UrlResolver.h"

#include <vector>

namespace html {

std::string UrlResolver::Resolve(std::string_view pageUrl, std::string_view url) {
    if (pageUrl.empty() || url.find("://") != std::string_view::npos || url.starts_with('/')) {
        return std::string(url);
    }
    std::string joined = std::string(pageUrl.substr(0, pageUrl.rfind('/') + 1)) + std::string(url);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (true) {
        std::size_t end = joined.find('/', start);
        std::string segment =
            joined.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (segment == "..") {
            if (!segments.empty() && segments.back() != ".." && !segments.back().empty() &&
                !segments.back().ends_with(':')) {
                segments.pop_back();
            } else {
                segments.push_back(segment);
            }
        } else if (segment != ".") {
            segments.push_back(std::move(segment));
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::string resolved;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        resolved += (i > 0 ? "/" : "") + segments[i];
    }
    return resolved;
}

} // namespace html
