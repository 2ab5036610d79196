// The host's support libraries, as exported functions: the service provider, atoms, process-wide
// singleton storage and text conversion. Every function is [thread-safe] and returns 0 on success.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

#if defined(_WIN32)
#define HOST_SUPPORT_API __declspec(dllimport)
#else
#define HOST_SUPPORT_API __attribute__((visibility("default")))
#endif

extern "C" {

// Gives the service object registered for `serviceAtom` with one reference for the receiver.
// Codes 0x10005 to 0x1000A as in the result-code table; 3 for a zero atom or null out.
HOST_SUPPORT_API SOResult ServiceProviderGetServiceObject(SOAtom serviceAtom, ServiceObject** out);

// The system error behind the calling thread's last 0x10009 / 0x1000A from the provider: its code
// and description (two-call pattern on `description`). 9 when the last query reported none.
HOST_SUPPORT_API SOResult ServiceProviderGetLastSystemError(std::uint32_t* code, char* description,
                                                            std::uint32_t* inOutLength);

// One atom per name in the whole process; atoms are never 0 and never 0xFFFFFFFF.
HOST_SUPPORT_API SOResult SLGetAtomFromString(const char* name, SOAtom* out);
HOST_SUPPORT_API SOResult SLGetAtomFromStringW(const wchar_t* name, SOAtom* out);
// Two calls: a null `buffer` gives the length (without terminator) in *inOutLength; then, with
// *inOutLength the buffer's size, the name (terminated when there is room). 3 for an unknown atom.
HOST_SUPPORT_API SOResult SLGetStringFromAtom(SOAtom atom, char* buffer, std::uint32_t* inOutLength);

// Process-wide singletons shared by all modules, addressed by id (0 is not an id).
// GetSingletonStaticData: 9 not yet created, 7 wrong id, 17 storage destroyed.
HOST_SUPPORT_API SOResult GetSingletonStaticData(std::uint32_t id, void** out);
// Allocates `size` bytes and runs `construct` on them once; a second creation of the same id is
// not an error and leaves the first in place. `destroy` runs at storage shutdown, before the bytes
// are freed, so it must point into code that is still loaded then.
HOST_SUPPORT_API SOResult CreateSingletonStaticData(std::uint32_t id, std::uint32_t size,
                                                    void (*construct)(void*), void (*destroy)(void*));
// 0 while the storage is available; non-zero once it has been shut down.
HOST_SUPPORT_API SOResult IsSingletonStaticDataStorageAvailable();

// Conversions: call with a null destination to get the length in *inOutLength (without a
// terminator), then again with a destination of at least that many units. A length argument of
// 0xFFFFFFFF means the source is null-terminated. Invalid input is a failure (3), never a crash.
HOST_SUPPORT_API SOResult SLConvertUTF8ToUTF16(const char* source, std::uint32_t sourceLength,
                                               wchar_t* destination, std::uint32_t* inOutLength);
HOST_SUPPORT_API SOResult SLConvertUTF16ToUTF8(const wchar_t* source, std::uint32_t sourceLength,
                                               char* destination, std::uint32_t* inOutLength);
// The ANSI code page of this host is Windows-1252; characters it lacks become '?'.
HOST_SUPPORT_API SOResult SLConvertACPToUnicode(const char* source, std::uint32_t sourceLength,
                                                wchar_t* destination, std::uint32_t* inOutLength);
HOST_SUPPORT_API SOResult SLConvertUnicodeToACP(const wchar_t* source, std::uint32_t sourceLength,
                                                char* destination, std::uint32_t* inOutLength);

} // extern "C"

namespace so {
constexpr std::uint32_t kLengthOfNullTerminated = 0xFFFFFFFF;
constexpr SOResult kSingletonWrongId = 7;
constexpr SOResult kSingletonNotCreated = 9;
constexpr SOResult kSingletonStorageDestroyed = 17;
} // namespace so
