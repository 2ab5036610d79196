// The PDF actions of the action editors: references to the PDF core library's handles, the text
// that sums up an action chain, the undoable command that sets a property's action, and the
// completion the host's action wizard reports to.
#pragma once

#include "host/BLDocument.h"
#include "host/HostDialogs.h"
#include "host/PdfCore.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectPtr.h"

#include <functional>
#include <string>

namespace panel {

// One counted reference to a PDF core handle, released when it goes. [thread-safe]
class PdfRef {
public:
    PdfRef() = default;
    // Takes a new reference on a borrowed handle.
    static PdfRef Share(PDHandle handle);
    // Takes over the reference a function handed out.
    static PdfRef Adopt(PDHandle handle) { return PdfRef(handle); }
    PdfRef(const PdfRef& other) : PdfRef(Share(other.handle_)) {}
    PdfRef(PdfRef&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    PdfRef& operator=(PdfRef other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~PdfRef();

    PDHandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    explicit PdfRef(PDHandle handle) : handle_(handle) {}
    PDHandle handle_ = nullptr;
};

namespace pdf {

// The display name of one action (translated); "Show/Hide a Field" for a hide action when the
// action is not at hand.
std::wstring ActionName(PDHandle action);
// The names of the action and of every action chained after it, depth first, joined by ", ". A
// chain that comes back to an action it went through stops there, with "…" and a warning in the
// log: real files hold such chains. Empty for no action.
std::wstring ActionSummary(PDHandle action);
// The script of a JavaScript action; empty when it has none or cannot be read.
std::wstring ScriptOf(PDHandle action);
// The fully qualified names of the form fields of the page's widgets, in annotation order, joined
// by ",".
std::wstring WidgetFieldNames(PDHandle page);

} // namespace pdf

// Sets a property's PDF action as one undoable step; redo reads the then-current action again.
class SetActionPropDataCommand : public so::ObjectBase {
public:
    using Interface = host::Command;
    static constexpr std::uint32_t kClassTag = 0xB7F86C01;
    static void BindMethods(so::MethodBinder<SetActionPropDataCommand>& binder);

    SOResult Initialize(SOAtom uniqueId, SOAtom commandName, const void* parameters);
    SOResult DO();
    SOResult UNDO();
    SOResult GetUniqueCommandID(SOAtom* id);
    SOResult GetCommandName(SOAtom* name);

private:
    SOAtom uniqueId_ = 0;
    SOAtom commandName_ = 0;
    so::Ref property_;
    PdfRef newAction_;
    PdfRef previousAction_;
};

// What the action wizard calls when the user finishes it. [ui-thread]
class EditPDActionWizardCompletionHandler : public so::ObjectBase {
public:
    using Interface = host::EditPDActionWizardCompletion;
    static constexpr std::uint32_t kClassTag = 0xB7F86C02;
    static void BindMethods(so::MethodBinder<EditPDActionWizardCompletionHandler>& binder);

    explicit EditPDActionWizardCompletionHandler(std::function<int(PDHandle)> callable)
        : callable_(std::move(callable)) {}

    // The callable's result, with a reference held on `action` meanwhile; 2 without a callable.
    SOResult Complete(PDHandle action, std::int32_t* status);

private:
    std::function<int(PDHandle)> callable_;
};

} // namespace panel
