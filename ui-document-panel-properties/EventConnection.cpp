#include "ui-document-panel-properties/EventConnection.h"

namespace panel {

EventConnection::EventConnection(ServiceObject* source, host::HostEventCookie cookie,
                                 UnsubscribeFunction unsubscribe)
    : source_(so::WeakRef::To(source)), cookie_(cookie), unsubscribe_(unsubscribe) {
    if (source_.IsEmpty())
        strongSource_ = so::Ref::Share(source);
}

void EventConnection::Disconnect() noexcept {
    std::call_once(disconnected_, [this] {
        so::Ref source = strongSource_ ? std::move(strongSource_) : source_.Lock();
        source_.Reset();
        if (!source)
            return;
        try {
            unsubscribe_(source.Get(), cookie_);
        } catch (const std::exception& e) {
            ui::Log(host::LogLevel::Warning, ui::FormatMessage(L"Unsubscribing failed: %1%", e.what()));
        }
    });
}

} // namespace panel
