// How a page's relative URLs become the URLs its resources are read by.
#include "headless-host/html-engine/dom/UrlResolver.h"

#include <gtest/gtest.h>

#include <ostream>

namespace html {
namespace {

struct Resolution {
    const char* name;
    const char* pageUrl;
    const char* url;
    const char* resolved;
};

[[maybe_unused]] void PrintTo(const Resolution& resolution, std::ostream* out) {
    *out << resolution.name;
}

class UrlResolverResolves : public ::testing::TestWithParam<Resolution> {};

TEST_P(UrlResolverResolves, AsUrlResolutionDoes) {
    const Resolution& resolution = GetParam();
    EXPECT_EQ(UrlResolver::Resolve(resolution.pageUrl, resolution.url), resolution.resolved)
        << "\"" << resolution.url << "\" from \"" << resolution.pageUrl << "\"";
}

// Pages of the UI root name their resources by paths without a scheme.
INSTANTIATE_TEST_SUITE_P(
    UiRoot, UrlResolverResolves,
    ::testing::Values(
        Resolution{"SameFolder", "document-panel-properties/properties-view.htm", "tooltips.htm",
                   "document-panel-properties/tooltips.htm"},
        Resolution{"SiblingFolder", "document-panel-properties/properties-view.htm",
                   "../common-styles/bubble.htm.inc", "common-styles/bubble.htm.inc"},
        Resolution{"DotDotAboveTheRootIsDropped", "document-panel-properties/properties-view.htm",
                   "../../../popup-color-table/popup-color-table.htm",
                   "popup-color-table/popup-color-table.htm"},
        Resolution{"DotDotInsideTheUrl", "a/b/page.htm", "c/../../d/./e.htm", "a/d/e.htm"},
        Resolution{"DotDotAfterAnEmptySegment", "a/page.htm", "b//../c.htm", "a/b/c.htm"},
        Resolution{"NeverGainsALeadingSlash", "a/page.htm", "../../b.htm", "b.htm"},
        Resolution{"PageAtTheTop", "page.htm", "../x/y.htm", "x/y.htm"},
        Resolution{"PageWithoutAUrlIsAtTheTop", "", "../x/./y.htm", "x/y.htm"},
        Resolution{"FolderKeepsItsSlash", "a/b/page.htm", "..", "a/"},
        Resolution{"WholeRootIsEmpty", "a/page.htm", "..", ""},
        Resolution{"DotSegmentsInTheQueryStay", "a/page.htm", "b.htm?x=/../y#/../z", "a/b.htm?x=/../y#/../z"},
        Resolution{"PagesQueryIsNoFolder", "a/page.htm?from=b/c", "d.htm", "a/d.htm"}),
    [](const auto& info) { return std::string(info.param.name); });

// The reference examples of RFC 3986 (5.4), against its base URL, where this resolver agrees.
INSTANTIATE_TEST_SUITE_P(
    SchemeAndAuthority, UrlResolverResolves,
    ::testing::Values(
        Resolution{"Segment", "http://a/b/c/d;p?q", "g", "http://a/b/c/g"},
        Resolution{"DotSegment", "http://a/b/c/d;p?q", "./g", "http://a/b/c/g"},
        Resolution{"Folder", "http://a/b/c/d;p?q", "g/", "http://a/b/c/g/"},
        Resolution{"Dot", "http://a/b/c/d;p?q", ".", "http://a/b/c/"},
        Resolution{"DotDot", "http://a/b/c/d;p?q", "..", "http://a/b/"},
        Resolution{"DotDotSegment", "http://a/b/c/d;p?q", "../../g", "http://a/g"},
        Resolution{"DotDotAboveThePath", "http://a/b/c/d;p?q", "../../../../g", "http://a/g"},
        Resolution{"DotDotWithinTheUrl", "http://a/b/c/d;p?q", "g;x=1/../y", "http://a/b/c/y"},
        Resolution{"DotsInANameStay", "http://a/b/c/d;p?q", "..g/g../.g", "http://a/b/c/..g/g../.g"},
        Resolution{"QueryOnly", "http://a/b/c/d;p?q", "?y", "http://a/b/c/d;p?y"},
        Resolution{"FragmentOnly", "http://a/b/c/d;p?q", "#s", "http://a/b/c/d;p?q#s"},
        Resolution{"Empty", "http://a/b/c/d;p?q", "", "http://a/b/c/d;p?q"},
        Resolution{"AuthorityWithoutPath", "res://ui", "x.htm", "res://ui/x.htm"},
        Resolution{"SchemeWithoutAuthority", "res:panel/page.htm", "../../x.htm", "res:x.htm"},
        Resolution{"HostPage", "res://ui/panel/page.htm", "../common/part.htm", "res://ui/common/part.htm"}),
    [](const auto& info) { return std::string(info.param.name); });

// What names its own place is taken as written.
INSTANTIATE_TEST_SUITE_P(
    AsWritten, UrlResolverResolves,
    ::testing::Values(Resolution{"Scheme", "a/page.htm", "res://ui/../x.htm", "res://ui/../x.htm"},
                      Resolution{"SchemeWithoutSlashes", "a/page.htm", "g:h", "g:h"},
                      Resolution{"FromTheRoot", "a/page.htm", "/../x.htm", "/../x.htm"},
                      Resolution{"NetworkPath", "http://a/b/c/d;p?q", "//g", "//g"},
                      Resolution{"ColonAfterASlashIsNoScheme", "a/page.htm", "b/c:d.htm", "a/b/c:d.htm"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace html
