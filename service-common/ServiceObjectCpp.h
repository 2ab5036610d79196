// The one class template that builds every service object a module hands out: method table,
// class tag, reference count, weak block, markers, and failure recording on every exit.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceObjectPtr.h"
#include "service-common/WeakReferenceBlock.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace so {

template <class T>
class ServiceObjectCppTheConcrete;

// Base of every implementation class: gives the implementation its own service object, so that
// it can hand itself out or take weak references to itself.
class ObjectBase {
public:
    ServiceObject* Self() const { return self_; }
    std::uint32_t AddRefSelf() const { return self_->header.AddRef(self_); }

private:
    template <class T>
    friend class ServiceObjectCppTheConcrete;
    ServiceObject* self_ = nullptr;
};

// Fills the interface slots of a record; T's BindMethods calls Bind once per implemented method.
template <class T>
class MethodBinder {
public:
    using Interface = typename T::Interface;

    explicit MethodBinder(SOMethodSlot* slots) : slots_(slots) {}

    // Binds the method M of the interface to T's member (or any callable taking T& first).
    template <class M, auto Member>
    void Bind() {
        slots_[M::kPosition] = reinterpret_cast<SOMethodSlot>(&Thunk<M, Member>::Call);
    }

    // Makes the method M answer `code` without touching the object (the "not implemented" answer
    // is already in every slot; this is for other fixed answers).
    template <class M, SOResult Code>
    void BindConstant() {
        slots_[M::kPosition] = reinterpret_cast<SOMethodSlot>(&ConstantThunk<M, Code>::Call);
    }

    // Every slot starts as "not implemented": result 1, nothing recorded. Slots the interface does
    // not declare (gaps) answer the same to a caller that knows them.
    static void FillDefaults(SOMethodSlot* slots, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            slots[i] = reinterpret_cast<SOMethodSlot>(&UndeclaredSlot);
        FillDefaults(slots, typename Interface::Methods{});
    }

private:
    template <class... M>
    static void FillDefaults(SOMethodSlot* slots, MethodList<M...>) {
        ((slots[M::kPosition] = reinterpret_cast<SOMethodSlot>(&ConstantThunk<M, kNothingProvided>::Call)),
         ...);
    }

    static SOResult UndeclaredSlot(ServiceObject*) { return kNothingProvided; }

    template <class M, SOResult Code>
    struct ConstantThunk;
    template <unsigned Pos, class... A, MethodName Name, SOResult Code>
    struct ConstantThunk<Method<Pos, SOResult(A...), Name>, Code> {
        static SOResult Call(ServiceObject*, A...) {
            RecordFailure(Code, Interface::kName, Name.text, __FILE__, __LINE__);
            return Code;
        }
    };

    template <class M, auto Member>
    struct Thunk;
    template <unsigned Pos, class... A, MethodName Name, auto Member>
    struct Thunk<Method<Pos, SOResult(A...), Name>, Member> {
        static SOResult Call(ServiceObject* self, A... args) {
            const char* methodName = Name.text;
            SOResult code = kGenericFailure;
            // An exception never crosses the table: it becomes the result and the thread's record.
            try {
                code = std::invoke(Member, ServiceObjectCppTheConcrete<T>::From(self), args...);
            } catch (const ServiceObjectException& e) {
                code = IsFailure(e.Code()) ? e.Code() : kGenericFailure;
                RecordFailure(code, Interface::kName, methodName, e.File().c_str(), e.Line(), e.what());
                return code;
            } catch (const std::exception& e) {
                RecordFailure(code, Interface::kName, methodName, __FILE__, __LINE__, e.what());
                return code;
            } catch (...) {
                RecordFailure(code, Interface::kName, methodName, __FILE__, __LINE__, "unknown exception");
                return code;
            }
            RecordFailure(code, Interface::kName, methodName, __FILE__, __LINE__);
            return code;
        }
    };

    SOMethodSlot* slots_;
};

// The record of a service object implemented by T. T provides:
//   using Interface = <interface descriptor from host/>;
//   static constexpr std::uint32_t kClassTag;
//   static void BindMethods(MethodBinder<T>&);
// and derives from ObjectBase. Objects are made only through Create and die with the last Release.
template <class T>
class ServiceObjectCppTheConcrete {
public:
    using Interface = typename T::Interface;
    static constexpr std::size_t kSlotCount = Interface::Methods::kSlotCount;
    static_assert(std::is_base_of_v<ObjectBase, T>, "implementation classes derive from so::ObjectBase");

    // A new object with one reference for the caller.
    template <class... Args>
    static ServiceObject* Create(Args&&... args) {
        auto* record = new ServiceObjectCppTheConcrete(std::forward<Args>(args)...);
        return &record->object_;
    }

    // The implementation behind an object made by Create. The object must be one of T's.
    static T& From(ServiceObject* object) {
        auto* record = reinterpret_cast<ServiceObjectCppTheConcrete*>(object);
        assert(record->classTag_ == T::kClassTag && record->endMarker_ == kEndOfObjectMarker &&
               "service object is not of this class");
        return record->impl_;
    }

    // True when `object` was made by this template for T (checks the class tag and the markers).
    static bool IsInstance(ServiceObject* object) {
        if (object == nullptr || object->header.interfaceId != Interface::kId ||
            object->header.AddRef != &AddRef)
            return false;
        auto* record = reinterpret_cast<ServiceObjectCppTheConcrete*>(object);
        return record->classTag_ == T::kClassTag && record->endOfTable_ == kEndOfTableMarker;
    }

private:
    template <class... Args>
    explicit ServiceObjectCppTheConcrete(Args&&... args) : impl_(std::forward<Args>(args)...) {
        object_.header = {Interface::kId, TableSizeFor(kSlotCount), Interface::kName, &AddRef, &Release,
                          &GetRefCount,   &GetWeakReference,        &GetLastErrorInfo};
        MethodBinder<T>::FillDefaults(slots_, kSlotCount);
        MethodBinder<T> binder(slots_);
        T::BindMethods(binder);
        static_cast<ObjectBase&>(impl_).self_ = &object_;
    }

    ~ServiceObjectCppTheConcrete() = default;

    static ServiceObjectCppTheConcrete* Record(ServiceObject* object) {
        return reinterpret_cast<ServiceObjectCppTheConcrete*>(object);
    }

    static std::uint32_t AddRef(ServiceObject* self) {
        return Record(self)->refCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    static std::uint32_t Release(ServiceObject* self) {
        ServiceObjectCppTheConcrete* record = Record(self);
        std::uint32_t previous = record->refCount_.fetch_sub(1, std::memory_order_acq_rel);
        assert(previous > 0 && "Release without a reference");
        if (previous != 1)
            return previous - 1;
        WeakReferenceBlock* block = record->weak_.load(std::memory_order_acquire);
        if (block != nullptr && !block->DetachOwner(record->refCount_))
            return record->refCount_.load(std::memory_order_relaxed);
        delete record;
        return 0;
    }

    static std::uint32_t GetRefCount(ServiceObject* self) {
        return Record(self)->refCount_.load(std::memory_order_relaxed);
    }

    // A strong reference only while the object has not started dying.
    static bool TryAddRef(ServiceObject* self) {
        auto& count = Record(self)->refCount_;
        std::uint32_t current = count.load(std::memory_order_relaxed);
        while (current != 0) {
            if (count.compare_exchange_weak(current, current + 1, std::memory_order_acq_rel,
                                            std::memory_order_relaxed))
                return true;
        }
        return false;
    }

    static SOResult GetWeakReference(ServiceObject* self, SOWeakReference** out) {
        if (out == nullptr)
            return kInvalidArgument;
        ServiceObjectCppTheConcrete* record = Record(self);
        WeakReferenceBlock* block = record->weak_.load(std::memory_order_acquire);
        if (block == nullptr) {
            WeakReferenceBlock* made = WeakReferenceBlock::Create(self, &TryAddRef);
            if (record->weak_.compare_exchange_strong(block, made, std::memory_order_acq_rel))
                block = made;
            else
                made->table.Release(&made->table); // another thread made the block first
        }
        block->table.AddRef(&block->table);
        *out = &block->table;
        return kOk;
    }

    // A null info is refused before anything is written, the error-object slot included.
    static SOResult GetLastErrorInfo(ServiceObject*, SOErrorInfo* out, ServiceObject** errorObject) {
        if (out == nullptr)
            return kInvalidArgument;
        if (errorObject != nullptr)
            *errorObject = nullptr;
        return ReadLastErrorInfo(out);
    }

    // The layout of the binary interface, in order.
    ServiceObject object_;
    SOMethodSlot slots_[kSlotCount];
    std::uint32_t endOfTable_ = kEndOfTableMarker;
    std::uint32_t classTag_ = T::kClassTag;
    T impl_;
    std::atomic<std::uint32_t> refCount_{1};
    std::atomic<WeakReferenceBlock*> weak_{nullptr};
    std::uint32_t endMarker_ = kEndOfObjectMarker;
};

// A new object of T, its one reference held by the result.
template <class T, class... Args>
Ref Make(Args&&... args) {
    return Ref::Adopt(ServiceObjectCppTheConcrete<T>::Create(std::forward<Args>(args)...));
}

} // namespace so
