#include "headless-host/app/ScenarioRunner.h"

#include "headless-host/app/HostSession.h"
#include "headless-host/app/PageInspector.h"
#include "headless-host/document/DocumentFile.h"
#include "headless-host/document/DocumentViewObject.h"
#include "headless-host/html-engine/EngineWindow.h"
#include "headless-host/html-engine/InputDriver.h"
#include "headless-host/services/MessageBoxService.h"
#include "host/BLDocument.h"
#include "host/BLProperties.h"
#include "host/Localization.h"
#include "host/UIDocuments.h"
#include "host/ValueRecords.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>

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

std::string Quoted(const std::string& text) {
    return nlohmann::json(text).dump();
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

template <class Record>
Record ReadRecord(ServiceObject* property, host::ValueKind kind) {
    Record record{};
    so::Call<host::BLProperty::GetValue>(property, std::uint32_t(kind), static_cast<void*>(&record));
    return record;
}

template <class Record>
void WriteRecord(ServiceObject* property, host::ValueKind kind, const Record& record) {
    so::Call<host::BLProperty::SetValue>(property, std::uint32_t(kind), static_cast<const void*>(&record));
}

template <class Data>
void WriteListChoice(ServiceObject* property, host::ValueKind kind, const std::string& value) {
    auto current = ReadRecord<std::shared_ptr<Data>>(property, kind);
    if (!current)
        throw CommandError("the property gives no list");
    std::wstring wanted = so::WideFromUtf8(value);
    auto item = std::find(current->items.begin(), current->items.end(), wanted);
    if (item == current->items.end())
        throw CommandError(Quoted(value) + " is not one of the property's items");
    auto written = std::make_shared<Data>(*current);
    written->selected = std::uint64_t(item - current->items.begin());
    WriteRecord(property, kind, written);
}

double RequireNumber(const std::string& value) {
    auto number = Number(value);
    if (!number)
        throw CommandError(Quoted(value) + " is not a number");
    return *number;
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

std::vector<std::wstring> ScenarioRunner::ParsePropertyPath(const std::string& text) {
    std::vector<std::wstring> path = SplitNames(text, '/');
    if (path.size() < 2)
        throw std::invalid_argument(
            "a property is named by its groups and its name, as GROUP/.../NAME, not " + Quoted(text));
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
    const auto& name = command.name;
    const auto& arguments = command.arguments;
    auto reject = [&command](const std::string& message) {
        throw ScenarioError(command.source, command.line, message);
    };
    auto requireCount = [&](const std::string& text) {
        auto count = Integer(text);
        if (!count || *count < 0)
            reject(name + ": " + Quoted(text) + " is not a count");
    };
    try {
        if (name == "lock") {
            auto state = Integer(arguments[0]);
            if (!state || *state < 0 || *state > 3)
                reject("lock takes 0, 1 (write), 2 (read) or 3 (both), not " + Quoted(arguments[0]));
        } else if (name == "answer") {
            if (arguments[0] != "yes" && arguments[0] != "no" && arguments[0] != "yes-dont-ask")
                reject("answer takes yes, no or yes-dont-ask, not " + Quoted(arguments[0]));
        } else if (name == "key") {
            ParseKey(arguments[0]);
        } else if (name == "expect count") {
            requireCount(arguments[1]);
        } else if (name == "expect boxes") {
            requireCount(arguments[0]);
        } else if (name == "expect log") {
            requireCount(arguments[1]);
        } else if (name == "option" || name == "expect option") {
            if (arguments[2] != "on" && arguments[2] != "off")
                reject(name + " takes on or off, not " + Quoted(arguments[2]));
        } else if (name == "expect state") {
            std::string state = arguments[1];
            if (state.starts_with('!'))
                state.erase(0, 1);
            if (PageInspector::StateBit(state) == 0)
                reject("unknown state " + Quoted(state) +
                       " (expanded, collapsed, disabled, current, checked, focus, popup)");
        } else if (name == "expect value") {
            ParsePropertyPath(arguments[1]);
        } else if (name == "set") {
            ParsePropertyPath(arguments[0]);
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
    auto active = session_.Workspace().ActiveIndex();
    if (!active)
        throw CommandError("no document view is active");
    return *active;
}

void ScenarioRunner::SetSelectionValue(const std::string& propertyPath, const std::string& value) {
    std::vector<std::wstring> path = ParsePropertyPath(propertyPath);
    so::Ref selection = session_.Workspace().ActiveView().Selection();
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
        throw CommandError("the selection has no property " + Quoted(propertyPath));
    std::uint32_t kindCode = 0;
    so::Call<host::BLProperty::GetValueKind>(property.Get(), &kindCode);
    ServiceObject* target = property.Get();
    using host::ValueKind;
    switch (auto kind = ValueKind(kindCode)) {
    case ValueKind::Bool:
        if (value != "true" && value != "false")
            throw CommandError("a flag is true or false, not " + Quoted(value));
        WriteRecord(target, kind, value == "true");
        return;
    case ValueKind::Float:
        WriteRecord(target, kind, float(RequireNumber(value)));
        return;
    case ValueKind::FloatInline: {
        auto record = ReadRecord<host::FloatInlineValue>(target, kind);
        record.value = float(RequireNumber(value));
        WriteRecord(target, kind, record);
        return;
    }
    case ValueKind::Number: {
        auto number = Integer(value);
        if (!number || *number < INT32_MIN || *number > INT32_MAX)
            throw CommandError(Quoted(value) + " is not an integer");
        auto record = ReadRecord<host::NumberValue>(target, kind);
        record.value = std::int32_t(*number);
        WriteRecord(target, kind, record);
        return;
    }
    case ValueKind::Color: {
        unsigned color = 0;
        auto [end, error] = value.size() == 7 && value[0] == '#'
                                ? std::from_chars(value.data() + 1, value.data() + 7, color, 16)
                                : std::from_chars_result{value.data(), std::errc::invalid_argument};
        if (error != std::errc() || end != value.data() + value.size())
            throw CommandError("a colour is written #RRGGBB, not " + Quoted(value));
        auto record = ReadRecord<host::ColorValue>(target, kind);
        // The alpha byte makes black a colour: only a whole word of 0 means none.
        record.color = 0xFF000000u | color;
        WriteRecord(target, kind, record);
        return;
    }
    case ValueKind::String:
        WriteRecord(target, kind, so::WideFromUtf8(value));
        return;
    case ValueKind::MultilineString:
        WriteRecord(target, kind, std::make_shared<std::wstring>(so::WideFromUtf8(value)));
        return;
    case ValueKind::StringList:
        return WriteListChoice<host::PropStringListData>(target, kind, value);
    case ValueKind::FontStyleList:
        return WriteListChoice<host::PropFontStyleListData>(target, kind, value);
    case ValueKind::BorderStyleList:
        return WriteListChoice<host::BorderStyleDropDownData>(target, kind, value);
    case ValueKind::LineBorderStyleList:
        return WriteListChoice<host::LineBorderStyleDropDownData>(target, kind, value);
    case ValueKind::LineWidthList:
        return WriteListChoice<host::LineWidthDropDownData>(target, kind, value);
    case ValueKind::LineArrowStartList:
        return WriteListChoice<host::LineArrowStartDropDownData>(target, kind, value);
    case ValueKind::LineArrowEndList:
        return WriteListChoice<host::LineArrowEndDropDownData>(target, kind, value);
    case ValueKind::BulletsList:
        return WriteListChoice<host::ParagraphBulletsStyleData>(target, kind, value);
    default:
        throw CommandError("values of the property " + Quoted(propertyPath) +
                           " are set through their editors, not from a scenario");
    }
}

bool ScenarioRunner::Execute(const ScenarioCommand& command, const std::filesystem::path& baseFolder) {
    if (command.name.starts_with("expect") || command.name.starts_with("dump")) {
        Check(command);
        return false;
    }
    if (command.name == "click" || command.name == "type" || command.name == "key" ||
        command.name == "choose" || command.name == "expand" || command.name == "dismiss" ||
        command.name == "focus") {
        Input(command);
        return true;
    }
    if (command.name == "script attr") {
        ElementRef root = ElementRef::Adopt(session_.RootElement());
        ElementRef element = PageInspector(root.Get()).First(command.arguments[0]);
        if (!element)
            throw CommandError("no element matches " + Quoted(command.arguments[0]));
        const std::wstring value = so::WideFromUtf8(command.arguments[2]);
        if (HtmlEngineAPI()->SetAttributeByName(element.Get(), command.arguments[1].c_str(), value.c_str()) !=
            kHtmlOk)
            throw CommandError("the page refused the attribute " + Quoted(command.arguments[1]));
        return false;
    }
    if (command.name == "hold" || command.name == "release") {
        bool hold = command.name == "hold";
        if (held_ == hold)
            throw CommandError(held_ ? "the UI loop is already held" : "the UI loop is not held");
        held_ = hold;
        return !held_;
    }
    if (command.name == "pump") {
        // Also while held: a scenario may let one idle time pass and keep holding the next.
        session_.Pump();
        return false;
    }
    if (command.name == "answer") {
        const std::string& answer = command.arguments[0];
        session_.Workspace().MessageBoxes().QueueAnswer(
            {answer == "no" ? host::MessageBoxAnswer::kNo : host::MessageBoxAnswer::kYes,
             answer == "yes-dont-ask"});
        return false;
    }
    if (command.name == "option") {
        // The host's options raise no events: the panel reads them when it needs them.
        std::wstring group = so::WideFromUtf8(command.arguments[0]);
        std::wstring option = so::WideFromUtf8(command.arguments[1]);
        so::Call<host::UserOptions::SetBool>(session_.Workspace().UserOptions(), group.c_str(),
                                             option.c_str(),
                                             std::uint8_t(command.arguments[2] == "on" ? 1 : 0), nullptr);
        return false;
    }
    if (command.name == "clear log") {
        if (!session_.ForgetLogEntries())
            throw CommandError("the host has no logger");
        return false;
    }
    ChangeHost(command, baseFolder);
    return true;
}

void ScenarioRunner::ChangeHost(const ScenarioCommand& command, const std::filesystem::path& baseFolder) {
    const std::string& name = command.name;
    const auto& arguments = command.arguments;
    DocumentWorkspace& workspace = session_.Workspace();
    if (name == "open") {
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
        workspace.Activate(index);
    } else if (name == "activate") {
        auto number = Integer(arguments[0]);
        std::optional<std::size_t> index;
        for (std::size_t i = 0; i < workspace.DocumentCount(); ++i)
            if ((number && *number == std::int64_t(i + 1)) ||
                workspace.Document(i).state->Model().name == so::WideFromUtf8(arguments[0]))
                index = i;
        if (!index)
            throw CommandError("no open document is " + Quoted(arguments[0]));
        workspace.Activate(*index);
    } else if (name == "deactivate") {
        workspace.Deactivate();
    } else if (name == "select") {
        std::vector<std::wstring> names;
        if (arguments[0] != "none")
            names = SplitNames(arguments[0], ',');
        workspace.Select(names);
    } else if (name == "lock") {
        workspace.SetLockedState(std::uint32_t(*Integer(arguments[0])));
    } else if (name == "set") {
        SetSelectionValue(arguments[0], arguments[1]);
    } else if (name == "undo" || name == "redo") {
        ActiveDocument();
        SOResult code = name == "undo" ? workspace.Undo() : workspace.Redo();
        if (code == so::kNothingProvided)
            throw CommandError(std::string("there is nothing to ") + name);
    } else if (name == "locale") {
        std::wstring language = so::WideFromUtf8(arguments[0]);
        so::Call<host::LocaleManager::SetLanguage>(session_.LocaleManager(), language.c_str());
        session_.Window().NotifyLocaleChanged();
    } else {
        throw CommandError("the command is not available");
    }
}

void ScenarioRunner::Input(const ScenarioCommand& command) {
    const std::string& name = command.name;
    const auto& arguments = command.arguments;
    html::InputDriver input(session_.Window());
    ElementRef root = ElementRef::Adopt(session_.RootElement());
    PageInspector page(root.Get());
    auto inputDone = [&](bool done, const std::string& what) {
        if (!done)
            Fail(command,
                 what + " had no effect: " +
                     (name == "dismiss" ? "no popup is shown"
                                        : "the element is disabled, outside the document or does not "
                                          "take that input"));
    };

    if (name == "click") {
        inputDone(input.Click(page.First(arguments[0]).Get()), "click " + Quoted(arguments[0]));
    } else if (name == "type") {
        inputDone(input.TypeText(page.First(arguments[0]).Get(), so::WideFromUtf8(arguments[1])),
                  "type into " + Quoted(arguments[0]));
    } else if (name == "key") {
        KeyPress press = ParseKey(arguments[0]);
        inputDone(input.PressKey(press.virtualKey, press.modifiers), "key " + arguments[0]);
    } else if (name == "choose") {
        inputDone(input.ChooseOption(page.First(arguments[0]).Get(), so::WideFromUtf8(arguments[1])),
                  "choose " + Quoted(arguments[1]) + " in " + Quoted(arguments[0]));
    } else if (name == "expand") {
        inputDone(input.ExpandTab(page.First(arguments[0]).Get()), "expand " + Quoted(arguments[0]));
    } else if (name == "dismiss") {
        inputDone(input.DismissPopup(), "dismiss");
    } else if (name == "focus") {
        inputDone(input.MoveFocus(page.First(arguments[0]).Get()), "focus " + Quoted(arguments[0]));
    }
}

void ScenarioRunner::Check(const ScenarioCommand& command) {
    const std::string& name = command.name;
    const auto& arguments = command.arguments;
    DocumentWorkspace& workspace = session_.Workspace();
    ElementRef root = ElementRef::Adopt(session_.RootElement());
    PageInspector page(root.Get());
    // An expectation about an element that is not there fails like any other expectation.
    std::vector<ElementRef> matches;
    if (name == "expect attr" || name == "expect text" || name == "expect state" || name == "expect style") {
        matches = page.All(arguments[0]);
        if (matches.empty()) {
            Fail(command, "expected an element matching " + Quoted(arguments[0]) + " but found none");
            return;
        }
    }

    if (name == "expect count") {
        std::size_t found = page.All(arguments[0]).size();
        if (std::int64_t(found) != *Integer(arguments[1]))
            Fail(command, "expected " + arguments[1] + " elements matching " + Quoted(arguments[0]) +
                              " but found " + std::to_string(found));
    } else if (name == "expect attr") {
        const ElementRef& element = matches.front();
        auto value = PageInspector::Attribute(element.Get(), arguments[1]);
        if (!value || *value != arguments[2])
            Fail(command, "expected attribute " + arguments[1] + "=" + Quoted(arguments[2]) + " on " +
                              Quoted(arguments[0]) + " but found " +
                              (value ? Quoted(*value) : std::string("no such attribute")));
    } else if (name == "expect text") {
        std::string text = PageInspector::Text(matches.front().Get());
        if (text != arguments[1])
            Fail(command, "expected the text " + Quoted(arguments[1]) + " in " + Quoted(arguments[0]) +
                              " but found " + Quoted(text));
    } else if (name == "expect state") {
        bool negated = arguments[1].starts_with('!');
        std::string stateName = negated ? arguments[1].substr(1) : arguments[1];
        std::uint32_t state = PageInspector::State(matches.front().Get());
        bool set = (state & PageInspector::StateBit(stateName)) != 0;
        if (set == negated)
            Fail(command, "expected " + Quoted(arguments[0]) + (negated ? " not to be " : " to be ") +
                              stateName + " but found the states " + PageInspector::StateNames(state));
    } else if (name == "expect style") {
        std::string value = PageInspector::Style(matches.front().Get(), arguments[1]);
        if (value != arguments[2])
            Fail(command, "expected the style " + arguments[1] + ": " + Quoted(arguments[2]) + " on " +
                              Quoted(arguments[0]) + " but found " + Quoted(value));
    } else if (name == "expect value") {
        std::string found = workspace.PropertyValue(ActiveDocument(), so::WideFromUtf8(arguments[0]),
                                                    ParsePropertyPath(arguments[1]));
        if (!ValueMatches(found, arguments[2]))
            Fail(command, "expected " + arguments[0] + " " + arguments[1] + " = " + arguments[2] +
                              " but found " + found);
    } else if (name == "expect boxes") {
        std::size_t shown = workspace.MessageBoxes().History().size();
        if (std::int64_t(shown) != *Integer(arguments[0]))
            Fail(command, "expected " + arguments[0] + " message boxes but found " + std::to_string(shown));
    } else if (name == "expect option") {
        std::wstring group = so::WideFromUtf8(arguments[0]);
        std::wstring option = so::WideFromUtf8(arguments[1]);
        std::uint8_t value = 0;
        so::Call<host::UserOptions::GetBool>(workspace.UserOptions(), group.c_str(), option.c_str(), &value);
        std::string found = value != 0 ? "on" : "off";
        if (found != arguments[2])
            Fail(command, "expected the option " + arguments[0] + " " + arguments[1] + " to be " +
                              arguments[2] + " but found " + found);
    } else if (name == "expect log") {
        std::optional<std::uint64_t> found = session_.CountLogEntries(arguments[0]);
        if (!found)
            throw CommandError("the host has no logger");
        if (std::int64_t(*found) != *Integer(arguments[1]))
            Fail(command, "expected " + arguments[1] + " log entries containing " + Quoted(arguments[0]) +
                              " but found " + std::to_string(*found));
    } else if (name == "dump document") {
        out_ << workspace.DumpValues(ActiveDocument());
    } else if (name == "dump selection") {
        ActiveDocument();
        out_ << workspace.DumpSelection();
    } else if (name == "dump") {
        for (const ElementRef& element : page.All(arguments[0]))
            out_ << PageInspector::OuterHtml(element.Get()) << "\n";
    }
}

} // namespace headless
