// Posting work through the window's invoker: what happens to the record when the invoker refuses it.
#include "tests/support/TestHost.h"

#include "headless-host/html-engine/runtime/UIQueue.h"
#include "host/UIHandler.h"
#include "service-common/ServiceObjectCpp.h"
#include "ui-engine/UIInvokeWrapper.h"

namespace {

using testing_host::LastErrorMessage;
using testing_host::RawCall;

// The queue's own invoker, except that the UI thread shuts the queue down right after every
// allocation: the module's post then meets a queue that has gone. Counts the blocks given back.
class ShutDownAfterAllocating : public so::ObjectBase {
public:
    using Interface = host::UIInvoker;
    static constexpr std::uint32_t kClassTag = 0x7E57C105;
    static void BindMethods(so::MethodBinder<ShutDownAfterAllocating>& binder) {
        binder.Bind<host::UIInvoker::NeedsPost, &ShutDownAfterAllocating::NeedsPost>();
        binder.Bind<host::UIInvoker::Allocate, &ShutDownAfterAllocating::Allocate>();
        binder.Bind<host::UIInvoker::Free, &ShutDownAfterAllocating::Free>();
        binder.Bind<host::UIInvoker::Post, &ShutDownAfterAllocating::Post>();
    }

    explicit ShutDownAfterAllocating(html::UIQueue& queue) : queue_(queue) {}

    SOResult NeedsPost(std::uint8_t* needsPost) {
        return RawCall<host::UIInvoker::NeedsPost>(queue_.Invoker(), needsPost);
    }
    SOResult Allocate(std::uint32_t size, void (*destroy)(void*), void** handle, void** block) {
        SOResult code = RawCall<host::UIInvoker::Allocate>(queue_.Invoker(), size, destroy, handle, block);
        queue_.Shutdown();
        return code;
    }
    SOResult Free(void* handle) {
        ++frees;
        return RawCall<host::UIInvoker::Free>(queue_.Invoker(), handle);
    }
    SOResult Post(void (*invoke)(void*), void* handle) {
        return RawCall<host::UIInvoker::Post>(queue_.Invoker(), invoke, handle);
    }

    int frees = 0;

private:
    html::UIQueue& queue_;
};

// Stands for the handler that posted work holds strongly.
struct Handler : so::ObjectBase {
    using Interface = host::UIHandler;
    static constexpr std::uint32_t kClassTag = 0x7E57C106;
    static void BindMethods(so::MethodBinder<Handler>&) {}
};

class UIInvokeWrapper : public testing_host::HostTest {};

TEST_F(UIInvokeWrapper, WorkWhosePostMeetsAShutDownQueueIsReleasedOnceAndNotFreedAgain) {
    html::UIQueue queue;
    using Invoker = so::ServiceObjectCppTheConcrete<ShutDownAfterAllocating>;
    so::Ref invoker = so::Ref::Adopt(Invoker::Create(queue));
    so::Ref handler = so::Make<Handler>();
    bool ran = false;

    EXPECT_FALSE(ui::PostToInvoker(invoker.Get(), [held = handler, &ran] { ran = true; }));
    EXPECT_EQ(handler.Get()->header.GetRefCount(handler.Get()), 1u)
        << "the refused record's strong reference is released";
    EXPECT_EQ(Invoker::From(invoker.Get()).frees, 0) << "a refused post has already freed the block";
    EXPECT_EQ(LastErrorMessage(), "");
    queue.PumpUntilIdle();
    EXPECT_FALSE(ran);
}

} // namespace
