// The rules of property values: records in and out, validation of a written record against the
// property's type and limits, comparison and the merged value of a multi-selection. Their written
// forms are ValueForms'.
#pragma once

#include "headless-host/document/DocumentModel.h"
#include "headless-host/document/ValueForms.h"
#include "host/ServiceObject.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

// Fills `record` (of the type `kind` names) from the stored value; the caller has checked that the
// kind is the value's.
void WriteRecord(const StoredValue& value, void* record);

// The record as it is, unvalidated (notices of pending values may be outside the limits); an action
// handle gets a reference of the value's own. Raises ServiceObjectException (3) for a null record, a
// null shared pointer where one is required, or a handle the PDF core library does not know.
StoredValue ValueFromRecord(host::ValueKind kind, const void* record);

// A property's value read and written through its BLProperty interface, as the panel does with
// records of the property's kind. Raise ServiceObjectException as the calls do; WriteThrough also
// for a kind without a value.
StoredValue ReadThrough(ServiceObject* property);
// The kind's value with everything at its default (no items, no limits given).
StoredValue EmptyValue(host::ValueKind kind);
void WriteThrough(ServiceObject* property, const StoredValue& value);

// The value the property gets when `record` is written over `current`: the parts the host owns
// (limits, list items, flags) stay; the written part is checked against them. Raises
// ServiceObjectException (3) with a message naming the property when the value does not fit, also
// for an action handle that is not an action of the property's PDF document.
StoredValue ApplyRecord(const PropertyModel& property, const StoredValue& current, const void* record);

// Equality as a reader sees it: NaN equals NaN; actions are equal when they are the same PDF object.
bool SameValue(const StoredValue& a, const StoredValue& b);

// The value of a multi-selection: the common value, or the kind's no-value form when they differ.
StoredValue MergeValues(const std::vector<StoredValue>& values, bool& mixed);

// Sets the widget's activation action (/A) to `value` when the property holds it (PropertyModel's
// `widget`); kPDOk otherwise. Can fail only for an action of another document, which no write lets in.
PDStatus SetWidgetAction(const PropertyModel& property, const StoredValue& value) noexcept;

} // namespace headless
