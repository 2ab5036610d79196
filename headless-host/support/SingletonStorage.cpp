// Process-wide singletons shared by every module, with an orderly shutdown.
#include "headless-host/support/HostSupport.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct Singleton {
    std::uint32_t id;
    void* memory;
    void (*destroy)(void*);
};

class SingletonStorage {
public:
    ~SingletonStorage() { Shutdown(); }

    SOResult Get(std::uint32_t id, void** out) {
        if (id == 0)
            return so::kSingletonWrongId;
        std::lock_guard lock(mutex_);
        if (destroyed_)
            return so::kSingletonStorageDestroyed;
        for (const Singleton& singleton : singletons_) {
            if (singleton.id == id) {
                *out = singleton.memory;
                return so::kOk;
            }
        }
        return so::kSingletonNotCreated;
    }

    SOResult Create(std::uint32_t id, std::uint32_t size, void (*construct)(void*), void (*destroy)(void*)) {
        if (id == 0)
            return so::kSingletonWrongId;
        std::lock_guard lock(mutex_);
        if (destroyed_)
            return so::kSingletonStorageDestroyed;
        for (const Singleton& singleton : singletons_) {
            if (singleton.id == id)
                return so::kOk; // the first creation stands
        }
        // Zeroed and aligned for any type, so constructors may rely on neither.
        void* memory = std::aligned_alloc(alignof(std::max_align_t),
                                          (std::size_t(size) + alignof(std::max_align_t) - 1) /
                                              alignof(std::max_align_t) * alignof(std::max_align_t));
        if (memory == nullptr)
            return so::kGenericFailure;
        if (construct != nullptr)
            construct(memory);
        singletons_.push_back({id, memory, destroy});
        return so::kOk;
    }

    void Shutdown() {
        std::vector<Singleton> singletons;
        {
            std::lock_guard lock(mutex_);
            if (destroyed_)
                return;
            destroyed_ = true;
            available_.store(false, std::memory_order_release);
            singletons.swap(singletons_);
        }
        for (auto it = singletons.rbegin(); it != singletons.rend(); ++it) {
            if (it->destroy != nullptr)
                it->destroy(it->memory);
            std::free(it->memory);
        }
    }

    bool Available() const { return available_.load(std::memory_order_acquire); }

private:
    std::mutex mutex_;
    std::vector<Singleton> singletons_;
    bool destroyed_ = false;
    std::atomic<bool> available_{true};
};

SingletonStorage& Storage() {
    static SingletonStorage storage;
    return storage;
}

} // namespace

extern "C" {

SOResult GetSingletonStaticData(std::uint32_t id, void** out) {
    if (out == nullptr)
        return so::kInvalidArgument;
    return Storage().Get(id, out);
}

SOResult CreateSingletonStaticData(std::uint32_t id, std::uint32_t size, void (*construct)(void*),
                                   void (*destroy)(void*)) {
    return Storage().Create(id, size, construct, destroy);
}

SOResult IsSingletonStaticDataStorageAvailable() { return Storage().Available() ? 0 : 1; }

void SLShutdownSingletonStorage() { Storage().Shutdown(); }

} // extern "C"
