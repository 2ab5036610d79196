// The host's message box: scripted answers, the answer of a dismissed box, questions on a terminal,
// and the confirmation the panel asks before restoring default settings, together with the user
// option that turns it off.
#include "headless-host/services/MessageBoxService.h"
#include "headless-host/services/UserOptionsService.h"
#include "service-common/HostCall.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace Answer = host::MessageBoxAnswer;
namespace Flags = host::MessageBoxFlags;
using host::UIMessageBox;
using BoxObject = so::ServiceObjectCppTheConcrete<headless::MessageBoxService>;

// The confirmation text of the "RESET DEFAULT" button, as the panel fills it.
constexpr const wchar_t* kResetQuestion = L"<h5>Do you want to restore original default "
                                          L"settings?</h5><p>Current custom settings will be lost and the "
                                          L"original default settings will be restored.</p><p><button "
                                          L"type=\"checkbox\" id=\"DontShowAgaing\">Don't ask "
                                          L"me again</button></p>";

struct ShowResult {
    SOResult code;
    std::uint32_t answer;
    std::uint8_t checked;
};

ShowResult Show(ServiceObject* box, const wchar_t* html, std::uint32_t flags) {
    ShowResult result{0, 0, 9};
    result.code = testing_host::RawCall<UIMessageBox::Show>(box, html, L"Properties", flags, &result.answer,
                                                            &result.checked);
    return result;
}

class MessageBox : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        box = so::Ref::Adopt(BoxObject::Create());
    }
    headless::MessageBoxService& Service() { return BoxObject::From(box.Get()); }
    so::Ref box;
};

TEST_F(MessageBox, ScriptedAnswersAreGivenInOrderAndRemembered) {
    Service().QueueAnswer({Answer::kYes, true});
    Service().QueueAnswer({Answer::kNo, true});
    ShowResult first = Show(box.Get(), kResetQuestion, Flags::kYesNo | Flags::kIconQuestion);
    ShowResult second = Show(box.Get(), L"<p>No check box here</p>", Flags::kYesNo);
    EXPECT_EQ(first.code, so::kOk);
    EXPECT_EQ(first.answer, Answer::kYes);
    EXPECT_EQ(first.checked, 1);
    EXPECT_EQ(second.answer, Answer::kNo);
    EXPECT_EQ(second.checked, 0) << "a box without a check box cannot report one ticked";
    EXPECT_EQ(Service().PendingAnswers(), 0u);

    auto history = Service().History();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].html, kResetQuestion);
    EXPECT_EQ(history[0].flags, 0x24u);
    EXPECT_TRUE(history[0].scripted);
}

TEST_F(MessageBox, ScriptedAnswerThatIsNoButtonOfTheBoxFails) {
    Service().QueueAnswer({Answer::kYes, false});
    so::ClearLastErrorInfo();
    ShowResult result = Show(box.Get(), L"<p>Saved.</p>", Flags::kOk);
    EXPECT_EQ(result.code, so::kInvalidArgument);
    EXPECT_NE(
        testing_host::LastErrorMessage().find("The scripted answer Yes is not a button of the message box "
                                              "\"Saved.\""),
        std::string::npos)
        << testing_host::LastErrorMessage();
}

struct DismissCase {
    std::uint32_t flags;
    std::uint32_t answer;
};

class MessageBoxDismissed : public MessageBox, public testing::WithParamInterface<DismissCase> {};

TEST_P(MessageBoxDismissed, WithoutScriptOrTerminalTheBoxIsClosed) {
    ShowResult result = Show(box.Get(), kResetQuestion, GetParam().flags);
    EXPECT_EQ(result.code, so::kOk);
    EXPECT_EQ(result.answer, GetParam().answer);
    EXPECT_EQ(result.checked, 0);
    EXPECT_FALSE(Service().History().at(0).scripted);
}

INSTANTIATE_TEST_SUITE_P(Buttons, MessageBoxDismissed,
                         testing::Values(DismissCase{Flags::kYesNo | Flags::kIconQuestion, Answer::kNo},
                                         DismissCase{Flags::kYesNoCancel, Answer::kCancel},
                                         DismissCase{Flags::kOkCancel | Flags::kIconWarning, Answer::kCancel},
                                         DismissCase{Flags::kOk | Flags::kIconInformation, Answer::kOk}));

TEST_F(MessageBox, TerminalAsksAgainUntilTheAnswerIsAButton) {
    std::istringstream in("maybe\nyes\ny\n");
    std::ostringstream out;
    Service().SetTerminal(&in, &out);
    ShowResult result = Show(box.Get(), kResetQuestion, Flags::kYesNo | Flags::kIconQuestion);
    EXPECT_EQ(result.answer, Answer::kYes);
    EXPECT_EQ(result.checked, 1);
    std::string shown = out.str();
    EXPECT_NE(shown.find("Do you want to restore original default settings?\nCurrent custom settings"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("Answer (Yes/No): Please answer with one of the buttons.\nAnswer (Yes/No): "),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("Tick \"Don't ask me again\"?"), std::string::npos) << shown;
}

TEST_F(MessageBox, EndOfTerminalInputClosesTheBox) {
    std::istringstream in("");
    std::ostringstream out;
    Service().SetTerminal(&in, &out);
    EXPECT_EQ(Show(box.Get(), kResetQuestion, Flags::kYesNo).answer, Answer::kNo);
}

TEST(MessageBoxText, MarkupBecomesLinesAndTheCheckBoxLabelIsFound) {
    EXPECT_EQ(headless::MessageBoxService::PlainText(L"<h5>A &amp; B</h5><p> x &lt;y&gt; </p><br/>z"),
              L"A & B\nx <y>\nz");
    EXPECT_EQ(headless::MessageBoxService::CheckBoxLabel(kResetQuestion), L"Don't ask me again");
    EXPECT_FALSE(
        headless::MessageBoxService::CheckBoxLabel(L"<button type=\"radio\">x</button>").has_value());
}

TEST(MessageBoxText, CharacterReferencesReadAsThePageShowsThem) {
    // What the panel's escaping writes (&apos; for a quote) and numeric references read as text;
    // an unknown name and a reference to no character do not.
    EXPECT_EQ(headless::MessageBoxService::PlainText(L"<p>Don&apos;t &#65;&#x42; &bogus; &#0; &#xD800;</p>"),
              L"Don't AB &bogus; \uFFFD \uFFFD");
    EXPECT_EQ(headless::MessageBoxService::PlainText(L"&amp;lt;"), L"&lt;");
}

// The panel's "RESET DEFAULT" confirmation, through the binary interface: read the warning option,
// ask, and store the negation of the check box only when it changes.
bool ConfirmReset(ServiceObject* options, ServiceObject* box) {
    using host::UserOptions;
    std::uint8_t warn = 0;
    so::Call<UserOptions::GetBool>(options, UserOptions::kGroupAccountDependentOptions,
                                   UserOptions::kResetDefaultWarning, &warn);
    if (warn == 0)
        return true;
    std::uint32_t answer = 0;
    std::uint8_t dontAsk = 0;
    so::Call<UIMessageBox::Show>(box, kResetQuestion, L"", Flags::kYesNo | Flags::kIconQuestion, &answer,
                                 &dontAsk);
    so::Call<UserOptions::SetBool>(options, UserOptions::kGroupAccountDependentOptions,
                                   UserOptions::kResetDefaultWarning, std::uint8_t(dontAsk == 0), nullptr);
    return answer == Answer::kYes;
}

TEST_F(MessageBox, DontAskAgainTurnsTheResetWarningOff) {
    so::Ref options = so::Make<headless::UserOptionsService>();
    Service().QueueAnswer({Answer::kNo, false});
    EXPECT_FALSE(ConfirmReset(options.Get(), box.Get()));
    Service().QueueAnswer({Answer::kYes, true});
    EXPECT_TRUE(ConfirmReset(options.Get(), box.Get()));
    EXPECT_TRUE(ConfirmReset(options.Get(), box.Get())) << "no box once the warning is off";
    EXPECT_EQ(Service().History().size(), 2u);
}

} // namespace
