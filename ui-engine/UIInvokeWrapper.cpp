#include "ui-engine/UIInvokeWrapper.h"

namespace ui {

namespace {
InvokeInfoAsyncHeader* Record(void* block) {
    auto* header = static_cast<InvokeInfoAsyncHeader*>(block);
    if (header == nullptr || header->marker != kInvokeRecordMarker || header->table == nullptr)
        return nullptr;
    return header;
}
} // namespace

void InvokeTrampoline(void* block) {
    if (InvokeInfoAsyncHeader* header = Record(block))
        header->table->Invoke(block);
}

void DestroyTrampoline(void* block) {
    if (InvokeInfoAsyncHeader* header = Record(block))
        header->table->Destroy(block);
}

bool NeedsPost(ServiceObject* invoker) {
    std::uint8_t needsPost = 1;
    try {
        so::Call<host::UIInvoker::NeedsPost>(invoker, &needsPost);
    } catch (const so::ServiceObjectException&) {
        return true;
    }
    return needsPost != 0;
}

} // namespace ui
