// The service-object binary interface shared by the host and every module: the record layout,
// the five common operations, weak-reference blocks, error records and result codes.
//
// Thread tags used in the method comments of host/ headers:
//   [thread-safe]  may be called from any thread at any time
//   [ui-thread]    only on the thread that owns the UI (the one running the engine's loop)
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

using SOResult = std::uint32_t;
using SOAtom = std::uint32_t;

struct ServiceObject;
struct SOWeakReference;
struct SOErrorInfo;

// One interface method slot; callers cast it back to the method's own signature (see Method<>).
using SOMethodSlot = void (*)();

// The leading words of every service object. The interface's own methods follow directly
// (tableSize / 8 slots), then the characters "EOFT". Everything after that is the implementing
// class's business and is never read by a caller.
struct ServiceObjectHeader {
    std::uint32_t interfaceId;
    std::uint32_t tableSize; // bytes of the interface's own methods, 8 per method
    const char* interfaceName;
    // [thread-safe] Returns the new count.
    std::uint32_t (*AddRef)(ServiceObject* self);
    // [thread-safe] Returns the remaining count; at zero the object is destroyed.
    std::uint32_t (*Release)(ServiceObject* self);
    // [thread-safe]
    std::uint32_t (*GetRefCount)(ServiceObject* self);
    // [thread-safe] Gives a counted weak reference (released by the receiver); 3 for a null out.
    SOResult (*GetWeakReference)(ServiceObject* self, SOWeakReference** out);
    // [thread-safe] Gives the calling thread's last error record; 3 for a null out, 9 when the
    // thread has none (the info is then zeroed). The error object, when given, carries one
    // reference for the receiver.
    SOResult (*GetLastErrorInfo)(ServiceObject* self, SOErrorInfo* out, ServiceObject** errorObject);
};

// A service object is addressed through a pointer to its header.
struct ServiceObject {
    ServiceObjectHeader header;
};

// A counted record that can give back a strong reference to its owner while the owner lives.
struct SOWeakReference {
    std::uint32_t (*AddRef)(SOWeakReference* self);
    std::uint32_t (*Release)(SOWeakReference* self); // frees the block at zero
    std::uint32_t (*GetRefCount)(SOWeakReference* self);
    std::uint32_t (*IsAlive)(SOWeakReference* self); // non-zero while the owner lives
    // Gives the owner with one more strong reference (released by the receiver), or null.
    ServiceObject* (*Lock)(SOWeakReference* self);
};

// A thread's last failure, as stored by the failing object and read back by its caller.
struct SOErrorInfo {
    char marker[4]; // "SOEX"
    std::uint32_t code;
    char function[128]; // full method name, e.g. "UIInplacePlugin::InitHandler"
    char file[256];
    std::uint32_t line;
    char message[512]; // UTF-8
};

} // extern "C"

namespace so {

constexpr SOResult kOk = 0;
constexpr SOResult kNothingProvided = 1; // also: the operation is not implemented
constexpr SOResult kInvalidArgument = 3;
constexpr SOResult kNoErrorRecord = 9;
constexpr SOResult kNotAFailure = 11;
constexpr SOResult kServiceNotSupportedByModule = 0x10005;
constexpr SOResult kFactoryFunctionFailed = 0x10006;
constexpr SOResult kNoPublicServiceObjects = 0x10007;
constexpr SOResult kServiceNotSupportedByProvider = 0x10008;
constexpr SOResult kModuleNotFound = 0x10009;
constexpr SOResult kFactoryNotFound = 0x1000A;
// Not part of the common table: a failure that carries no more specific code (E_FAIL), and an
// operation whose part is not available in this build (E_NOTIMPL).
constexpr SOResult kGenericFailure = 0x80004005;
constexpr SOResult kNotAvailable = 0x80004001;

constexpr SOAtom kUnresolvedAtom = 0xFFFFFFFF;

// Any result above 1 other than 11 is a failure.
constexpr bool IsFailure(SOResult code) {
    return code > kNothingProvided && code != kNotAFailure;
}

constexpr std::uint32_t FourCC(const char (&text)[5]) {
    return std::uint32_t(std::uint8_t(text[0])) | std::uint32_t(std::uint8_t(text[1])) << 8 |
           std::uint32_t(std::uint8_t(text[2])) << 16 | std::uint32_t(std::uint8_t(text[3])) << 24;
}

constexpr std::uint32_t kEndOfTableMarker = FourCC("EOFT");
constexpr std::uint32_t kEndOfObjectMarker = FourCC("EOSO");
constexpr std::uint32_t kErrorRecordMarker = FourCC("SOEX");

// The name of an interface method as a template argument, so that it travels with the method's
// declaration (error records print it) instead of standing in a separate list.
template <std::size_t N>
struct MethodName {
    char text[N];
    constexpr MethodName(const char (&name)[N]) {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = name[i];
    }
};

// Method<Pos, R(Args...), "Name"> names the interface method at position Pos (counting from 0) with
// its signature and name; the object itself is passed first. Interfaces list their methods in
// `Methods`.
template <unsigned Pos, class Signature, MethodName Name>
struct Method;

template <unsigned Pos, class R, class... Args, MethodName Name>
struct Method<Pos, R(Args...), Name> {
    static constexpr unsigned kPosition = Pos;
    static constexpr const char* kName = Name.text;
    using Result = R;
    using Function = R (*)(ServiceObject*, Args...);
};

// The methods an interface declares. Positions may leave gaps (slots that belong to someone else);
// the table then has kSlotCount = highest position + 1 slots.
template <class... M>
struct MethodList {
    static constexpr std::size_t kCount = sizeof...(M);
    static constexpr std::size_t kSlotCount = [] {
        std::size_t slots = 0;
        ((slots = M::kPosition + 1 > slots ? M::kPosition + 1 : slots), ...);
        return slots;
    }();
};

// The table size an interface with N methods declares.
constexpr std::uint32_t TableSizeFor(std::size_t methodCount) {
    return std::uint32_t(methodCount * 8);
}

// The method slots that follow the header of any service object.
inline SOMethodSlot* MethodSlots(ServiceObject* object) {
    return reinterpret_cast<SOMethodSlot*>(reinterpret_cast<char*>(object) + sizeof(ServiceObjectHeader));
}

} // namespace so
