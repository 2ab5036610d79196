#include "headless-host/html-engine/runtime/UIQueue.h"

#include "headless-host/html-engine/runtime/UIInvokerObject.h"
#include "headless-host/html-engine/runtime/UIQueueCore.h"
#include "headless-host/html-engine/runtime/UIServiceObject.h"

namespace html {

UIQueue::UIQueue()
    : core_(std::make_shared<UIQueueCore>()),
      invoker_(so::ServiceObjectCppTheConcrete<UIInvokerObject>::Create(core_)),
      service_(so::ServiceObjectCppTheConcrete<UIServiceObject>::Create(core_)) {}

UIQueue::~UIQueue() {
    core_->Shutdown();
    service_->header.Release(service_);
    invoker_->header.Release(invoker_);
}

ServiceObject* UIQueue::Invoker() const {
    return invoker_;
}
ServiceObject* UIQueue::Service() const {
    return service_;
}
bool UIQueue::IsUIThread() const {
    return core_->IsUIThread();
}
PumpReport UIQueue::PumpUntilIdle(std::size_t maxRounds) {
    return core_->PumpUntilIdle(maxRounds);
}
void UIQueue::Shutdown() {
    core_->Shutdown();
}
std::size_t UIQueue::PendingCount() const {
    return core_->PendingCount();
}
std::size_t UIQueue::IdleCallbackCount() const {
    return core_->IdleCount();
}
void UIQueue::SetErrorReporter(std::function<void(const std::string&)> reporter) {
    core_->SetErrorReporter(std::move(reporter));
}

} // namespace html
