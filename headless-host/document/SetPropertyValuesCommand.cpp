#include "headless-host/document/SetPropertyValuesCommand.h"

#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"

namespace headless {

void SetPropertyValuesCommand::BindMethods(so::MethodBinder<SetPropertyValuesCommand>& binder) {
    using C = SetPropertyValuesCommand;
    using I = host::Command;
    binder.Bind<I::Initialize, &C::Initialize>();
    binder.Bind<I::DO, &C::Do>();
    binder.Bind<I::UNDO, &C::Undo>();
    binder.Bind<I::GetUniqueCommandID, &C::GetUniqueCommandID>();
    binder.Bind<I::GetCommandName, &C::GetCommandName>();
}

SetPropertyValuesCommand::SetPropertyValuesCommand(std::weak_ptr<DocumentState> state,
                                                   std::vector<ValueChange> changes)
    : state_(std::move(state)), changes_(std::move(changes)) {}

SOResult SetPropertyValuesCommand::Initialize(SOAtom uniqueId, SOAtom commandName, const void*) {
    uniqueId_ = uniqueId;
    name_ = commandName;
    return so::kOk;
}

std::shared_ptr<DocumentState> SetPropertyValuesCommand::LockState() const {
    auto state = state_.lock();
    if (!state)
        throw so::ServiceObjectException(so::kNotInitialized, "The document of the step is closed");
    return state;
}

SOResult SetPropertyValuesCommand::Do() {
    auto state = LockState();
    std::vector<StoredValue> previous = state->ExchangeValues(changes_);
    std::lock_guard lock(mutex_);
    previous_ = std::move(previous);
    return so::kOk;
}

SOResult SetPropertyValuesCommand::Undo() {
    auto state = LockState();
    std::vector<ValueChange> back;
    {
        std::lock_guard lock(mutex_);
        if (previous_.size() != changes_.size())
            throw so::ServiceObjectException(so::kInvalidArgument,
                                             "The step was not done, so it cannot be undone");
        for (std::size_t i = 0; i < changes_.size(); ++i)
            back.push_back({changes_[i].property, previous_[i], changes_[i].restructure});
    }
    state->ExchangeValues(back);
    return so::kOk;
}

SOResult SetPropertyValuesCommand::GetUniqueCommandID(SOAtom* id) {
    if (id == nullptr)
        return so::kInvalidArgument;
    *id = uniqueId_;
    return so::kOk;
}

SOResult SetPropertyValuesCommand::GetCommandName(SOAtom* name) {
    if (name == nullptr)
        return so::kInvalidArgument;
    *name = name_;
    return so::kOk;
}

void RunValueStep(const std::shared_ptr<DocumentState>& state, std::vector<ValueChange> changes) {
    if (state->RunningCommandOnThisThread()) {
        state->ExchangeValues(changes);
        return;
    }
    so::Ref step = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<SetPropertyValuesCommand>::Create(state, std::move(changes)));
    so::ServiceObjectCppTheConcrete<SetPropertyValuesCommand>::From(step.Get())
        .Initialize(state->NewCommandId(SetPropertyValuesCommand::kCommandName),
                    so::AtomOf(SetPropertyValuesCommand::kCommandName), nullptr);
    state->Execute(step);
}

} // namespace headless
