// The scenario language's text form: one command a line, words separated by blanks, quotes for
// words with blanks, "#" comment lines; and the table of commands with their arguments.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

// A scenario that cannot be run as written, at a line of its source.
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(std::string source, std::size_t line, const std::string& message);
    const std::string& Source() const { return source_; }
    std::size_t Line() const { return line_; }
    // "<source>:<line>: <message>"
    const std::string& Message() const { return message_; }

private:
    std::string source_;
    std::size_t line_;
    std::string message_;
};

// Every command of the language. A runner switches over these without a default, so that the
// compiler points at every place a new command must be handled.
enum class ScenarioCommandId {
    Open,
    Activate,
    Deactivate,
    Select,
    Lock,
    On,
    Pump,
    Hold,
    Release,
    Click,
    Type,
    Key,
    Choose,
    Expand,
    Dismiss,
    Focus,
    Drag,
    ScriptAttr,
    Set,
    Change,
    Refuse,
    Remove,
    Undo,
    Redo,
    Locale,
    Answer,
    Dialog,
    Wizard,
    Option,
    Screen,
    WindowAt,
    Now,
    ClearLog,
    ClearEvents,
    ExpectCount,
    ExpectAttr,
    ExpectText,
    ExpectState,
    ExpectStyle,
    ExpectInput,
    ExpectCaret,
    ExpectValue,
    ExpectWrites,
    ExpectPending,
    ExpectBoxes,
    ExpectBox,
    ExpectDialog,
    ExpectWizard,
    ExpectAction,
    ExpectActionRun,
    ExpectOption,
    ExpectLog,
    ExpectEvent,
    ExpectError,
    DumpDocument,
    DumpSelection,
    Dump,
};

struct ScenarioCommand {
    std::string source; // the file, or "--run"
    std::size_t line = 0;
    // The command's name (two words for the kinds of "expect", "dump" and "clear": "expect count"),
    // then its arguments.
    std::string name;
    std::vector<std::string> arguments;
    ScenarioCommandId id = ScenarioCommandId::Pump;
    // The command that "on" and "expect error" wrap (its words are the last arguments), else null.
    std::shared_ptr<const ScenarioCommand> inner;
};

// One command of the language, as --help shows it.
struct ScenarioCommandInfo {
    ScenarioCommandId id;
    const char* name;
    const char* usage; // the arguments
    std::size_t minArguments;
    std::size_t maxArguments;
    // Whether the UI loop runs after the command (unless held): it can post work.
    bool pumps;
    // The first argument that starts a wrapped command, or 0 when the command wraps none.
    std::size_t innerFrom;
    const char* description;
};

class ScenarioParser {
public:
    // Every command, in the order --help lists them.
    static const std::vector<ScenarioCommandInfo>& Commands();

    // Splits a line into words. Blanks separate words; "double quotes" keep blanks and take the
    // escapes \" \\ \n \t; 'single quotes' keep everything as written; quoted and plain parts next to
    // each other make one word (as in a shell). Raises std::invalid_argument for an open quote or a
    // dangling escape.
    static std::vector<std::string> SplitWords(std::string_view line);

    // A scenario file's text: blank lines and lines starting with "#" are skipped. Raises
    // ScenarioError naming the line for a malformed line, an unknown command or a wrong number of
    // arguments, before anything runs.
    static std::vector<ScenarioCommand> ParseText(std::string_view text, const std::string& source);
    // Commands given on the command line, separated by ";" outside quotes; "line" numbers count them.
    static std::vector<ScenarioCommand> ParseInline(std::string_view commands);

    // The table entry of a command.
    static const ScenarioCommandInfo& Info(ScenarioCommandId id);

private:
    static ScenarioCommand ParseLine(std::string_view text, const std::string& source, std::size_t line);
    static ScenarioCommand ParseWords(std::vector<std::string> words, const std::string& source,
                                      std::size_t line);
};

} // namespace headless
