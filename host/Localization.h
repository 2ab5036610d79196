// The host's localisation service ("LocaleManager"), reached as a process singleton.
#pragma once

#include "host/ServiceObject.h"

#include <cstdint>

namespace host {

// The singleton storage id under which the host keeps the localisation service: the data is one
// `ServiceObject*` slot (null when the host has none; texts then stay untranslated).
//
// The slot holds one reference of the host's. Whoever reads or replaces it first takes it: an atomic
// exchange with LocalizationSlotTaken(), repeated while that is what comes back. A reader then adds
// its own reference and puts the object back; the host puts the new object in and only then
// releases the old one. So no object is released while another thread is taking a reference to it.
constexpr std::uint32_t kLocalizationSingletonId = 0x4C4F4341; // "LOCA"

// The mark of a taken slot; never a service object.
inline ServiceObject* LocalizationSlotTaken() {
    return reinterpret_cast<ServiceObject*>(std::uintptr_t{1});
}

// Every text out-parameter follows the two-call pattern: a null buffer gives the length (without
// terminator) in *inOutLength; a second call with a buffer of length + 1 units receives the text.
// [thread-safe]
struct LocaleManager {
    static constexpr std::uint32_t kId = 0x10CA1E00;
    static constexpr const char* kName = "LocaleManager";
    static constexpr const char* kServiceName = "LocaleManager";
    // The language whose catalogue translates, e.g. "de" or "de_DE"; "" when texts stay untranslated.
    using GetLanguage = so::Method<0, SOResult(wchar_t* buffer, std::uint32_t* inOutLength), "GetLanguage">;
    // Chooses the language and loads its catalogue. A language without a catalogue is accepted:
    // texts then stay untranslated. 3 for a name that is not a language code.
    using SetLanguage = so::Method<1, SOResult(const wchar_t* language), "SetLanguage">;
    // The folder holding the "<language>/LC_MESSAGES/<domain>.mo" catalogues (UTF-8 path).
    using GetCatalogueFolder =
        so::Method<2, SOResult(char* buffer, std::uint32_t* inOutLength), "GetCatalogueFolder">;
    // Looks for catalogues in another folder from now on and reloads the current language.
    using SetCatalogueFolder = so::Method<3, SOResult(const char* folder), "SetCatalogueFolder">;
    // The catalogue domain: the file name of the catalogues without ".mo".
    using GetDomain = so::Method<4, SOResult(wchar_t* buffer, std::uint32_t* inOutLength), "GetDomain">;
    // 1 in *loaded when a catalogue of the current language was found, else 0.
    using HasCatalogue = so::Method<5, SOResult(std::uint32_t* loaded), "HasCatalogue">;
    // Counts language and folder changes, so that a client can tell that the texts it translated
    // earlier may be out of date.
    using GetChangeCount = so::Method<6, SOResult(std::uint32_t* count), "GetChangeCount">;
    // Kept free for the host; answers 1.
    using Reserved7 = so::Method<7, SOResult(), "Reserved7">;
    // The translation of `text`, or `text` itself.
    using Translate =
        so::Method<8, SOResult(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* text),
                   "Translate">;
    // The translation of `text` in a named context such as "PD Prop", or `text` itself.
    using TranslateInContext = so::Method<
        9, SOResult(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* context, const wchar_t* text),
        "TranslateInContext">;
    // The singular or plural form for `count`, e.g. ("%1% item", "%1% items", n); placeholders kept.
    using TranslatePlural =
        so::Method<10,
                   SOResult(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* singular,
                            const wchar_t* plural, std::uint64_t count),
                   "TranslatePlural">;
    using Methods = so::MethodList<GetLanguage, SetLanguage, GetCatalogueFolder, SetCatalogueFolder,
                                   GetDomain, HasCatalogue, GetChangeCount, Reserved7, Translate,
                                   TranslateInContext, TranslatePlural>;
};

} // namespace host
