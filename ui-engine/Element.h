// A counted handle to a DOM element with the operations the panel needs. Every operation is
// [ui-thread] (tags as in host/ServiceObject.h), copying and destroying a non-empty handle included:
// they count the engine's references. Only Adopt, moving, Handle, the bool test and == leave the
// engine alone, and CheckEngineResult is [thread-safe]. An engine refusal (an invalid selector, a dead
// handle) raises ServiceObjectException with code 0x50000 + the engine's result.
#pragma once

#include "host/HtmlEngineApi.h"
#include "ui-engine/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

constexpr std::uint32_t kEngineFailureBase = 0x50000;

class Element {
public:
    Element() = default;
    // Takes a reference of its own.
    explicit Element(HELEMENT handle);
    // Takes over a reference the caller owns.
    static Element Adopt(HELEMENT handle);
    Element(const Element& other);
    Element(Element&& other) noexcept;
    Element& operator=(Element other) noexcept;
    ~Element();

    HELEMENT Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    friend bool operator==(const Element& a, const Element& b) { return a.handle_ == b.handle_; }

    // Descendants matching the selector, in document order.
    std::vector<Element> FindAll(const char* selector) const;
    Element FindFirst(const char* selector) const;
    // The nearest ancestor matching the selector within `depth` levels.
    Element FindParent(const char* selector, std::uint32_t depth = 5) const;
    bool Test(const char* selector) const;
    Element Parent() const;
    std::vector<Element> Children() const;
    std::string Tag() const;

    std::optional<std::wstring> GetAttribute(const char* name) const;
    // Removes the attribute for nullopt.
    void SetAttribute(const char* name, const std::optional<std::wstring>& value) const;
    std::optional<std::wstring> GetStyleAttribute(const char* name) const;
    void SetStyleAttribute(const char* name, const std::wstring& value) const;

    std::string InnerHtml() const; // UTF-8
    std::string OuterHtml() const;
    void SetInnerHtml(std::string_view utf8Markup) const;
    void AppendHtml(std::string_view utf8Markup) const;
    std::wstring Text() const;
    void SetText(std::wstring_view text) const;
    void Remove() const;

    std::uint32_t State() const;
    bool HasState(std::uint32_t bits) const { return (State() & bits) == bits; }
    void SetState(std::uint32_t bitsToSet, std::uint32_t bitsToClear = 0) const;

    Value GetValue() const;
    void SetValue(const Value& value) const;

    RECT Location(std::uint32_t area = kBorderBoxRelativeToView) const;
    std::int32_t IntrinsicHeight(std::int32_t forWidth) const;
    void ScrollIntoView() const;
    HWND WindowHandle() const;

    void ShowPopup(const Element& anchor, std::uint32_t placement = 0) const;
    void HidePopup() const;
    bool IsPopupShown() const { return HasState(kStatePopup); }
    // Hides every popup inside this element that matches `selector` and is shown (the edit popup a
    // user left open, wherever it is).
    void HideShownPopups(const char* selector) const;

    // An application or behaviour event about this element, bubbling to the ancestors' handlers;
    // gives whether a handler dealt with it (always false for posted events).
    bool FireEvent(std::uint32_t code, const Element& source, bool post, std::uintptr_t reason = 0,
                   const Value& data = Value()) const;
    Value CallMethod(const char* name, const std::vector<Value>& arguments = {}) const;
    bool ExecuteCommand(const char* command) const;

private:
    HELEMENT handle_ = nullptr;
};

// [thread-safe] Raises the engine's failure for `operation` when `result` is not kHtmlOk.
void CheckEngineResult(HtmlResult result, const char* operation);

} // namespace ui
