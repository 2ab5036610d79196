// The user-input driver: each action raises what a real engine raises for it, in the same order.
#include "EngineTestSupport.h"

#include "host/WindowsApi.h"

#include <gmock/gmock.h>

namespace html::test {
namespace {

using ::testing::ElementsAre;

constexpr std::uint32_t kAllGroups = kHandleMouse | kHandleKey | kHandleFocus | kHandleBehaviorEvent;

class InputDriver : public EngineTest {};

TEST_F(InputDriver, ClickIsMouseDownUpThenTheEngineReaction) {
    Load("<div id=box><button id=c type=checkbox>check</button><div id=plain>text</div></div>");
    so::Ref handler = Attach("#box", "box", kHandleMouse | kHandleBehaviorEvent);
    ASSERT_TRUE(driver_.Click(Find("#c").Get()));
    EXPECT_NE(StateOf(Find("#c").Get()) & kStateChecked, 0u);
    ASSERT_TRUE(driver_.Click(Find("#plain").Get()));
    EXPECT_THAT(log_, ElementsAre("box:mouse 4 #c", "box:mouse 3 #c", "box:event 2 #c", "box:event 0 #c",
                                  "box:mouse 4 #plain", "box:mouse 3 #plain", "box:event 0 #plain"));
}

TEST_F(InputDriver, DisabledElementsAndForeignHandlesAreNotClicked) {
    Load("<div id=box disabled><div id=bar><button id=b>x</button></div></div>");
    so::Ref handler = Attach("#box", "box", kAllGroups);
    Api().SetElementState(Find("#bar").Get(), kStateDisabled, 0, 1);
    EXPECT_FALSE(driver_.Click(Find("#b").Get()));
    EXPECT_FALSE(driver_.Click(nullptr));
    html::EngineWindow other(queue_);
    HELEMENT otherRoot = nullptr;
    Api().GetRootElement(other.Handle(), &otherRoot);
    Handle otherRootHandle = Handle::Adopt(otherRoot);
    EXPECT_FALSE(driver_.Click(otherRoot));
    EXPECT_TRUE(log_.empty());
}

TEST_F(InputDriver, TypingRaisesKeysAndAValueChangePerCharacter) {
    Load("<div id=box><input id=e type=number></div>");
    so::Ref handler = Attach("#box", "box", kHandleKey | kHandleBehaviorEvent);
    ASSERT_TRUE(driver_.TypeText(Find("#e").Get(), L"4x"));
    EXPECT_THAT(log_, ElementsAre("box:key0 52 #e", "box:key2 52 #e", "box:event 3 #e", "box:event 4 #e",
                                  "box:key1 52 #e", "box:key0 88 #e", "box:key2 120 #e", "box:key1 88 #e"));
    EXPECT_EQ(JsonOfValue(Find("#e").Get()), "4");
}

TEST_F(InputDriver, ATypedTabIsACharacterOfTheFieldWhileTheTabKeyMovesTheFocus) {
    Load("<div id=box><input id=e><input id=n type=number><input id=next></div>");
    so::Ref handler = Attach("#box", "box", kHandleKey);
    ASSERT_TRUE(driver_.TypeText(Find("#e").Get(), L"a\tb"));
    // The character alone: no key down or up of the Tab key, which would move the focus.
    EXPECT_THAT(log_, ElementsAre("box:key0 65 #e", "box:key2 97 #e", "box:key1 65 #e", "box:key2 9 #e",
                                  "box:key0 66 #e", "box:key2 98 #e", "box:key1 66 #e"));
    EXPECT_EQ(TextOf(Find("#e").Get()), L"a\tb");
    EXPECT_EQ(StateOf(Find("#e").Get()) & kStateFocus, kStateFocus);
    ASSERT_TRUE(driver_.TypeText(Find("#n").Get(), L"1\t2"));
    EXPECT_EQ(JsonOfValue(Find("#n").Get()), "12");
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyTab));
    EXPECT_EQ(StateOf(Find("#next").Get()) & kStateFocus, kStateFocus);
    EXPECT_EQ(TextOf(Find("#next").Get()), L"");
}

TEST_F(InputDriver, AKeyDownAHandlerTakesHasNoDefaultAction) {
    Load("<div id=box><textarea id=t>a</textarea></div>");
    so::Ref handler = Attach("#box", "box", kHandleKey);
    Handle text = Find("#t");
    driver_.TypeText(text.Get(), L"\n");
    EXPECT_EQ(TextOf(text.Get()), L"a\n");
    RecordingHandler::Of(handler).keysHandled = {::html::InputDriver::kKeyReturn};
    driver_.TypeText(text.Get(), L"\n");
    EXPECT_EQ(TextOf(text.Get()), L"a\n");
}

TEST_F(InputDriver, PressedModifiersAreDownForTheHandlersAndReleasedAfter) {
    Load("<div id=box><textarea id=t></textarea></div>");
    so::Ref handler = Attach("#box", "box", kHandleKey);
    std::vector<std::pair<std::uint32_t, bool>> seen;
    RecordingHandler::Of(handler).onKey = [&](HtmlKeyParams& key) {
        seen.emplace_back(key.altState,
                          (GetKeyState(0x11) & 0x8000) != 0 && (GetKeyState(0x0D) & 0x8000) != 0);
    };
    driver_.MoveFocus(Find("#t").Get());
    ASSERT_TRUE(driver_.PressKey(::html::InputDriver::kKeyReturn, kControlKeyPressed));
    EXPECT_THAT(seen, ElementsAre(std::make_pair(std::uint32_t(kControlKeyPressed), true),
                                  std::make_pair(std::uint32_t(kControlKeyPressed), true)))
        << "key down and key up; Ctrl+Enter types no character";
    EXPECT_EQ(GetKeyState(0x11) & 0x8000, 0);
    EXPECT_EQ(GetKeyState(0x0D) & 0x8000, 0);
}

TEST_F(InputDriver, ChoosingFromADropDownOpensItPicksAndClosesIt) {
    Load(
        "<div id=box><select id=s type=dropdown editable><option value=8>8</option><option value=9>9</option>"
        "</select></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent | kHandleFocus);
    ASSERT_TRUE(driver_.ChooseOption(Find("#s").Get(), L"9"));
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #caption", "box:focus 2 #caption", "box:event 7 #popup",
                                  "box:event 8 #popup", "box:event 19 #popup", "box:event 9 #popup",
                                  "box:focus 4 #caption", "box:event 6 #s"))
        << "the focus is asked back for the caption (cause: the popup) before the change is announced";
    EXPECT_EQ(TextOf(Find("#s").Get()), L"9");
    EXPECT_EQ(JsonOfValue(Find("#s").Get()), "9");
    EXPECT_FALSE(driver_.ChooseOption(Find("#s").Get(), L"10"));
}

TEST_F(InputDriver, ChoosingAListOptionAnnouncesEvenTheCurrentOne) {
    Load("<div id=box><widget id=w type=select><option value=0>a</option><option value=1 disabled>b</option>"
         "</widget></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    ASSERT_TRUE(driver_.ChooseOption(Find("#w").Get(), L"0"));
    ASSERT_TRUE(driver_.ChooseOption(Find("#w").Get(), L"0"));
    EXPECT_FALSE(driver_.ChooseOption(Find("#w").Get(), L"1"));
    EXPECT_THAT(log_, ElementsAre("box:event 6 #w", "box:event 6 #w"));
    EXPECT_EQ(JsonOfValue(Find("#w").Get()), "0") << "a disabled option is not chosen";
}

TEST_F(InputDriver, AChoiceInAnEditorsListNeedsThePopupShownAndSaysWhyNot) {
    Load("<div id=editor><div id=view>x</div><popup id=edit class=edit-popup><div class=edit-box>"
         "<widget id=w type=select size=3><optgroup><option value=0>Arial</option>"
         "<option value=1 disabled>Courier</option>"
         "<option value=2><span class=name>Times</span><span class=sample>Aa Bb</span></option>"
         "</optgroup></widget></div></popup></div>");
    so::Ref handler = Attach("#editor", "editor", kHandleBehaviorEvent);
    ChoiceRefusal why = ChoiceRefusal::None;
    EXPECT_FALSE(driver_.ChooseOption(Find("#w").Get(), L"0", &why));
    EXPECT_EQ(why, ChoiceRefusal::NotShown) << "the page has not opened the editor's popup";
    EXPECT_TRUE(log_.empty());

    ASSERT_EQ(Api().ShowPopup(Find("#edit").Get(), Find("#view").Get(), 0), kHtmlOk);
    log_.clear();
    EXPECT_FALSE(driver_.ChooseOption(Find("#w").Get(), L"Courier", &why));
    EXPECT_EQ(why, ChoiceRefusal::OptionDisabled);
    EXPECT_FALSE(driver_.ChooseOption(Find("#w").Get(), L"Helvetica", &why));
    EXPECT_EQ(why, ChoiceRefusal::NoSuchOption);
    EXPECT_TRUE(driver_.ChooseOption(Find("#w").Get(), L"Times", &why)) << "by the name before its sample";
    EXPECT_EQ(why, ChoiceRefusal::None);
    EXPECT_EQ(JsonOfValue(Find("#w").Get()), "2");
    EXPECT_TRUE(driver_.ChooseOption(Find("#w").Get(), L"0"));
    EXPECT_THAT(log_, ElementsAre("editor:event 6 #w", "editor:event 6 #w"));
    EXPECT_NE(StateOf(Find("#edit").Get()) & kStatePopup, 0u) << "closing it is the editor's business";

    Api().SetElementState(Find("#w").Get(), kStateDisabled, 0, 1);
    EXPECT_FALSE(driver_.ChooseOption(Find("#w").Get(), L"2", &why));
    EXPECT_EQ(why, ChoiceRefusal::Unavailable);
}

TEST_F(InputDriver, ClicksMoveTheFocusAndTabAdvancesIt) {
    Load("<div id=box><input id=a><div id=plain>x</div><input id=b><button id=c>c</button></div>");
    so::Ref handler = Attach("#box", "box", kHandleFocus);
    std::vector<std::uint32_t> causes;
    RecordingHandler::Of(handler).onFocus = [&](HtmlFocusParams& focus) { causes.push_back(focus.cause); };
    driver_.Click(Find("#a").Get());
    driver_.Click(Find("#plain").Get());
    EXPECT_NE(StateOf(Find("#a").Get()) & kStateFocus, 0u) << "a click on nothing focusable keeps the focus";
    driver_.PressKey(::html::InputDriver::kKeyTab);
    EXPECT_NE(StateOf(Find("#b").Get()) & kStateFocus, 0u);
    driver_.PressKey(::html::InputDriver::kKeyTab, kShiftKeyPressed);
    EXPECT_NE(StateOf(Find("#a").Get()) & kStateFocus, 0u);
    EXPECT_THAT(log_, ElementsAre("box:focus 4 #a", "box:focus 2 #a", "box:focus 4 #b", "box:focus 3 #a",
                                  "box:focus 2 #b", "box:focus 4 #a", "box:focus 3 #b", "box:focus 2 #a"));
    EXPECT_THAT(causes, ElementsAre(kByMouse, kByMouse, kByKeyNext, kByKeyNext, kByKeyNext, kByKeyPrev,
                                    kByKeyPrev, kByKeyPrev));
}

TEST_F(InputDriver, PickingASliderValueRaisesAStateChangeWhenItChanges) {
    Load("<div id=box><input id=s type=hslider min=0 max=10 value=3><div id=plain></div></div>");
    so::Ref handler = Attach("#box", "box", kHandleBehaviorEvent);
    ASSERT_TRUE(driver_.ChangeValue(Find("#s").Get(), Value::Int(7)));
    ASSERT_TRUE(driver_.ChangeValue(Find("#s").Get(), Value::Int(7)));
    ASSERT_TRUE(driver_.ChangeValue(Find("#s").Get(), Value::Int(70)));
    EXPECT_THAT(log_, ElementsAre("box:event 2 #s", "box:event 2 #s"));
    EXPECT_EQ(JsonOfValue(Find("#s").Get()), "10");
    EXPECT_FALSE(driver_.ChangeValue(Find("#plain").Get(), Value::Int(1)));
}

} // namespace
} // namespace html::test
