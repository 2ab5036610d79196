#include "headless-host/document/DocumentState.h"

#include "headless-host/document/NotificationObjects.h"
#include "headless-host/document/PropertyValues.h"
#include "host/BLProperties.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace headless {

namespace {

template <class Watcher>
void AppendUnique(std::vector<std::shared_ptr<Watcher>>& all, std::vector<std::shared_ptr<Watcher>> more) {
    for (auto& watcher : more)
        if (std::find(all.begin(), all.end(), watcher) == all.end())
            all.push_back(std::move(watcher));
}

} // namespace

DocumentState::DocumentState(DocumentModel model)
    : model_(std::move(model)), lockedState_(model_.lockedState),
      executeNotification_(so::Make<ExecuteNotificationObject>()),
      progressNotification_(so::Make<ProgressNotificationObject>()) {
    for (const auto& object : model_.objects)
        if (!defaultsWatchers_.contains(object->kind))
            defaultsWatchers_.emplace(object->kind, std::make_unique<WatcherList<>>());
}

DocumentState::~DocumentState() {
    ClearCommands();
}

StoredValue DocumentState::Value(const PropertyModel& property) const {
    std::lock_guard lock(mutex_);
    return property.value;
}

std::vector<StoredValue> DocumentState::ExchangeValues(const std::vector<ValueChange>& changes) {
    std::vector<StoredValue> previous;
    std::vector<std::shared_ptr<PropertyModel>> properties;
    std::vector<std::shared_ptr<PropertyModel>> restructured;
    {
        std::lock_guard lock(mutex_);
        for (const auto& change : changes) {
            previous.push_back(std::exchange(change.property->value, change.value));
            [[maybe_unused]] PDStatus status = SetWidgetAction(*change.property, change.value);
            assert(status == kPDOk && "a written action belongs to the property's document");
            properties.push_back(change.property);
            if (change.restructure || change.property->restructures)
                restructured.push_back(change.property);
        }
    }
    Notify(properties, restructured);
    return previous;
}

void DocumentState::NotifyUnchanged(const std::vector<std::shared_ptr<PropertyModel>>& properties) {
    Notify(properties, {});
}

void DocumentState::NotifyRestructured(const std::vector<std::shared_ptr<PropertyModel>>& properties) {
    Notify({}, properties);
}

void DocumentState::Remove(const std::vector<std::shared_ptr<PropertyModel>>& properties) {
    for (const auto& property : properties)
        property->removed = true;
    NotifyRestructured(properties);
}

void DocumentState::Notify(const std::vector<std::shared_ptr<PropertyModel>>& changed,
                           const std::vector<std::shared_ptr<PropertyModel>>& restructured) const {
    // A property object or context that shows several of the properties hears once.
    std::vector<std::shared_ptr<WatcherList<>::Callback>> propertyWatchers;
    std::vector<std::shared_ptr<WatcherList<>::Callback>> contextWatchers;
    for (const auto& property : changed)
        AppendUnique(propertyWatchers, property->propertyWatchers.Live());
    for (const auto& property : restructured)
        AppendUnique(contextWatchers, property->contextWatchers.Live());
    for (const auto& watcher : propertyWatchers)
        (*watcher)();
    for (const auto& watcher : contextWatchers)
        (*watcher)();
}

void DocumentState::RefuseWrites(PropertyModel& property, std::uint32_t count, std::string message) {
    std::lock_guard lock(mutex_);
    property.refusalsLeft = count;
    property.refusal = std::move(message);
}

std::optional<std::string>
DocumentState::AcceptWrite(const std::vector<std::shared_ptr<PropertyModel>>& properties) {
    std::lock_guard lock(mutex_);
    for (const auto& property : properties) {
        if (property->refusalsLeft != 0) {
            --property->refusalsLeft;
            return property->refusal;
        }
    }
    for (const auto& property : properties)
        ++property->writes;
    return std::nullopt;
}

std::uint64_t DocumentState::Writes(const PropertyModel& property) const {
    std::lock_guard lock(mutex_);
    return property.writes;
}

void DocumentState::SetPending(const std::vector<std::shared_ptr<PropertyModel>>& properties,
                               const std::optional<StoredValue>& pending) {
    std::lock_guard lock(mutex_);
    for (const auto& property : properties)
        property->pending = pending;
}

std::optional<StoredValue> DocumentState::Pending(const PropertyModel& property) const {
    std::lock_guard lock(mutex_);
    return property.pending;
}

void DocumentState::SetLockedState(std::uint32_t state) {
    if (lockedState_.exchange(state) != state)
        lockWatchers_.Notify(state);
}

const KindDefaults* DocumentState::Defaults(const std::wstring& kind) const {
    for (const auto& defaults : model_.defaults)
        if (defaults.kind == kind)
            return &defaults;
    return nullptr;
}

StoredValue DocumentState::StoredDefault(const DefaultEntry& entry) const {
    std::lock_guard lock(mutex_);
    return entry.stored;
}

void DocumentState::SetStoredDefaults(
    const std::wstring& kind, const std::vector<std::pair<const DefaultEntry*, StoredValue>>& values) {
    {
        std::lock_guard lock(mutex_);
        for (const auto& [entry, value] : values)
            entry->stored = value;
    }
    if (auto found = defaultsWatchers_.find(kind); found != defaultsWatchers_.end())
        found->second->Notify();
}

void DocumentState::WatchDefaults(const std::wstring& kind,
                                  const std::shared_ptr<WatcherList<>::Callback>& watcher) {
    if (auto found = defaultsWatchers_.find(kind); found != defaultsWatchers_.end())
        found->second->Add(watcher);
}

SOAtom DocumentState::NewCommandId(const std::string& commandName) {
    static std::atomic<std::uint64_t> counter{0};
    return so::AtomOf((commandName + "#" + std::to_string(++counter)).c_str());
}

void DocumentState::RaiseTask(std::uint32_t eventId, SOAtom commandName, host::CommandAction action,
                              SOResult status) const {
    host::ExecuteNotification::TaskArguments arguments{commandName, std::uint32_t(action), status};
    so::ServiceObjectCppTheConcrete<ExecuteNotificationObject>::From(executeNotification_.Get())
        .Events()
        .Raise(eventId, &arguments);
}

void DocumentState::Execute(const so::Ref& command) {
    if (!command)
        throw so::ServiceObjectException(so::kInvalidArgument, "No command to execute");
    std::vector<so::Ref> dropped; // released after the lock: a command's end may call back
    std::lock_guard lock(commandMutex_);
    if (RunningCommandOnThisThread()) {
        // A command run by a running command is part of it: undone by the outer command's UNDO.
        so::Call<host::Command::DO>(command.Get());
        return;
    }
    pendingCommand_ = command;
    try {
        Run(Direction::Do);
    } catch (...) {
        pendingCommand_.Reset();
        throw;
    }
    pendingCommand_.Reset();
    undo_.push_back(command);
    dropped.swap(redo_);
}

SOResult DocumentState::Undo() {
    return Run(Direction::Undo);
}

SOResult DocumentState::Redo() {
    return Run(Direction::Redo);
}

SOResult DocumentState::Run(Direction direction) {
    std::lock_guard lock(commandMutex_);
    if ((LockedState() & host::BLDocumentView::kLockedForWrite) != 0)
        throw so::ServiceObjectException(host::kDocumentLocked, "The document is locked for writing");
    if (direction != Direction::Do && RunningCommandOnThisThread())
        throw so::ServiceObjectException(so::kInvalidArgument, "A running command cannot undo or redo steps");
    std::vector<so::Ref>& from = direction == Direction::Undo ? undo_ : redo_;
    if (direction != Direction::Do && from.empty())
        return so::kNothingProvided;
    so::Ref command = direction == Direction::Do ? pendingCommand_ : from.back();
    auto action = direction == Direction::Do     ? host::CommandAction::Do
                  : direction == Direction::Undo ? host::CommandAction::Undo
                                                 : host::CommandAction::Redo;

    SOAtom name = 0;
    try {
        so::Call<host::Command::GetCommandName>(command.Get(), &name);
    } catch (const so::ServiceObjectException&) {
        name = 0; // a nameless command still runs
    }
    RaiseTask(host::ExecuteNotification::OnTaskBegin::kEventId, name, action, so::kOk);
    host::BLDocument::CommandArguments arguments{std::uint32_t(action), command.Get(), nullptr};
    commandEvents_.Raise<host::BLDocument::OnBeforeCommand>(arguments);

    if (commandDepth_++ == 0)
        runningThread_.store(std::this_thread::get_id());
    auto leave = [this] {
        if (--commandDepth_ == 0)
            runningThread_.store(std::thread::id());
    };
    try {
        auto code = direction == Direction::Undo ? so::Call<host::Command::UNDO>(command.Get())
                                                 : so::Call<host::Command::DO>(command.Get());
        if (!code)
            throw so::ServiceObjectException(so::kInvalidArgument, direction == Direction::Undo
                                                                       ? "The command cannot be undone"
                                                                       : "The command cannot be done");
    } catch (const so::ServiceObjectException& e) {
        leave();
        RaiseTask(host::ExecuteNotification::OnTaskFail::kEventId, name, action, e.Code());
        throw;
    } catch (...) {
        leave();
        RaiseTask(host::ExecuteNotification::OnTaskFail::kEventId, name, action, so::kGenericFailure);
        throw;
    }
    leave();

    if (direction == Direction::Undo) {
        undo_.pop_back();
        redo_.push_back(command);
    } else if (direction == Direction::Redo) {
        redo_.pop_back();
        undo_.push_back(command);
    }
    commandEvents_.Raise<host::BLDocument::OnAfterCommand>(arguments);
    RaiseTask(host::ExecuteNotification::OnTaskEnd::kEventId, name, action, so::kOk);
    return so::kOk;
}

std::size_t DocumentState::UndoCount() const {
    std::lock_guard lock(commandMutex_);
    return undo_.size();
}

std::size_t DocumentState::RedoCount() const {
    std::lock_guard lock(commandMutex_);
    return redo_.size();
}

void DocumentState::ClearCommands() {
    std::vector<so::Ref> undo;
    std::vector<so::Ref> redo;
    {
        std::lock_guard lock(commandMutex_);
        undo.swap(undo_);
        redo.swap(redo_);
    }
}

} // namespace headless
