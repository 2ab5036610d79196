// The stand-in layout: stacked blocks, what takes no space, text lines, widths, intrinsic heights,
// and the window's place on the screen.
#include "EngineTestSupport.h"

#include "headless-host/html-engine/runtime/Layout.h"
#include "host/WindowsApi.h"

#include <gmock/gmock.h>

// Found by argument lookup: RECT lives in the global namespace.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

[[maybe_unused]] static void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace html::test {
namespace {

constexpr std::int32_t kLine = html::Layout::kLineHeight;

class Layout : public EngineTest {
protected:
    RECT Box(const char* selector) {
        RECT box{-1, -1, -1, -1};
        EXPECT_EQ(Api().GetElementLocation(Find(selector).Get(), &box, kBorderBoxRelativeToView), kHtmlOk);
        return box;
    }
};

TEST_F(Layout, BlocksStackAtTheirParentsWidth) {
    Load("<body><div id=a>text</div><div id=b style='height: 50px'></div>"
         "<div id=c><input id=i><textarea id=t rows=3></textarea></div></body>");
    EXPECT_EQ(Box("#a"), (RECT{0, 0, 400, kLine}));
    EXPECT_EQ(Box("#b"), (RECT{0, kLine, 400, kLine + 50}));
    EXPECT_EQ(Box("#i"), (RECT{0, kLine + 50, 400, 2 * kLine + 50}));
    EXPECT_EQ(Box("#t"), (RECT{0, 2 * kLine + 50, 400, 5 * kLine + 50}));
    EXPECT_EQ(Box("#c"), (RECT{0, kLine + 50, 400, 5 * kLine + 50}));
    RECT root{};
    Api().GetElementLocation(Root().Get(), &root, kBorderBoxRelativeToView);
    EXPECT_EQ(root, (RECT{0, 0, 400, 800})) << "the root fills the view";
}

class LayoutHidden : public Layout, public ::testing::WithParamInterface<const char*> {};

TEST_P(LayoutHidden, HiddenElementsTakeNoSpace) {
    Load(std::string("<div id=before>x</div><div id=hidden ") + GetParam() +
         "><p>inside</p></div><div id=after>y</div>");
    EXPECT_EQ(Box("#hidden"), (RECT{0, kLine, 0, kLine}));
    EXPECT_EQ(Box("#after").top, kLine);
}

INSTANTIATE_TEST_SUITE_P(Layout, LayoutHidden,
                         ::testing::Values("style='display: none'", "style='visibility:collapse'",
                                           "class=x style='color: red; VISIBILITY: Collapse'"));

TEST_F(Layout, CollapsedStateAndStyleChangesTakeEffect) {
    Load("<div id=a>x</div><div id=b>y</div>");
    Api().SetElementState(Find("#a").Get(), kStateCollapsed, 0, 1);
    EXPECT_EQ(Box("#b").top, 0);
    Api().SetElementState(Find("#a").Get(), kStateExpanded, 0, 1);
    Api().SetStyleAttribute(Find("#a").Get(), "height", L"33px");
    EXPECT_EQ(Box("#b").top, 33);
    window_.Resize(200, 300);
    EXPECT_EQ(Box("#b").right, 200);
}

TEST_F(Layout, TextWrapsAtTheBoxWidth) {
    // 400 px hold 50 characters a line.
    Load("<div id=a>" + std::string(120, 'x') + "</div><div id=b>  a   b  </div><pre id=c>one\ntwo\n</pre>");
    EXPECT_EQ(Box("#a").bottom - Box("#a").top, 3 * kLine);
    EXPECT_EQ(Box("#b").bottom - Box("#b").top, kLine);
    EXPECT_EQ(Box("#c").bottom - Box("#c").top, 3 * kLine);
}

TEST_F(Layout, WidthsFollowTheirStyles) {
    Load("<div id=w style='width: 100px'><div id=in>x</div></div><div id=min style='min-width: 500px'></div>"
         "<div id=max style='max-width:50px'></div>");
    EXPECT_EQ(Box("#in").right, 100);
    EXPECT_EQ(Box("#min").right, 500);
    EXPECT_EQ(Box("#max").right, 50);
}

TEST_F(Layout, IntrinsicHeightMeasuresEvenWhatIsHidden) {
    Load("<popup id=p><div class=edit-box>" + std::string(80, 'y') + "<input></div></popup>");
    std::int32_t height = 0;
    ASSERT_EQ(Api().GetElementIntrinsicHeight(Find(".edit-box").Get(), 320, &height), kHtmlOk);
    EXPECT_EQ(height, 3 * kLine) << "two lines of 40 characters and the input";
    ASSERT_EQ(Api().GetElementIntrinsicHeight(Find("#p").Get(), 800, &height), kHtmlOk);
    EXPECT_EQ(height, 2 * kLine);
    EXPECT_EQ(Api().GetElementIntrinsicHeight(Find("#p").Get(), -1, &height), kHtmlInvalidParameter);
}

TEST_F(Layout, IntrinsicHeightGrowsWithTheRowsAListShows) {
    Load("<div class=edit-box id=sized><div class=edit-view>Two</div><widget type=select size=3>"
         "<optgroup><option value=0>One</option><option value=1>Two</option></optgroup></widget></div>"
         "<div class=edit-box id=unsized><widget type=select><option>One</option><option>Two</option>"
         "<option>Three</option></widget></div><div id=empty></div>");
    auto height = [this](const char* selector) {
        std::int32_t measured = -1;
        EXPECT_EQ(Api().GetElementIntrinsicHeight(Find(selector).Get(), 200, &measured), kHtmlOk);
        return measured;
    };
    EXPECT_EQ(height("#sized"), 4 * kLine) << "the caption and the three rows of its size";
    Api().SetAttributeByName(Find("#sized widget").Get(), "size", L"6");
    EXPECT_EQ(height("#sized"), 7 * kLine);
    EXPECT_EQ(height("#unsized"), 3 * kLine) << "without a size, as many rows as it has options";
    Api().SetElementHtml(Find("#unsized widget").Get(), "<option>Four</option>", 20, kAppendInnerHtml);
    EXPECT_EQ(height("#unsized"), 4 * kLine);
    EXPECT_EQ(height("#empty"), 0);

    Handle detached = Find("#unsized");
    ASSERT_EQ(Api().DetachElement(detached.Get()), kHtmlOk);
    std::int32_t measured = -1;
    ASSERT_EQ(Api().GetElementIntrinsicHeight(detached.Get(), 200, &measured), kHtmlOk);
    EXPECT_EQ(measured, 0) << "outside the document";
}

TEST_F(Layout, TheWindowKnowsItsPlaceOnTheScreen) {
    window_.MoveTo(POINT{30, 40});
    window_.SetVisibleScreenArea(RECT{0, 0, 1280, 700});
    Handle root = Root();
    HWND hwnd = nullptr;
    Api().GetElementHwnd(root.Get(), &hwnd, 1);
    POINT point{5, 6};
    ASSERT_TRUE(ClientToScreen(hwnd, &point));
    EXPECT_EQ(point.x, 35);
    EXPECT_EQ(point.y, 46);
    RECT area{};
    EXPECT_EQ(SendMessageW(hwnd, 0x0626, 0, reinterpret_cast<LPARAM>(&area)), 1);
    EXPECT_EQ(area, (RECT{0, 0, 1280, 700}));

    HWND closed = nullptr;
    {
        html::EngineWindow other(queue_);
        closed = other.Handle();
    }
    POINT unmoved{1, 1};
    EXPECT_FALSE(ClientToScreen(closed, &unmoved));
}

TEST_F(Layout, OnlyViewRelativeAreasAreGiven) {
    RECT box{};
    EXPECT_EQ(Api().GetElementLocation(Root().Get(), &box, 0x24), kHtmlInvalidParameter);
    EXPECT_EQ(Api().GetElementLocation(Root().Get(), &box, kContentBoxRelativeToView), kHtmlOk);
}

} // namespace
} // namespace html::test
