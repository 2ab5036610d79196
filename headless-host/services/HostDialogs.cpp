#include "headless-host/services/HostDialogs.h"

#include "headless-host/support/HostSupport.h"
#include "host/UIDocuments.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TwoCallText.h"

#include <array>
#include <stdexcept>

namespace headless {

namespace {

namespace Result = host::DialogResult;

constexpr std::array kDialogKinds = {DialogKind::JavaScript, DialogKind::SelectFields,
                                     DialogKind::FieldNotation, DialogKind::EditValueList};

template <class T>
SOResult MakeObject(void* context, ServiceObject** out) {
    if (out == nullptr)
        return so::kInvalidArgument;
    *out =
        so::ServiceObjectCppTheConcrete<T>::Create(static_cast<DialogScript*>(context)->shared_from_this());
    return so::kOk;
}

// Whether `object`, as the provider made it, is one of T's made for `script`.
template <class T>
bool MadeFor(ServiceObject* object, const DialogScript* script) {
    using Concrete = so::ServiceObjectCppTheConcrete<T>;
    return Concrete::IsInstance(object) && Concrete::From(object).Script().get() == script;
}

struct ServedName {
    const char* name;
    SOResult (*factory)(void*, ServiceObject**);
    bool (*madeFor)(ServiceObject*, const DialogScript*);
};

template <class T>
constexpr ServedName Served() {
    return {T::Interface::kName, &MakeObject<T>, &MadeFor<T>};
}

constexpr std::array kServedNames = {Served<JavaScriptDialogObject>(), Served<SelectFieldsDialogObject>(),
                                     Served<FieldNotationDialogObject>(), Served<EditValueListDialogObject>(),
                                     Served<ActionWizardFactoryObject>()};

std::wstring TextOrEmpty(const wchar_t* text) {
    return text != nullptr ? std::wstring(text) : std::wstring();
}

// The common end of every dialog's ShowModal: what it was given is noted, the queued answer taken.
std::optional<DialogAnswer> ShowScripted(DialogScript& script, DialogKind kind, HWND parent,
                                         ShownDialog shown, std::uint32_t* result) {
    shown.parent = script.ParentOf(parent);
    std::optional<DialogAnswer> answer = script.Show(kind, std::move(shown));
    *result = answer && answer->confirmed ? Result::kConfirmed : Result::kCancelled;
    if (!answer || !answer->confirmed)
        return std::nullopt;
    return answer;
}

} // namespace

// ---- The script ------------------------------------------------------------------------------------

const char* DialogScript::NameOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::JavaScript:
        return host::JavaScriptDialog::kName;
    case DialogKind::SelectFields:
        return host::SelectFieldsDialog::kName;
    case DialogKind::FieldNotation:
        return host::FieldNotationDialog::kName;
    case DialogKind::EditValueList:
        return host::EditValueListDialog::kName;
    }
    return "an unknown dialog";
}

std::optional<DialogKind> DialogScript::KindNamed(std::string_view name) {
    for (DialogKind kind : kDialogKinds)
        if (name == NameOf(kind))
            return kind;
    return std::nullopt;
}

const char* DialogScript::ParentName(DialogParent parent) {
    switch (parent) {
    case DialogParent::None:
        return "none";
    case DialogParent::MainFrame:
        return "main-frame";
    case DialogParent::Other:
        return "other";
    }
    return "other";
}

void DialogScript::SetActionMaker(ActionMaker maker) {
    std::lock_guard lock(mutex_);
    actionMaker_ = std::move(maker);
}

WizardAnswer DialogScript::ActionAnswer(const std::string& json) const {
    ActionMaker maker;
    {
        std::lock_guard lock(mutex_);
        maker = actionMaker_;
    }
    if (!maker)
        throw std::invalid_argument("making an action from JSON is not available yet in this host");
    return {WizardAnswer::Kind::Action, maker(json)};
}

void DialogScript::SetMainFrame(so::Ref mainFrame) {
    std::lock_guard lock(mutex_);
    mainFrame_ = std::move(mainFrame);
}

void DialogScript::Register() {
    for (const ServedName& served : kServedNames) {
        SOResult code = ServiceProviderRegisterFactory(so::AtomOf(served.name), served.factory, this);
        if (code != so::kOk)
            throw so::ServiceObjectException(code,
                                             std::string("The service provider refused ") + served.name);
    }
}

void DialogScript::Unregister() {
    for (const ServedName& served : kServedNames) {
        // A factory cannot be compared: what it makes can.
        const SOAtom atom = so::AtomOf(served.name);
        ServiceObject* made = nullptr;
        if (ServiceProviderGetServiceObject(atom, &made) != so::kOk || made == nullptr)
            continue;
        const bool ours = served.madeFor(made, this);
        made->header.Release(made);
        if (ours)
            ServiceProviderUnregister(atom);
    }
}

void DialogScript::QueueAnswer(DialogKind kind, DialogAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_[kind].push_back(std::move(answer));
}

void DialogScript::QueueWizardAnswer(WizardAnswer answer) {
    std::lock_guard lock(mutex_);
    wizardAnswers_.push_back(std::move(answer));
}

std::size_t DialogScript::PendingAnswers(DialogKind kind) const {
    std::lock_guard lock(mutex_);
    auto found = answers_.find(kind);
    return found != answers_.end() ? found->second.size() : 0;
}

std::size_t DialogScript::PendingWizardAnswers() const {
    std::lock_guard lock(mutex_);
    return wizardAnswers_.size();
}

std::vector<ShownDialog> DialogScript::History(DialogKind kind) const {
    std::lock_guard lock(mutex_);
    auto found = history_.find(kind);
    return found != history_.end() ? found->second : std::vector<ShownDialog>();
}

std::vector<WizardRun> DialogScript::WizardRuns() const {
    std::lock_guard lock(mutex_);
    return wizardRuns_;
}

std::vector<std::string> DialogScript::TakeFailures() {
    std::lock_guard lock(mutex_);
    return std::exchange(failures_, {});
}

std::optional<DialogAnswer> DialogScript::Show(DialogKind kind, ShownDialog shown) {
    std::lock_guard lock(mutex_);
    std::deque<DialogAnswer>& queued = answers_[kind];
    if (queued.empty()) {
        failures_.push_back(std::string("The ") + NameOf(kind) +
                            " was shown but no answer was queued for it (dialog " + NameOf(kind) +
                            " confirm|cancel); it was cancelled");
    } else {
        shown.answer = std::move(queued.front());
        queued.pop_front();
    }
    history_[kind].push_back(shown);
    return shown.answer;
}

DialogParent DialogScript::ParentOf(HWND parent) const {
    if (parent == nullptr)
        return DialogParent::None;
    so::Ref mainFrame;
    {
        std::lock_guard lock(mutex_);
        mainFrame = mainFrame_;
    }
    HWND frameWindow = nullptr;
    if (mainFrame)
        so::Call<host::UIMainFrame::GetMainFrameWnd>(mainFrame.Get(), &frameWindow);
    return parent == frameWindow ? DialogParent::MainFrame : DialogParent::Other;
}

std::pair<std::size_t, std::optional<WizardAnswer>> DialogScript::RunWizard(bool hadCurrent) {
    std::lock_guard lock(mutex_);
    WizardRun run{hadCurrent, !wizardAnswers_.empty(), std::nullopt};
    std::optional<WizardAnswer> answer;
    if (wizardAnswers_.empty()) {
        failures_.emplace_back("The action wizard was run but no answer was queued for it (wizard "
                               "cancel|none|action JSON); it was cancelled");
    } else {
        answer = std::move(wizardAnswers_.front());
        wizardAnswers_.pop_front();
    }
    wizardRuns_.push_back(run);
    return {wizardRuns_.size() - 1, std::move(answer)};
}

void DialogScript::NoteWizardStatus(std::size_t run, std::int32_t status) {
    std::lock_guard lock(mutex_);
    wizardRuns_.at(run).status = status;
}

void DialogScript::NoteFailure(std::string message) {
    std::lock_guard lock(mutex_);
    failures_.push_back(std::move(message));
}

// ---- JavaScriptDialog -------------------------------------------------------------------------------

void JavaScriptDialogObject::BindMethods(so::MethodBinder<JavaScriptDialogObject>& binder) {
    using C = JavaScriptDialogObject;
    using I = host::JavaScriptDialog;
    binder.Bind<I::SetScript, &C::SetScript>();
    binder.Bind<I::ShowModal, &C::ShowModal>();
    binder.Bind<I::GetScript, &C::GetScript>();
}

SOResult JavaScriptDialogObject::SetScript(const wchar_t* script) {
    text_ = TextOrEmpty(script);
    return so::kOk;
}

SOResult JavaScriptDialogObject::ShowModal(HWND parent, std::uint32_t* result) {
    if (result == nullptr)
        return so::kInvalidArgument;
    ShownDialog shown;
    shown.text = text_;
    if (auto answer = ShowScripted(*script_, DialogKind::JavaScript, parent, std::move(shown), result))
        text_ = answer->text;
    return so::kOk;
}

SOResult JavaScriptDialogObject::GetScript(wchar_t* buffer, std::uint32_t* inOutLength) {
    return so::DeliverText(text_, buffer, inOutLength);
}

// ---- SelectFieldsDialog ------------------------------------------------------------------------------

void SelectFieldsDialogObject::BindMethods(so::MethodBinder<SelectFieldsDialogObject>& binder) {
    using C = SelectFieldsDialogObject;
    using I = host::SelectFieldsDialog;
    binder.Bind<I::SetFieldNames, &C::SetFieldNames>();
    binder.Bind<I::SetText, &C::SetText>();
    binder.Bind<I::ShowModal, &C::ShowModal>();
    binder.Bind<I::GetText, &C::GetText>();
}

SOResult SelectFieldsDialogObject::SetFieldNames(const wchar_t* names) {
    fieldNames_ = TextOrEmpty(names);
    return so::kOk;
}

SOResult SelectFieldsDialogObject::SetText(const wchar_t* text) {
    text_ = TextOrEmpty(text);
    return so::kOk;
}

SOResult SelectFieldsDialogObject::ShowModal(HWND parent, std::uint32_t* result) {
    if (result == nullptr)
        return so::kInvalidArgument;
    ShownDialog shown;
    shown.text = text_;
    shown.fieldNames = fieldNames_;
    if (auto answer = ShowScripted(*script_, DialogKind::SelectFields, parent, std::move(shown), result))
        text_ = answer->text;
    return so::kOk;
}

SOResult SelectFieldsDialogObject::GetText(wchar_t* buffer, std::uint32_t* inOutLength) {
    return so::DeliverText(text_, buffer, inOutLength);
}

// ---- FieldNotationDialog -----------------------------------------------------------------------------

void FieldNotationDialogObject::BindMethods(so::MethodBinder<FieldNotationDialogObject>& binder) {
    using C = FieldNotationDialogObject;
    using I = host::FieldNotationDialog;
    binder.Bind<I::SetText, &C::SetText>();
    binder.Bind<I::ShowModal, &C::ShowModal>();
    binder.Bind<I::GetText, &C::GetText>();
}

SOResult FieldNotationDialogObject::SetText(const wchar_t* text) {
    text_ = TextOrEmpty(text);
    return so::kOk;
}

SOResult FieldNotationDialogObject::ShowModal(HWND parent, std::uint32_t* result) {
    if (result == nullptr)
        return so::kInvalidArgument;
    ShownDialog shown;
    shown.text = text_;
    if (auto answer = ShowScripted(*script_, DialogKind::FieldNotation, parent, std::move(shown), result))
        text_ = answer->text;
    return so::kOk;
}

SOResult FieldNotationDialogObject::GetText(wchar_t* buffer, std::uint32_t* inOutLength) {
    return so::DeliverText(text_, buffer, inOutLength);
}

// ---- EditValueListDialog -----------------------------------------------------------------------------

void EditValueListDialogObject::BindMethods(so::MethodBinder<EditValueListDialogObject>& binder) {
    using C = EditValueListDialogObject;
    using I = host::EditValueListDialog;
    binder.Bind<I::AddPair, &C::AddPair>();
    binder.Bind<I::ShowModal, &C::ShowModal>();
    binder.Bind<I::GetPairCount, &C::GetPairCount>();
    binder.Bind<I::GetPairText, &C::GetPairText>();
}

SOResult EditValueListDialogObject::AddPair(const wchar_t* first, const wchar_t* second) {
    if (first == nullptr || second == nullptr)
        return so::kInvalidArgument;
    pairs_.emplace_back(first, second);
    return so::kOk;
}

SOResult EditValueListDialogObject::ShowModal(HWND parent, std::uint32_t* result) {
    if (result == nullptr)
        return so::kInvalidArgument;
    ShownDialog shown;
    shown.pairs = pairs_;
    if (auto answer = ShowScripted(*script_, DialogKind::EditValueList, parent, std::move(shown), result))
        pairs_ = std::move(answer->pairs);
    return so::kOk;
}

SOResult EditValueListDialogObject::GetPairCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    *count = std::uint32_t(pairs_.size());
    return so::kOk;
}

SOResult EditValueListDialogObject::GetPairText(std::uint32_t index, std::uint32_t second, wchar_t* buffer,
                                                std::uint32_t* inOutLength) {
    if (index >= pairs_.size() || second > 1)
        return so::kInvalidArgument;
    const auto& pair = pairs_[index];
    return so::DeliverText(second == 0 ? pair.first : pair.second, buffer, inOutLength);
}

// ---- The action wizard -------------------------------------------------------------------------------

void ActionWizardFactoryObject::BindMethods(so::MethodBinder<ActionWizardFactoryObject>& binder) {
    binder.Bind<host::EditPDActionWizardFactory::CreateWizard, &ActionWizardFactoryObject::CreateWizard>();
}

SOResult ActionWizardFactoryObject::CreateWizard(ServiceObject* mainFrame, host::PdfActionHandle current,
                                                 ServiceObject* completion, ServiceObject** wizard) {
    if (completion == nullptr || wizard == nullptr)
        return so::kInvalidArgument;
    *wizard = so::ServiceObjectCppTheConcrete<ActionWizardObject>::Create(
        script_, so::Ref::Share(mainFrame), current != nullptr, so::Ref::Share(completion));
    return so::kOk;
}

void ActionWizardObject::BindMethods(so::MethodBinder<ActionWizardObject>& binder) {
    binder.Bind<host::EditPDActionWizard::Run, &ActionWizardObject::Run>();
}

ActionWizardObject::ActionWizardObject(std::shared_ptr<DialogScript> script, so::Ref mainFrame,
                                       bool hadCurrent, so::Ref completion)
    : script_(std::move(script)), mainFrame_(std::move(mainFrame)), hadCurrent_(hadCurrent),
      completion_(std::move(completion)) {}

SOResult ActionWizardObject::Run() {
    auto [run, answer] = script_->RunWizard(hadCurrent_);
    if (!answer || answer->kind == WizardAnswer::Kind::Cancel)
        return so::kOk;
    // The answer holds the action until the completion has returned.
    host::PdfActionHandle action =
        answer->kind == WizardAnswer::Kind::Action ? answer->action.get() : nullptr;
    std::int32_t status = -1;
    try {
        so::Call<host::EditPDActionWizardCompletion::Complete>(completion_.Get(), action, &status);
    } catch (const so::ServiceObjectException& e) {
        script_->NoteFailure("The action wizard's completion failed: " + e.Message());
        throw;
    }
    script_->NoteWizardStatus(run, status);
    return so::kOk;
}

} // namespace headless
