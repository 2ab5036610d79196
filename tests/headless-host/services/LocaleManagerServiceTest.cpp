// The localisation service over the catalogues the build compiled: translations with and without
// context, plural forms, language and folder changes, and the service as the module finds it.
#include "headless-host/services/LocaleManagerService.h"

#include "headless-host/services/BlobObject.h"
#include "headless-host/support/HostSupport.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceQuery.h"
#include "ui-engine/HtmlText.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using host::LocaleManager;

so::Ref MakeService(const std::string& language, const std::filesystem::path& folder = {}) {
    return so::Make<headless::LocaleManagerService>(
        language, folder.empty() ? headless::DefaultCatalogueFolder() : folder);
}

// The two-call pattern, as a client of the service uses it.
template <class M, class... Args>
std::wstring Text(const so::Ref& service, const Args&... args) {
    std::uint32_t length = 0;
    so::Call<M>(service.Get(), static_cast<wchar_t*>(nullptr), &length, args...);
    std::wstring text(length, L'\0');
    so::Call<M>(service.Get(), text.data(), &length, args...);
    return text;
}

std::wstring InContext(const so::Ref& service, const wchar_t* context, const wchar_t* text) {
    return Text<LocaleManager::TranslateInContext>(service, context, text);
}

std::uint32_t HasCatalogue(const so::Ref& service) {
    std::uint32_t loaded = 2;
    so::Call<LocaleManager::HasCatalogue>(service.Get(), &loaded);
    return loaded;
}

struct TranslationCase {
    const wchar_t* context;
    const wchar_t* source;
    const wchar_t* german;
};

class LocaleManagerGerman : public testing::TestWithParam<TranslationCase> {};

TEST_P(LocaleManagerGerman, TranslatesInTheGivenContextOnly) {
    so::Ref service = MakeService("de");
    const TranslationCase& sample = GetParam();
    EXPECT_EQ(InContext(service, sample.context, sample.source), sample.german);
    if (*sample.context == L'\0') {
        EXPECT_EQ(Text<LocaleManager::Translate>(service, sample.source), sample.german);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, LocaleManagerGerman,
    testing::Values(TranslationCase{L"", L"Click on the object to edit its properties",
                                    L"Klicken Sie auf das Objekt, um seine Eigenschaften zu bearbeiten"},
                    TranslationCase{L"PD Prop Panel Title", L"General", L"Allgemein"},
                    TranslationCase{L"PD Prop Panel Title", L"Measurements", L"Maße"},
                    TranslationCase{L"PD Prop Panel Title", L"Calculations", L"Berechnungen"},
                    TranslationCase{L"dialog button", L"MAKE DEFAULT", L"ALS STANDARD FESTLEGEN"},
                    TranslationCase{L"dialog button", L"RESET DEFAULT", L"STANDARD ZURÜCKSETZEN"},
                    TranslationCase{L"PD Prop", L"Opacity", L"Deckkraft"},
                    TranslationCase{L"Font Size", L"Default", L"Standard"},
                    TranslationCase{L"", L"Default", L"Default"},                  // only in its context
                    TranslationCase{L"PD Prop", L"MAKE DEFAULT", L"MAKE DEFAULT"}, // not in this context
                    TranslationCase{L"no such context", L"General", L"General"},
                    TranslationCase{L"", L"Not in any catalogue", L"Not in any catalogue"}));

TEST(LocaleManager, PluralFormFollowsTheCount) {
    so::Ref german = MakeService("de");
    so::Ref untranslated = MakeService("fr");
    auto plural = [](const so::Ref& service, std::uint64_t count) {
        return Text<LocaleManager::TranslatePlural>(service, L"%1% item", L"%1% items", count);
    };
    EXPECT_EQ(plural(german, 0), L"%1% Einträge");
    EXPECT_EQ(plural(german, 1), L"%1% Eintrag");
    EXPECT_EQ(plural(german, 2), L"%1% Einträge");
    EXPECT_EQ(plural(german, 5000000001ull), L"%1% Einträge");
    EXPECT_EQ(plural(untranslated, 1), L"%1% item");
    EXPECT_EQ(plural(untranslated, 2), L"%1% items");
}

TEST(LocaleManager, LanguageWithoutCatalogueLeavesTextsUntranslated) {
    so::Ref service = MakeService("de");
    EXPECT_EQ(HasCatalogue(service), 1u);
    // Asked before the change (and so remembered), in a context and without one.
    EXPECT_EQ(InContext(service, L"dialog button", L"MAKE DEFAULT"), L"ALS STANDARD FESTLEGEN");
    EXPECT_EQ(Text<LocaleManager::Translate>(service, L"MAKE DEFAULT"), L"MAKE DEFAULT");
    so::Call<LocaleManager::SetLanguage>(service.Get(), L"fr");
    EXPECT_EQ(HasCatalogue(service), 0u);
    EXPECT_EQ(InContext(service, L"dialog button", L"MAKE DEFAULT"), L"MAKE DEFAULT");
    so::Call<LocaleManager::SetLanguage>(service.Get(), L"");
    EXPECT_EQ(Text<LocaleManager::GetLanguage>(service), L"");
    EXPECT_EQ(InContext(service, L"dialog button", L"MAKE DEFAULT"), L"MAKE DEFAULT");
    so::Call<LocaleManager::SetLanguage>(service.Get(), L"de_AT");
    EXPECT_EQ(HasCatalogue(service), 1u) << "a regional language falls back to its language";
    EXPECT_EQ(InContext(service, L"dialog button", L"MAKE DEFAULT"), L"ALS STANDARD FESTLEGEN");
}

TEST(LocaleManager, RefusesNamesThatAreNotLanguageCodes) {
    so::Ref service = MakeService("de");
    for (const wchar_t* name :
         {L"../de", L"de/LC_MESSAGES", L"de.UTF-8", L"a-very-long-name-that-is-no-language-at-all"})
        EXPECT_THROW(so::Call<LocaleManager::SetLanguage>(service.Get(), name), so::ServiceObjectException)
            << name;
    EXPECT_EQ(Text<LocaleManager::GetLanguage>(service), L"de");
    EXPECT_THROW(MakeService("../../etc"), so::ServiceObjectException);
}

TEST(LocaleManager, CatalogueFolderChangeReloadsAndIsCounted) {
    so::Ref service = MakeService("de");
    std::uint32_t before = 0, after = 0;
    so::Call<LocaleManager::GetChangeCount>(service.Get(), &before);
    so::Call<LocaleManager::SetCatalogueFolder>(service.Get(), "/nonexistent/catalogues");
    EXPECT_EQ(HasCatalogue(service), 0u);
    EXPECT_EQ(InContext(service, L"PD Prop", L"Opacity"), L"Opacity");
    so::Call<LocaleManager::SetCatalogueFolder>(service.Get(), headless::DefaultCatalogueFolder().c_str());
    EXPECT_EQ(InContext(service, L"PD Prop", L"Opacity"), L"Deckkraft");
    so::Call<LocaleManager::GetChangeCount>(service.Get(), &after);
    EXPECT_EQ(after, before + 2);
}

TEST(LocaleManager, TooSmallBufferIsRefused) {
    so::Ref service = MakeService("de");
    wchar_t buffer[4] = {};
    std::uint32_t capacity = 4;
    EXPECT_THROW(so::Call<LocaleManager::Translate>(service.Get(), buffer, &capacity, L"None"),
                 so::ServiceObjectException);
    capacity = 6;
    wchar_t enough[6] = {};
    so::Call<LocaleManager::Translate>(service.Get(), enough, &capacity, L"None");
    EXPECT_EQ(std::wstring(enough), L"Keine");
    EXPECT_EQ(capacity, 5u);
}

class LocaleManagerInstalled : public testing::Test {
protected:
    void TearDown() override { headless::UninstallLocaleManager(); }
};

TEST_F(LocaleManagerInstalled, ModuleFindsItInTheSingletonSlot) {
    EXPECT_EQ(ui::Translate(L"dialog button", L"MAKE DEFAULT"), L"MAKE DEFAULT");
    so::Ref service = headless::InstallLocaleManager("de", headless::DefaultCatalogueFolder());
    EXPECT_EQ(ui::Translate(L"dialog button", L"MAKE DEFAULT"), L"ALS STANDARD FESTLEGEN");
    EXPECT_EQ(ui::Translate(L"Hairline"), L"Haarlinie");
    EXPECT_EQ(ui::TranslatePlural(L"%1% item", L"%1% items", 3), L"%1% Einträge");
    EXPECT_EQ(so::QueryServiceObject(LocaleManager::kServiceName), service);

    so::Ref replacement = headless::InstallLocaleManager("fr", headless::DefaultCatalogueFolder());
    EXPECT_EQ(ui::Translate(L"dialog button", L"MAKE DEFAULT"), L"MAKE DEFAULT");
    headless::UninstallLocaleManager();
    EXPECT_EQ(replacement.Get()->header.GetRefCount(replacement.Get()), 1u) << "both places released it";
    EXPECT_THROW(so::QueryServiceObject(LocaleManager::kServiceName), so::ServiceObjectException);
}

TEST_F(LocaleManagerInstalled, LocalizedTemplateElementGetsSourceAndTranslation) {
    headless::InstallLocaleManager("de", headless::DefaultCatalogueFolder());
    ui::TemplatesPreprocessor preprocessor(
        L"document-panel-properties/properties-panel-content.template.htm");
    preprocessor.SetPreloadedBlob(so::Ref::Adopt(headless::BlobObject::Create(
        "\xEF\xBB\xBF<button localize=\"dialog button\" __l_o_c_a_l_e__t_o_k_e_n__=\"RESET_DEFAULT_TOKEN\">"
        "RESET_DEFAULT_TEXT</button>")));
    ui::AddLocalizedTextRules(preprocessor, L"RESET_DEFAULT_TOKEN", L"RESET_DEFAULT_TEXT", L"dialog button",
                              L"RESET DEFAULT");
    EXPECT_EQ(preprocessor.Do(),
              L"<button localize=\"dialog button\" __l_o_c_a_l_e__t_o_k_e_n__=\"RESET DEFAULT\">"
              L"STANDARD ZURÜCKSETZEN</button>");
}

TEST_F(LocaleManagerInstalled, ReinstallingTheServiceWhileTheModuleTranslatesReleasesNothingInUse) {
    headless::InstallLocaleManager("de", headless::DefaultCatalogueFolder());
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 2; ++i) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                std::wstring text = ui::Translate(L"PD Prop Panel Title", L"Measurements");
                if (text != L"Maße" && text != L"Measurements")
                    ++wrong;
            }
        });
    }
    // Each install replaces the slot's object and releases the one before, which a reader may be
    // taking a reference to at that moment.
    for (int install = 0; install < 200; ++install) {
        if (install % 3 == 2)
            headless::UninstallLocaleManager();
        else
            headless::InstallLocaleManager(install % 2 == 0 ? "fr" : "de",
                                           headless::DefaultCatalogueFolder());
    }
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(LocaleManagerInstalled, TranslationsStayWholeWhileTheLanguageChanges) {
    so::Ref service = headless::InstallLocaleManager("de", headless::DefaultCatalogueFolder());
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                try {
                    std::wstring text = ui::Translate(L"PD Prop Panel Title", L"Measurements");
                    if (text != L"Maße" && text != L"Measurements")
                        ++wrong;
                } catch (const so::ServiceObjectException&) {
                    ++wrong;
                }
            }
        });
    }
    for (int change = 0; change < 40; ++change)
        so::Call<LocaleManager::SetLanguage>(service.Get(), change % 2 == 0 ? L"fr" : L"de");
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
