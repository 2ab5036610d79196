#include "headless-host/app/ScenarioRunner.h"

#include "headless-host/app/HostSession.h"
#include "headless-host/app/PageInspector.h"
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/DocumentViewObject.h"
#include "headless-host/document/LimitedJsonParser.h"
#include "headless-host/document/PropertyValues.h"
#include "headless-host/html-engine/driver/InputDriver.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/services/HostDialogs.h"
#include "headless-host/services/MessageBoxService.h"
#include "headless-host/support/HostSupport.h"
#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "host/Localization.h"
#include "host/UIDocuments.h"
#include "host/ValueRecords.h"
#include "host/WindowsApi.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <ostream>
#include <set>

namespace headless {

namespace {

// A command that cannot be carried out in the host's present state; it stops the run.
class CommandError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::optional<long long> Integer(const std::string& text) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> Number(const std::string& text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A scenario's words are bytes as written, not always UTF-8: bad bytes show as U+FFFD instead of
// making the message itself fail.
std::string QuotedWord(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::wstring> SplitNames(const std::string& text, char separator) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        names.push_back(so::WideFromUtf8(text.substr(start, end == std::string::npos ? end : end - start)));
        if (end == std::string::npos)
            return names;
        start = end + 1;
    }
}

std::wstring NameOf(ServiceObject* object) {
    const wchar_t* name = nullptr;
    so::Call<host::BLPropertiesGroup::GetName>(object, &name);
    return name != nullptr ? name : L"";
}

// The selection's group at `names` (from a root group), or null.
so::Ref FindGroup(ServiceObject* context, const std::vector<std::wstring>& names) {
    so::Ref current;
    for (const std::wstring& name : names) {
        std::uint32_t count = 0;
        if (!current)
            so::Call<host::BLPropertiesContext::GetGroupCount>(context, &count);
        else
            so::Call<host::BLPropertiesGroup::GetSubGroupCount>(current.Get(), &count);
        so::Ref next;
        for (std::uint32_t i = 0; i < count && !next; ++i) {
            so::Ref candidate;
            if (!current)
                so::Call<host::BLPropertiesContext::GetGroup>(context, i, candidate.Put());
            else
                so::Call<host::BLPropertiesGroup::GetSubGroup>(current.Get(), i, candidate.Put());
            if (candidate && NameOf(candidate.Get()) == name)
                next = std::move(candidate);
        }
        if (!next)
            return {};
        current = std::move(next);
    }
    return current;
}

const std::map<std::string, std::uint32_t>& KeyNames() {
    static const std::map<std::string, std::uint32_t> keys = {
        {"enter", 0x0D}, {"return", 0x0D}, {"escape", 0x1B},    {"esc", 0x1B},
        {"tab", 0x09},   {"space", 0x20},  {"backspace", 0x08}, {"delete", 0x2E},
        {"left", 0x25},  {"up", 0x26},     {"right", 0x27},     {"down", 0x28},
        {"home", 0x24},  {"end", 0x23},    {"pageup", 0x21},    {"pagedown", 0x22},
    };
    return keys;
}

// The panel's application events, by the names its code gives them.
constexpr std::array<std::pair<const char*, std::uint32_t>, 4> kPanelEvents = {{
    {"PROP_VIEW_REFRESHED", 1028},
    {"PROP_EDIT_POPUP_SHOWN", 1029},
    {"PROP_EDIT_FINISHED", 1030},
    {"PROP_GENERATE_CONTENT", 1031},
}};

// A panel event by name, or by its code written in decimal or as 0x…
std::optional<std::uint32_t> PanelEventCode(const std::string& text) {
    for (const auto& [name, code] : kPanelEvents) {
        if (text == name)
            return code;
    }
    std::optional<long long> number;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        long long value = 0;
        auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        if (error == std::errc() && end == text.data() + text.size() && text.size() > 2)
            number = value;
    } else {
        number = Integer(text);
    }
    for (const auto& [name, code] : kPanelEvents) {
        if (number && *number == code)
            return code;
    }
    return std::nullopt;
}

std::string ButtonsName(std::uint32_t flags) {
    switch (flags & host::MessageBoxFlags::kButtonsMask) {
    case host::MessageBoxFlags::kOk:
        return "ok";
    case host::MessageBoxFlags::kOkCancel:
        return "ok-cancel";
    case host::MessageBoxFlags::kYesNoCancel:
        return "yes-no-cancel";
    case host::MessageBoxFlags::kYesNo:
        return "yes-no";
    }
    return "buttons " + std::to_string(flags & host::MessageBoxFlags::kButtonsMask);
}

std::string IconName(std::uint32_t flags) {
    switch (flags & 0xF0u) {
    case 0:
        return "none";
    case host::MessageBoxFlags::kIconError:
        return "error";
    case host::MessageBoxFlags::kIconQuestion:
        return "question";
    case host::MessageBoxFlags::kIconWarning:
        return "warning";
    case host::MessageBoxFlags::kIconInformation:
        return "information";
    }
    return "icon " + std::to_string(flags & 0xF0u);
}

// Screen coordinates are 32-bit, as RECT and POINT hold them.
bool ScreenCoordinate(const std::optional<long long>& number) {
    return number && *number >= std::numeric_limits<LONG>::min() &&
           *number <= std::numeric_limits<LONG>::max();
}

// An EditValueListDialog's pairs as scenarios write them: a JSON array of [first, second] strings.
// Raises std::invalid_argument for anything else.
StringPairs ParseStringPairs(const std::string& text) {
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    if (!parsed.is_array())
        throw std::invalid_argument("pairs are a JSON array of [first, second] strings, not " +
                                    QuotedWord(text));
    StringPairs pairs;
    for (const nlohmann::json& pair : parsed) {
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() || !pair[1].is_string())
            throw std::invalid_argument("pairs are a JSON array of [first, second] strings, and " +
                                        pair.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                                        " is no such pair");
        pairs.emplace_back(so::WideFromUtf8(pair[0].get<std::string>()),
                           so::WideFromUtf8(pair[1].get<std::string>()));
    }
    return pairs;
}

std::string PairsJson(const StringPairs& pairs) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& [first, second] : pairs)
        list.push_back({so::Utf8FromWide(first), so::Utf8FromWide(second)});
    return list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The fields "expect dialog" reads of each dialog besides "shown" and "parent".
bool DialogHasField(DialogKind kind, const std::string& field) {
    if (field == "shown" || field == "parent")
        return true;
    switch (kind) {
    case DialogKind::JavaScript:
        return field == "script";
    case DialogKind::SelectFields:
        return field == "fields" || field == "text";
    case DialogKind::FieldNotation:
        return field == "text";
    case DialogKind::EditValueList:
        return field == "pairs";
    }
    return false;
}

const char* DialogFieldsOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::JavaScript:
        return "shown, script or parent";
    case DialogKind::SelectFields:
        return "shown, fields, text or parent";
    case DialogKind::FieldNotation:
        return "shown, text or parent";
    case DialogKind::EditValueList:
        return "shown, pairs or parent";
    }
    return "shown or parent";
}

constexpr const char* kDialogNames =
    "JavaScriptDialog, SelectFieldsDialog, FieldNotationDialog or EditValueListDialog";

// "KEY=VALUE" of "expect action-run": the first '=' ends the key, a parameter's name in the page.
std::pair<std::string, std::string> ParameterWord(const std::string& word) {
    std::size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
        throw std::invalid_argument("a parameter is written KEY=VALUE, not " + QuotedWord(word));
    return {word.substr(0, equals), word.substr(equals + 1)};
}

bool IsExpectationOrDump(ScenarioCommandId id) {
    using enum ScenarioCommandId;
    const std::string_view name = ScenarioParser::Info(id).name;
    return id != ExpectError && (name.starts_with("expect") || name.starts_with("dump"));
}

} // namespace

ScenarioRunner::ScenarioRunner(HostSession& session, std::ostream& out, std::ostream& errors,
                               bool stopOnFailure)
    : session_(session), out_(out), errors_(errors), stopOnFailure_(stopOnFailure) {}

ScenarioRunner::KeyPress ScenarioRunner::ParseKey(const std::string& text) {
    std::vector<std::wstring> parts = SplitNames(text, '+');
    KeyPress press;
    std::string key = so::Utf8FromWide(parts.front());
    std::string lower = Lower(key);
    if (auto named = KeyNames().find(lower); named != KeyNames().end()) {
        press.virtualKey = named->second;
    } else if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        press.virtualKey = std::uint32_t(std::toupper(static_cast<unsigned char>(key[0])));
    } else if (lower.size() >= 2 && lower[0] == 'f' && Integer(lower.substr(1)) &&
               *Integer(lower.substr(1)) >= 1 && *Integer(lower.substr(1)) <= 12) {
        press.virtualKey = 0x70 + std::uint32_t(*Integer(lower.substr(1)) - 1);
    } else {
        throw std::invalid_argument("unknown key '" + key + "'");
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string modifier = Lower(so::Utf8FromWide(parts[i]));
        if (modifier == "ctrl" || modifier == "control")
            press.modifiers |= kControlKeyPressed;
        else if (modifier == "shift")
            press.modifiers |= kShiftKeyPressed;
        else if (modifier == "alt")
            press.modifiers |= kAltKeyPressed;
        else
            throw std::invalid_argument("unknown modifier '" + modifier + "' (ctrl, shift or alt)");
    }
    return press;
}

SYSTEMTIME ScenarioRunner::ParseLocalTime(const std::string& text) {
    // One form only, without zone or fraction: a scenario reads the same time on every machine.
    constexpr std::string_view kForm = "dddd-dd-ddTdd:dd:dd"; // d: a digit
    bool wellFormed = text.size() == kForm.size();
    for (std::size_t i = 0; wellFormed && i < text.size(); ++i)
        wellFormed =
            kForm[i] == 'd' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0 : text[i] == kForm[i];
    if (!wellFormed)
        throw std::invalid_argument("a local time is written YYYY-MM-DDTHH:MM:SS, not " + QuotedWord(text));
    auto field = [&text](std::size_t at, std::size_t length) {
        return unsigned(*Integer(text.substr(at, length)));
    };
    const std::chrono::year_month_day date{std::chrono::year(int(field(0, 4))),
                                           std::chrono::month(field(5, 2)), std::chrono::day(field(8, 2))};
    if (!date.ok())
        throw std::invalid_argument("there is no date " + text.substr(0, 10));
    const unsigned hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (hour > 23 || minute > 59 || second > 59)
        throw std::invalid_argument("there is no time of day " + text.substr(11));
    return SYSTEMTIME{WORD(int(date.year())),
                      WORD(unsigned(date.month())),
                      WORD(std::chrono::weekday(std::chrono::sys_days(date)).c_encoding()),
                      WORD(unsigned(date.day())),
                      WORD(hour),
                      WORD(minute),
                      WORD(second),
                      0};
}

std::vector<std::wstring> ScenarioRunner::ParsePropertyPath(const std::string& text) {
    std::vector<std::wstring> path = SplitNames(text, '/');
    if (path.size() < 2)
        throw std::invalid_argument(
            "a property is named by its groups and its name, as GROUP/.../NAME, not " + QuotedWord(text));
    return path;
}

bool ScenarioRunner::ValueMatches(const std::string& found, const std::string& expected) {
    if (found == expected)
        return true;
    if (found.size() < 2 || found.front() != '"')
        return false;
    nlohmann::json parsed = nlohmann::json::parse(found, nullptr, false);
    return parsed.is_string() && parsed.get<std::string>() == expected;
}

void ScenarioRunner::Validate(const ScenarioCommand& command) {
    using enum ScenarioCommandId;
    const auto& name = command.name;
    const auto& arguments = command.arguments;
    auto reject = [&command](const std::string& message) {
        throw ScenarioError(command.source, command.line, message);
    };
    auto requireCount = [&](const std::string& text) {
        auto count = Integer(text);
        if (!count || *count < 0)
            reject(name + ": " + QuotedWord(text) + " is not a count");
    };
    try {
        switch (command.id) {
        case Open:
            if (arguments.size() == 2 && arguments[1] != "inactive")
                reject("open takes \"inactive\" after the file, not " + QuotedWord(arguments[1]));
            break;
        case Lock: {
            auto state = Integer(arguments[0]);
            if (!state || *state < 0 || *state > 3)
                reject("lock takes 0, 1 (write), 2 (read) or 3 (both), not " + QuotedWord(arguments[0]));
            break;
        }
        case On:
            switch (command.inner->id) {
            case Select:
            case Lock:
            case Set:
            case Change:
            case Refuse:
            case Remove:
            case Undo:
            case Redo:
            case ExpectValue:
            case ExpectWrites:
            case ExpectPending:
            case DumpDocument:
            case DumpSelection:
                break;
            default:
                reject("on runs select, lock, set, change, refuse, remove, undo, redo, expect value, expect "
                       "writes, "
                       "expect pending, dump document or dump selection, not " +
                       command.inner->name);
            }
            Validate(*command.inner);
            break;
        case ExpectError:
            if (IsExpectationOrDump(command.inner->id) || command.inner->id == ExpectError ||
                command.inner->id == Pump || command.inner->id == Hold || command.inner->id == Release)
                reject("expect error takes a command that can be refused, not " + command.inner->name);
            Validate(*command.inner);
            break;
        case Answer:
            if (arguments[0] != "yes" && arguments[0] != "no" && arguments[0] != "yes-dont-ask")
                reject("answer takes yes, no or yes-dont-ask, not " + QuotedWord(arguments[0]));
            break;
        case Dialog: {
            std::optional<DialogKind> kind = DialogScript::KindNamed(arguments[0]);
            if (!kind)
                reject("dialog takes " + std::string(kDialogNames) + ", not " + QuotedWord(arguments[0]));
            if (arguments[1] == "cancel") {
                if (arguments.size() == 3)
                    reject("dialog " + arguments[0] + " cancel takes no value, not " +
                           QuotedWord(arguments[2]));
            } else if (arguments[1] == "confirm") {
                if (arguments.size() == 2)
                    reject("dialog " + arguments[0] + " confirm takes the value the user confirms");
                if (*kind == DialogKind::EditValueList)
                    ParseStringPairs(arguments[2]);
            } else {
                reject("dialog takes confirm or cancel after the name, not " + QuotedWord(arguments[1]));
            }
            break;
        }
        case Wizard:
            if (arguments[0] == "cancel" || arguments[0] == "none") {
                if (arguments.size() == 2)
                    reject("wizard " + arguments[0] + " takes no value, not " + QuotedWord(arguments[1]));
            } else if (arguments[0] == "action") {
                if (arguments.size() == 1)
                    reject("wizard action takes the JSON of the action the user makes");
                if (nlohmann::json::parse(arguments[1], nullptr, false).is_discarded())
                    reject("wizard action takes JSON, not " + QuotedWord(arguments[1]));
            } else {
                reject("wizard takes cancel, none or action, not " + QuotedWord(arguments[0]));
            }
            break;
        case ExpectDialog: {
            std::optional<DialogKind> kind = DialogScript::KindNamed(arguments[0]);
            if (!kind)
                reject("expect dialog takes " + std::string(kDialogNames) + ", not " +
                       QuotedWord(arguments[0]));
            if (!DialogHasField(*kind, arguments[1]))
                reject("expect dialog " + arguments[0] + " checks " + DialogFieldsOf(*kind) + ", not " +
                       QuotedWord(arguments[1]));
            if (arguments[1] == "shown")
                requireCount(arguments[2]);
            else if (arguments[1] == "pairs")
                ParseStringPairs(arguments[2]);
            else if (arguments[1] == "parent" && arguments[2] != "main-frame" && arguments[2] != "none" &&
                     arguments[2] != "other")
                reject("expect dialog " + arguments[0] + " parent takes main-frame, none or other, not " +
                       QuotedWord(arguments[2]));
            break;
        }
        case ExpectWizard:
            if (arguments[0] == "shown")
                requireCount(arguments[1]);
            else if (arguments[0] == "current" && arguments[1] != "action" && arguments[1] != "none")
                reject("expect wizard current takes action or none, not " + QuotedWord(arguments[1]));
            else if (arguments[0] == "status" && arguments[1] != "none" && !Integer(arguments[1]))
                reject("expect wizard status takes a number or none, not " + QuotedWord(arguments[1]));
            else if (arguments[0] != "shown" && arguments[0] != "current" && arguments[0] != "status")
                reject("expect wizard checks shown, current or status, not " + QuotedWord(arguments[0]));
            break;
        case ExpectAction:
            requireCount(arguments[0]);
            break;
        case ExpectActionRun: {
            auto index = Integer(arguments[0]);
            if (!index || *index < 1)
                reject("expect action-run counts actions from 1, not " + QuotedWord(arguments[0]));
            std::set<std::string> keys;
            for (std::size_t i = 2; i < arguments.size(); ++i)
                if (!keys.insert(ParameterWord(arguments[i]).first).second)
                    reject("expect action-run names the parameter " +
                           QuotedWord(ParameterWord(arguments[i]).first) + " twice");
            break;
        }
        case Key:
            ParseKey(arguments[0]);
            break;
        case ExpectCount:
        case ExpectLog:
            requireCount(arguments[1]);
            break;
        case ExpectBoxes:
            requireCount(arguments[0]);
            break;
        case ExpectEvent:
            if (!PanelEventCode(arguments[0]))
                reject("unknown panel event " + QuotedWord(arguments[0]) +
                       " (PROP_VIEW_REFRESHED, PROP_EDIT_POPUP_SHOWN, PROP_EDIT_FINISHED, "
                       "PROP_GENERATE_CONTENT or 1028 to 1031)");
            requireCount(arguments[1]);
            break;
        case ExpectBox:
            if (arguments[0] != "text" && arguments[0] != "caption" && arguments[0] != "buttons" &&
                arguments[0] != "icon")
                reject("expect box checks text, caption, buttons or icon, not " + QuotedWord(arguments[0]));
            break;
        case Option:
        case ExpectOption:
            if (arguments[2] != "on" && arguments[2] != "off")
                reject(name + " takes on or off, not " + QuotedWord(arguments[2]));
            break;
        case ExpectState: {
            std::string state = arguments[1];
            if (state.starts_with('!'))
                state.erase(0, 1);
            if (PageInspector::StateBit(state) == 0)
                reject("unknown state " + QuotedWord(state) +
                       " (expanded, collapsed, disabled, current, checked, focus, popup)");
            break;
        }
        case ExpectValue:
        case ExpectPending:
        case Change:
            ParsePropertyPath(arguments[1]);
            break;
        case ExpectWrites:
        case Refuse:
            ParsePropertyPath(arguments[1]);
            requireCount(arguments[2]);
            break;
        case Set:
            ParsePropertyPath(arguments[0]);
            break;
        case Remove:
            if (arguments.size() == 2)
                ParsePropertyPath(arguments[1]);
            break;
        case Drag:
            if (!Number(arguments[1]))
                reject("drag takes a number for the slider, not " + QuotedWord(arguments[1]));
            break;
        case Screen: {
            std::array<std::optional<long long>, 4> edges{};
            for (std::size_t i = 0; i < edges.size(); ++i)
                edges[i] = Integer(arguments[i]);
            if (std::any_of(edges.begin(), edges.end(),
                            [](const auto& edge) { return !ScreenCoordinate(edge); }))
                reject("screen takes four whole numbers of pixels, not " + QuotedWord(arguments[0]) + " " +
                       QuotedWord(arguments[1]) + " " + QuotedWord(arguments[2]) + " " +
                       QuotedWord(arguments[3]));
            if (*edges[2] <= *edges[0] || *edges[3] <= *edges[1])
                reject(
                    "screen takes an area whose right is beyond its left and whose bottom is below its top");
            break;
        }
        case WindowAt:
            if (!ScreenCoordinate(Integer(arguments[0])) || !ScreenCoordinate(Integer(arguments[1])))
                reject("window at takes two whole numbers of pixels, not " + QuotedWord(arguments[0]) + " " +
                       QuotedWord(arguments[1]));
            break;
        case Now:
            if (arguments[0] != "system")
                ParseLocalTime(arguments[0]);
            break;
        case ExpectCaret:
            if (!Integer(arguments[1]) || !Integer(arguments[2]))
                reject("expect caret takes two positions, not " + QuotedWord(arguments[1]) + " " +
                       QuotedWord(arguments[2]));
            break;
        case Activate:
        case Deactivate:
        case Select:
        case Pump:
        case Hold:
        case Release:
        case Click:
        case Type:
        case Choose:
        case Expand:
        case Dismiss:
        case Focus:
        case ScriptAttr:
        case Undo:
        case Redo:
        case Locale:
        case ClearLog:
        case ClearEvents:
        case ExpectAttr:
        case ExpectText:
        case ExpectStyle:
        case ExpectInput:
        case DumpDocument:
        case DumpSelection:
        case Dump:
            break;
        }
    } catch (const std::invalid_argument& e) {
        reject(name + ": " + e.what());
    }
}

bool ScenarioRunner::Run(const std::vector<ScenarioCommand>& commands,
                         const std::filesystem::path& baseFolder) {
    try {
        for (const auto& command : commands)
            Validate(command);
    } catch (const ScenarioError& e) {
        errors_ << e.Message() << "\n";
        ++failures_;
        return false;
    }
    for (const auto& command : commands) {
        try {
            if (Execute(command, baseFolder) && !held_)
                session_.Pump();
            // A dialog shown with no answer queued was cancelled for the panel; the scenario fails.
            for (const std::string& failure : session_.Workspace().Dialogs().TakeFailures())
                Fail(command, failure);
        } catch (const DocumentFileError& e) {
            Fail(command, e.what());
            return false;
        } catch (const so::ServiceObjectException& e) {
            Fail(command, command.name + ": " + e.Message());
            return false;
        } catch (const std::exception& e) {
            Fail(command, command.name + ": " + e.what());
            return false;
        }
        out_.flush();
        if (stopRequested_)
            return false;
    }
    return failures_ == 0;
}

void ScenarioRunner::Fail(const ScenarioCommand& command, const std::string& message) {
    out_.flush();
    errors_ << command.source << ":" << command.line << ": " << message << "\n";
    errors_.flush();
    ++failures_;
    if (stopOnFailure_)
        stopRequested_ = true;
}

std::size_t ScenarioRunner::ActiveDocument() const {
    if (targetDocument_)
        return *targetDocument_;
    auto active = session_.Workspace().ActiveIndex();
    if (!active)
        throw CommandError("No document view is active");
    return *active;
}

std::size_t ScenarioRunner::DocumentIndex(const std::string& view) const {
    DocumentWorkspace& workspace = session_.Workspace();
    auto number = Integer(view);
    std::optional<std::size_t> index;
    for (std::size_t i = 0; i < workspace.DocumentCount(); ++i)
        if ((number && *number == std::int64_t(i + 1)) ||
            workspace.Document(i).state->Model().name == so::WideFromUtf8(view))
            index = i;
    if (!index)
        throw CommandError("no open document is " + QuotedWord(view));
    return *index;
}

void ScenarioRunner::SetSelectionValue(const std::string& propertyPath, const std::string& value) {
    std::vector<std::wstring> path = ParsePropertyPath(propertyPath);
    so::Ref selection = session_.Workspace().View(ActiveDocument()).Selection();
    if (!selection)
        throw CommandError("nothing is selected");
    so::Ref context;
    so::Call<host::BLSelection::GetPropertiesContext>(selection.Get(), context.Put());
    std::wstring propertyName = path.back();
    path.pop_back();
    so::Ref group = context ? FindGroup(context.Get(), path) : so::Ref();
    so::Ref property;
    if (group)
        so::Call<host::BLPropertiesGroup::FindProperty>(group.Get(), propertyName.c_str(), property.Put());
    if (!property)
        throw CommandError("the selection has no property " + QuotedWord(propertyPath));
    WriteValue(property.Get(), value);
}

void ScenarioRunner::WriteValue(ServiceObject* target, const std::string& word) {
    // What the value forms need to know of the property; its limits and lists come with its value.
    PropertyModel form;
    so::Call<host::BLProperty::GetType>(target, &form.typeCode);
    form.kind = host::ValueKindForType(form.typeCode);
    std::uint8_t noColor = 0;
    so::Call<host::BLProperty::IsNoColorAvailable>(target, &noColor);
    form.noColorAvailable = noColor != 0;
    // Actions written as descriptions are built in the PDF document of the document being edited.
    form.pdfDocument = PdfRef::Share(session_.Workspace().Document(ActiveDocument()).state->PdfDocument());
    StoredValue shape;
    try {
        shape = ReadThrough(target);
    } catch (const so::ServiceObjectException&) {
        shape = EmptyValue(form.kind); // a property that cannot be read still takes writes
    }
    try {
        WriteThrough(target, ValueFromJson(form, shape, ValueJsonOfWord(form, word), ""));
    } catch (const JsonPathError& e) {
        throw CommandError(e.Detail());
    }
}

bool ScenarioRunner::Execute(const ScenarioCommand& command, const std::filesystem::path& baseFolder) {
    using enum ScenarioCommandId;
    const auto& arguments = command.arguments;
    DocumentWorkspace& workspace = session_.Workspace();
    switch (command.id) {
    case Open: {
        std::size_t index = 0;
        if (arguments[0] == "sample") {
            index = workspace.OpenSample();
        } else {
            // Messages name the file as the scenario wrote it, wherever the scenario runs from.
            std::ifstream in(baseFolder / arguments[0], std::ios::binary);
            if (!in)
                throw CommandError("cannot read the document file " + arguments[0]);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            index = workspace.Open(ParseDocument(text, arguments[0]));
        }
        if (arguments.size() == 1)
            workspace.Activate(index);
        break;
    }
    case Activate:
        workspace.Activate(DocumentIndex(arguments[0]));
        break;
    case Deactivate:
        workspace.Deactivate();
        break;
    case Select: {
        std::vector<std::wstring> names;
        if (arguments[0] != "none")
            names = SplitNames(arguments[0], ',');
        workspace.Select(ActiveDocument(), names);
        break;
    }
    case Lock:
        workspace.SetLockedState(ActiveDocument(), std::uint32_t(*Integer(arguments[0])));
        break;
    case On: {
        const std::optional<std::size_t> previous =
            std::exchange(targetDocument_, DocumentIndex(arguments[0]));
        try {
            Execute(*command.inner, baseFolder);
        } catch (...) {
            targetDocument_ = previous;
            throw;
        }
        targetDocument_ = previous;
        return ScenarioParser::Info(command.inner->id).pumps;
    }
    case Pump:
        // Also while held: a scenario may let one idle time pass and keep holding the next.
        session_.Pump();
        break;
    case Hold:
    case Release: {
        const bool hold = command.id == Hold;
        if (held_ == hold)
            throw CommandError(held_ ? "the UI loop is already held" : "the UI loop is not held");
        held_ = hold;
        break;
    }
    case Click:
    case Type:
    case Key:
    case Choose:
    case Expand:
    case Dismiss:
    case Focus:
    case Drag:
        Input(command);
        break;
    case ScriptAttr: {
        ElementRef root = ElementRef::Adopt(session_.RootElement());
        ElementRef element = PageInspector(root.Get()).First(arguments[0]);
        if (!element)
            throw CommandError("no element matches " + QuotedWord(arguments[0]));
        const std::wstring value = so::WideFromUtf8(arguments[2]);
        if (HtmlEngineAPI()->SetAttributeByName(element.Get(), arguments[1].c_str(), value.c_str()) !=
            kHtmlOk)
            throw CommandError("the page refused the attribute " + QuotedWord(arguments[1]));
        break;
    }
    case Set:
        SetSelectionValue(arguments[0], arguments[1]);
        break;
    case Change: {
        so::Ref property = workspace.PropertyOfObject(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                                      ParsePropertyPath(arguments[1]));
        WriteValue(property.Get(), arguments[2]);
        break;
    }
    case Refuse:
        workspace.RefuseWrites(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                               ParsePropertyPath(arguments[1]), std::uint32_t(*Integer(arguments[2])),
                               arguments[3]);
        break;
    case Remove:
        if (arguments.size() == 1)
            workspace.RemoveObject(ActiveDocument(), so::WideFromUtf8(arguments[0]));
        else
            workspace.RemoveProperty(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                     ParsePropertyPath(arguments[1]));
        break;
    case Undo:
    case Redo: {
        const std::size_t index = ActiveDocument();
        SOResult code = command.id == Undo ? workspace.Undo(index) : workspace.Redo(index);
        if (code == so::kNothingProvided)
            throw CommandError("there is nothing to " + command.name);
        break;
    }
    case Locale: {
        std::wstring language = so::WideFromUtf8(arguments[0]);
        so::Call<host::LocaleManager::SetLanguage>(session_.LocaleManager(), language.c_str());
        session_.Window().NotifyLocaleChanged();
        break;
    }
    case Answer: {
        const std::string& answer = arguments[0];
        workspace.MessageBoxes().QueueAnswer(
            {answer == "no" ? host::MessageBoxAnswer::kNo : host::MessageBoxAnswer::kYes,
             answer == "yes-dont-ask"});
        break;
    }
    case Dialog: {
        DialogAnswer answer;
        answer.confirmed = arguments[1] == "confirm";
        const DialogKind kind = *DialogScript::KindNamed(arguments[0]);
        if (answer.confirmed && kind == DialogKind::EditValueList)
            answer.pairs = ParseStringPairs(arguments[2]);
        else if (answer.confirmed)
            answer.text = so::WideFromUtf8(arguments[2]);
        workspace.Dialogs().QueueAnswer(kind, std::move(answer));
        break;
    }
    case Wizard:
        if (arguments[0] == "action")
            workspace.Dialogs().QueueWizardAnswer(workspace.Dialogs().ActionAnswer(arguments[1]));
        else
            workspace.Dialogs().QueueWizardAnswer(
                {arguments[0] == "none" ? WizardAnswer::Kind::NoAction : WizardAnswer::Kind::Cancel,
                 nullptr});
        break;
    case Option: {
        // The host's options raise no events: the panel reads them when it needs them.
        std::wstring group = so::WideFromUtf8(arguments[0]);
        std::wstring option = so::WideFromUtf8(arguments[1]);
        so::Call<host::UserOptions::SetBool>(workspace.UserOptions(), group.c_str(), option.c_str(),
                                             std::uint8_t(arguments[2] == "on" ? 1 : 0), nullptr);
        break;
    }
    case Screen:
        session_.Window().SetVisibleScreenArea(
            RECT{LONG(*Integer(arguments[0])), LONG(*Integer(arguments[1])), LONG(*Integer(arguments[2])),
                 LONG(*Integer(arguments[3]))});
        break;
    case WindowAt:
        session_.Window().MoveTo(POINT{LONG(*Integer(arguments[0])), LONG(*Integer(arguments[1]))});
        break;
    case Now:
        if (arguments[0] == "system") {
            HostSetLocalTime(nullptr);
        } else {
            const SYSTEMTIME fixed = ParseLocalTime(arguments[0]);
            HostSetLocalTime(&fixed);
        }
        break;
    case ClearLog:
        if (!session_.ForgetLogEntries())
            throw CommandError("the host has no logger");
        break;
    case ClearEvents:
        session_.Window().ForgetBehaviorEvents();
        break;
    case ExpectError:
        ExpectRefusal(command, baseFolder);
        return ScenarioParser::Info(command.inner->id).pumps;
    case ExpectCount:
    case ExpectAttr:
    case ExpectText:
    case ExpectState:
    case ExpectStyle:
    case ExpectInput:
    case ExpectCaret:
    case ExpectValue:
    case ExpectWrites:
    case ExpectPending:
    case ExpectBoxes:
    case ExpectBox:
    case ExpectDialog:
    case ExpectWizard:
    case ExpectAction:
    case ExpectActionRun:
    case ExpectOption:
    case ExpectLog:
    case ExpectEvent:
    case DumpDocument:
    case DumpSelection:
    case Dump:
        Check(command);
        break;
    }
    return ScenarioParser::Info(command.id).pumps;
}

void ScenarioRunner::ExpectRefusal(const ScenarioCommand& command, const std::filesystem::path& baseFolder) {
    const ScenarioCommand& inner = *command.inner;
    const std::string& expected = command.arguments[0];
    std::optional<std::string> refusal;
    std::optional<std::string>* outer = std::exchange(refusal_, &refusal);
    try {
        Execute(inner, baseFolder);
    } catch (const DocumentFileError& e) {
        refusal = e.what();
    } catch (const so::ServiceObjectException& e) {
        refusal = e.Message();
    } catch (const std::exception& e) {
        refusal = e.what();
    }
    refusal_ = outer;
    if (!refusal)
        Fail(command, "expected " + inner.name + " to be refused with " + QuotedWord(expected) +
                          " but it was carried out");
    else if (refusal->find(expected) == std::string::npos)
        Fail(command, "expected " + inner.name + " to be refused with " + QuotedWord(expected) +
                          " but it was refused with " + QuotedWord(*refusal));
}

void ScenarioRunner::Input(const ScenarioCommand& command) {
    using enum ScenarioCommandId;
    const auto& arguments = command.arguments;
    html::InputDriver input(session_.Window());
    ElementRef root = ElementRef::Adopt(session_.RootElement());
    PageInspector page(root.Get());
    bool done = false;
    std::string what;
    std::string why = "the element is disabled, outside the document or does not take that input";
    switch (command.id) {
    case Click:
        done = input.Click(page.First(arguments[0]).Get());
        what = "click " + QuotedWord(arguments[0]);
        break;
    case Type:
        done = input.TypeText(page.First(arguments[0]).Get(), so::WideFromUtf8(arguments[1]));
        what = "type into " + QuotedWord(arguments[0]);
        break;
    case Key: {
        KeyPress press = ParseKey(arguments[0]);
        done = input.PressKey(press.virtualKey, press.modifiers);
        what = "key " + arguments[0];
        break;
    }
    case Choose: {
        html::ChoiceRefusal refusal = html::ChoiceRefusal::None;
        done = input.ChooseOption(page.First(arguments[0]).Get(), so::WideFromUtf8(arguments[1]), &refusal);
        what = "choose " + QuotedWord(arguments[1]) + " in " + QuotedWord(arguments[0]);
        switch (refusal) {
        case html::ChoiceRefusal::None:
        case html::ChoiceRefusal::Unavailable:
            break;
        case html::ChoiceRefusal::NoSuchOption:
            why = "no option has that value or shows that text";
            break;
        case html::ChoiceRefusal::OptionDisabled:
            why = "the option is disabled";
            break;
        case html::ChoiceRefusal::NotShown:
            why = "the option is in a popup that is not shown";
            break;
        }
        break;
    }
    case Expand:
        done = input.ExpandTab(page.First(arguments[0]).Get());
        what = "expand " + QuotedWord(arguments[0]);
        break;
    case Dismiss:
        done = input.DismissPopup();
        what = "dismiss";
        break;
    case Focus:
        done = input.MoveFocus(page.First(arguments[0]).Get());
        what = "focus " + QuotedWord(arguments[0]);
        break;
    case Drag: {
        ElementRef slider = page.First(arguments[0]);
        what = "drag " + QuotedWord(arguments[0]) + " to " + arguments[1];
        std::uint32_t isSlider = 0;
        HtmlEngineAPI()->TestElement(slider.Get(), "input[type=hslider]", &isSlider);
        if (isSlider == 0) {
            why = "the element is not a slider";
            break;
        }
        done = input.ChangeValue(slider.Get(), html::Value::Float(*Number(arguments[1])));
        why = "the slider is disabled or outside the document";
        break;
    }
    default:
        assert(false && "only user input reaches Input");
        return;
    }
    if (done)
        return;
    std::string message = what + " had no effect: " + (command.id == Dismiss ? "no popup is shown" : why);
    // Inside "expect error" a user's input that does nothing is the refusal expected.
    if (refusal_ != nullptr)
        *refusal_ = std::move(message);
    else
        Fail(command, message);
}

void ScenarioRunner::Check(const ScenarioCommand& command) {
    using enum ScenarioCommandId;
    const auto& arguments = command.arguments;
    DocumentWorkspace& workspace = session_.Workspace();
    ElementRef root = ElementRef::Adopt(session_.RootElement());
    PageInspector page(root.Get());
    // An expectation about an element that is not there fails like any other expectation.
    auto firstMatch = [&]() {
        std::vector<ElementRef> matches = page.All(arguments[0]);
        if (matches.empty())
            Fail(command, "expected an element matching " + QuotedWord(arguments[0]) + " but found none");
        return matches.empty() ? ElementRef() : std::move(matches.front());
    };

    switch (command.id) {
    case ExpectCount: {
        std::size_t found = page.All(arguments[0]).size();
        if (std::int64_t(found) != *Integer(arguments[1]))
            Fail(command, "expected " + arguments[1] + " elements matching " + QuotedWord(arguments[0]) +
                              " but found " + std::to_string(found));
        break;
    }
    case ExpectAttr:
        if (ElementRef element = firstMatch()) {
            auto value = PageInspector::Attribute(element.Get(), arguments[1]);
            if (!value || *value != arguments[2])
                Fail(command, "expected attribute " + arguments[1] + "=" + QuotedWord(arguments[2]) + " on " +
                                  QuotedWord(arguments[0]) + " but found " +
                                  (value ? QuotedWord(*value) : std::string("no such attribute")));
        }
        break;
    case ExpectText:
        if (ElementRef element = firstMatch()) {
            std::string text = PageInspector::Text(element.Get());
            if (text != arguments[1])
                Fail(command, "expected the text " + QuotedWord(arguments[1]) + " in " +
                                  QuotedWord(arguments[0]) + " but found " + QuotedWord(text));
        }
        break;
    case ExpectState:
        if (ElementRef element = firstMatch()) {
            bool negated = arguments[1].starts_with('!');
            std::string stateName = negated ? arguments[1].substr(1) : arguments[1];
            std::uint32_t state = PageInspector::State(element.Get());
            bool set = (state & PageInspector::StateBit(stateName)) != 0;
            if (set == negated)
                Fail(command, "expected " + QuotedWord(arguments[0]) + (negated ? " not to be " : " to be ") +
                                  stateName + " but found the states " + PageInspector::StateNames(state));
        }
        break;
    case ExpectStyle:
        if (ElementRef element = firstMatch()) {
            std::string value = PageInspector::Style(element.Get(), arguments[1]);
            if (value != arguments[2])
                Fail(command, "expected the style " + arguments[1] + ": " + QuotedWord(arguments[2]) +
                                  " on " + QuotedWord(arguments[0]) + " but found " + QuotedWord(value));
        }
        break;
    case ExpectInput:
        if (ElementRef element = firstMatch()) {
            std::string value = PageInspector::ValueText(element.Get());
            if (value != arguments[1])
                Fail(command, "expected " + QuotedWord(arguments[0]) + " to hold " +
                                  QuotedWord(arguments[1]) + " but it holds " + QuotedWord(value));
        }
        break;
    case ExpectCaret:
        if (ElementRef element = firstMatch()) {
            auto [anchor, caret] = PageInspector::Caret(element.Get());
            if (anchor != *Integer(arguments[1]) || caret != *Integer(arguments[2]))
                Fail(command, "expected the selection of " + QuotedWord(arguments[0]) + " from " +
                                  arguments[1] + " to " + arguments[2] + " but it runs from " +
                                  std::to_string(anchor) + " to " + std::to_string(caret));
        }
        break;
    case ExpectValue: {
        std::string found = workspace.PropertyValue(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                                    ParsePropertyPath(arguments[1]));
        if (!ValueMatches(found, arguments[2]))
            Fail(command, "expected " + arguments[0] + " " + arguments[1] + " = " + arguments[2] +
                              " but found " + found);
        break;
    }
    case ExpectWrites: {
        std::uint64_t found = workspace.PropertyWrites(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                                       ParsePropertyPath(arguments[1]));
        if (std::int64_t(found) != *Integer(arguments[2]))
            Fail(command, "expected " + arguments[2] + " writes of " + arguments[0] + " " + arguments[1] +
                              " but found " + std::to_string(found));
        break;
    }
    case ExpectPending: {
        std::string found = workspace.PendingValue(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                                   ParsePropertyPath(arguments[1]));
        if (!ValueMatches(found, arguments[2]))
            Fail(command, "expected the pending value " + arguments[2] + " of " + arguments[0] + " " +
                              arguments[1] + " but found " + found);
        break;
    }
    case ExpectBoxes: {
        std::size_t shown = workspace.MessageBoxes().History().size();
        if (std::int64_t(shown) != *Integer(arguments[0]))
            Fail(command, "expected " + arguments[0] + " message boxes but found " + std::to_string(shown));
        break;
    }
    case ExpectBox: {
        std::vector<MessageBoxService::ShownBox> shown = workspace.MessageBoxes().History();
        if (shown.empty()) {
            Fail(command, "expected a message box but none was shown");
            break;
        }
        const MessageBoxService::ShownBox& box = shown.back();
        const std::string& field = arguments[0];
        if (field == "text") {
            std::string text = so::Utf8FromWide(MessageBoxService::PlainText(box.html));
            if (text.find(arguments[1]) == std::string::npos)
                Fail(command, "expected the message box's text to contain " + QuotedWord(arguments[1]) +
                                  " but it reads " + QuotedWord(text));
        } else {
            std::string found = field == "caption"   ? so::Utf8FromWide(box.caption)
                                : field == "buttons" ? ButtonsName(box.flags)
                                                     : IconName(box.flags);
            if (found != arguments[1])
                Fail(command, "expected the message box's " + field + " " + QuotedWord(arguments[1]) +
                                  " but found " + QuotedWord(found));
        }
        break;
    }
    case ExpectDialog: {
        const DialogKind kind = *DialogScript::KindNamed(arguments[0]);
        std::vector<ShownDialog> shown = workspace.Dialogs().History(kind);
        const std::string& field = arguments[1];
        if (field == "shown") {
            if (std::int64_t(shown.size()) != *Integer(arguments[2]))
                Fail(command, "expected the " + arguments[0] + " shown " + arguments[2] +
                                  " times but it was shown " + std::to_string(shown.size()) + " times");
            break;
        }
        if (shown.empty()) {
            Fail(command, "expected a showing of the " + arguments[0] + " but there was none");
            break;
        }
        const ShownDialog& last = shown.back();
        if (field == "pairs") {
            if (last.pairs != ParseStringPairs(arguments[2]))
                Fail(command, "expected the " + arguments[0] + " given the pairs " + arguments[2] +
                                  " but it was given " + PairsJson(last.pairs));
            break;
        }
        const std::string found = field == "parent"   ? DialogScript::ParentName(last.parent)
                                  : field == "fields" ? so::Utf8FromWide(last.fieldNames)
                                                      : so::Utf8FromWide(last.text);
        if (found != arguments[2])
            Fail(command, "expected the " + arguments[0] + "'s " + field + " " + QuotedWord(arguments[2]) +
                              " but found " + QuotedWord(found));
        break;
    }
    case ExpectWizard: {
        std::vector<WizardRun> runs = workspace.Dialogs().WizardRuns();
        const std::string& field = arguments[0];
        if (field == "shown") {
            if (std::int64_t(runs.size()) != *Integer(arguments[1]))
                Fail(command, "expected the action wizard run " + arguments[1] + " times but it was run " +
                                  std::to_string(runs.size()) + " times");
            break;
        }
        if (runs.empty()) {
            Fail(command, "expected a run of the action wizard but there was none");
            break;
        }
        const WizardRun& last = runs.back();
        const std::string found = field == "current" ? (last.hadCurrent ? "action" : "none")
                                  : last.status      ? std::to_string(*last.status)
                                                     : "none";
        if (found != arguments[1])
            Fail(command, "expected the action wizard's " + field + " " + QuotedWord(arguments[1]) +
                              " but found " + QuotedWord(found));
        break;
    }
    case ExpectAction: {
        std::size_t dispatched = session_.UIActions().Dispatched().size();
        if (std::int64_t(dispatched) != *Integer(arguments[0]))
            Fail(command, "expected " + arguments[0] + " UI actions but " + std::to_string(dispatched) +
                              " were dispatched");
        break;
    }
    case ExpectActionRun: {
        std::vector<DispatchedUIAction> dispatched = session_.UIActions().Dispatched();
        const auto index = std::size_t(*Integer(arguments[0]));
        DispatchedUIAction expected{arguments[1], {}};
        for (std::size_t i = 2; i < arguments.size(); ++i)
            expected.parameters.insert(ParameterWord(arguments[i]));
        if (index > dispatched.size()) {
            Fail(command, "expected a UI action " + arguments[0] + " but " +
                              std::to_string(dispatched.size()) + " were dispatched");
            break;
        }
        const DispatchedUIAction& found = dispatched[index - 1];
        if (found.name != expected.name || found.parameters != expected.parameters)
            Fail(command, "expected the UI action " + arguments[0] + " to be " +
                              QuotedWord(UIActionDispatcher::Describe(expected)) + " but it was " +
                              QuotedWord(UIActionDispatcher::Describe(found)));
        break;
    }
    case ExpectOption: {
        std::wstring group = so::WideFromUtf8(arguments[0]);
        std::wstring option = so::WideFromUtf8(arguments[1]);
        std::uint8_t value = 0;
        so::Call<host::UserOptions::GetBool>(workspace.UserOptions(), group.c_str(), option.c_str(), &value);
        std::string found = value != 0 ? "on" : "off";
        if (found != arguments[2])
            Fail(command, "expected the option " + arguments[0] + " " + arguments[1] + " to be " +
                              arguments[2] + " but found " + found);
        break;
    }
    case ExpectLog: {
        std::optional<std::uint64_t> found = session_.CountLogEntries(arguments[0]);
        if (!found)
            throw CommandError("the host has no logger");
        if (std::int64_t(*found) != *Integer(arguments[1]))
            Fail(command, "expected " + arguments[1] + " log entries containing " + QuotedWord(arguments[0]) +
                              " but found " + std::to_string(*found));
        break;
    }
    case ExpectEvent: {
        std::uint64_t found = session_.Window().BehaviorEventCount(*PanelEventCode(arguments[0]));
        if (std::int64_t(found) != *Integer(arguments[1]))
            Fail(command, "expected " + arguments[1] + " events " + arguments[0] + " but found " +
                              std::to_string(found));
        break;
    }
    case DumpDocument:
        out_ << workspace.DumpValues(ActiveDocument());
        break;
    case DumpSelection:
        out_ << workspace.DumpSelection(ActiveDocument());
        break;
    case Dump:
        for (const ElementRef& element : page.All(arguments[0]))
            out_ << PageInspector::OuterHtml(element.Get()) << "\n";
        break;
    default:
        assert(false && "only expectations and dumps reach Check");
        break;
    }
}

} // namespace headless
