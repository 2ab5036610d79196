#include "headless-host/app/ScenarioParser.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

namespace headless {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

const ScenarioCommandInfo* FindCommand(const std::string& name) {
    const auto& commands = ScenarioParser::Commands();
    auto found = std::find_if(commands.begin(), commands.end(),
                              [&name](const ScenarioCommandInfo& info) { return name == info.name; });
    return found == commands.end() ? nullptr : &*found;
}

std::string Expected(const ScenarioCommandInfo& info) {
    return std::string("usage: ") + info.name + (*info.usage != '\0' ? " " : "") + info.usage;
}

} // namespace

ScenarioError::ScenarioError(std::string source, std::size_t line, const std::string& message)
    : std::runtime_error(source + ":" + std::to_string(line) + ": " + message), source_(std::move(source)),
      line_(line), message_(what()) {}

const std::vector<ScenarioCommandInfo>& ScenarioParser::Commands() {
    using enum ScenarioCommandId;
    constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();
    static const std::vector<ScenarioCommandInfo> commands = {
        {Open, "open", "FILE|sample [inactive]", 1, 2, true, 0,
         "open a document file (relative to the scenario's folder) or the embedded sample, and activate its "
         "view (inactive: only add the view to the collection)"},
        {Activate, "activate", "VIEW", 1, 1, true, 0,
         "activate the view of an open document, by number (from 1) or document name"},
        {Deactivate, "deactivate", "", 0, 0, true, 0, "deactivate the active view"},
        {Select, "select", "NAME[,NAME...]|none", 1, 1, true, 0,
         "select objects of the active view by name, or nothing"},
        {Lock, "lock", "0|1|2|3", 1, 1, true, 0,
         "set the active document's locked state (1 write, 2 read, 3 both)"},
        {On, "on", "VIEW COMMAND [ARGUMENTS...]", 2, kAny, true, 1,
         "run select, lock, set, change, refuse, remove, undo, redo or an expectation of values on the view "
         "of "
         "another open document (by number from 1 or document name), active or not"},
        {Pump, "pump", "", 0, 0, false, 0,
         "run the UI loop until it is idle (every command that posts work does this too, unless held)"},
        {Hold, "hold", "", 0, 0, false, 0,
         "stop running the UI loop after commands, so that several events (select, locale, ...) meet one "
         "idle time; pump still runs it once and keeps the hold"},
        {Release, "release", "", 0, 0, true, 0, "end the hold and run the UI loop until it is idle"},
        {Click, "click", "SELECTOR", 1, 1, true, 0, "click the first element matching the selector"},
        {Type, "type", "SELECTOR TEXT", 2, 2, true, 0,
         "type the text into the first matching element (\\n is Enter, \\t a tab character; the Tab key "
         "is key Tab)"},
        {Key, "key", "NAME[+MODIFIERS]", 1, 1, true, 0,
         "press a key on the focused element: Enter, Escape, Tab, Space, Backspace, Delete, Up, Down, Left, "
         "Right, Home, End, PageUp, PageDown, F1..F12, a letter or a digit; modifiers ctrl, shift, alt"},
        {Choose, "choose", "SELECTOR VALUE", 2, 2, true, 0,
         "choose the option of that value (or text) in the matching select; an option in a popup the "
         "page has not opened is out of reach"},
        {Expand, "expand", "SELECTOR", 1, 1, true, 0, "click the matching tab of a tab container"},
        {Dismiss, "dismiss", "", 0, 0, true, 0, "close the open popup (Escape)"},
        {Focus, "focus", "SELECTOR", 1, 1, true, 0, "move the keyboard focus to the first matching element"},
        {Drag, "drag", "SELECTOR VALUE", 2, 2, true, 0,
         "drag the matching slider to the value, as a user does: it stops at its min and max, and a "
         "change raises its state-changed event"},
        {ScriptAttr, "script attr", "SELECTOR NAME VALUE", 3, 3, false, 0,
         "set an attribute of the first matching element as the host's page scripts do (e.g. the tab to\n"
         "      show next in \"ui-state\" on body)"},
        {Set, "set", "PROPERTY VALUE", 2, 2, true, 0,
         "write a value of the selection's property (GROUP/.../NAME) as the panel would: one undoable step"},
        {Change, "change", "OBJECT PROPERTY VALUE", 3, 3, true, 0,
         "write a property of one object of the active document as another window or a script would, "
         "past the panel: one undoable step"},
        {Refuse, "refuse", "OBJECT PROPERTY N MESSAGE", 4, 4, false, 0,
         "make the next N writes of an object's property fail with MESSAGE (N = 0: accept again)"},
        {Remove, "remove", "OBJECT [PROPERTY]", 1, 2, true, 0,
         "take a property, or a whole object, out of the active document as another window deleting it "
         "would: views showing it rebuild, holders of a removed property fail to read or write it, and a "
         "selection holding the object keeps the rest"},
        {Undo, "undo", "", 0, 0, true, 0, "undo the active document's last step"},
        {Redo, "redo", "", 0, 0, true, 0, "redo the active document's last undone step"},
        {Locale, "locale", "LANG", 1, 1, true, 0,
         "change the UI language (e.g. de, fr; \"\" for untranslated texts)"},
        {Answer, "answer", "yes|no|yes-dont-ask", 1, 1, false, 0,
         "answer the next message box (yes-dont-ask ticks its \"Don't ask me again\" box)"},
        {Dialog, "dialog", "NAME confirm VALUE|NAME cancel", 2, 3, false, 0,
         "what the user does in the next dialog of that name: confirm it with a value (JavaScriptDialog "
         "confirm SCRIPT, SelectFieldsDialog confirm TEXT, FieldNotationDialog confirm TEXT, "
         "EditValueListDialog confirm PAIRS, the pairs as a JSON array of [first, second] strings, e.g. "
         "'[[\"a\",\"1\"],[\"b=c\",\"2\"]]') or cancel it; answers wait for a dialog in order, and a dialog "
         "shown with none queued is cancelled and fails the scenario"},
        {Wizard, "wizard", "cancel|none|action JSON", 1, 2, false, 0,
         "what the user does in the next run of the action wizard: cancel it, remove the action (none), or "
         "make the action the JSON describes (not available yet: refused); a run with no answer queued is "
         "cancelled and fails the scenario"},
        {Option, "option", "GROUP NAME on|off", 3, 3, false, 0,
         "set a flag of the user options, e.g. UsrOptGroup_AccountDependentOptions "
         "UsrOptValue_ResetDefaultWarning off"},
        {Screen, "screen", "LEFT TOP RIGHT BOTTOM", 4, 4, false, 0,
         "set the part of the screen that popups may use, as the panel's window reports it (message "
         "0x0626), in screen pixels; 0 0 1920 1080 at start"},
        {WindowAt, "window at", "X Y", 2, 2, false, 0,
         "move the panel's window so that the top-left corner of its view is at X Y on the screen "
         "(ClientToScreen adds it); 100 100 at start"},
        {Now, "now", "YYYY-MM-DDTHH:MM:SS|system", 1, 1, false, 0,
         "fix the local time the module reads from here on (e.g. 2024-03-01T09:30:00; it stands still "
         "until the next now), or follow the system's clock again; the system's clock at start unless "
         "--now fixed it"},
        {ClearLog, "clear log", "", 0, 0, false, 0,
         "forget the log entries written so far (expect log counts from here)"},
        {ClearEvents, "clear events", "", 0, 0, false, 0,
         "forget the panel events counted so far (expect event counts from here)"},
        {ExpectCount, "expect count", "SELECTOR N", 2, 2, false, 0,
         "the number of elements matching the selector"},
        {ExpectAttr, "expect attr", "SELECTOR NAME VALUE", 3, 3, false, 0,
         "an attribute of the first matching element"},
        {ExpectText, "expect text", "SELECTOR TEXT", 2, 2, false, 0,
         "the text of the first matching element"},
        {ExpectState, "expect state", "SELECTOR [!]STATE", 2, 2, false, 0,
         "a state of the first matching element (expanded, collapsed, disabled, current, checked, focus, "
         "popup); !STATE: the state is not set"},
        {ExpectStyle, "expect style", "SELECTOR PROPERTY VALUE", 3, 3, false, 0,
         "an inline style property (e.g. visibility) of the first matching element; \"\" when it is not set"},
        {ExpectInput, "expect input", "SELECTOR VALUE", 2, 2, false, 0,
         "what the first matching element holds now (an input's runtime value, not its attribute), as "
         "text (a date or time input: the text it shows); \"\" for no value"},
        {ExpectCaret, "expect caret", "SELECTOR START END", 3, 3, false, 0,
         "where the first matching input's selection starts and where its caret stands (equal when "
         "nothing is selected), in characters"},
        {ExpectValue, "expect value", "OBJECT PROPERTY VALUE", 3, 3, false, 0,
         "a property (GROUP/.../NAME) of an object of the active document, as in document files "
         "(strings with or without their JSON quotes)"},
        {ExpectWrites, "expect writes", "OBJECT PROPERTY N", 3, 3, false, 0,
         "how many writes of an object's property were accepted, also of the value it had"},
        {ExpectPending, "expect pending", "OBJECT PROPERTY VALUE", 3, 3, false, 0,
         "the value of the last pending-value notice the property was given, as in document files; none "
         "when it was told that no edit is pending"},
        {ExpectBoxes, "expect boxes", "N", 1, 1, false, 0, "the number of message boxes shown so far"},
        {ExpectBox, "expect box", "text|caption|buttons|icon VALUE", 2, 2, false, 0,
         "the last message box shown: its caption, its buttons (ok, ok-cancel, yes-no, yes-no-cancel), its "
         "icon (none, error, question, warning, information), or a text its message contains once the "
         "markup is taken out"},
        {ExpectDialog, "expect dialog", "NAME shown|script|fields|text|pairs|parent VALUE", 3, 3, false, 0,
         "how many times the dialog of that name was shown (shown), or what it was given the last time: "
         "the script (JavaScriptDialog), the field names as given, joined by commas (SelectFieldsDialog), "
         "the text (SelectFieldsDialog, FieldNotationDialog), the pairs as JSON (EditValueListDialog), the "
         "window it was shown over (parent: main-frame, none or other)"},
        {ExpectWizard, "expect wizard", "shown|current|status VALUE", 2, 2, false, 0,
         "how many times the action wizard was run (shown), or of its last run: whether it was made for a "
         "current action (current: action or none), and what the completion reported (status: a number, "
         "none when the completion was not called)"},
        {ExpectAction, "expect action", "N", 1, 1, false, 0,
         "how many UI actions the page's action buttons (button.action-button with an action attribute) "
         "dispatched to the host"},
        {ExpectActionRun, "expect action-run", "INDEX NAME [KEY=VALUE...]", 2, kAny, false, 0,
         "the UI action dispatched INDEX-th (from 1): its name and all its parameters (the button's "
         "action-param-KEY attributes), in any order; the first = of a word ends its key"},
        {ExpectOption, "expect option", "GROUP NAME on|off", 3, 3, false, 0, "a flag of the user options"},
        {ExpectLog, "expect log", "TEXT N", 2, 2, false, 0,
         "the number of log entries whose text (without level and source) contains TEXT, written since "
         "the host started or the last clear log"},
        {ExpectEvent, "expect event", "NAME N", 2, 2, false, 0,
         "how many panel events of that name reached the page root since the host started or the last "
         "clear events: PROP_VIEW_REFRESHED, PROP_EDIT_POPUP_SHOWN, PROP_EDIT_FINISHED, "
         "PROP_GENERATE_CONTENT (or their codes 1028 to 1031)"},
        {ExpectError, "expect error", "MESSAGE COMMAND [ARGUMENTS...]", 2, kAny, true, 1,
         "run the command and expect it to be refused with an error containing MESSAGE; the scenario "
         "goes on"},
        {DumpDocument, "dump document", "", 0, 0, false, 0,
         "every object's property values of the active document"},
        {DumpSelection, "dump selection", "", 0, 0, false, 0,
         "the selection's properties as the panel reads them"},
        {Dump, "dump", "SELECTOR", 1, 1, false, 0, "the outer HTML of every element matching the selector"},
    };
    return commands;
}

const ScenarioCommandInfo& ScenarioParser::Info(ScenarioCommandId id) {
    const auto& commands = Commands();
    auto found = std::find_if(commands.begin(), commands.end(),
                              [id](const ScenarioCommandInfo& info) { return info.id == id; });
    assert(found != commands.end() && "every command id has a table entry");
    return *found;
}

std::vector<std::string> ScenarioParser::SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (IsBlank(c)) {
            if (inWord)
                words.push_back(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos)
                throw std::invalid_argument("a ' quote is not closed");
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                if (line[i] == '"') {
                    closed = true;
                    break;
                }
                if (line[i] != '\\') {
                    word += line[i];
                    continue;
                }
                if (++i == line.size())
                    break;
                switch (line[i]) {
                case 'n':
                    word += '\n';
                    break;
                case 't':
                    word += '\t';
                    break;
                case '"':
                case '\\':
                    word += line[i];
                    break;
                default:
                    throw std::invalid_argument(std::string("unknown escape \\") + line[i] +
                                                " in a \" quote");
                }
            }
            if (!closed)
                throw std::invalid_argument("a \" quote is not closed");
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

ScenarioCommand ScenarioParser::ParseLine(std::string_view text, const std::string& source,
                                          std::size_t line) {
    std::vector<std::string> words;
    try {
        words = SplitWords(text);
    } catch (const std::invalid_argument& e) {
        throw ScenarioError(source, line, e.what());
    }
    return ParseWords(std::move(words), source, line);
}

ScenarioCommand ScenarioParser::ParseWords(std::vector<std::string> words, const std::string& source,
                                           std::size_t line) {
    if (words.empty())
        throw ScenarioError(source, line, "a command is missing");
    ScenarioCommand command{source, line, words.front(), {}};
    std::size_t first = 1;
    if (words.size() > 1) {
        std::string twoWords = command.name + " " + words[1];
        if (FindCommand(twoWords) != nullptr) {
            command.name = twoWords;
            first = 2;
        } else if (command.name == "expect") {
            throw ScenarioError(source, line,
                                "unknown expectation '" + words[1] +
                                    "' (count, attr, text, state, style, input, value, writes, pending, "
                                    "boxes, box, dialog, wizard, action, action-run, option, log, event "
                                    "or error)");
        }
    }
    const ScenarioCommandInfo* info = FindCommand(command.name);
    if (info == nullptr)
        throw ScenarioError(source, line, "unknown command '" + command.name + "' (see --help)");
    command.id = info->id;
    command.arguments.assign(words.begin() + std::ptrdiff_t(std::min(first, words.size())), words.end());
    if (command.arguments.size() < info->minArguments || command.arguments.size() > info->maxArguments) {
        const bool bounded = info->maxArguments != std::numeric_limits<std::size_t>::max();
        throw ScenarioError(
            source, line,
            command.name + " takes " +
                (!bounded ? "at least " + std::to_string(info->minArguments)
                 : info->minArguments == info->maxArguments
                     ? std::to_string(info->minArguments)
                     : std::to_string(info->minArguments) + " to " + std::to_string(info->maxArguments)) +
                " argument" + (info->maxArguments == 1 ? "" : "s") + ", not " +
                std::to_string(command.arguments.size()) + " (" + Expected(*info) + ")");
    }
    if (info->innerFrom != 0) {
        std::vector<std::string> innerWords(command.arguments.begin() + std::ptrdiff_t(info->innerFrom),
                                            command.arguments.end());
        command.inner = std::make_shared<ScenarioCommand>(ParseWords(std::move(innerWords), source, line));
    }
    return command;
}

std::vector<ScenarioCommand> ScenarioParser::ParseText(std::string_view text, const std::string& source) {
    std::vector<ScenarioCommand> commands;
    std::size_t lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        std::size_t end = text.find('\n');
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        commands.push_back(ParseLine(line, source, lineNumber));
    }
    return commands;
}

std::vector<ScenarioCommand> ScenarioParser::ParseInline(std::string_view commands) {
    const std::string source = "--run";
    std::vector<ScenarioCommand> parsed;
    std::size_t number = 0;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i <= commands.size(); ++i) {
        char c = i < commands.size() ? commands[i] : ';';
        if (quote != 0) {
            if (c == '\\' && quote == '"' && i + 1 < commands.size())
                ++i;
            else if (c == quote)
                quote = 0;
            else if (i == commands.size())
                break; // the open quote is reported by the word splitter
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (c != ';')
            continue;
        std::string_view line = Trimmed(commands.substr(start, i - start));
        start = i + 1;
        ++number;
        if (!line.empty())
            parsed.push_back(ParseLine(line, source, number));
    }
    if (quote != 0) {
        ++number;
        parsed.push_back(ParseLine(Trimmed(commands.substr(start)), source, number));
    }
    return parsed;
}

} // namespace headless
