// The host's dialogs and action wizard as the module meets them: a new object per request, the
// answers a scenario queued, what each showing was given, the texts handed back in two calls, and
// the wizard's call of the module's completion.
#include "headless-host/services/HostDialogs.h"
#include "headless-host/services/MainFrameObject.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using headless::DialogAnswer;
using headless::DialogKind;
using headless::DialogParent;
using headless::DialogScript;
using headless::StringPairs;
using headless::WizardAnswer;
using testing_host::RawCall;
namespace Result = host::DialogResult;

// A text a dialog gives in two calls, as the module reads it.
template <class M, class... Args>
std::wstring TwoCallText(ServiceObject* dialog, Args... args) {
    std::uint32_t length = 0;
    EXPECT_EQ(RawCall<M>(dialog, args..., static_cast<wchar_t*>(nullptr), &length), so::kOk);
    std::wstring text(length + 1, L'#');
    std::uint32_t size = length + 1;
    EXPECT_EQ(RawCall<M>(dialog, args..., text.data(), &size), so::kOk);
    EXPECT_EQ(size, length);
    EXPECT_EQ(text[length], L'\0') << "a buffer with room is terminated";
    text.resize(length);
    return text;
}

class HostDialogs : public testing_host::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        script->SetMainFrame(frame);
        script->Register();
    }

    // What the main frame gives as the window dialogs are shown over.
    HWND FrameWindow() {
        HWND window = nullptr;
        so::Call<host::UIMainFrame::GetMainFrameWnd>(frame.Get(), &window);
        return window;
    }

    std::shared_ptr<DialogScript> script = std::make_shared<DialogScript>();
    so::Ref frame = so::Make<headless::MainFrameObject>(nullptr, nullptr);
};

TEST_F(HostDialogs, EveryRequestOfANameGetsANewObjectOfThatDialog) {
    for (auto [name, id] :
         {std::pair{host::JavaScriptDialog::kName, host::JavaScriptDialog::kId},
          std::pair{host::SelectFieldsDialog::kName, host::SelectFieldsDialog::kId},
          std::pair{host::FieldNotationDialog::kName, host::FieldNotationDialog::kId},
          std::pair{host::EditValueListDialog::kName, host::EditValueListDialog::kId},
          std::pair{host::EditPDActionWizardFactory::kName, host::EditPDActionWizardFactory::kId}}) {
        so::Ref first = so::QueryServiceObject(name);
        so::Ref second = so::QueryServiceObject(name);
        ASSERT_TRUE(first && second) << name;
        EXPECT_NE(first.Get(), second.Get()) << name;
        EXPECT_EQ(first.Get()->header.interfaceId, id) << name;
        EXPECT_EQ(first.Get()->header.GetRefCount(first.Get()), 1u)
            << name << ": the caller's reference only";
    }
    script->Unregister();
    ServiceObject* none = nullptr;
    EXPECT_EQ(ServiceProviderGetServiceObject(so::AtomOf(host::JavaScriptDialog::kName), &none),
              so::kServiceNotSupportedByProvider);
}

TEST_F(HostDialogs, UnregisteringLeavesTheNamesToTheScriptThatServesThemNow) {
    auto later = std::make_shared<DialogScript>();
    later->Register();
    script->Unregister();
    later->QueueAnswer(DialogKind::FieldNotation, {true, L"served by the later script", {}});
    so::Ref dialog = so::QueryServiceObject(host::FieldNotationDialog::kName);
    std::uint32_t result = 0;
    ASSERT_EQ(RawCall<host::FieldNotationDialog::ShowModal>(dialog.Get(), HWND(nullptr), &result), so::kOk);
    EXPECT_EQ(result, Result::kConfirmed);
    EXPECT_EQ(later->History(DialogKind::FieldNotation).size(), 1u);
    EXPECT_TRUE(script->History(DialogKind::FieldNotation).empty());
}

// The three dialogs of one text: the script editor, the field selection and the field notation.
struct TextDialogCase {
    DialogKind kind;
    SOResult (*setText)(ServiceObject*, const wchar_t*);
    SOResult (*showModal)(ServiceObject*, HWND, std::uint32_t*);
    std::wstring (*getText)(ServiceObject*);
};

template <class D, class SetM, class GetM>
TextDialogCase TextDialog(DialogKind kind) {
    return {kind, [](ServiceObject* dialog, const wchar_t* text) { return RawCall<SetM>(dialog, text); },
            [](ServiceObject* dialog, HWND parent, std::uint32_t* result) {
                return RawCall<typename D::ShowModal>(dialog, parent, result);
            },
            [](ServiceObject* dialog) { return TwoCallText<GetM>(dialog); }};
}

void PrintTo(const TextDialogCase& dialog, std::ostream* out) {
    *out << DialogScript::NameOf(dialog.kind);
}

class TextDialogs : public HostDialogs, public testing::WithParamInterface<TextDialogCase> {
protected:
    void SetUp() override {
        HostDialogs::SetUp();
        dialog = so::QueryServiceObject(DialogScript::NameOf(GetParam().kind));
        ASSERT_EQ(GetParam().setText(dialog.Get(), L"Total = A + B"), so::kOk);
    }
    std::uint32_t Show(HWND parent) {
        std::uint32_t result = 0;
        EXPECT_EQ(GetParam().showModal(dialog.Get(), parent, &result), so::kOk);
        return result;
    }
    so::Ref dialog;
};

TEST_P(TextDialogs, ConfirmedGivesTheAnswersTextAndRemembersWhatWasSet) {
    script->QueueAnswer(GetParam().kind, {true, L"Total = A * \u00C4", {}});
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"Total = A + B") << "before it is shown";
    EXPECT_EQ(Show(FrameWindow()), Result::kConfirmed);
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"Total = A * \u00C4");
    auto shown = script->History(GetParam().kind);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"Total = A + B");
    EXPECT_EQ(shown[0].parent, DialogParent::MainFrame);
    ASSERT_TRUE(shown[0].answer.has_value());
    EXPECT_TRUE(shown[0].answer->confirmed);
    EXPECT_TRUE(script->TakeFailures().empty());
}

TEST_P(TextDialogs, CancelledKeepsTheTextThatWasSet) {
    script->QueueAnswer(GetParam().kind, {false, L"", {}});
    EXPECT_EQ(Show(FrameWindow()), Result::kCancelled);
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"Total = A + B");
    EXPECT_TRUE(script->TakeFailures().empty()) << "a cancel the scenario asked for is no failure";
}

TEST_P(TextDialogs, ShownWithoutAnAnswerOfItsOwnIsCancelledAndAFailure) {
    const DialogKind other =
        GetParam().kind == DialogKind::EditValueList ? DialogKind::JavaScript : DialogKind::EditValueList;
    script->QueueAnswer(other, {true, L"for another dialog", {}});
    EXPECT_EQ(Show(nullptr), Result::kCancelled);
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"Total = A + B");
    std::vector<std::string> failures = script->TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], std::string("The ") + DialogScript::NameOf(GetParam().kind) +
                               " was shown but no answer was queued for it (dialog " +
                               DialogScript::NameOf(GetParam().kind) + " confirm|cancel); it was cancelled");
    EXPECT_TRUE(script->TakeFailures().empty()) << "each failure is given once";
    ASSERT_EQ(script->History(GetParam().kind).size(), 1u) << "an unanswered dialog was still shown";
    EXPECT_FALSE(script->History(GetParam().kind)[0].answer.has_value());
    EXPECT_EQ(script->PendingAnswers(other), 1u);
}

TEST_P(TextDialogs, AnswersAreTakenInOrderOnePerShowing) {
    script->QueueAnswer(GetParam().kind, {true, L"first", {}});
    script->QueueAnswer(GetParam().kind, {false, L"", {}});
    script->QueueAnswer(GetParam().kind, {true, L"third", {}});
    EXPECT_EQ(Show(nullptr), Result::kConfirmed);
    EXPECT_EQ(Show(nullptr), Result::kCancelled);
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"first");
    EXPECT_EQ(Show(nullptr), Result::kConfirmed);
    EXPECT_EQ(GetParam().getText(dialog.Get()), L"third");
    auto shown = script->History(GetParam().kind);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, L"first") << "each showing is given what the last one left";
    EXPECT_EQ(script->PendingAnswers(GetParam().kind), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, TextDialogs,
    testing::Values(TextDialog<host::JavaScriptDialog, host::JavaScriptDialog::SetScript,
                               host::JavaScriptDialog::GetScript>(DialogKind::JavaScript),
                    TextDialog<host::SelectFieldsDialog, host::SelectFieldsDialog::SetText,
                               host::SelectFieldsDialog::GetText>(DialogKind::SelectFields),
                    TextDialog<host::FieldNotationDialog, host::FieldNotationDialog::SetText,
                               host::FieldNotationDialog::GetText>(DialogKind::FieldNotation)),
    [](const testing::TestParamInfo<TextDialogCase>& info) {
        return std::string(DialogScript::NameOf(info.param.kind));
    });

TEST_F(HostDialogs, TextsLeaveInTwoCallsAndABufferTooSmallIsRefused) {
    so::Ref dialog = so::QueryServiceObject(host::JavaScriptDialog::kName);
    RawCall<host::JavaScriptDialog::SetScript>(dialog.Get(), L"app.alert(1);");
    std::uint32_t length = 0;
    EXPECT_EQ(
        RawCall<host::JavaScriptDialog::GetScript>(dialog.Get(), static_cast<wchar_t*>(nullptr), &length),
        so::kOk);
    EXPECT_EQ(length, 13u);
    std::wstring exact(13, L'#');
    std::uint32_t size = 13;
    EXPECT_EQ(RawCall<host::JavaScriptDialog::GetScript>(dialog.Get(), exact.data(), &size), so::kOk);
    EXPECT_EQ(exact, L"app.alert(1);") << "filled, with no room for the terminator";
    size = 12;
    EXPECT_EQ(RawCall<host::JavaScriptDialog::GetScript>(dialog.Get(), exact.data(), &size),
              so::kInvalidArgument);
    EXPECT_EQ(RawCall<host::JavaScriptDialog::GetScript>(dialog.Get(), exact.data(), nullptr),
              so::kInvalidArgument);
}

TEST_F(HostDialogs, SelectFieldsRemembersTheNamesItWasGiven) {
    so::Ref dialog = so::QueryServiceObject(host::SelectFieldsDialog::kName);
    RawCall<host::SelectFieldsDialog::SetFieldNames>(dialog.Get(), L"Price,Quantity,Total");
    script->QueueAnswer(DialogKind::SelectFields, {true, L"AFSimple_Calculate(\"SUM\", [\"Price\"]);", {}});
    std::uint32_t result = 0;
    RawCall<host::SelectFieldsDialog::ShowModal>(dialog.Get(), FrameWindow(), &result);
    auto shown = script->History(DialogKind::SelectFields);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].fieldNames, L"Price,Quantity,Total");
    EXPECT_EQ(shown[0].text, L"") << "no text was set";
}

TEST_F(HostDialogs, ValueListGivesTheConfirmedPairsAndKeepsItsOwnOtherwise) {
    so::Ref dialog = so::QueryServiceObject(host::EditValueListDialog::kName);
    using D = host::EditValueListDialog;
    RawCall<D::AddPair>(dialog.Get(), L"Red", L"1");
    RawCall<D::AddPair>(dialog.Get(), L"a=b", L"");
    EXPECT_EQ(RawCall<D::AddPair>(dialog.Get(), L"no second", static_cast<const wchar_t*>(nullptr)),
              so::kInvalidArgument);
    auto pairsOf = [&] {
        std::uint32_t count = 0;
        EXPECT_EQ(RawCall<D::GetPairCount>(dialog.Get(), &count), so::kOk);
        StringPairs pairs;
        for (std::uint32_t i = 0; i < count; ++i)
            pairs.emplace_back(TwoCallText<D::GetPairText>(dialog.Get(), i, 0u),
                               TwoCallText<D::GetPairText>(dialog.Get(), i, 1u));
        return pairs;
    };
    const StringPairs given{{L"Red", L"1"}, {L"a=b", L""}};
    EXPECT_EQ(pairsOf(), given);

    script->QueueAnswer(DialogKind::EditValueList, {false, L"", {}});
    std::uint32_t result = 0;
    RawCall<D::ShowModal>(dialog.Get(), FrameWindow(), &result);
    EXPECT_EQ(result, Result::kCancelled);
    EXPECT_EQ(pairsOf(), given);

    const StringPairs confirmed{{L"<b>", L"2"}};
    script->QueueAnswer(DialogKind::EditValueList, {true, L"", confirmed});
    RawCall<D::ShowModal>(dialog.Get(), FrameWindow(), &result);
    EXPECT_EQ(result, Result::kConfirmed);
    EXPECT_EQ(pairsOf(), confirmed);
    EXPECT_EQ(script->History(DialogKind::EditValueList).at(1).pairs, given);

    std::uint32_t length = 0;
    EXPECT_EQ(RawCall<D::GetPairText>(dialog.Get(), 1u, 0u, static_cast<wchar_t*>(nullptr), &length),
              so::kInvalidArgument)
        << "past the last pair";
    EXPECT_EQ(RawCall<D::GetPairText>(dialog.Get(), 0u, 2u, static_cast<wchar_t*>(nullptr), &length),
              so::kInvalidArgument)
        << "a pair has two strings";
}

TEST_F(HostDialogs, TheParentIsTheMainFrameNoWindowOrAnother) {
    EXPECT_EQ(script->ParentOf(FrameWindow()), DialogParent::MainFrame);
    EXPECT_EQ(script->ParentOf(nullptr), DialogParent::None);
    int elsewhere = 0;
    EXPECT_EQ(script->ParentOf(reinterpret_cast<HWND>(&elsewhere)), DialogParent::Other);
    // Asked at every showing: the frame's window is the frame's to change.
    testing_host::Fake<headless::MainFrameObject>(frame).SetWindow(reinterpret_cast<HWND>(&elsewhere));
    EXPECT_EQ(script->ParentOf(reinterpret_cast<HWND>(&elsewhere)), DialogParent::MainFrame);
}

// The module's side of the wizard: remembers every call.
class RecordingCompletion : public so::ObjectBase {
public:
    using Interface = host::EditPDActionWizardCompletion;
    static constexpr std::uint32_t kClassTag = 0x7E57C0DE;
    static void BindMethods(so::MethodBinder<RecordingCompletion>& binder) {
        binder.Bind<host::EditPDActionWizardCompletion::Complete, &RecordingCompletion::Complete>();
    }
    SOResult Complete(host::PdfActionHandle action, std::int32_t* status) {
        actions.push_back(action);
        if (result == so::kOk)
            *status = statusToGive;
        return result;
    }
    std::vector<host::PdfActionHandle> actions;
    std::int32_t statusToGive = 0;
    SOResult result = so::kOk;
};

class ActionWizard : public HostDialogs {
protected:
    // A wizard as the action editor makes one: for the frame, with or without the current action.
    so::Ref Wizard(bool withCurrent) {
        so::Ref factory = so::QueryServiceObject(host::EditPDActionWizardFactory::kName);
        so::Ref wizard;
        EXPECT_EQ(RawCall<host::EditPDActionWizardFactory::CreateWizard>(
                      factory.Get(), frame.Get(),
                      withCurrent ? host::PdfActionHandle(&currentAction) : nullptr, completion.Get(),
                      wizard.Put()),
                  so::kOk);
        return wizard;
    }
    RecordingCompletion& Completion() { return testing_host::Fake<RecordingCompletion>(completion); }

    int currentAction = 0;
    so::Ref completion = so::Make<RecordingCompletion>();
};

TEST_F(ActionWizard, RemovingTheActionCompletesWithNoneAndTheStatusIsRemembered) {
    script->QueueWizardAnswer({WizardAnswer::Kind::NoAction, nullptr});
    Completion().statusToGive = 2;
    so::Ref wizard = Wizard(true);
    EXPECT_EQ(RawCall<host::EditPDActionWizard::Run>(wizard.Get()), so::kOk);
    EXPECT_EQ(Completion().actions, std::vector<host::PdfActionHandle>{nullptr});
    auto runs = script->WizardRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].hadCurrent);
    EXPECT_TRUE(runs[0].scripted);
    EXPECT_EQ(runs[0].status, 2);
    EXPECT_TRUE(script->TakeFailures().empty());
}

TEST_F(ActionWizard, CancelledCallsNothing) {
    script->QueueWizardAnswer({WizardAnswer::Kind::Cancel, nullptr});
    so::Ref wizard = Wizard(false);
    EXPECT_EQ(RawCall<host::EditPDActionWizard::Run>(wizard.Get()), so::kOk);
    EXPECT_TRUE(Completion().actions.empty());
    auto runs = script->WizardRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_FALSE(runs[0].hadCurrent);
    EXPECT_FALSE(runs[0].status.has_value());
    EXPECT_TRUE(script->TakeFailures().empty());
}

TEST_F(ActionWizard, RunWithoutAnAnswerIsCancelledAndAFailure) {
    so::Ref wizard = Wizard(false);
    EXPECT_EQ(RawCall<host::EditPDActionWizard::Run>(wizard.Get()), so::kOk);
    EXPECT_TRUE(Completion().actions.empty());
    EXPECT_FALSE(script->WizardRuns().at(0).scripted);
    std::vector<std::string> failures = script->TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "The action wizard was run but no answer was queued for it (wizard "
                           "cancel|none|action JSON); it was cancelled");
}

TEST_F(ActionWizard, AFailingCompletionFailsTheRunAndIsAFailure) {
    script->QueueWizardAnswer({WizardAnswer::Kind::NoAction, nullptr});
    Completion().result = so::kInvalidArgument;
    so::Ref wizard = Wizard(false);
    EXPECT_EQ(RawCall<host::EditPDActionWizard::Run>(wizard.Get()), so::kInvalidArgument);
    std::vector<std::string> failures = script->TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(failures[0].starts_with("The action wizard's completion failed: ")) << failures[0];
    EXPECT_FALSE(script->WizardRuns().at(0).status.has_value());
}

TEST_F(ActionWizard, KeepsTheCompletionAndTheFrameWhileItLives) {
    const auto count = [](const so::Ref& object) { return object.Get()->header.GetRefCount(object.Get()); };
    const std::uint32_t frameHolders = count(frame); // the test's and the script's
    so::Ref wizard = Wizard(true);
    EXPECT_EQ(count(completion), 2u);
    EXPECT_EQ(count(frame), frameHolders + 1);
    wizard.Reset();
    EXPECT_EQ(count(completion), 1u);
    EXPECT_EQ(count(frame), frameHolders);

    so::Ref factory = so::QueryServiceObject(host::EditPDActionWizardFactory::kName);
    ServiceObject* refused = nullptr;
    EXPECT_EQ(RawCall<host::EditPDActionWizardFactory::CreateWizard>(
                  factory.Get(), frame.Get(), host::PdfActionHandle(nullptr),
                  static_cast<ServiceObject*>(nullptr), &refused),
              so::kInvalidArgument)
        << "a wizard without a completion could tell no one";
    EXPECT_EQ(refused, nullptr);
}

TEST_F(ActionWizard, WithoutAnActionMakerAnActionFromJsonIsNotAvailableYet) {
    try {
        script->ActionAnswer(R"({"type":"URI","uri":"https://example.org"})");
        FAIL() << "an action was made";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), "making an action from JSON is not available yet in this host");
    }
}

TEST_F(ActionWizard, AMadeActionIsHandedToTheCompletionAndHeldUntilItReturns) {
    std::vector<std::string> described;
    script->SetActionMaker([&described](const std::string& json) {
        described.push_back(json);
        if (json == "{}")
            throw std::invalid_argument("an action needs a type");
        return std::shared_ptr<void>(std::make_shared<int>(7));
    });
    EXPECT_THROW(script->ActionAnswer("{}"), std::invalid_argument);
    WizardAnswer answer = script->ActionAnswer(R"({"type":"Named","name":"NextPage"})");
    ASSERT_EQ(answer.kind, WizardAnswer::Kind::Action);
    const host::PdfActionHandle made = answer.action.get();
    std::weak_ptr<void> watched = answer.action;
    script->QueueWizardAnswer(std::move(answer));
    EXPECT_EQ(described, (std::vector<std::string>{"{}", R"({"type":"Named","name":"NextPage"})"}))
        << "made when queued";

    so::Ref wizard = Wizard(false);
    EXPECT_EQ(RawCall<host::EditPDActionWizard::Run>(wizard.Get()), so::kOk);
    EXPECT_EQ(Completion().actions, std::vector<host::PdfActionHandle>{made});
    EXPECT_TRUE(watched.expired()) << "the completion only borrows the action";
    EXPECT_EQ(script->WizardRuns().at(0).status, 0);
}

} // namespace
