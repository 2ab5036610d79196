// The host's localisation service ("LocaleManager"): translations from GNU gettext catalogues of
// one language, chosen by the host, with untranslated text wherever a catalogue or message is
// missing.
#pragma once

#include "host/Localization.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstdint>
#include <filesystem>
#include <locale>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace headless {

// Catalogues are "<folder>/<language>/LC_MESSAGES/<kDomain>.mo", compiled from the .po sources at
// build time; contexts are gettext message contexts and plurals use the catalogue's plural rule.
// Every method is [thread-safe]: lookups share the current catalogue, a language change replaces it.
class LocaleManagerService : public so::ObjectBase {
public:
    using Interface = host::LocaleManager;
    static constexpr std::uint32_t kClassTag = 0x10CA1E01;
    static constexpr const char* kDomain = "document-panel-properties";
    static void BindMethods(so::MethodBinder<LocaleManagerService>& binder);

    // `language` as "de" or "de_DE" ("" for none); raises ServiceObjectException for a name that is
    // not a language code.
    LocaleManagerService(std::string language, std::filesystem::path catalogueFolder);

    SOResult GetLanguage(wchar_t* buffer, std::uint32_t* inOutLength);
    SOResult SetLanguage(const wchar_t* language);
    SOResult GetCatalogueFolder(char* buffer, std::uint32_t* inOutLength);
    SOResult SetCatalogueFolder(const char* folder);
    SOResult GetDomain(wchar_t* buffer, std::uint32_t* inOutLength);
    SOResult HasCatalogue(std::uint32_t* loaded);
    SOResult GetChangeCount(std::uint32_t* count);
    SOResult Translate(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* text);
    SOResult TranslateInContext(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* context,
                                const wchar_t* text);
    SOResult TranslatePlural(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* singular,
                             const wchar_t* plural, std::uint64_t count);

private:
    struct Catalogue {
        std::locale locale;
        bool found = false;
        // Lookups already made: the panel asks for the same few texts for every property, and
        // twice each (the length, then the text), while a catalogue lookup goes through the
        // locale's facets every time. Cleared with the catalogue when the language changes.
        mutable std::mutex cacheMutex;
        mutable std::unordered_map<std::wstring, std::wstring> cache;
    };
    static constexpr std::size_t kCacheLimit = 4096;
    // The translation of `text` in `context` (none when empty), through the catalogue's cache.
    static std::wstring Lookup(const Catalogue& catalogue, const wchar_t* context, const wchar_t* text);

    // Builds the catalogue of a language from the folder; no lock held.
    static std::shared_ptr<const Catalogue> Load(const std::string& language,
                                                 const std::filesystem::path& folder);
    // Lookups hold the catalogue they started with, so a language change never pulls it from under
    // them; the locale itself is never copied across threads.
    std::shared_ptr<const Catalogue> CurrentCatalogue() const;

    mutable std::shared_mutex mutex_;
    std::string language_;
    std::filesystem::path folder_;
    std::shared_ptr<const Catalogue> catalogue_;
    std::uint32_t changeCount_ = 0;
};

// The folder the build writes catalogues to: "locale" beside the running program.
std::filesystem::path DefaultCatalogueFolder();

// Makes a LocaleManagerService the process's localisation service: the one that modules find in
// the singleton storage and that the service provider gives for "LocaleManager". A second call
// replaces the first service. Raises ServiceObjectException when the storage or the provider
// refuses. Returns the service.
so::Ref InstallLocaleManager(const std::string& language, const std::filesystem::path& catalogueFolder);

// Withdraws it from both places (modules then get untranslated texts) and releases it.
void UninstallLocaleManager();

} // namespace headless
