// Random bytes as a scenario file and as a command line: every input parses or is refused with a
// ScenarioError at one of its lines. Parsed commands are known ones with as many arguments as they
// take, read back the same when written out with quotes, and pass the runner's argument checks or are
// refused with a ScenarioError at their own line.
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using headless::ScenarioCommand;
using headless::ScenarioError;
using headless::ScenarioParser;

const std::string kSource = "fuzz.scenario";
const std::string kInlineSource = "--run"; // what ParseInline calls its commands' source

[[noreturn]] void Abort(const std::string& what, std::string_view text) {
    std::fprintf(stderr, "%s\n--- text ---\n%.*s\n", what.c_str(), int(text.size()), text.data());
    std::abort();
}

// Lines of a file (split at "\n"), or commands of a command line (split at ";"): the most a refusal
// or a command can be numbered.
std::size_t Pieces(std::string_view text, char separator) {
    return std::size_t(std::count(text.begin(), text.end(), separator)) + 1;
}

void CheckRefusal(const ScenarioError& error, const std::string& source, std::size_t pieces,
                  std::string_view text) {
    std::string prefix = source + ":" + std::to_string(error.Line()) + ": ";
    if (error.Source() != source || error.Line() < 1 || error.Line() > pieces ||
        error.Message() != error.what() || !error.Message().starts_with(prefix) ||
        error.Message().size() == prefix.size())
        Abort("malformed refusal: " + error.Message(), text);
}

void CheckCommands(const std::vector<ScenarioCommand>& commands, const std::string& source,
                   std::size_t pieces, std::string_view text) {
    std::size_t previousLine = 0;
    for (const ScenarioCommand& command : commands) {
        if (command.source != source || command.line <= previousLine || command.line > pieces)
            Abort("command " + command.name + " at line " + std::to_string(command.line), text);
        previousLine = command.line;
        const auto& known = ScenarioParser::Commands();
        auto info = std::find_if(known.begin(), known.end(),
                                 [&command](const auto& entry) { return command.name == entry.name; });
        if (info == known.end() || command.arguments.size() < info->minArguments ||
            command.arguments.size() > info->maxArguments)
            Abort("unknown command or wrong number of arguments: " + command.name, text);
        try {
            headless::ScenarioRunner::Validate(command);
        } catch (const ScenarioError& error) {
            if (error.Line() != command.line)
                Abort("the refusal of line " + std::to_string(command.line) + " names another line", text);
            CheckRefusal(error, source, pieces, text);
        }
    }
}

// Double quotes keep blanks, ";" and "#", so that any argument can be written on one line.
std::string Quoted(const std::string& word) {
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string Written(const ScenarioCommand& command) {
    std::string line = command.name; // one or two plain words
    for (const std::string& argument : command.arguments)
        line += " " + Quoted(argument);
    return line;
}

void CheckSameCommands(const std::vector<ScenarioCommand>& expected,
                       const std::vector<ScenarioCommand>& found, const std::string& written,
                       std::string_view text) {
    bool same = expected.size() == found.size();
    for (std::size_t i = 0; same && i < expected.size(); ++i)
        same = expected[i].name == found[i].name && expected[i].arguments == found[i].arguments;
    if (!same)
        Abort("the commands read differently once written out as\n" + written, text);
}

// The commands written one a line and as a command line read back as they were.
void CheckWrittenOut(const std::vector<ScenarioCommand>& commands, std::string_view text) {
    std::string file;
    std::string commandLine;
    for (const ScenarioCommand& command : commands) {
        file += Written(command) + "\n";
        commandLine += Written(command) + ";";
    }
    try {
        CheckSameCommands(commands, ScenarioParser::ParseText(file, kSource), file, text);
        CheckSameCommands(commands, ScenarioParser::ParseInline(commandLine), commandLine, text);
    } catch (const ScenarioError& error) {
        Abort("written out, the commands are refused: " + error.Message() + "\n" + file, text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    try {
        std::vector<ScenarioCommand> commands = ScenarioParser::ParseText(text, kSource);
        CheckCommands(commands, kSource, Pieces(text, '\n'), text);
        CheckWrittenOut(commands, text);
    } catch (const ScenarioError& error) {
        CheckRefusal(error, kSource, Pieces(text, '\n'), text);
    }

    try {
        std::vector<ScenarioCommand> commands = ScenarioParser::ParseInline(text);
        CheckCommands(commands, kInlineSource, Pieces(text, ';'), text);
        CheckWrittenOut(commands, text);
    } catch (const ScenarioError& error) {
        CheckRefusal(error, kInlineSource, Pieces(text, ';'), text);
    }
    return 0;
}
