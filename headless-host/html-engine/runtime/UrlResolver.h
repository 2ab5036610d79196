// Resolving the URLs a page names (its includes) against the page's own URL.
#pragma once

#include <string>
#include <string_view>

namespace html {

class UrlResolver {
public:
    // `url` as the page at `pageUrl` means it. It stays as it is when the page has no URL, when it
    // names a scheme with "://" or when it starts with '/'; otherwise it is joined to the page's
    // folder and its "." and ".." segments are resolved. A ".." never climbs over a scheme ("res:")
    // or the start of an absolute path: it is kept.
    static std::string Resolve(std::string_view pageUrl, std::string_view url);
};

} // namespace html
