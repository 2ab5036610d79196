#include "headless-host/services/LocaleManagerService.h"

#include "service-common/TwoCallText.h"

#include "headless-host/support/HostSupport.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "service-common/TextConversion.h"

#include <boost/locale/generator.hpp>
#include <boost/locale/message.hpp>

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

namespace headless {

namespace {

constexpr std::size_t kMaxLanguageLength = 32;

// "de", "de_DE", "sr_RS@latin": nothing that could step out of the catalogue folder.
bool IsLanguageCode(std::string_view language) {
    return language.size() <= kMaxLanguageLength && std::all_of(language.begin(), language.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '@' || c == '-';
           });
}

// Plural rules read small numbers whole and large ones by their last digits; a count beyond int
// keeps its last six digits and stays "many".
int PluralCount(std::uint64_t count) {
    if (count <= std::uint64_t(INT_MAX))
        return int(count);
    return int(count % 1000000 + 1000000);
}

bool CatalogueExists(const std::filesystem::path& folder, std::string language) {
    std::string file = std::string(LocaleManagerService::kDomain) + ".mo";
    // gettext falls back from "de_DE@euro" to "de_DE" to "de"; so does the lookup.
    for (;;) {
        std::error_code error;
        if (!language.empty() &&
            std::filesystem::is_regular_file(folder / language / "LC_MESSAGES" / file, error))
            return true;
        std::size_t cut = language.find_last_of("@_");
        if (cut == std::string::npos)
            return false;
        language.erase(cut);
    }
}

void ConstructSlot(void* memory) {
    new (memory) ServiceObject*(nullptr);
}

// Runs at storage shutdown: the slot's reference is the storage's to release.
void DestroySlot(void* memory) {
    if (ServiceObject* service = std::exchange(*static_cast<ServiceObject**>(memory), nullptr))
        service->header.Release(service);
}

// The singleton storage's slot, made on first use. A host that never installs a service leaves
// the storage without one, which modules read as "untranslated".
std::atomic_ref<ServiceObject*> Slot() {
    SOResult code = CreateSingletonStaticData(host::kLocalizationSingletonId, sizeof(ServiceObject*),
                                              &ConstructSlot, &DestroySlot);
    void* data = nullptr;
    if (code == so::kOk)
        code = GetSingletonStaticData(host::kLocalizationSingletonId, &data);
    if (code != so::kOk || data == nullptr)
        throw so::ServiceObjectException(code != so::kOk ? code : so::kGenericFailure,
                                         "The singleton storage has no slot for the localisation service");
    return std::atomic_ref<ServiceObject*>(*static_cast<ServiceObject**>(data));
}

void ReleaseObject(ServiceObject* object) {
    if (object != nullptr)
        object->header.Release(object);
}

// Puts `service` (one reference, or null) into the slot and gives back what was there. The slot is
// taken first, as readers take it while they add their reference, so the old object is released
// only after no reader can be on its way to it.
ServiceObject* ReplaceSlotContent(std::atomic_ref<ServiceObject*> slot, ServiceObject* service) {
    ServiceObject* previous = nullptr;
    while ((previous = slot.exchange(host::LocalizationSlotTaken(), std::memory_order_acq_rel)) ==
           host::LocalizationSlotTaken())
        std::this_thread::yield();
    slot.store(service, std::memory_order_release);
    return previous;
}

} // namespace

void LocaleManagerService::BindMethods(so::MethodBinder<LocaleManagerService>& binder) {
    using L = LocaleManagerService;
    using I = host::LocaleManager;
    binder.Bind<I::GetLanguage, &L::GetLanguage>();
    binder.Bind<I::SetLanguage, &L::SetLanguage>();
    binder.Bind<I::GetCatalogueFolder, &L::GetCatalogueFolder>();
    binder.Bind<I::SetCatalogueFolder, &L::SetCatalogueFolder>();
    binder.Bind<I::GetDomain, &L::GetDomain>();
    binder.Bind<I::HasCatalogue, &L::HasCatalogue>();
    binder.Bind<I::GetChangeCount, &L::GetChangeCount>();
    binder.Bind<I::Translate, &L::Translate>();
    binder.Bind<I::TranslateInContext, &L::TranslateInContext>();
    binder.Bind<I::TranslatePlural, &L::TranslatePlural>();
}

LocaleManagerService::LocaleManagerService(std::string language, std::filesystem::path catalogueFolder)
    : language_(std::move(language)), folder_(std::move(catalogueFolder)) {
    if (!IsLanguageCode(language_))
        throw so::ServiceObjectException(so::kInvalidArgument, "Not a language code: \"" + language_ + "\"");
    catalogue_ = Load(language_, folder_);
}

std::shared_ptr<const LocaleManagerService::Catalogue>
LocaleManagerService::Load(const std::string& language, const std::filesystem::path& folder) {
    boost::locale::generator generator;
    generator.categories(boost::locale::message_facet | boost::locale::information_facet);
    generator.add_messages_path(folder.string());
    generator.add_messages_domain(kDomain);
    // The catalogues are UTF-8; without the encoding in the name their texts would not widen.
    std::string name = (language.empty() ? std::string("C") : language) + ".UTF-8";
    auto catalogue = std::make_shared<Catalogue>();
    catalogue->locale = generator(name);
    catalogue->found = CatalogueExists(folder, language);
    return catalogue;
}

std::shared_ptr<const LocaleManagerService::Catalogue> LocaleManagerService::CurrentCatalogue() const {
    std::shared_lock lock(mutex_);
    return catalogue_;
}

SOResult LocaleManagerService::GetLanguage(wchar_t* buffer, std::uint32_t* inOutLength) {
    std::shared_lock lock(mutex_);
    return so::DeliverText(so::WideFromUtf8(language_), buffer, inOutLength);
}

SOResult LocaleManagerService::SetLanguage(const wchar_t* language) {
    if (language == nullptr)
        return so::kInvalidArgument;
    std::string code = so::Utf8FromWide(language);
    if (!IsLanguageCode(code) || (code.empty() && *language != L'\0'))
        return so::kInvalidArgument;
    std::filesystem::path folder;
    {
        std::shared_lock lock(mutex_);
        folder = folder_;
    }
    auto catalogue = Load(code, folder); // outside the lock: lookups go on meanwhile
    std::unique_lock lock(mutex_);
    language_ = std::move(code);
    catalogue_ = std::move(catalogue);
    ++changeCount_;
    return so::kOk;
}

SOResult LocaleManagerService::GetCatalogueFolder(char* buffer, std::uint32_t* inOutLength) {
    std::shared_lock lock(mutex_);
    std::string folder = folder_.string();
    return so::DeliverText(std::string_view(folder), buffer, inOutLength);
}

SOResult LocaleManagerService::SetCatalogueFolder(const char* folder) {
    if (folder == nullptr)
        return so::kInvalidArgument;
    std::string language;
    {
        std::shared_lock lock(mutex_);
        language = language_;
    }
    auto catalogue = Load(language, folder);
    std::unique_lock lock(mutex_);
    folder_ = folder;
    // A language changed meanwhile wins; its catalogue then comes from the old folder until the
    // next change, which is what a host that changes both at once from two threads can expect.
    if (language == language_)
        catalogue_ = std::move(catalogue);
    ++changeCount_;
    return so::kOk;
}

SOResult LocaleManagerService::GetDomain(wchar_t* buffer, std::uint32_t* inOutLength) {
    return so::DeliverText(so::WideFromUtf8(kDomain), buffer, inOutLength);
}

SOResult LocaleManagerService::HasCatalogue(std::uint32_t* loaded) {
    if (loaded == nullptr)
        return so::kInvalidArgument;
    std::shared_lock lock(mutex_);
    *loaded = catalogue_->found ? 1 : 0;
    return so::kOk;
}

SOResult LocaleManagerService::GetChangeCount(std::uint32_t* count) {
    if (count == nullptr)
        return so::kInvalidArgument;
    std::shared_lock lock(mutex_);
    *count = changeCount_;
    return so::kOk;
}

std::wstring LocaleManagerService::Lookup(const Catalogue& catalogue, const wchar_t* context,
                                          const wchar_t* text) {
    // The key keeps context and text apart with a character neither holds.
    std::wstring key = context != nullptr ? context : L"";
    key += L'\x4';
    key += text;
    {
        std::lock_guard lock(catalogue.cacheMutex);
        if (auto found = catalogue.cache.find(key); found != catalogue.cache.end())
            return found->second;
    }
    std::wstring translated = context != nullptr
                                  ? boost::locale::dpgettext(kDomain, context, text, catalogue.locale)
                                  : boost::locale::dgettext(kDomain, text, catalogue.locale);
    std::lock_guard lock(catalogue.cacheMutex);
    // Values are translated too (a label's text), so the cache is bounded: dropped when full.
    if (catalogue.cache.size() >= kCacheLimit)
        catalogue.cache.clear();
    return catalogue.cache.try_emplace(std::move(key), std::move(translated)).first->second;
}

SOResult LocaleManagerService::Translate(wchar_t* buffer, std::uint32_t* inOutLength, const wchar_t* text) {
    if (text == nullptr)
        return so::kInvalidArgument;
    return so::DeliverText(Lookup(*CurrentCatalogue(), nullptr, text), buffer, inOutLength);
}

SOResult LocaleManagerService::TranslateInContext(wchar_t* buffer, std::uint32_t* inOutLength,
                                                  const wchar_t* context, const wchar_t* text) {
    if (text == nullptr)
        return so::kInvalidArgument;
    // An empty context is no context, not gettext's distinct empty one.
    if (context == nullptr || *context == L'\0')
        return Translate(buffer, inOutLength, text);
    return so::DeliverText(Lookup(*CurrentCatalogue(), context, text), buffer, inOutLength);
}

SOResult LocaleManagerService::TranslatePlural(wchar_t* buffer, std::uint32_t* inOutLength,
                                               const wchar_t* singular, const wchar_t* plural,
                                               std::uint64_t count) {
    if (singular == nullptr || plural == nullptr)
        return so::kInvalidArgument;
    return so::DeliverText(
        boost::locale::dngettext(kDomain, singular, plural, PluralCount(count), CurrentCatalogue()->locale),
        buffer, inOutLength);
}

std::filesystem::path DefaultCatalogueFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "locale";
    return program.parent_path() / "locale";
}

so::Ref InstallLocaleManager(const std::string& language, const std::filesystem::path& catalogueFolder) {
    so::Ref service = so::Ref::Adopt(
        so::ServiceObjectCppTheConcrete<LocaleManagerService>::Create(language, catalogueFolder));
    SOResult code =
        ServiceProviderRegisterObject(so::AtomOf(host::LocaleManager::kServiceName), service.Get());
    if (code != so::kOk)
        throw so::ServiceObjectException(code, "The service provider refused the \"LocaleManager\" service");
    ReleaseObject(ReplaceSlotContent(Slot(), so::Ref(service).Detach()));
    return service;
}

void UninstallLocaleManager() {
    ServiceProviderUnregister(so::AtomOf(host::LocaleManager::kServiceName)); // 3 when not registered
    void* data = nullptr;
    if (GetSingletonStaticData(host::kLocalizationSingletonId, &data) == so::kOk && data != nullptr)
        ReleaseObject(ReplaceSlotContent(std::atomic_ref<ServiceObject*>(*static_cast<ServiceObject**>(data)),
                                         nullptr));
}

} // namespace headless
