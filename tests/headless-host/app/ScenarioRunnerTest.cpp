// The scenario runner against a running host, for what a scenario cannot bring about by itself:
// whether the UI loop runs after a command while a hold is in force, log entries of known texts,
// inline styles set through the engine as the panel sets them, user input on inputs the panel
// page does not have yet, dialogs and the action wizard opened as an editor opens them, and the
// page's action buttons.
#include "headless-host/app/ScenarioRunner.h"
#include "headless-host/app/HostSession.h"
#include "headless-host/app/PageInspector.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/services/HostDialogs.h"
#include "headless-host/support/HostSupport.h"
#include "host/HostDialogs.h"
#include "host/HtmlEngineApi.h"
#include "host/Logger.h"
#include "host/UIDocuments.h"
#include "host/UIHandler.h"
#include "host/WindowsApi.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceQuery.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <ctime>
#include <memory>
#include <sstream>

namespace headless {
namespace {

class RunningHost : public testing::Test {
protected:
    // One host for the suite: a process loads the module once, as the editor does.
    static void SetUpTestSuite() {
        HostSessionOptions options = testing_host::PanelHostOptions();
        session_ = std::make_unique<HostSession>(options, diagnostics_);
        // The loop calls idle callbacks whenever it runs, also when nothing was posted.
        service_ = so::QueryServiceObject(host::UIService::kServiceName);
        so::Call<host::UIService::RegisterIdleCallback>(service_.Get(), &NoteIdleTime, nullptr,
                                                        "runner-test");
    }

    static void TearDownTestSuite() {
        so::Call<host::UIService::UnregisterIdleCallback>(service_.Get(), &NoteIdleTime, nullptr);
        service_.Reset();
        session_.reset();
    }

    void SetUp() override {
        runner_ = std::make_unique<ScenarioRunner>(*session_, out_, errors_, false);
        ASSERT_TRUE(Run("open sample")) << errors_.str();
    }

    static std::uint32_t NoteIdleTime(void*) {
        ranLoop_ = true;
        return 1; // nothing to do
    }
    // Shows the FieldNotationDialog `dialog` at the first idle time after it is registered.
    static std::uint32_t ShowFieldNotationOnce(void* dialog) {
        if (std::exchange(dialogShown_, true))
            return 1;
        std::uint32_t result = 0;
        so::Call<host::FieldNotationDialog::ShowModal>(static_cast<ServiceObject*>(dialog), HWND(nullptr),
                                                       &result);
        return 1;
    }

    bool Run(const std::string& commands) {
        return runner_->Run(ScenarioParser::ParseInline(commands), PP_SOURCE_DIR);
    }
    // Whether the UI loop ran while the commands ran; they must all succeed.
    bool RanLoop(const std::string& commands) {
        ranLoop_ = false;
        EXPECT_TRUE(Run(commands)) << errors_.str();
        return ranLoop_;
    }

    // Inputs added to the page's body for one test, taken out again when it ends.
    void AddToPage(const std::string& markup) {
        ElementRef root = ElementRef::Adopt(session_->RootElement());
        ElementRef body = PageInspector(root.Get()).First("body");
        const std::string container = "<div id=runner-test-inputs>" + markup + "</div>";
        ASSERT_EQ(HtmlEngineAPI()->SetElementHtml(body.Get(), container.data(),
                                                  std::uint32_t(container.size()), kAppendInnerHtml),
                  kHtmlOk);
    }
    void TearDown() override {
        ElementRef root = ElementRef::Adopt(session_->RootElement());
        for (const ElementRef& added : PageInspector(root.Get()).All("#runner-test-inputs"))
            HtmlEngineAPI()->DetachElement(added.Get());
    }

    // Writes to the host's logger as the module does: it finds the loaded logger library.
    static void Log(const std::string& text) {
        auto getLogger = reinterpret_cast<GetLoggerFn>(dlsym(RTLD_DEFAULT, "GetLogger"));
        ASSERT_NE(getLogger, nullptr);
        so::Ref logger;
        ASSERT_EQ(getLogger(logger.Put()), so::kOk);
        so::Call<host::Logger::WriteNarrow>(logger.Get(), text.c_str(), std::uint32_t(text.size()),
                                            std::uint32_t(host::LogLevel::Info), nullptr);
    }

    static inline std::ostringstream diagnostics_;
    static inline std::unique_ptr<HostSession> session_;
    static inline so::Ref service_;
    static inline bool ranLoop_ = false;
    static inline bool dialogShown_ = false;
    std::ostringstream out_;
    std::ostringstream errors_;
    std::unique_ptr<ScenarioRunner> runner_;
};

TEST_F(RunningHost, CommandsThatPostWorkLeaveTheLoopAloneUntilPumpOrRelease) {
    EXPECT_TRUE(RanLoop("select \"Name Field\""));
    EXPECT_FALSE(RanLoop("hold"));
    for (const char* command :
         {"select \"City Field\"", "locale de", "lock 1", "lock 0", "click \"#no-items-msg\"",
          "set General/Common/Name customer.town", "undo", "deactivate", "activate 1", "open sample"})
        EXPECT_FALSE(RanLoop(command)) << command;
    EXPECT_TRUE(RanLoop("pump"));
    EXPECT_FALSE(RanLoop("select none; locale \"\"")) << "pump keeps the hold";
    EXPECT_TRUE(RanLoop("release"));
    EXPECT_TRUE(RanLoop("select \"Name Field\""));
}

TEST_F(RunningHost, HoldingTwiceStopsTheRunAndTheFirstHoldStands) {
    EXPECT_FALSE(Run("hold; hold; select none"));
    EXPECT_EQ(errors_.str(), "--run:2: hold: the UI loop is already held\n");
    ranLoop_ = false;
    Run("select \"City Field\"");
    EXPECT_FALSE(ranLoop_);
    Run("release");
    EXPECT_TRUE(ranLoop_);
}

TEST_F(RunningHost, ReleasingWithoutAHoldStopsTheRun) {
    EXPECT_FALSE(Run("release; select none"));
    EXPECT_EQ(errors_.str(), "--run:1: release: the UI loop is not held\n");
}

TEST_F(RunningHost, LogExpectationsCountEntriesByTextFromTheLastClear) {
    Log("The author is not available");
    Log("The author is not available");
    Log("The subject is not available");
    EXPECT_TRUE(Run("expect log \"author is not\" 2; expect log \"is not available\" 3")) << errors_.str();
    EXPECT_TRUE(Run("clear log; expect log \"is not available\" 0")) << errors_.str();
    Log("The author is not available");
    EXPECT_FALSE(Run("expect log \"author is not\" 2; expect log \"subject\" 0"));
    EXPECT_EQ(errors_.str(), "--run:1: expected 2 log entries containing \"author is not\" but found 1\n");
}

TEST_F(RunningHost, StyleExpectationsReadWhatTheEngineSet) {
    ElementRef root = ElementRef::Adopt(session_->RootElement());
    ElementRef message = PageInspector(root.Get()).First("#no-items-msg");
    ASSERT_EQ(HtmlEngineAPI()->SetStyleAttribute(message.Get(), "visibility", L"hidden"), kHtmlOk);
    EXPECT_TRUE(Run("expect style \"#no-items-msg\" visibility hidden")) << errors_.str();
    ASSERT_EQ(HtmlEngineAPI()->SetStyleAttribute(message.Get(), "visibility", nullptr), kHtmlOk);
    EXPECT_TRUE(Run("expect style \"#no-items-msg\" visibility \"\"")) << errors_.str();
    ASSERT_EQ(HtmlEngineAPI()->SetStyleAttribute(message.Get(), "text-selection-caret-color", L"#0078d7"),
              kHtmlOk);
    EXPECT_TRUE(Run("expect style \"#no-items-msg\" text-selection-caret-color \"#0078d7\""))
        << errors_.str();
    ASSERT_EQ(HtmlEngineAPI()->SetStyleAttribute(message.Get(), "text-selection-caret-color", nullptr),
              kHtmlOk);
}

TEST_F(RunningHost, DragMovesASliderAsAUserDoes) {
    AddToPage("<input type=hslider id=slider min=0 max=10 value=2 buddy=shown><span id=shown></span>");
    session_->Window().ForgetBehaviorEvents();
    EXPECT_TRUE(Run("drag #slider 7; expect input #slider 7; expect text #shown 7; drag #slider 7; "
                    "drag #slider 70; expect input #slider 10; expect text #shown 10"))
        << errors_.str();
    EXPECT_EQ(session_->Window().BehaviorEventCount(kButtonStateChanged), 2u) << "one per change";
}

TEST_F(RunningHost, DragSaysWhyItCannotMoveAnElement) {
    AddToPage("<input id=text value=3><input type=hslider id=off value=1 disabled>");
    EXPECT_FALSE(Run("drag #text 5; expect input #text 3"));
    EXPECT_FALSE(Run("drag #off 5; expect input #off 1"));
    EXPECT_EQ(errors_.str(), "--run:1: drag \"#text\" to 5 had no effect: the element is not a slider\n"
                             "--run:1: drag \"#off\" to 5 had no effect: the slider is disabled or outside "
                             "the document\n");
    runner_ = std::make_unique<ScenarioRunner>(*session_, out_, errors_, false); // failures count per runner
    EXPECT_TRUE(Run("expect error \"not a slider\" drag #text 5; expect error disabled drag #off 5"))
        << errors_.str();
}

TEST_F(RunningHost, TypedTextGoesThroughTheInputsFilter) {
    AddToPage("<input type=decimal id=amount filter='0~9.' novalue='&ndash;'>");
    EXPECT_TRUE(
        Run("expect text #amount \"\xE2\x80\x93\"; expect input #amount \"\"; type #amount \"-1x.5\"; "
            "expect text #amount 1.5; expect input #amount 1.5"))
        << errors_.str();
}

TEST_F(RunningHost, ChooseReachesAnEditorsListOnceThePageShowsItsPopup) {
    AddToPage("<div id=view>Two</div><popup class=edit-popup id=edit><div class=edit-box>"
              "<widget type=select id=list size=3><optgroup><option value=0>One</option>"
              "<option value=1 disabled>Two</option><option value=2>Three</option></optgroup></widget>"
              "</div></popup>");
    EXPECT_FALSE(Run("choose #list 2"));
    EXPECT_EQ(
        errors_.str(),
        "--run:1: choose \"2\" in \"#list\" had no effect: the option is in a popup that is not shown\n");
    runner_ = std::make_unique<ScenarioRunner>(*session_, out_, errors_, false); // failures count per runner

    ElementRef root = ElementRef::Adopt(session_->RootElement());
    PageInspector page(root.Get());
    ASSERT_EQ(HtmlEngineAPI()->ShowPopup(page.First("#edit").Get(), page.First("#view").Get(), 0), kHtmlOk);
    session_->Window().ForgetBehaviorEvents();
    EXPECT_TRUE(Run("choose #list Three; expect state '#list option[value=2]' current; expect input #list 2; "
                    "expect state '#list option[value=0]' !current; "
                    "expect error 'the option is disabled' choose #list Two; "
                    "expect error 'no option has that value or shows that text' choose #list Four; "
                    "dismiss; expect state #edit !popup"))
        << errors_.str();
    EXPECT_EQ(session_->Window().BehaviorEventCount(kSelectStateChanged), 1u);
}

// What a list editor measures before it opens its popup: the field's bottom-left corner on the
// screen, through the window handle as the module has it, against the visible area's bottom.
TEST_F(RunningHost, ScreenAndWindowPlaceDecideTheRoomBelowAField) {
    AddToPage("<div id=field>Two</div>");
    ElementRef root = ElementRef::Adopt(session_->RootElement());
    ElementRef field = PageInspector(root.Get()).First("#field");
    RECT box{};
    ASSERT_EQ(HtmlEngineAPI()->GetElementLocation(field.Get(), &box, kBorderBoxRelativeToView), kHtmlOk);
    HWND window = nullptr;
    ASSERT_EQ(HtmlEngineAPI()->GetElementHwnd(field.Get(), &window, 1), kHtmlOk);
    auto roomBelow = [&](POINT expectedCorner) {
        POINT corner{box.left, box.bottom};
        EXPECT_TRUE(ClientToScreen(window, &corner));
        EXPECT_EQ(corner.x, expectedCorner.x);
        EXPECT_EQ(corner.y, expectedCorner.y);
        RECT area{};
        EXPECT_EQ(SendMessageW(window, 0x0626, 0, reinterpret_cast<LPARAM>(&area)), 1);
        return area.bottom - corner.y;
    };
    constexpr LONG kListHeight = 200;
    ASSERT_LT(box.bottom, 600) << "the field sits near the top of the view";

    ASSERT_TRUE(Run("screen 0 0 1920 1080; window at 10 20")) << errors_.str();
    EXPECT_GT(roomBelow({box.left + 10, box.bottom + 20}), kListHeight) << "a list opens downwards";
    ASSERT_TRUE(Run("screen 0 0 1280 600")) << errors_.str();
    EXPECT_EQ(roomBelow({box.left + 10, box.bottom + 20}), 600 - box.bottom - 20);
    ASSERT_TRUE(Run("screen -1920 0 0 1080; window at -1900 950")) << errors_.str();
    EXPECT_LT(roomBelow({box.left - 1900, box.bottom + 950}), kListHeight) << "a list opens upwards";

    ASSERT_TRUE(Run("screen 0 0 1920 1080; window at 100 100")) << errors_.str(); // as the host starts
    EXPECT_EQ(roomBelow({box.left + 100, box.bottom + 100}), 1080 - box.bottom - 100);
}

// The clock the module reads through GetLocalTime, as a scenario fixes it and lets it go.
TEST_F(RunningHost, NowFixesTheLocalTimeUntilNowSystem) {
    auto localTime = [] {
        SYSTEMTIME time{};
        GetLocalTime(&time);
        return time;
    };
    ASSERT_TRUE(Run("now 2024-02-29T23:59:30")) << errors_.str();
    Sleep(20);
    SYSTEMTIME fixed = localTime();
    EXPECT_EQ(fixed.wYear, 2024);
    EXPECT_EQ(fixed.wMonth, 2);
    EXPECT_EQ(fixed.wDay, 29);
    EXPECT_EQ(fixed.wDayOfWeek, 4);
    EXPECT_EQ(fixed.wHour, 23);
    EXPECT_EQ(fixed.wMinute, 59);
    EXPECT_EQ(fixed.wSecond, 30);
    EXPECT_EQ(fixed.wMilliseconds, 0) << "a fixed clock stands still";

    // A time that does not exist stops the run before anything runs, and the clock stays as it was.
    EXPECT_FALSE(Run("now 2025-01-01T00:00:00; now 2024-02-30T10:00:00"));
    EXPECT_EQ(errors_.str(), "--run:2: now: there is no date 2024-02-30\n");
    EXPECT_EQ(localTime().wYear, 2024);
    runner_ = std::make_unique<ScenarioRunner>(*session_, out_, errors_, false); // failures count per runner

    ASSERT_TRUE(Run("now system")) << errors_.str();
    std::time_t since1970 = std::time(nullptr);
    std::tm system{};
    localtime_r(&since1970, &system);
    EXPECT_EQ(localTime().wYear, system.tm_year + 1900);
}

// What an editor does with a dialog: asks the provider for one, gives it its text and shows it.
std::uint32_t ShowJavaScriptDialog(const wchar_t* script, HWND parent, std::wstring* confirmed) {
    so::Ref dialog = so::QueryServiceObject(host::JavaScriptDialog::kName);
    so::Call<host::JavaScriptDialog::SetScript>(dialog.Get(), script);
    std::uint32_t result = 0;
    so::Call<host::JavaScriptDialog::ShowModal>(dialog.Get(), parent, &result);
    std::uint32_t length = 0;
    so::Call<host::JavaScriptDialog::GetScript>(dialog.Get(), static_cast<wchar_t*>(nullptr), &length);
    confirmed->assign(length + 1, L'\0');
    so::Call<host::JavaScriptDialog::GetScript>(dialog.Get(), confirmed->data(), &length);
    confirmed->resize(length);
    return result;
}

TEST_F(RunningHost, DialogsTakeTheQueuedAnswersAndScenariosSeeWhatTheyWereGiven) {
    HWND frameWindow = nullptr;
    so::Call<host::UIMainFrame::GetMainFrameWnd>(session_->Workspace().MainFrame(), &frameWindow);
    const std::string shown =
        std::to_string(session_->Workspace().Dialogs().History(DialogKind::JavaScript).size() + 2);
    ASSERT_TRUE(Run("dialog JavaScriptDialog confirm \"app.alert('new');\"; dialog JavaScriptDialog cancel"))
        << errors_.str();
    std::wstring script;
    EXPECT_EQ(ShowJavaScriptDialog(L"app.alert('old');", frameWindow, &script),
              host::DialogResult::kConfirmed);
    EXPECT_EQ(script, L"app.alert('new');");
    EXPECT_TRUE(Run("expect dialog JavaScriptDialog script \"app.alert('old');\"; "
                    "expect dialog JavaScriptDialog parent main-frame"))
        << errors_.str();
    EXPECT_EQ(ShowJavaScriptDialog(L"app.beep(0);", nullptr, &script), host::DialogResult::kCancelled);
    EXPECT_EQ(script, L"app.beep(0);");
    EXPECT_TRUE(Run("expect dialog JavaScriptDialog shown " + shown +
                    "; expect dialog JavaScriptDialog script \"app.beep(0);\"; "
                    "expect dialog JavaScriptDialog parent none"))
        << errors_.str();

    EXPECT_FALSE(
        Run("expect dialog JavaScriptDialog parent main-frame; expect dialog JavaScriptDialog shown 0"));
    EXPECT_EQ(errors_.str(),
              "--run:1: expected the JavaScriptDialog's parent \"main-frame\" but found \"none\"\n"
              "--run:2: expected the JavaScriptDialog shown 0 times but it was shown " +
                  shown + " times\n");
}

TEST_F(RunningHost, AValueListDialogsPairsCompareAsJson) {
    ASSERT_TRUE(Run("dialog EditValueListDialog confirm '[[\"Red\",\"1\"]]'")) << errors_.str();
    so::Ref dialog = so::QueryServiceObject(host::EditValueListDialog::kName);
    so::Call<host::EditValueListDialog::AddPair>(dialog.Get(), L"<b>", L"a=b");
    so::Call<host::EditValueListDialog::AddPair>(dialog.Get(), L"\u00C4", L"");
    std::uint32_t result = 0;
    so::Call<host::EditValueListDialog::ShowModal>(dialog.Get(), HWND(nullptr), &result);
    std::uint32_t count = 0;
    so::Call<host::EditValueListDialog::GetPairCount>(dialog.Get(), &count);
    EXPECT_EQ(count, 1u) << "the confirmed list";
    EXPECT_TRUE(Run("expect dialog EditValueListDialog pairs '[ [\"<b>\", \"a=b\"], [\"\\u00c4\", \"\"] ]'"))
        << errors_.str();
    EXPECT_FALSE(Run("expect dialog EditValueListDialog pairs '[[\"<b>\",\"a=b\"]]'"));
    EXPECT_EQ(errors_.str(),
              "--run:1: expected the EditValueListDialog given the pairs [[\"<b>\",\"a=b\"]] but it "
              "was given [[\"<b>\",\"a=b\"],[\"\xC3\x84\",\"\"]]\n");
}

TEST_F(RunningHost, ADialogShownWithoutAnAnswerFailsTheCommandDuringWhichItWasShown) {
    so::Ref dialog = so::QueryServiceObject(host::FieldNotationDialog::kName);
    so::Call<host::FieldNotationDialog::SetText>(dialog.Get(), L"A + B");
    // Shown from the UI loop, as an editor shows it after the click that asked for it.
    so::Call<host::UIService::RegisterIdleCallback>(service_.Get(), &ShowFieldNotationOnce, dialog.Get(),
                                                    "runner-test-dialog");
    EXPECT_FALSE(Run("select none; expect count body 1"));
    so::Call<host::UIService::UnregisterIdleCallback>(service_.Get(), &ShowFieldNotationOnce, dialog.Get());
    EXPECT_EQ(errors_.str(),
              "--run:1: The FieldNotationDialog was shown but no answer was queued for it (dialog "
              "FieldNotationDialog confirm|cancel); it was cancelled\n");
    EXPECT_EQ(runner_->Failures(), 1u) << "the run goes on";
}

// The module's side of the wizard, with the status it reports.
class StatusCompletion : public so::ObjectBase {
public:
    using Interface = host::EditPDActionWizardCompletion;
    static constexpr std::uint32_t kClassTag = 0x7E57C0D1;
    static void BindMethods(so::MethodBinder<StatusCompletion>& binder) {
        binder.Bind<host::EditPDActionWizardCompletion::Complete, &StatusCompletion::Complete>();
    }
    SOResult Complete(host::PdfActionHandle action, std::int32_t* status) {
        *status = action == nullptr ? 2 : 0;
        return so::kOk;
    }
};

TEST_F(RunningHost, TheWizardTakesTheQueuedAnswersAndScenariosSeeItsLastRun) {
    const std::size_t runs = session_->Workspace().Dialogs().WizardRuns().size();
    ASSERT_TRUE(Run("wizard none; wizard cancel")) << errors_.str();
    so::Ref completion = so::Make<StatusCompletion>();
    so::Ref factory = so::QueryServiceObject(host::EditPDActionWizardFactory::kName);
    int current = 0;
    for (host::PdfActionHandle action : {host::PdfActionHandle(&current), host::PdfActionHandle(nullptr)}) {
        so::Ref wizard;
        so::Call<host::EditPDActionWizardFactory::CreateWizard>(
            factory.Get(), session_->Workspace().MainFrame(), action, completion.Get(), wizard.Put());
        so::Call<host::EditPDActionWizard::Run>(wizard.Get());
        if (action != nullptr) {
            EXPECT_TRUE(Run("expect wizard status 2; expect wizard current action")) << errors_.str();
        }
    }
    EXPECT_TRUE(Run("expect wizard shown " + std::to_string(runs + 2) +
                    "; expect wizard status none; expect wizard current none"))
        << errors_.str();

    // A description that makes no action is refused where it is queued, with the library's reason.
    EXPECT_TRUE(
        Run("open sample; expect error \"is not an action type\" wizard action '{\"type\":\"Bogus\"}'"))
        << errors_.str();
    EXPECT_FALSE(Run("wizard action '{}'; wizard cancel"));
    EXPECT_EQ(errors_.str().rfind("--run:1: wizard: PDActionCreateFromJson: ", 0), 0u) << errors_.str();
    EXPECT_EQ(session_->Workspace().Dialogs().PendingWizardAnswers(), 0u) << "the run stopped at the refusal";
}

TEST_F(RunningHost, AnActionButtonsClickDispatchesItsUIActionToTheHost) {
    AddToPage(
        "<button class=action-button id=act action=FormsCalculate action-param-z=last "
        "action-param-a='x y'></button><button class=action-button id=off action=Never disabled></button>"
        "<button class=action-button id=late action=Later></button><button class=action-button "
        "id=bare></button><button id=plain action=NotAnActionButton></button>");
    const std::size_t before = session_->UIActions().Dispatched().size();
    auto nth = [before](std::size_t n) { return std::to_string(before + n); };
    EXPECT_TRUE(Run("click #act; expect action " + nth(1) + "; expect action-run " + nth(1) +
                    " FormsCalculate z=last 'a=x y'"))
        << errors_.str();
    EXPECT_TRUE(
        Run("expect error disabled click #off; script attr #late disabled ''; click #late; click #bare; "
            "click #plain; expect action " +
            nth(1)))
        << errors_.str();
    // The panel changes a button's attributes in place when its property changes.
    EXPECT_TRUE(Run("script attr #act action-param-b '=2'; script attr #act action Other; click #act; "
                    "expect action-run " +
                    nth(2) + " Other 'a=x y' b==2 z=last"))
        << errors_.str();

    EXPECT_FALSE(
        Run("expect action-run " + nth(2) + " Other 'a=x y'; expect action-run " + nth(3) + " Other"));
    EXPECT_EQ(errors_.str(), "--run:1: expected the UI action " + nth(2) +
                                 " to be \"Other a=x y\" but it was \"Other a=x y b==2 z=last\"\n"
                                 "--run:2: expected a UI action " +
                                 nth(3) + " but " + nth(2) + " were dispatched\n");
}

} // namespace
} // namespace headless
