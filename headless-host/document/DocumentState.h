// The live state of one open document, shared by its business-logic objects: the model with its
// values under one lock, the locked state, the stored default settings, and the command stack.
#pragma once

#include "headless-host/document/DocumentModel.h"
#include "headless-host/services/HostEventSource.h"
#include "host/BLDocument.h"
#include "service-common/ServiceObjectPtr.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace headless {

// One value change of a step: the property and the value it gets. `restructure` makes the contexts
// showing the property hear of it too (as a restructuring property's own changes always do).
struct ValueChange {
    std::shared_ptr<PropertyModel> property;
    StoredValue value;
    bool restructure = false;
};

class DocumentState {
public:
    explicit DocumentState(DocumentModel model);
    ~DocumentState();
    DocumentState(const DocumentState&) = delete;
    DocumentState& operator=(const DocumentState&) = delete;

    // The structure never changes after loading; read values through Value().
    const DocumentModel& Model() const { return model_; }

    StoredValue Value(const PropertyModel& property) const;
    // Gives every property its new value (and a field's widget the action it shows), then tells the
    // watchers of the properties (OnChange) and then, for the changes that restructure, of the
    // contexts (OnChanged), each once, outside the lock. A plain value change leaves the contexts
    // alone: only the property's own views follow it. Returns the previous values.
    std::vector<StoredValue> ExchangeValues(const std::vector<ValueChange>& changes);
    // Tells the watchers of these properties as if they had changed (an accepted write of the same
    // value); contexts hear nothing.
    void NotifyUnchanged(const std::vector<std::shared_ptr<PropertyModel>>& properties);
    // Tells the contexts showing these properties that their content changed (a host command that
    // rebuilds what the user sees).
    void NotifyRestructured(const std::vector<std::shared_ptr<PropertyModel>>& properties);
    // Takes the properties out of the document (the objects still holding them fail to read or
    // write them from now on) and tells the contexts showing them that their content changed.
    void Remove(const std::vector<std::shared_ptr<PropertyModel>>& properties);

    // Refuses the next `count` writes of the property with `message` (what a failing object of the
    // editor's does), then accepts writes again.
    void RefuseWrites(PropertyModel& property, std::uint32_t count, std::string message);
    // A write of these properties is about to be accepted: counts it, or gives the message of a
    // refusal still owed by one of them.
    std::optional<std::string> AcceptWrite(const std::vector<std::shared_ptr<PropertyModel>>& properties);
    std::uint64_t Writes(const PropertyModel& property) const;
    // The pending-value notices: the last record each property was told of, none when it was told
    // that no edit is pending.
    void SetPending(const std::vector<std::shared_ptr<PropertyModel>>& properties,
                    const std::optional<StoredValue>& pending);
    std::optional<StoredValue> Pending(const PropertyModel& property) const;

    std::uint32_t LockedState() const { return lockedState_.load(); }
    // Tells the lock watchers (the document's views) when the state changes.
    void SetLockedState(std::uint32_t state);
    void WatchLockedState(const std::shared_ptr<WatcherList<std::uint32_t>::Callback>& watcher) {
        lockWatchers_.Add(watcher);
    }

    // Default settings of an object kind; null when the document names none for it.
    const KindDefaults* Defaults(const std::wstring& kind) const;
    StoredValue StoredDefault(const DefaultEntry& entry) const;
    void SetStoredDefaults(const std::wstring& kind,
                           const std::vector<std::pair<const DefaultEntry*, StoredValue>>& values);
    void WatchDefaults(const std::wstring& kind, const std::shared_ptr<WatcherList<>::Callback>& watcher);

    // The command stack. Execute runs DO of a new command and keeps it as the last undoable step;
    // Undo and Redo give 1 when there is no step. Failures raise ServiceObjectException. The stack's
    // events and the changes its steps make are raised while the stack is busy: a subscriber must not
    // wait for another thread that writes to this document.
    void Execute(const so::Ref& command);
    SOResult Undo();
    SOResult Redo();
    std::size_t UndoCount() const;
    std::size_t RedoCount() const;
    // Drops every step (the steps may hold objects that hold this state).
    void ClearCommands();
    // True while a command's DO or UNDO runs on the calling thread: property writes made by it are
    // part of that command, not steps of their own.
    bool RunningCommandOnThisThread() const { return runningThread_.load() == std::this_thread::get_id(); }
    // A process-unique id for a new command.
    SOAtom NewCommandId(const std::string& commandName);

    const HostEventSource& CommandEvents() const { return commandEvents_; }
    HostEventSource& CommandEvents() { return commandEvents_; }
    ServiceObject* ExecuteNotification() const { return executeNotification_.Get(); }
    ServiceObject* ProgressNotification() const { return progressNotification_.Get(); }

    // The PDF core library's document of this file (the model's), borrowed.
    PDHandle PdfDocument() const { return model_.pdfDocument.Get(); }

private:
    enum class Direction { Do, Undo, Redo };
    SOResult Run(Direction direction);
    void RaiseTask(std::uint32_t eventId, SOAtom commandName, host::CommandAction action,
                   SOResult status) const;
    void Notify(const std::vector<std::shared_ptr<PropertyModel>>& changed,
                const std::vector<std::shared_ptr<PropertyModel>>& restructured) const;

    DocumentModel model_;
    mutable std::mutex mutex_; // values of the model and stored defaults
    std::atomic<std::uint32_t> lockedState_;
    WatcherList<std::uint32_t> lockWatchers_;
    std::map<std::wstring, std::unique_ptr<WatcherList<>>> defaultsWatchers_; // built once, by kind

    mutable std::recursive_mutex commandMutex_;
    std::vector<so::Ref> undo_;
    std::vector<so::Ref> redo_;
    so::Ref pendingCommand_; // the command Execute is running, for Run
    int commandDepth_ = 0;   // guarded by commandMutex_
    std::atomic<std::thread::id> runningThread_{};
    HostEventSource commandEvents_{host::BLDocument::kEventCount};
    so::Ref executeNotification_;
    so::Ref progressNotification_;
};

} // namespace headless
