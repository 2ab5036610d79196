// Popups: the engine's event order when one opens and closes, the ways a user dismisses one, and
// what happens to the focus and the layout.
#include "EngineTestSupport.h"

#include <gmock/gmock.h>

namespace html::test {
namespace {

using ::testing::ElementsAre;

class Popups : public EngineTest {
protected:
    void SetUp() override {
        Load("<div id=editor><div id=view>value</div>"
             "<popup id=edit class=edit-popup><div class=edit-box><input id=input>"
             "<select id=list type=dropdown><option value=a>A</option><option value=b>B</option></select>"
             "<widget id=choices type=select size=2><optgroup><option value=0 selected>0</option>"
             "<option value=1>1</option></optgroup></widget>"
             "</div></popup></div><div id=elsewhere>x</div>");
        handler_ = Attach("#editor", "editor", kHandleBehaviorEvent);
        RecordingHandler::Of(handler_).onEvent = [this](HELEMENT, HtmlBehaviorEventParams& event) {
            // What a handler sees of the popup's state while the event is delivered.
            if (event.cmd == kPopupRequest || event.cmd == kPopupReady || event.cmd == kPopupDismissing ||
                event.cmd == kPopupDismissed) {
                shownDuring_.push_back((StateOf(event.heTarget) & kStatePopup) != 0);
            }
        };
    }

    void Show() { ASSERT_EQ(Api().ShowPopup(Find("#edit").Get(), Find("#view").Get(), 0), kHtmlOk); }
    bool IsShown(const char* selector) { return (StateOf(Find(selector).Get()) & kStatePopup) != 0; }

    so::Ref handler_;
    std::vector<bool> shownDuring_;
};

TEST_F(Popups, ShowAndHideRaiseRequestReadyDismissingDismissed) {
    Show();
    EXPECT_TRUE(IsShown("#edit"));
    EXPECT_NE(StateOf(Find("#view").Get()) & kStateOwnsPopup, 0u);
    ASSERT_EQ(Api().HidePopup(Find("#edit").Get()), kHtmlOk);
    EXPECT_FALSE(IsShown("#edit"));
    EXPECT_EQ(StateOf(Find("#view").Get()) & kStateOwnsPopup, 0u);
    EXPECT_THAT(log_, ElementsAre("editor:event 7 #edit", "editor:event 8 #edit", "editor:event 19 #edit",
                                  "editor:event 9 #edit"));
    EXPECT_THAT(shownDuring_, ElementsAre(false, true, true, false));
}

// However a popup closes, its owner hears that it is going, then that it is gone, from the popup.
enum class Closing { ByEscape, ByAClickOutside, ByTheProgram };

class PopupsClosing : public Popups, public ::testing::WithParamInterface<Closing> {};

TEST_P(PopupsClosing, RaisesDismissingThenDismissedOnThePopup) {
    Show();
    log_.clear();
    shownDuring_.clear();
    switch (GetParam()) {
    case Closing::ByEscape:
        ASSERT_TRUE(driver_.DismissPopup());
        break;
    case Closing::ByAClickOutside:
        ASSERT_TRUE(driver_.Click(Find("#elsewhere").Get()));
        break;
    case Closing::ByTheProgram:
        ASSERT_EQ(Api().HidePopup(Find("#edit").Get()), kHtmlOk);
        break;
    }
    EXPECT_FALSE(IsShown("#edit"));
    EXPECT_EQ(StateOf(Find("#view").Get()) & kStateOwnsPopup, 0u);
    EXPECT_THAT(log_, ElementsAre("editor:event 19 #edit", "editor:event 9 #edit"));
    EXPECT_THAT(shownDuring_, ElementsAre(true, false));
}

INSTANTIATE_TEST_SUITE_P(Popups, PopupsClosing,
                         ::testing::Values(Closing::ByEscape, Closing::ByAClickOutside,
                                           Closing::ByTheProgram),
                         [](const auto& info) {
                             switch (info.param) {
                             case Closing::ByEscape:
                                 return "ByEscape";
                             case Closing::ByAClickOutside:
                                 return "ByAClickOutside";
                             case Closing::ByTheProgram:
                                 return "ByTheProgram";
                             }
                             return "";
                         });

TEST_F(Popups, HidingAPopupThatIsNotShownDoesNothing) {
    ASSERT_EQ(Api().HidePopup(Find("#edit").Get()), kHtmlOk);
    Show();
    log_.clear();
    Show();
    EXPECT_TRUE(log_.empty()) << "showing a shown popup again raises nothing";
}

TEST_F(Popups, ShowingNeedsAnAnchorInTheDocument) {
    EXPECT_EQ(Api().ShowPopup(Find("#edit").Get(), nullptr, 0), kHtmlOperationFailed);
    Handle view = Find("#view");
    Api().DetachElement(view.Get());
    EXPECT_EQ(Api().ShowPopup(Find("#edit").Get(), view.Get(), 0), kHtmlOperationFailed);
    EXPECT_TRUE(log_.empty());
}

TEST_F(Popups, AClickOutsideDismissesButOneOnTheAnchorOrInsideDoesNot) {
    Show();
    log_.clear();
    driver_.Click(Find("#input").Get());
    driver_.Click(Find("#view").Get());
    EXPECT_TRUE(IsShown("#edit"));
    EXPECT_THAT(log_, ElementsAre("editor:event 0 #view"))
        << "the anchor's owner decides about its own clicks";
    log_.clear();
    ASSERT_TRUE(driver_.ClickOutside());
    EXPECT_FALSE(IsShown("#edit"));
    EXPECT_THAT(log_, ElementsAre("editor:event 19 #edit", "editor:event 9 #edit"));
}

TEST_F(Popups, EscapeDismissesTheTopmostPopupOnly) {
    Show();
    driver_.Click(Find("#list").Get()); // opens the drop-down inside the edit popup
    ASSERT_TRUE(IsShown("#list > popup"));
    log_.clear();
    ASSERT_TRUE(driver_.DismissPopup());
    EXPECT_FALSE(IsShown("#list > popup"));
    EXPECT_TRUE(IsShown("#edit"));
    ASSERT_TRUE(driver_.DismissPopup());
    EXPECT_FALSE(IsShown("#edit"));
    EXPECT_FALSE(driver_.DismissPopup()) << "nothing left to dismiss";
}

TEST_F(Popups, HidingAPopupClosesThePopupsInsideItFirst) {
    Show();
    driver_.Click(Find("#list").Get());
    log_.clear();
    ASSERT_EQ(Api().HidePopup(Find("#edit").Get()), kHtmlOk);
    EXPECT_FALSE(IsShown("#list > popup"));
    EXPECT_THAT(log_, ElementsAre("editor:event 19 #popup", "editor:event 9 #popup", "editor:event 19 #edit",
                                  "editor:event 9 #edit"));
}

TEST_F(Popups, FocusInsideAClosingPopupLeavesIt) {
    Show();
    driver_.MoveFocus(Find("#input").Get());
    ASSERT_NE(StateOf(Find("#input").Get()) & kStateFocus, 0u);
    Api().HidePopup(Find("#edit").Get());
    EXPECT_EQ(StateOf(Find("#input").Get()) & kStateFocus, 0u);
}

TEST_F(Popups, AProgramFocusesTheListOfAShownPopupAndTheKeysGoToIt) {
    Show();
    log_.clear();
    ASSERT_EQ(Api().SetElementState(Find(".edit-popup widget[type=select]").Get(), kStateFocus, 0, 1),
              kHtmlOk);
    EXPECT_NE(StateOf(Find("#choices").Get()) & kStateFocus, 0u);
    ASSERT_TRUE(driver_.PressKey(0x28)); // Down
    EXPECT_EQ(JsonOfValue(Find("#choices").Get()), "1");
    EXPECT_THAT(log_, ElementsAre("editor:event 6 #choices"));
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyEscape));
    EXPECT_FALSE(IsShown("#edit"));
    EXPECT_EQ(StateOf(Find("#choices").Get()) & kStateFocus, 0u);
}

TEST_F(Popups, RemovingAShownPopupForgetsIt) {
    Show();
    Handle edit = Find("#edit");
    ASSERT_EQ(Api().DetachElement(edit.Get()), kHtmlOk);
    EXPECT_EQ(StateOf(edit.Get()) & kStatePopup, 0u);
    EXPECT_EQ(StateOf(Find("#view").Get()) & kStateOwnsPopup, 0u);
    log_.clear();
    EXPECT_FALSE(driver_.DismissPopup());
}

TEST_F(Popups, AShownPopupIsLaidOutBelowItsAnchor) {
    RECT hidden{};
    Api().GetElementLocation(Find("#edit").Get(), &hidden, kBorderBoxRelativeToView);
    EXPECT_EQ(hidden.bottom - hidden.top, 0);
    RECT elsewhereBefore{};
    Api().GetElementLocation(Find("#elsewhere").Get(), &elsewhereBefore, kBorderBoxRelativeToView);
    Show();
    RECT view{};
    RECT popup{};
    RECT elsewhereAfter{};
    Api().GetElementLocation(Find("#view").Get(), &view, kBorderBoxRelativeToView);
    Api().GetElementLocation(Find("#edit").Get(), &popup, kBorderBoxRelativeToView);
    Api().GetElementLocation(Find("#elsewhere").Get(), &elsewhereAfter, kBorderBoxRelativeToView);
    EXPECT_EQ(popup.top, view.bottom);
    EXPECT_EQ(popup.left, view.left);
    EXPECT_GT(popup.bottom, popup.top);
    EXPECT_EQ(elsewhereAfter.top, elsewhereBefore.top) << "a popup does not push the page down";
}

} // namespace
} // namespace html::test
