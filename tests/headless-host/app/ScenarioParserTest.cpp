// The scenario language's text form: word splitting, quoting, comments, command lookup and the
// arguments checked before anything runs.
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "host/HtmlEngineApi.h"
#include "host/WindowsApi.h"

#include <gtest/gtest.h>

namespace headless {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Words words;
};

class ScenarioWords : public testing::TestWithParam<SplitCase> {};

TEST_P(ScenarioWords, SplitLikeAShell) {
    EXPECT_EQ(ScenarioParser::SplitWords(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScenarioWords,
    testing::Values(SplitCase{"  click   #ok  ", {"click", "#ok"}},
                    SplitCase{"expect count \".a > .b\" 2", {"expect", "count", ".a > .b", "2"}},
                    SplitCase{"type #in \"say \\\"hi\\\"\\n\"", {"type", "#in", "say \"hi\"\n"}},
                    SplitCase{"type #in 'a \\n \"b\"'", {"type", "#in", "a \\n \"b\""}},
                    SplitCase{"select \"Name Field\",\"City Field\"", {"select", "Name Field,City Field"}},
                    SplitCase{"locale \"\"", {"locale", ""}}, SplitCase{"", {}}));

TEST(ScenarioWords, OpenQuotesAndBadEscapesAreRefused) {
    for (const char* line : {"click \"#a", "click '#a", "type #a \"x\\q\"", "type #a \"x\\"})
        EXPECT_THROW(ScenarioParser::SplitWords(line), std::invalid_argument) << line;
}

TEST(ScenarioText, SkipsCommentsAndBlankLinesAndKeepsLineNumbers) {
    auto commands =
        ScenarioParser::ParseText("# heading\n\nopen sample\r\n  # indented comment\nexpect count "
                                  "#x 1\ndump document\n",
                                  "a.scenario");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].line, 3u);
    EXPECT_EQ(commands[0].name, "open");
    EXPECT_EQ(commands[0].arguments, Words{"sample"});
    EXPECT_EQ(commands[1].line, 5u);
    EXPECT_EQ(commands[1].name, "expect count");
    EXPECT_EQ(commands[1].arguments, (Words{"#x", "1"}));
    EXPECT_EQ(commands[2].name, "dump document");
    EXPECT_TRUE(commands[2].arguments.empty());
}

TEST(ScenarioText, ClearingTheLogIsOneCommandOfTwoWords) {
    auto commands = ScenarioParser::ParseText("clear log\nexpect log \"not available\" 0\n", "a.scenario");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].name, "clear log");
    EXPECT_TRUE(commands[0].arguments.empty());
    EXPECT_EQ(commands[1].name, "expect log");
    EXPECT_EQ(commands[1].arguments, (Words{"not available", "0"}));
}

TEST(ScenarioText, DumpOfASelectorIsNotADumpKind) {
    auto commands = ScenarioParser::ParseText("dump .panel-content\n", "a.scenario");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].name, "dump");
    EXPECT_EQ(commands[0].arguments, Words{".panel-content"});
}

struct RefusedLine {
    const char* text;
    const char* message;
};

class ScenarioRefusal : public testing::TestWithParam<RefusedLine> {};

TEST_P(ScenarioRefusal, NamesTheLineAndTheFault) {
    std::string text = std::string("open sample\n") + GetParam().text + "\n";
    try {
        auto commands = ScenarioParser::ParseText(text, "t.scenario");
        for (const auto& command : commands)
            ScenarioRunner::Validate(command);
        FAIL() << "accepted: " << GetParam().text;
    } catch (const ScenarioError& e) {
        EXPECT_EQ(e.Line(), 2u);
        EXPECT_EQ(e.Message(), std::string("t.scenario:2: ") + GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScenarioRefusal,
    testing::Values(
        RefusedLine{"jump", "unknown command 'jump' (see --help)"},
        RefusedLine{"expect colour #a red",
                    "unknown expectation 'colour' (count, attr, text, state, style, input, value, "
                    "writes, pending, boxes, box, dialog, wizard, action, action-run, option, log, event "
                    "or error)"},
        RefusedLine{"clear logs", "unknown command 'clear' (see --help)"},
        RefusedLine{"clear log now", "clear log takes 0 arguments, not 1 (usage: clear log)"},
        RefusedLine{"click", "click takes 1 argument, not 0 (usage: click SELECTOR)"},
        RefusedLine{"undo now", "undo takes 0 arguments, not 1 (usage: undo)"},
        RefusedLine{"lock 4", "lock takes 0, 1 (write), 2 (read) or 3 (both), not \"4\""},
        RefusedLine{"answer maybe", "answer takes yes, no or yes-dont-ask, not \"maybe\""},
        RefusedLine{"expect count #a many", "expect count: \"many\" is not a count"},
        RefusedLine{"expect count #a -1", "expect count: \"-1\" is not a count"},
        // A word that is not UTF-8 is quoted with U+FFFD instead of failing to be quoted.
        RefusedLine{"expect count #a \xFF", "expect count: \"\xEF\xBF\xBD\" is not a count"},
        RefusedLine{"expect log opened some", "expect log: \"some\" is not a count"},
        RefusedLine{"expect style #a visibility", "expect style takes 3 arguments, not 2 (usage: "
                                                  "expect style SELECTOR PROPERTY VALUE)"},
        RefusedLine{"option Group Name yes", "option takes on or off, not \"yes\""},
        RefusedLine{"expect option Group Name true", "expect option takes on or off, not \"true\""},
        RefusedLine{"expect state #a open",
                    "unknown state \"open\" (expanded, collapsed, disabled, current, checked, focus, "
                    "popup)"},
        RefusedLine{"key Enter+meta", "key: unknown modifier 'meta' (ctrl, shift or alt)"},
        RefusedLine{"key F13", "key: unknown key 'F13'"},
        RefusedLine{"set Name x",
                    "set: a property is named by its groups and its name, as GROUP/.../NAME, not "
                    "\"Name\""},
        RefusedLine{"type #a \"open", "a \" quote is not closed"},
        // A wrapped command is checked as if it stood alone.
        RefusedLine{"expect error nope lock 7", "lock takes 0, 1 (write), 2 (read) or 3 (both), not \"7\""},
        RefusedLine{"on 2 undo now", "undo takes 0 arguments, not 1 (usage: undo)"},
        RefusedLine{"on 2 click #a", "on runs select, lock, set, change, refuse, remove, undo, redo, expect "
                                     "value, expect writes, expect "
                                     "pending, dump document or dump selection, not click"},
        RefusedLine{"expect error nope expect count #a 1",
                    "expect error takes a command that can be refused, not expect count"},
        RefusedLine{"expect event PROP_CHANGED 1",
                    "unknown panel event \"PROP_CHANGED\" (PROP_VIEW_REFRESHED, PROP_EDIT_POPUP_SHOWN, "
                    "PROP_EDIT_FINISHED, PROP_GENERATE_CONTENT or 1028 to 1031)"},
        RefusedLine{"expect box colour red",
                    "expect box checks text, caption, buttons or icon, not \"colour\""},
        RefusedLine{"open sample hidden", "open takes \"inactive\" after the file, not \"hidden\""},
        RefusedLine{"drag #slider far", "drag takes a number for the slider, not \"far\""},
        RefusedLine{"drag #slider", "drag takes 2 arguments, not 1 (usage: drag SELECTOR VALUE)"},
        RefusedLine{"screen 0 0 1920",
                    "screen takes 4 arguments, not 3 (usage: screen LEFT TOP RIGHT BOTTOM)"},
        RefusedLine{"screen 0 0 wide 1080",
                    "screen takes four whole numbers of pixels, not \"0\" \"0\" \"wide\" \"1080\""},
        RefusedLine{"screen 0 500 1920 300", "screen takes an area whose right is beyond its left and whose "
                                             "bottom is below its top"},
        RefusedLine{"window at 10", "window at takes 2 arguments, not 1 (usage: window at X Y)"},
        RefusedLine{"window at 10 9999999999",
                    "window at takes two whole numbers of pixels, not \"10\" \"9999999999\""},
        RefusedLine{"window 10 10", "unknown command 'window' (see --help)"},
        RefusedLine{"now", "now takes 1 argument, not 0 (usage: now YYYY-MM-DDTHH:MM:SS|system)"},
        RefusedLine{"now 2024-03-01 09:30:00",
                    "now takes 1 argument, not 2 (usage: now YYYY-MM-DDTHH:MM:SS|system)"},
        RefusedLine{"now 2024-02-30T10:00:00", "now: there is no date 2024-02-30"},
        RefusedLine{"now 2023-02-29T10:00:00", "now: there is no date 2023-02-29"},
        RefusedLine{"now 2024-13-01T10:00:00", "now: there is no date 2024-13-01"},
        RefusedLine{"now 2024-03-01T25:00:00", "now: there is no time of day 25:00:00"},
        RefusedLine{"now 2024-03-01T09:60:00", "now: there is no time of day 09:60:00"},
        RefusedLine{"now 2024-03-01T09:30:60", "now: there is no time of day 09:30:60"},
        RefusedLine{"now 2024-3-1T09:30:00",
                    "now: a local time is written YYYY-MM-DDTHH:MM:SS, not \"2024-3-1T09:30:00\""},
        RefusedLine{"now 2024-03-01T09:30:00Z",
                    "now: a local time is written YYYY-MM-DDTHH:MM:SS, not \"2024-03-01T09:30:00Z\""},
        RefusedLine{"now 2024-03-01t09:30:00",
                    "now: a local time is written YYYY-MM-DDTHH:MM:SS, not \"2024-03-01t09:30:00\""},
        RefusedLine{"now +024-03-01T09:30:00",
                    "now: a local time is written YYYY-MM-DDTHH:MM:SS, not \"+024-03-01T09:30:00\""},
        RefusedLine{"now real", "now: a local time is written YYYY-MM-DDTHH:MM:SS, not \"real\""}));

// The dialogs' and the wizard's answers and expectations, and those of the UI actions.
INSTANTIATE_TEST_SUITE_P(
    Dialogs, ScenarioRefusal,
    testing::Values(
        RefusedLine{"dialog JavaScriptDialog",
                    "dialog takes 2 to 3 arguments, not 1 (usage: dialog NAME confirm VALUE|NAME cancel)"},
        RefusedLine{"dialog PrintDialog cancel",
                    "dialog takes JavaScriptDialog, SelectFieldsDialog, "
                    "FieldNotationDialog or EditValueListDialog, not \"PrintDialog\""},
        RefusedLine{"dialog javascriptdialog cancel",
                    "dialog takes JavaScriptDialog, SelectFieldsDialog, FieldNotationDialog or "
                    "EditValueListDialog, not \"javascriptdialog\""},
        RefusedLine{"dialog JavaScriptDialog confirm",
                    "dialog JavaScriptDialog confirm takes the value the user confirms"},
        RefusedLine{"dialog FieldNotationDialog cancel A+B",
                    "dialog FieldNotationDialog cancel takes no value, not \"A+B\""},
        RefusedLine{"dialog SelectFieldsDialog ok A",
                    "dialog takes confirm or cancel after the name, not \"ok\""},
        RefusedLine{"dialog EditValueListDialog confirm a=1",
                    "dialog: pairs are a JSON array of [first, second] strings, not \"a=1\""},
        RefusedLine{"dialog EditValueListDialog confirm '[[\"a\",\"1\"],[\"b\"]]'",
                    "dialog: pairs are a JSON array of [first, second] strings, and [\"b\"] is no such pair"},
        RefusedLine{
            "dialog EditValueListDialog confirm '[[\"a\",1]]'",
            "dialog: pairs are a JSON array of [first, second] strings, and [\"a\",1] is no such pair"},
        RefusedLine{"wizard", "wizard takes 1 to 2 arguments, not 0 (usage: wizard cancel|none|action JSON)"},
        RefusedLine{"wizard finish", "wizard takes cancel, none or action, not \"finish\""},
        RefusedLine{"wizard none {}", "wizard none takes no value, not \"{}\""},
        RefusedLine{"wizard action", "wizard action takes the JSON of the action the user makes"},
        RefusedLine{"wizard action '{\"type\":'", "wizard action takes JSON, not \"{\\\"type\\\":\""},
        RefusedLine{"expect dialog PrintDialog shown 1",
                    "expect dialog takes JavaScriptDialog, SelectFieldsDialog, FieldNotationDialog or "
                    "EditValueListDialog, not \"PrintDialog\""},
        RefusedLine{"expect dialog JavaScriptDialog text x",
                    "expect dialog JavaScriptDialog checks shown, script or parent, not \"text\""},
        RefusedLine{"expect dialog SelectFieldsDialog pairs []",
                    "expect dialog SelectFieldsDialog checks shown, fields, text or parent, not \"pairs\""},
        RefusedLine{"expect dialog FieldNotationDialog fields x",
                    "expect dialog FieldNotationDialog checks shown, text or parent, not \"fields\""},
        RefusedLine{"expect dialog EditValueListDialog text x",
                    "expect dialog EditValueListDialog checks shown, pairs or parent, not \"text\""},
        RefusedLine{"expect dialog JavaScriptDialog shown twice", "expect dialog: \"twice\" is not a count"},
        RefusedLine{"expect dialog EditValueListDialog pairs '{}'",
                    "expect dialog: pairs are a JSON array of [first, second] strings, not \"{}\""},
        RefusedLine{
            "expect dialog SelectFieldsDialog parent desktop",
            "expect dialog SelectFieldsDialog parent takes main-frame, none or other, not \"desktop\""},
        RefusedLine{"expect wizard shown -1", "expect wizard: \"-1\" is not a count"},
        RefusedLine{"expect wizard current yes", "expect wizard current takes action or none, not \"yes\""},
        RefusedLine{"expect wizard status ok", "expect wizard status takes a number or none, not \"ok\""},
        RefusedLine{"expect wizard finished 1",
                    "expect wizard checks shown, current or status, not \"finished\""},
        RefusedLine{"expect action some", "expect action: \"some\" is not a count"},
        RefusedLine{"expect action-run 1",
                    "expect action-run takes at least 2 arguments, not 1 (usage: expect "
                    "action-run INDEX NAME [KEY=VALUE...])"},
        RefusedLine{"expect action-run 0 Open", "expect action-run counts actions from 1, not \"0\""},
        RefusedLine{"expect action-run 1 Open flag",
                    "expect action-run: a parameter is written KEY=VALUE, not \"flag\""},
        RefusedLine{"expect action-run 1 Open =x",
                    "expect action-run: a parameter is written KEY=VALUE, not \"=x\""},
        RefusedLine{"expect action-run 1 Open a=1 b=2 a=3",
                    "expect action-run names the parameter \"a\" twice"},
        RefusedLine{"expect error nope dialog JavaScriptDialog confirm",
                    "dialog JavaScriptDialog confirm takes the value the user confirms"}));

class ScenarioAccepted : public testing::TestWithParam<const char*> {};

TEST_P(ScenarioAccepted, PassesTheChecksBeforeAnythingRuns) {
    auto commands = ScenarioParser::ParseText(GetParam(), "t.scenario");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_NO_THROW(ScenarioRunner::Validate(commands[0]));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ScenarioAccepted,
    testing::Values("dialog JavaScriptDialog confirm \"app.alert(\\\"a; b\\\");\"",
                    "dialog JavaScriptDialog confirm \"\"", "dialog SelectFieldsDialog cancel",
                    "dialog EditValueListDialog confirm []",
                    "dialog EditValueListDialog confirm '[[\"b=c\",\"\"]]'", "wizard cancel", "wizard none",
                    // Refused when it runs: the host cannot make actions from JSON yet.
                    "wizard action '{\"type\":\"URI\"}'", "expect dialog JavaScriptDialog shown 0",
                    "expect dialog JavaScriptDialog parent main-frame",
                    "expect dialog SelectFieldsDialog fields A,B",
                    "expect dialog SelectFieldsDialog text \"\"",
                    "expect dialog EditValueListDialog pairs []", "expect wizard status -1",
                    "expect wizard status none", "expect wizard current action", "expect action 0",
                    "expect action-run 2 Open", "expect action-run 1 Open a=b=c flag="));

TEST(ScenarioText, ADialogsAnswerIsOneWordAfterTheName) {
    auto commands =
        ScenarioParser::ParseText("dialog EditValueListDialog confirm '[[\"a\", \"1\"], [\"<b>\", \"2\"]]'\n"
                                  "expect action-run 1 \"Forms Open\" \"label=a b\"\n",
                                  "a.scenario");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].id, ScenarioCommandId::Dialog);
    EXPECT_EQ(commands[0].arguments,
              (Words{"EditValueListDialog", "confirm", "[[\"a\", \"1\"], [\"<b>\", \"2\"]]"}));
    EXPECT_EQ(commands[1].id, ScenarioCommandId::ExpectActionRun);
    EXPECT_EQ(commands[1].arguments, (Words{"1", "Forms Open", "label=a b"}));
}

TEST(ScenarioText, WrappersCarryTheCommandTheyRun) {
    auto commands = ScenarioParser::ParseText("expect error \"locked\" on 2 set A/B 5\n", "a.scenario");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, ScenarioCommandId::ExpectError);
    ASSERT_NE(commands[0].inner, nullptr);
    EXPECT_EQ(commands[0].inner->id, ScenarioCommandId::On);
    ASSERT_NE(commands[0].inner->inner, nullptr);
    EXPECT_EQ(commands[0].inner->inner->name, "set");
    EXPECT_EQ(commands[0].inner->inner->arguments, (Words{"A/B", "5"}));
}

TEST(ScenarioInline, SplitsOnSemicolonsOutsideQuotes) {
    auto commands = ScenarioParser::ParseInline("open sample; type #in \"a; b\" ;; expect text #in 'x;y'");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[1].arguments, (Words{"#in", "a; b"}));
    EXPECT_EQ(commands[2].arguments, (Words{"#in", "x;y"}));
    EXPECT_EQ(commands[2].line, 4u);
    EXPECT_EQ(commands[2].source, "--run");
    EXPECT_THROW(ScenarioParser::ParseInline("open sample; type #in \"a; b"), ScenarioError);
}

TEST(ScenarioKeys, NamesLettersFunctionKeysAndModifiers) {
    auto enter = ScenarioRunner::ParseKey("Enter+ctrl");
    EXPECT_EQ(enter.virtualKey, 0x0Du);
    EXPECT_EQ(enter.modifiers, std::uint32_t(kControlKeyPressed));
    auto letter = ScenarioRunner::ParseKey("a+Shift+alt");
    EXPECT_EQ(letter.virtualKey, std::uint32_t('A'));
    EXPECT_EQ(letter.modifiers, std::uint32_t(kShiftKeyPressed | kAltKeyPressed));
    EXPECT_EQ(ScenarioRunner::ParseKey("f12").virtualKey, 0x7Bu);
    EXPECT_EQ(ScenarioRunner::ParseKey("PageDown").virtualKey, 0x22u);
}

struct LocalTimeCase {
    const char* text;
    SYSTEMTIME time;
};

class ScenarioLocalTime : public testing::TestWithParam<LocalTimeCase> {};

TEST_P(ScenarioLocalTime, ReadsAsGetLocalTimeReportsIt) {
    const SYSTEMTIME expected = GetParam().time;
    const SYSTEMTIME read = ScenarioRunner::ParseLocalTime(GetParam().text);
    EXPECT_EQ(read.wYear, expected.wYear);
    EXPECT_EQ(read.wMonth, expected.wMonth);
    EXPECT_EQ(read.wDay, expected.wDay);
    EXPECT_EQ(read.wDayOfWeek, expected.wDayOfWeek) << "0 is Sunday";
    EXPECT_EQ(read.wHour, expected.wHour);
    EXPECT_EQ(read.wMinute, expected.wMinute);
    EXPECT_EQ(read.wSecond, expected.wSecond);
    EXPECT_EQ(read.wMilliseconds, 0);
    ScenarioRunner::Validate(ScenarioParser::ParseInline(std::string("now ") + GetParam().text).front());
}

INSTANTIATE_TEST_SUITE_P(Times, ScenarioLocalTime,
                         testing::Values(LocalTimeCase{"2024-02-29T23:59:59",
                                                       {2024, 2, 4, 29, 23, 59, 59, 0}},
                                         LocalTimeCase{"2000-02-29T00:00:00", {2000, 2, 2, 29, 0, 0, 0, 0}},
                                         LocalTimeCase{"2023-12-31T12:05:09", {2023, 12, 0, 31, 12, 5, 9, 0}},
                                         LocalTimeCase{"2024-03-02T09:30:00", {2024, 3, 6, 2, 9, 30, 0, 0}}));

TEST(ScenarioLocalTime, SystemStandsInsteadOfATime) {
    auto commands = ScenarioParser::ParseText("now system\n", "a.scenario");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, ScenarioCommandId::Now);
    EXPECT_NO_THROW(ScenarioRunner::Validate(commands[0]));
}

TEST(ScenarioValues, StringsMatchWithOrWithoutTheirQuotes) {
    EXPECT_TRUE(ScenarioRunner::ValueMatches("\"customer.name\"", "customer.name"));
    EXPECT_TRUE(ScenarioRunner::ValueMatches("\"customer.name\"", "\"customer.name\""));
    EXPECT_TRUE(ScenarioRunner::ValueMatches("12", "12"));
    EXPECT_FALSE(ScenarioRunner::ValueMatches("12", "\"12\""));
    EXPECT_FALSE(ScenarioRunner::ValueMatches("\"a\\\"b\"", "a\\\"b"));
    EXPECT_TRUE(ScenarioRunner::ValueMatches("\"a\\\"b\"", "a\"b"));
    EXPECT_FALSE(ScenarioRunner::ValueMatches("null", ""));
}

} // namespace
} // namespace headless
