#include "headless-host/document/NotificationObjects.h"

namespace headless {

void ExecuteNotificationObject::BindMethods(so::MethodBinder<ExecuteNotificationObject>& binder) {
    binder.Bind<host::ExecuteNotification::Subscribe, &ExecuteNotificationObject::Subscribe>();
    binder.Bind<host::ExecuteNotification::Unsubscribe, &ExecuteNotificationObject::Unsubscribe>();
}

void ProgressNotificationObject::BindMethods(so::MethodBinder<ProgressNotificationObject>& binder) {
    binder.Bind<host::ProgressNotification::Subscribe, &ProgressNotificationObject::Subscribe>();
    binder.Bind<host::ProgressNotification::Unsubscribe, &ProgressNotificationObject::Unsubscribe>();
}

} // namespace headless
