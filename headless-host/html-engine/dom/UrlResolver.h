// Resolving the URLs a page names (its includes) against the page's own URL, as URL reference
// resolution does (RFC 3986, section 5.2), so that the resource reader never sees a "..".
#pragma once

#include <string>
#include <string_view>

namespace html {

class UrlResolver {
public:
    // `url` as the page at `pageUrl` means it. A URL with a scheme ("res://ui/x.htm") or one that
    // starts with '/' stays as it is (unlike RFC 3986, which would also remove the dot segments of
    // the latter: nothing on this side serves paths from a root). Any other is joined to the
    // page's folder, keeping the page's scheme and authority, and loses its "." and ".." segments.
    // A ".." at the top is dropped: "../../../x/y.htm" from "folder/page.htm" is "x/y.htm", and a
    // page without a URL is taken to be at the top. A query or fragment is carried over untouched.
    // A path that ends in a dot segment names a folder and keeps its '/' ("a/b/.." is "a/"); unlike
    // the RFC's algorithm, a path without a leading '/' never gains one ("a/../../b" is "b").
    static std::string Resolve(std::string_view pageUrl, std::string_view url);
};

} // namespace html
