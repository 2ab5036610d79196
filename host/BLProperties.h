// The business-logic objects through which the host hands out the properties of a selection: the
// properties context, its groups, the properties, and the default-settings context.
//
// Strings out of these interfaces (and of every business-logic and document-view interface of the
// host) are `const wchar_t*` owned by the object that gives them: valid while that object lives,
// never changed behind the caller's back. A receiver that keeps one copies it. Flags are u8 (0 or
// 1). Every method is [thread-safe] unless it says otherwise; events follow host/BLEvents.h.
#pragma once

#include "host/BLEvents.h"
#include "host/ServiceObject.h"
#include "host/ValueRecords.h"

#include <array>
#include <cstdint>

namespace host {

// Why a value was refused, besides kInvalidArgument (3) for a record of the wrong kind or a value
// outside the property's type or limits. Each refusal leaves the thread's error record.
constexpr SOResult kPropertyReadOnly = 0x80070005; // the property may not be edited
constexpr SOResult kDocumentLocked = 0x80070021;   // the document is locked for writing

// One property of the selected objects. A property of a multi-selection stands for the like-named
// property of every selected object: it reads the no-value markers where their values differ, and a
// value written to it goes to all of them.
struct BLProperty {
    static constexpr std::uint32_t kId = 0x8E7A0001;
    static constexpr const char* kName = "BLProperty";

    // Raised after the property's value changed, on the thread that changed it (a set, an undo, a
    // redo, restored defaults). Also raised after an accepted set that left the value as it was.
    struct OnChange {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = ObjectEventArguments; // the property
    };
    static constexpr std::uint32_t kEventCount = 1;

    // The name: the key of the panel's ids and the text it translates for display.
    using GetName = so::Method<0, SOResult(const wchar_t** name), "GetName">;
    // The type code (PropertyType) choosing the editor.
    using GetType = so::Method<1, SOResult(std::uint32_t* typeCode), "GetType">;
    // The ValueKind of the records GetValue gives and SetValue takes.
    using GetValueKind = so::Method<2, SOResult(std::uint32_t* valueKind), "GetValueKind">;
    // 1 when the selected objects' values differ (GetValue then gives the no-value markers).
    using IsMixed = so::Method<3, SOResult(std::uint8_t* mixed), "IsMixed">;
    using Subscribe = so::Method<4,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    // 3 for a cookie this property did not give (or gave and took back already).
    using Unsubscribe = so::Method<5, SOResult(HostEventCookie cookie), "Unsubscribe">;
    using IsReadOnly = so::Method<6, SOResult(std::uint8_t* readOnly), "IsReadOnly">;
    // A hidden property gets no editor.
    using IsHidden = so::Method<7, SOResult(std::uint8_t* hidden), "IsHidden">;
    // Fills `*record`, a record of the type that `valueKind` names (see ValueKind); 3 when the kind is
    // not the property's. 1 and nothing filled for a property without a readable value.
    using GetValue = so::Method<8, SOResult(std::uint32_t valueKind, void* record), "GetValue">;
    // Validates the record against the property's type and limits; 0 accepted (one undoable step of
    // the document, then OnChange), otherwise refused with the value unchanged: 3 bad record or value,
    // kPropertyReadOnly, kDocumentLocked.
    using SetValue = so::Method<9, SOResult(std::uint32_t valueKind, const void* record), "SetValue">;
    // Notice of the value an editor is about to commit (before clamping), or null when no edit is
    // pending any more. Only recorded: the value is not changed.
    using NoticePendingValue =
        so::Method<10, SOResult(std::uint32_t valueKind, const void* record), "NoticePendingValue">;
    // 1 when the property accepts "no colour" (a colour word of 0); Color properties only, 0 for others.
    using IsNoColorAvailable = so::Method<11, SOResult(std::uint8_t* available), "IsNoColorAvailable">;

    using Methods =
        so::MethodList<GetName, GetType, GetValueKind, IsMixed, Subscribe, Unsubscribe, IsReadOnly, IsHidden,
                       GetValue, SetValue, NoticePendingValue, IsNoColorAvailable>;
};

// Kind flags of a group (GetKindFlags), tested by the panel in this order for the tab identifier.
namespace GroupKind {
constexpr std::uint32_t kAppearance = 0x02;
constexpr std::uint32_t kValues = 0x04;
constexpr std::uint32_t kEvents = 0x08;
constexpr std::uint32_t kFormat = 0x10;
constexpr std::uint32_t kCalculations = 0x20;
constexpr std::uint32_t kMeasurements = 0x40;
constexpr std::uint32_t kGeneral = 0x80;
// Not a kind: set in GetFlags for a root group (one top-level tab of the panel).
constexpr std::uint32_t kRootGroupFlag = 0x40000000;
} // namespace GroupKind

// A group of properties, with sub-groups. Objects given out carry one reference for the receiver.
struct BLPropertiesGroup {
    static constexpr std::uint32_t kId = 0x8E7A0002;
    static constexpr const char* kName = "BLPropertiesGroup";
    using GetName = so::Method<0, SOResult(const wchar_t** name), "GetName">;
    // The kind flags (GroupKind), without kRootGroupFlag.
    using GetKindFlags = so::Method<1, SOResult(std::uint32_t* flags), "GetKindFlags">;
    // The whole flag word: kind flags and kRootGroupFlag.
    using GetFlags = so::Method<2, SOResult(std::uint32_t* flags), "GetFlags">;
    // 1 when every bit of `mask` is set in the flag word (kRootGroupFlag: a root group).
    using HasFlags = so::Method<3, SOResult(std::uint32_t mask, std::uint8_t* set), "HasFlags">;
    using GetPropertyCount = so::Method<6, SOResult(std::uint32_t* count), "GetPropertyCount">;
    // 3 for an index beyond the count.
    using GetProperty = so::Method<7, SOResult(std::uint32_t index, ServiceObject** property), "GetProperty">;
    // The property of that name (the first one when several share it); 1 and null when none.
    using FindProperty =
        so::Method<8, SOResult(const wchar_t* name, ServiceObject** property), "FindProperty">;
    using GetSubGroupCount = so::Method<9, SOResult(std::uint32_t* count), "GetSubGroupCount">;
    using GetSubGroup = so::Method<10, SOResult(std::uint32_t index, ServiceObject** group), "GetSubGroup">;

    using Methods = so::MethodList<GetName, GetKindFlags, GetFlags, HasFlags, GetPropertyCount, GetProperty,
                                   FindProperty, GetSubGroupCount, GetSubGroup>;
};

// The properties of a selection, in groups. The context owns its groups and properties: they live
// as long as the context (and the context as long as its selection holds it).
struct BLPropertiesContext {
    static constexpr std::uint32_t kId = 0x8E7A0003;
    static constexpr const char* kName = "BLPropertiesContext";

    // Raised after a property of the context changed value (after the property's own OnChange).
    struct OnChanged {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = ObjectEventArguments; // the context
    };
    static constexpr std::uint32_t kEventCount = 1;

    // Number of selected objects the context merges.
    using GetObjectCount = so::Method<0, SOResult(std::uint32_t* count), "GetObjectCount">;
    // The kind name of the selected objects ("Text Field", "Square"…); "" when they differ in kind.
    using GetObjectName = so::Method<1, SOResult(const wchar_t** name), "GetObjectName">;
    using GetGroupCount = so::Method<3, SOResult(std::uint32_t* count), "GetGroupCount">;
    // 3 for an index beyond the count.
    using GetGroup = so::Method<4, SOResult(std::uint32_t index, ServiceObject** group), "GetGroup">;
    using Subscribe = so::Method<5,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<6, SOResult(HostEventCookie cookie), "Unsubscribe">;
    // The default-settings context (BLPropertiesContextDefault); 1 and null when defaults are not
    // supported.
    using GetDefaultContext = so::Method<13, SOResult(ServiceObject** defaultContext), "GetDefaultContext">;
    // 1 when the selected objects are of one kind that has default settings.
    using IsDefaultSupported = so::Method<14, SOResult(std::uint8_t* supported), "IsDefaultSupported">;

    using Methods = so::MethodList<GetObjectCount, GetObjectName, GetGroupCount, GetGroup, Subscribe,
                                   Unsubscribe, GetDefaultContext, IsDefaultSupported>;
};

// The default settings of the selected objects' kind: the values new objects of that kind get.
// The defaults cover the properties the document names for the kind; `group` arguments limit a
// question to the properties inside that group of the context (null: all of them).
struct BLPropertiesContextDefault {
    static constexpr std::uint32_t kId = 0x8E7A0004;
    static constexpr const char* kName = "BLPropertiesContextDefault";

    // Raised after the stored defaults of the kind changed, through any context of that kind.
    struct OptsChanged {
        static constexpr std::uint32_t kEventId = 0;
        using Arguments = ObjectEventArguments; // the default-settings context
    };
    static constexpr std::uint32_t kEventCount = 1;

    // RestoreOriginalDefaults: also give the selected objects the restored values (as one undoable
    // step), or only reset what is stored.
    static constexpr std::uint32_t kRestoreAndApply = 1;
    static constexpr std::uint32_t kRestoreOnly = 0;

    // 1 when the selected objects' current values equal the stored defaults.
    using IsCurrentEqualToDefaults =
        so::Method<0, SOResult(ServiceObject* group, std::uint8_t* equal), "IsCurrentEqualToDefaults">;
    using GetKindName = so::Method<1, SOResult(const wchar_t** kind), "GetKindName">;
    // Stores the selected objects' current values as the defaults (values that differ between the
    // selected objects keep their stored default).
    using StoreCurrentAsDefaults = so::Method<2, SOResult(), "StoreCurrentAsDefaults">;
    // 1 when the stored defaults are the original ones.
    using AreDefaultsOriginal =
        so::Method<3, SOResult(ServiceObject* group, std::uint8_t* original), "AreDefaultsOriginal">;
    using RestoreOriginalDefaults = so::Method<4, SOResult(std::uint32_t mode), "RestoreOriginalDefaults">;
    using Subscribe = so::Method<5,
                                 SOResult(std::uint32_t eventId, const HostEventSubscription* subscription,
                                          HostEventCookie* cookie),
                                 "Subscribe">;
    using Unsubscribe = so::Method<6, SOResult(HostEventCookie cookie), "Unsubscribe">;

    using Methods = so::MethodList<IsCurrentEqualToDefaults, GetKindName, StoreCurrentAsDefaults,
                                   AreDefaultsOriginal, RestoreOriginalDefaults, Subscribe, Unsubscribe>;
};

} // namespace host
