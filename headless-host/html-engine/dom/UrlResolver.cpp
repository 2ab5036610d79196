#include "headless-host/html-engine/dom/UrlResolver.h"

#include <algorithm>
#include <vector>

namespace html {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the URL's "scheme:" (RFC 3986, 3.1), 0 without one.
std::size_t SchemeLength(std::string_view url) {
    if (url.empty() || !IsAsciiLetter(url.front())) {
        return 0;
    }
    for (std::size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':') {
            return i + 1;
        }
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return 0;
        }
    }
    return 0;
}

// Where the path of a URL that starts at `from` ends: at its query or fragment.
std::size_t PathEnd(std::string_view url, std::size_t from) {
    const std::size_t end = url.find_first_of("?#", from);
    return end == std::string_view::npos ? url.size() : end;
}

// The path without its "." and ".." segments (RFC 3986, 5.2.4), its leading '/' kept.
std::string RemoveDotSegments(std::string_view path) {
    const bool absolute = path.starts_with('/');
    if (absolute) {
        path.remove_prefix(1);
    }
    std::vector<std::string_view> kept;
    bool endsInFolder = false;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment =
            path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (segment == "..") {
            // At the top a ".." has nowhere to go: it is dropped, never kept to climb further.
            if (!kept.empty()) {
                kept.pop_back();
            }
        } else if (segment != ".") {
            kept.push_back(segment);
        }
        if (slash == std::string_view::npos) {
            endsInFolder = segment == "." || segment == "..";
            break;
        }
        start = slash + 1;
    }
    std::string resolved = absolute ? "/" : "";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            resolved += '/';
        }
        resolved += kept[i];
    }
    if (endsInFolder && !kept.empty()) {
        resolved += '/';
    }
    return resolved;
}

} // namespace

std::string UrlResolver::Resolve(std::string_view pageUrl, std::string_view url) {
    if (SchemeLength(url) != 0 || url.starts_with('/')) {
        return std::string(url);
    }
    // The page's URL as scheme and authority, then path, then query (its fragment plays no part).
    std::size_t pathStart = SchemeLength(pageUrl);
    const bool hasAuthority = pageUrl.substr(pathStart).starts_with("//");
    if (hasAuthority) {
        pathStart = std::min(pageUrl.find_first_of("/?#", pathStart + 2), pageUrl.size());
    }
    const std::size_t pathEnd = PathEnd(pageUrl, pathStart);
    const std::string_view prefix = pageUrl.substr(0, pathStart);
    const std::string_view pagePath = pageUrl.substr(pathStart, pathEnd - pathStart);
    const std::size_t fragment = std::min(pageUrl.find('#', pathEnd), pageUrl.size());
    const std::string_view pageQuery = pageUrl.substr(pathEnd, fragment - pathEnd);

    const std::size_t urlPathEnd = PathEnd(url, 0);
    const std::string_view urlPath = url.substr(0, urlPathEnd);
    const std::string_view rest = url.substr(urlPathEnd);
    if (urlPath.empty()) {
        // The page itself: with the URL's query if it has one, else the page's.
        return std::string(prefix) + std::string(pagePath) +
               std::string(rest.starts_with('?') ? std::string_view() : pageQuery) + std::string(rest);
    }
    // Joined to the page's folder (npos + 1 is 0: a page at the top has none), or to the root of a
    // bare authority.
    std::string merged = hasAuthority && pagePath.empty()
                             ? std::string("/")
                             : std::string(pagePath.substr(0, pagePath.rfind('/') + 1));
    merged += urlPath;
    return std::string(prefix) + RemoveDotSegments(merged) + std::string(rest);
}

} // namespace html
