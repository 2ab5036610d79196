// The written forms of property values, one place per value kind: the keys a property of each type
// may have in a document file, its shape (limits, lists, flags) from them, its value from JSON and
// back, and the texts of colours, dates and limits. Document files, dumps and scenarios all read and
// write values through these.
#pragma once

#include "headless-host/document/DocumentModel.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

// The longest font name a document may give.
constexpr std::size_t kMaxFontNameLength = 1024;

// The keys of a property of this type in a document file.
std::vector<const char*> PropertyKeys(std::uint32_t typeCode);
// The property's value without its value: limits, lists and flags from the property's keys in
// `json`. Raises JsonPathError at the key at fault (below `path`).
StoredValue ValueShape(const PropertyModel& property, const nlohmann::json& json, const std::string& path);
// The value `json` gives, over `shape` (the property's limits and lists); raises JsonPathError at
// `path` for a value that does not fit. Actions are built in the property's `pdfDocument`; a
// description the PDF core library refuses fails with its message.
StoredValue ValueFromJson(const PropertyModel& property, const StoredValue& shape, const nlohmann::json& json,
                          const std::string& path);

// The JSON value a written word stands for (a scenario's or a command line's): for kinds whose value
// a document file writes as a string, the word itself ("null" where the form has a null), except a
// script property's word that is a JSON object; for the others, the word read as JSON. Raises
// JsonPathError at "/" for a word that is not JSON.
nlohmann::json ValueJsonOfWord(const PropertyModel& property, const std::string& word);

// The "value" of a document file for this value; ValueText is its compact text, in which an action
// keeps the key order of the PDF core library's description. Raise PdfCoreError when the library
// cannot describe an action.
nlohmann::json ValueToJson(std::uint32_t typeCode, const StoredValue& value);
std::string ValueText(std::uint32_t typeCode, const StoredValue& value);

// The colour word of "#RRGGBB" (alpha byte set: black is a colour, only 0 is none); none for any
// other text.
std::optional<std::uint32_t> ParseColorText(std::string_view text);
// "#RRGGBB" of a colour word's RGB.
std::string ColorText(std::uint32_t color);
// "YYYY-MM-DDTHH:MM:SS"; a year before 0 or after 9999 keeps its sign and takes more digits
// ("-0044-03-15T12:00:00", "12000-01-01T00:00:00").
std::string DateTimeText(const host::DateTimeValue& value);
// The fields of that text, not yet checked against the calendar; none for any other text.
std::optional<host::DateTimeValue> ParseDateTimeText(std::string_view text);
// Completes day of week and day of year; false when the date or time is not a real one. Any year
// of the proleptic Gregorian calendar from -32767 to 32767 is one: the document holds dates that
// editors may not be able to show.
bool NormalizeDateTime(host::DateTimeValue& value);

// "500 is outside the limits 0..255".
std::string OutsideLimits(std::int32_t value, std::int32_t min, std::int32_t max);
std::string OutsideLimits(float value, float min, float max);

} // namespace headless
