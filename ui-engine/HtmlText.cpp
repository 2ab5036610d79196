#include "ui-engine/HtmlText.h"

#include "host/Localization.h"
#include "host/SupportLibrary.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"
#include "service-common/ServiceObjectPtr.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <algorithm>
#include <atomic>
#include <locale>
#include <thread>

namespace ui {

namespace {

struct Entity {
    std::uint32_t flag;
    wchar_t character;
    std::wstring_view entity;
};

constexpr Entity kEntities[] = {
    {kEscapeLessThan, L'<', L"&lt;"},   {kEscapeGreaterThan, L'>', L"&gt;"},
    {kEscapeAmpersand, L'&', L"&amp;"}, {kEscapeApostrophe, L'\'', L"&apos;"},
    {kEscapeQuote, L'"', L"&quot;"},    {kEscapeSpace, L' ', L"&nbsp;"},
    {kEscapeSlash, L'/', L"&sol;"},     {kEscapeBackslash, L'\\', L"&bsol;"},
};

// The host keeps its localisation service in one `ServiceObject*` slot of the singleton storage;
// the slot is empty, or the storage has none, when the host translates nothing. The slot is taken
// while the reference is added, so that a reinstall cannot release the object meanwhile.
so::Ref LocaleManager() {
    void* data = nullptr;
    if (GetSingletonStaticData(host::kLocalizationSingletonId, &data) != so::kOk || data == nullptr)
        return {};
    std::atomic_ref<ServiceObject*> slot(*static_cast<ServiceObject**>(data));
    ServiceObject* service = nullptr;
    while ((service = slot.exchange(host::LocalizationSlotTaken(), std::memory_order_acq_rel)) ==
           host::LocalizationSlotTaken())
        std::this_thread::yield();
    so::Ref manager = so::Ref::Share(service);
    slot.store(service, std::memory_order_release);
    return manager;
}

// The two-call pattern of the service's text results: the length first, then the text. A missing
// service, an absent method or "nothing provided" leave the source text. The host may switch the
// language between the two calls; a text that grew meanwhile no longer fits and is asked for again.
// The bound is generous: a host that switches languages back and forth while the panel rebuilds can
// make a few rounds in a row miss, and a translation must not fail for that.
template <class M, class... Args>
std::wstring TranslatedText(std::wstring_view source, const Args&... args) {
    constexpr int kAttempts = 32;
    so::Ref manager = LocaleManager();
    if (!manager)
        return std::wstring(source);
    for (int attempt = 1;; ++attempt) {
        std::uint32_t length = 0;
        auto code = so::Call<M>(manager.Get(), static_cast<wchar_t*>(nullptr), &length, args...);
        if (!code || *code != so::kOk)
            return std::wstring(source);
        std::wstring text(std::size_t(length) + 1, L'\0');
        std::uint32_t capacity = length + 1;
        try {
            code = so::Call<M>(manager.Get(), text.data(), &capacity, args...);
        } catch (const so::ServiceObjectException& e) {
            if (e.Code() == so::kInvalidArgument && attempt < kAttempts)
                continue;
            throw;
        }
        if (!code || *code != so::kOk)
            return std::wstring(source);
        text.resize(std::min(capacity, length + 1));
        return text;
    }
}

} // namespace

std::wstring EscapeHtml(std::wstring_view text, std::uint32_t flags) {
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t character : text) {
        auto entity = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const Entity& candidate) {
            return candidate.character == character && (flags & candidate.flag) != 0;
        });
        if (entity != std::end(kEntities))
            result += entity->entity;
        else
            result += character;
    }
    return result;
}

std::wstring MakeSafeValue(std::wstring_view text, bool lowerCase) {
    std::wstring result(text);
    if (lowerCase)
        boost::algorithm::to_lower(result, std::locale());
    std::replace(result.begin(), result.end(), L' ', L'-');
    return result;
}

std::wstring Translate(std::wstring_view source) {
    std::wstring text(source);
    return TranslatedText<host::LocaleManager::Translate>(source, text.c_str());
}

std::wstring Translate(std::wstring_view context, std::wstring_view source) {
    std::wstring contextText(context);
    std::wstring text(source);
    return TranslatedText<host::LocaleManager::TranslateInContext>(source, contextText.c_str(), text.c_str());
}

std::wstring TranslatePlural(std::wstring_view singular, std::wstring_view plural, std::uint64_t count) {
    std::wstring singularText(singular);
    std::wstring pluralText(plural);
    std::wstring_view untranslated = count == 1 ? singular : plural;
    return TranslatedText<host::LocaleManager::TranslatePlural>(untranslated, singularText.c_str(),
                                                                pluralText.c_str(), count);
}

TemplatesPreprocessor& AddLocalizedTextRules(TemplatesPreprocessor& preprocessor,
                                             std::wstring_view tokenPlaceholder,
                                             std::wstring_view textPlaceholder, std::wstring_view context,
                                             std::wstring_view source) {
    preprocessor.AddRule(tokenPlaceholder, RuleAction::Replace, EscapeHtml(source, kEscapeHtmlText));
    preprocessor.AddRule(textPlaceholder, RuleAction::Replace,
                         EscapeHtml(Translate(context, source), kEscapeHtmlText));
    return preprocessor;
}

} // namespace ui
