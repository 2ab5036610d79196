// The host's localisation service ("LocaleManager"), reached as a process singleton.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

namespace host {

// The singleton storage id under which the host keeps the localisation service: the data is one
// `ServiceObject*` slot (null when the host has none; texts then stay untranslated).
constexpr std::uint32_t kLocalizationSingletonId = 0x4C4F4341; // "LOCA"

// Every text out-parameter follows the two-call pattern: a null buffer gives the length (without
// terminator) in *inOutLength; a second call with a buffer of length + 1 units receives the text.
// [thread-safe]
struct LocaleManager {
    static constexpr std::uint32_t kId = 0x10CA1E00;
    static constexpr const char* kName = "LocaleManager";
    static constexpr const char* kServiceName = "LocaleManager";
    // Slots 0 to 7: see the host's implementation (language choice and catalogues).
    // The translation of `text`, or `text` itself.
    using Translate = so::Method<8, SOResult(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* text)>;
    // The translation of `text` in a named context such as "PD Prop", or `text` itself.
    using TranslateInContext = so::Method<9, SOResult(wchar_t* buffer, std::uint32_t* inOutLength,
                                                      const wchar_t* context, const wchar_t* text)>;
    // The singular or plural form for `count`, e.g. ("%1% item", "%1% items", n); placeholders kept.
    using TranslatePlural = so::Method<10, SOResult(wchar_t* buffer, std::uint32_t* inOutLength,
                                                    const wchar_t* singular, const wchar_t* plural, std::uint64_t count)>;
};

} // namespace host
