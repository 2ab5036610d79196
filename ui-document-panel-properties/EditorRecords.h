// Reading and writing an editor's value record through its property: the record's type names its
// value kind, so that a host can refuse a record it would misread.
#pragma once

#include "host/BLProperties.h"
#include "host/ValueRecords.h"
#include "service-common/HostCall.h"

namespace panel {

// `record` as it starts, filled by the host; kept as it is when the host gives nothing.
template <class Record>
Record ReadRecord(ServiceObject* property, Record record = {}) {
    so::Call<host::BLProperty::GetValue>(property, host::kValueKindOf<Record>, &record);
    return record;
}

template <class Record>
void WriteRecord(ServiceObject* property, const Record& record) {
    so::Call<host::BLProperty::SetValue>(property, host::kValueKindOf<Record>, &record);
}

// The host hears of the value a user asked for before the one its limits allow is written.
template <class Record>
void NoticePending(ServiceObject* property, const Record& record) {
    so::Call<host::BLProperty::NoticePendingValue>(property, host::kValueKindOf<Record>, &record);
}

} // namespace panel
