// Runs scenario commands against a host session: documents, views and selections, user input on
// the panel page, undo and redo, answers of message boxes, dialogs and the action wizard, user
// options, the local clock, holds of the UI loop, expectations and dumps.
#pragma once

#include "headless-host/app/ScenarioParser.h"
#include "host/ServiceObject.h"
#include "host/WindowsApi.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace headless {

class HostSession;

class ScenarioRunner {
public:
    // Dumps go to `out`; failed expectations and errors to `errors`, each naming its line.
    ScenarioRunner(HostSession& session, std::ostream& out, std::ostream& errors, bool stopOnFailure);

    // Checks the arguments of every command first (nothing runs when one is wrong), then runs them
    // in order, pumping the UI loop after each one that can post work unless a "hold" is in force
    // (it lasts from one call to the next, and a run may end held). Relative file names are
    // taken from `baseFolder`. An error (a command that cannot be carried out) stops the run; a
    // failed expectation, or a dialog shown with no answer queued while a command ran, stops it only
    // with stopOnFailure. False when anything failed.
    bool Run(const std::vector<ScenarioCommand>& commands, const std::filesystem::path& baseFolder);

    std::size_t Failures() const { return failures_; }

    // Raises ScenarioError for arguments that no state of the host could make valid.
    static void Validate(const ScenarioCommand& command);

    // The virtual-key code and modifier bits of "Enter", "a+ctrl", "F5+shift+alt"; raises
    // std::invalid_argument for an unknown key or modifier.
    struct KeyPress {
        std::uint32_t virtualKey = 0;
        std::uint32_t modifiers = 0;
    };
    static KeyPress ParseKey(const std::string& text);
    // "2024-03-01T09:30:00" as GetLocalTime reports it (with its day of the week, no milliseconds);
    // raises std::invalid_argument for another form or a date or time of day that does not exist.
    static SYSTEMTIME ParseLocalTime(const std::string& text);
    // "General/Common/Name": the groups from the root, then the property.
    static std::vector<std::wstring> ParsePropertyPath(const std::string& text);
    // True when `found` (a value as document files write it) is `expected`, a JSON string also when
    // written without its quotes.
    static bool ValueMatches(const std::string& found, const std::string& expected);

private:
    // Runs one command; true when the UI loop should run after it (unless held), false when it only
    // reads, scripts or pumps by itself.
    bool Execute(const ScenarioCommand& command, const std::filesystem::path& baseFolder);
    // A user's input on the page; what a user could not do is a failure (or, inside "expect
    // error", the refusal).
    void Input(const ScenarioCommand& command);
    // Runs the wrapped command and checks that it was refused with the expected message.
    void ExpectRefusal(const ScenarioCommand& command, const std::filesystem::path& baseFolder);
    // Expectations and dumps.
    void Check(const ScenarioCommand& command);
    void Fail(const ScenarioCommand& command, const std::string& message);
    // The document of "on VIEW" while it runs, else the active one.
    std::size_t ActiveDocument() const;
    // An open document by number (from 1) or name.
    std::size_t DocumentIndex(const std::string& view) const;
    void SetSelectionValue(const std::string& propertyPath, const std::string& value);
    // Writes the value a word stands for (its document-file form) into the BLProperty `target`, as
    // the panel writes records.
    void WriteValue(ServiceObject* target, const std::string& word);

    HostSession& session_;
    std::ostream& out_;
    std::ostream& errors_;
    bool stopOnFailure_;
    std::size_t failures_ = 0;
    bool stopRequested_ = false;
    bool held_ = false;
    std::optional<std::size_t> targetDocument_;
    // Where a refused input goes while "expect error" runs it.
    std::optional<std::string>* refusal_ = nullptr;
};

} // namespace headless
