// The host's modal dialogs and its action wizard, scripted ahead as the message box is: a scenario
// queues what the user will do in each, and every dialog shown is remembered with what it was
// given. The service provider makes a new object per request; all of them share one DialogScript.
#pragma once

#include "host/HostDialogs.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace headless {

enum class DialogKind { JavaScript, SelectFields, FieldNotation, EditValueList };

// What a dialog was shown over: the main frame's window (as UIMainFrame::GetMainFrameWnd gives it),
// no window, or another one.
enum class DialogParent { None, MainFrame, Other };

using StringPairs = std::vector<std::pair<std::wstring, std::wstring>>;

// What the user does in one dialog.
struct DialogAnswer {
    bool confirmed = false;
    // Confirmed: the script (JavaScriptDialog) or the text (SelectFieldsDialog, FieldNotationDialog).
    std::wstring text;
    // Confirmed: the list (EditValueListDialog).
    StringPairs pairs;
};

// One showing of a dialog: what it was given when ShowModal was called, and how it ended.
struct ShownDialog {
    DialogParent parent = DialogParent::None;
    std::wstring text;       // the script or the text set
    std::wstring fieldNames; // SelectFieldsDialog
    StringPairs pairs;       // EditValueListDialog
    // None: no answer was queued and the dialog was cancelled.
    std::optional<DialogAnswer> answer;
};

// What the user does in the action wizard.
struct WizardAnswer {
    enum class Kind { Cancel, NoAction, Action };
    Kind kind = Kind::Cancel;
    // Kind::Action: the action the user made, owned by the answer; the completion borrows it.
    std::shared_ptr<void> action;
};

// One run of the action wizard.
struct WizardRun {
    bool hadCurrent = false; // whether the wizard was made with a current action
    bool scripted = false;   // false: no answer was queued, the wizard was cancelled
    // What the completion reported in `*status` (-1 when it left it alone); none when it was not
    // called.
    std::optional<std::int32_t> status;
};

// The answers queued for the dialogs and the wizard, what they were shown with, and what went wrong.
// Thread-safe; calls out (the completion) are made without its lock.
class DialogScript : public std::enable_shared_from_this<DialogScript> {
public:
    // The name the provider serves a dialog under (host::JavaScriptDialog::kName, ...), and back.
    static const char* NameOf(DialogKind kind);
    static std::optional<DialogKind> KindNamed(std::string_view name);
    static const char* ParentName(DialogParent parent); // "none", "main-frame", "other"

    // Makes the action a JSON description stands for, owned by the pointer; raises
    // std::invalid_argument when the description makes no action.
    using ActionMaker = std::function<std::shared_ptr<void>(const std::string& json)>;
    // Who makes the actions of "wizard action" answers: the host's documents, which own the actions.
    void SetActionMaker(ActionMaker maker);
    // The "wizard action" answer for an action described in JSON, made now, so that a description
    // that makes no action is refused where it is queued. Raises std::invalid_argument for that, and
    // while there is no action maker.
    WizardAnswer ActionAnswer(const std::string& json) const;

    // The main frame ("UIMainFrame") whose window tells a dialog shown over the frame from one shown
    // over another window; kept.
    void SetMainFrame(so::Ref mainFrame);

    // Serves the four dialogs and "EditPDActionWizardFactory" through the service provider, a new
    // object per request. Raises ServiceObjectException when the provider refuses. The script must
    // be owned by a shared_ptr.
    void Register();
    // Withdraws those of the names that this script serves (another script may serve them now).
    void Unregister();

    void QueueAnswer(DialogKind kind, DialogAnswer answer);
    void QueueWizardAnswer(WizardAnswer answer);
    std::size_t PendingAnswers(DialogKind kind) const;
    std::size_t PendingWizardAnswers() const;

    std::vector<ShownDialog> History(DialogKind kind) const;
    std::vector<WizardRun> WizardRuns() const;
    // What went wrong that the panel's page does not show: a dialog or the wizard shown with no answer
    // queued, a completion that failed. Each failure is given once.
    std::vector<std::string> TakeFailures();

    // For the dialog objects: notes the showing and gives the queued answer, or none (noting the
    // failure).
    std::optional<DialogAnswer> Show(DialogKind kind, ShownDialog shown);
    DialogParent ParentOf(HWND parent) const;
    // For the wizard: notes a run and gives the queued answer, or none (noting the failure). Gives the
    // run's index for NoteWizardStatus.
    std::pair<std::size_t, std::optional<WizardAnswer>> RunWizard(bool hadCurrent);
    void NoteWizardStatus(std::size_t run, std::int32_t status);
    void NoteFailure(std::string message);

private:
    mutable std::mutex mutex_;
    so::Ref mainFrame_;
    ActionMaker actionMaker_;
    std::map<DialogKind, std::deque<DialogAnswer>> answers_;
    std::map<DialogKind, std::vector<ShownDialog>> history_;
    std::deque<WizardAnswer> wizardAnswers_;
    std::vector<WizardRun> wizardRuns_;
    std::vector<std::string> failures_;
};

// "JavaScriptDialog".
class JavaScriptDialogObject : public so::ObjectBase {
public:
    using Interface = host::JavaScriptDialog;
    static constexpr std::uint32_t kClassTag = 0xD1A1C001;
    static void BindMethods(so::MethodBinder<JavaScriptDialogObject>& binder);

    explicit JavaScriptDialogObject(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}
    const std::shared_ptr<DialogScript>& Script() const { return script_; }

    SOResult SetScript(const wchar_t* script);
    SOResult ShowModal(HWND parent, std::uint32_t* result);
    SOResult GetScript(wchar_t* buffer, std::uint32_t* inOutLength);

private:
    std::shared_ptr<DialogScript> script_;
    std::wstring text_;
};

// "SelectFieldsDialog".
class SelectFieldsDialogObject : public so::ObjectBase {
public:
    using Interface = host::SelectFieldsDialog;
    static constexpr std::uint32_t kClassTag = 0xD1A1C002;
    static void BindMethods(so::MethodBinder<SelectFieldsDialogObject>& binder);

    explicit SelectFieldsDialogObject(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}
    const std::shared_ptr<DialogScript>& Script() const { return script_; }

    SOResult SetFieldNames(const wchar_t* names);
    SOResult SetText(const wchar_t* text);
    SOResult ShowModal(HWND parent, std::uint32_t* result);
    SOResult GetText(wchar_t* buffer, std::uint32_t* inOutLength);

private:
    std::shared_ptr<DialogScript> script_;
    std::wstring fieldNames_;
    std::wstring text_;
};

// "FieldNotationDialog".
class FieldNotationDialogObject : public so::ObjectBase {
public:
    using Interface = host::FieldNotationDialog;
    static constexpr std::uint32_t kClassTag = 0xD1A1C003;
    static void BindMethods(so::MethodBinder<FieldNotationDialogObject>& binder);

    explicit FieldNotationDialogObject(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}
    const std::shared_ptr<DialogScript>& Script() const { return script_; }

    SOResult SetText(const wchar_t* text);
    SOResult ShowModal(HWND parent, std::uint32_t* result);
    SOResult GetText(wchar_t* buffer, std::uint32_t* inOutLength);

private:
    std::shared_ptr<DialogScript> script_;
    std::wstring text_;
};

// "EditValueListDialog".
class EditValueListDialogObject : public so::ObjectBase {
public:
    using Interface = host::EditValueListDialog;
    static constexpr std::uint32_t kClassTag = 0xD1A1C004;
    static void BindMethods(so::MethodBinder<EditValueListDialogObject>& binder);

    explicit EditValueListDialogObject(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}
    const std::shared_ptr<DialogScript>& Script() const { return script_; }

    SOResult AddPair(const wchar_t* first, const wchar_t* second);
    SOResult ShowModal(HWND parent, std::uint32_t* result);
    SOResult GetPairCount(std::uint32_t* count);
    SOResult GetPairText(std::uint32_t index, std::uint32_t second, wchar_t* buffer,
                         std::uint32_t* inOutLength);

private:
    std::shared_ptr<DialogScript> script_;
    StringPairs pairs_;
};

// "EditPDActionWizardFactory".
class ActionWizardFactoryObject : public so::ObjectBase {
public:
    using Interface = host::EditPDActionWizardFactory;
    static constexpr std::uint32_t kClassTag = 0xD1A1C007;
    static void BindMethods(so::MethodBinder<ActionWizardFactoryObject>& binder);

    explicit ActionWizardFactoryObject(std::shared_ptr<DialogScript> script) : script_(std::move(script)) {}
    const std::shared_ptr<DialogScript>& Script() const { return script_; }

    SOResult CreateWizard(ServiceObject* mainFrame, host::PdfActionHandle current, ServiceObject* completion,
                          ServiceObject** wizard);

private:
    std::shared_ptr<DialogScript> script_;
};

// "EditPDActionWizard": one run of the wizard, made by the factory.
class ActionWizardObject : public so::ObjectBase {
public:
    using Interface = host::EditPDActionWizard;
    static constexpr std::uint32_t kClassTag = 0xD1A1C006;
    static void BindMethods(so::MethodBinder<ActionWizardObject>& binder);

    // The current action is borrowed for CreateWizard only: the wizard keeps whether there was one.
    ActionWizardObject(std::shared_ptr<DialogScript> script, so::Ref mainFrame, bool hadCurrent,
                       so::Ref completion);

    // The completion is called before Run returns; its failure is Run's failure.
    SOResult Run();

private:
    std::shared_ptr<DialogScript> script_;
    so::Ref mainFrame_;
    bool hadCurrent_;
    so::Ref completion_;
};

} // namespace headless
