// Values for template placeholders: HTML escaping, safe identifiers and list values, and the
// localised texts of templates, translated by the host's localisation service. Thread tags as in
// host/ServiceObject.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

class TemplatesPreprocessor;

// Characters EscapeHtml replaces by their entities, as a bit mask.
constexpr std::uint32_t kEscapeLessThan = 0x0001;    // "&lt;"
constexpr std::uint32_t kEscapeGreaterThan = 0x0002; // "&gt;"
constexpr std::uint32_t kEscapeAmpersand = 0x0004;   // "&amp;"
constexpr std::uint32_t kEscapeApostrophe = 0x0008;  // "&apos;"
constexpr std::uint32_t kEscapeQuote = 0x0010;       // "&quot;"
constexpr std::uint32_t kEscapeSpace = 0x0400;       // "&nbsp;"
constexpr std::uint32_t kEscapeSlash = 0x0800;       // "&sol;"
constexpr std::uint32_t kEscapeBackslash = 0x1000;   // "&bsol;"
// What HTML-text placeholders get: the five characters that could start markup or end a quoted
// attribute. Spaces stay spaces, so that text still wraps.
constexpr std::uint32_t kEscapeHtmlText =
    kEscapeLessThan | kEscapeGreaterThan | kEscapeAmpersand | kEscapeApostrophe | kEscapeQuote;

// [thread-safe] The text with every character enabled in `flags` replaced by its entity.
std::wstring EscapeHtml(std::wstring_view text, std::uint32_t flags);

// [thread-safe] A copy usable as an identifier or list value: with `lowerCase`, lower-cased with the
// current global locale first; then every space (U+0020) becomes "-".
std::wstring MakeSafeValue(std::wstring_view text, bool lowerCase);

// [thread-safe], as the service is: translations by the host's localisation service, found in the
// process's singleton storage (taken from its slot as host/Localization.h says). When the host has
// none, the text comes back untranslated; a failing service raises ServiceObjectException like any
// host call.
std::wstring Translate(std::wstring_view source);
std::wstring Translate(std::wstring_view context, std::wstring_view source);
// [thread-safe] The singular or plural form for `count` with its placeholders kept, e.g. "%1% items".
std::wstring TranslatePlural(std::wstring_view singular, std::wstring_view plural, std::uint64_t count);

// [thread-safe] for a preprocessor no other thread uses. Fills the two placeholders of a localised
// template element: `tokenPlaceholder` (inside the `__l_o_c_a_l_e__t_o_k_e_n__` attribute) with the
// source text, which lets the page translate again later, and `textPlaceholder` (the element's
// content) with its translation in `context`.
// Both are escaped with kEscapeHtmlText: a quote in a translation must not end the attribute.
TemplatesPreprocessor& AddLocalizedTextRules(TemplatesPreprocessor& preprocessor,
                                             std::wstring_view tokenPlaceholder,
                                             std::wstring_view textPlaceholder, std::wstring_view context,
                                             std::wstring_view source);

} // namespace ui
