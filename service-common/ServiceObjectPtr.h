// Owning handles for service objects and their weak references.
#pragma once

#include "host/ServiceObject.h"

#include <utility>

namespace so {

// One strong reference to a service object, released when the handle goes.
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    // Takes over a reference the caller already owns (an out pointer's, or Create's).
    static Ref Adopt(ServiceObject* object) { return Ref(object); }
    // Adds a reference of its own.
    static Ref Share(ServiceObject* object) {
        if (object != nullptr)
            object->header.AddRef(object);
        return Ref(object);
    }

    Ref(const Ref& other) : object_(other.object_) {
        if (object_ != nullptr)
            object_->header.AddRef(object_);
    }
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ref& operator=(Ref other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() { Reset(); }

    ServiceObject* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Releases what is held and gives the slot for an out pointer.
    ServiceObject** Put() {
        Reset();
        return &object_;
    }
    // Hands the reference to the caller.
    ServiceObject* Detach() { return std::exchange(object_, nullptr); }
    void Reset() {
        if (ServiceObject* object = std::exchange(object_, nullptr))
            object->header.Release(object);
    }

    friend bool operator==(const Ref& a, const Ref& b) { return a.object_ == b.object_; }

private:
    explicit Ref(ServiceObject* object) : object_(object) {}
    ServiceObject* object_ = nullptr;
};

// One counted weak reference; Lock gives a strong one while the object lives.
class WeakRef {
public:
    WeakRef() = default;
    // A weak reference to `object` (null when the object is null or refuses one).
    static WeakRef To(ServiceObject* object) {
        WeakRef weak;
        if (object != nullptr && object->header.GetWeakReference != nullptr &&
            object->header.GetWeakReference(object, &weak.reference_) != 0)
            weak.reference_ = nullptr;
        return weak;
    }
    static WeakRef Adopt(SOWeakReference* reference) {
        WeakRef weak;
        weak.reference_ = reference;
        return weak;
    }

    WeakRef(const WeakRef& other) : reference_(other.reference_) {
        if (reference_ != nullptr)
            reference_->AddRef(reference_);
    }
    WeakRef(WeakRef&& other) noexcept : reference_(std::exchange(other.reference_, nullptr)) {}
    WeakRef& operator=(WeakRef other) noexcept {
        std::swap(reference_, other.reference_);
        return *this;
    }
    ~WeakRef() { Reset(); }

    Ref Lock() const { return reference_ != nullptr ? Ref::Adopt(reference_->Lock(reference_)) : Ref(); }
    bool IsAlive() const { return reference_ != nullptr && reference_->IsAlive(reference_) != 0; }
    bool IsEmpty() const { return reference_ == nullptr; }
    SOWeakReference* Get() const { return reference_; }
    void Reset() {
        if (SOWeakReference* reference = std::exchange(reference_, nullptr))
            reference->Release(reference);
    }

private:
    SOWeakReference* reference_ = nullptr;
};

} // namespace so
