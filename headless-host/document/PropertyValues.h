// The rules of property values: records in and out, validation of a written record against the
// property's type and limits, comparison, the merged value of a multi-selection, and the JSON form
// used by document files and dumps.
#pragma once

#include "headless-host/document/DocumentModel.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

// Fills `record` (of the type `kind` names) from the stored value; the caller has checked that the
// kind is the value's.
void WriteRecord(const StoredValue& value, void* record);

// The record as it is, unvalidated (notices of pending values may be outside the limits). Raises
// ServiceObjectException (3) for a null record or a null shared pointer where one is required.
StoredValue ValueFromRecord(host::ValueKind kind, const void* record);

// The value the property gets when `record` is written over `current`: the parts the host owns
// (limits, list items, flags) stay; the written part is checked against them. Raises
// ServiceObjectException (3) with a message naming the property when the value does not fit.
StoredValue ApplyRecord(const PropertyModel& property, const StoredValue& current, const void* record);

// Equality as a reader sees it: NaN equals NaN.
bool SameValue(const StoredValue& a, const StoredValue& b);

// The value of a multi-selection: the common value, or the kind's no-value form when they differ.
StoredValue MergeValues(const std::vector<StoredValue>& values, bool& mixed);

// The "value" of a document file for this value; ValueText is its compact text.
nlohmann::json ValueToJson(std::uint32_t typeCode, const StoredValue& value);
std::string ValueText(std::uint32_t typeCode, const StoredValue& value);

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

} // namespace headless
