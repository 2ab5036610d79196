// The host's message box: answers scripted ahead (by tests and scenarios), or asked on a terminal
// when the host runs interactively; every box shown is remembered.
#pragma once

#include "host/UIDocuments.h"
#include "service-common/ServiceObjectCpp.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace headless {

class MessageBoxService : public so::ObjectBase {
public:
    using Interface = host::UIMessageBox;
    static constexpr std::uint32_t kClassTag = 0x3E55A6E2;
    static void BindMethods(so::MethodBinder<MessageBoxService>& binder);

    struct Answer {
        std::uint32_t answer = host::MessageBoxAnswer::kOk; // MessageBoxAnswer
        bool checkBoxChecked = false;
    };
    struct ShownBox {
        std::wstring html;
        std::wstring caption;
        std::uint32_t flags = 0;
        Answer answer;
        bool scripted = false; // false: asked on the terminal, or dismissed for want of an answer
    };

    // Without a scripted answer and without a terminal, a box is dismissed: the answer of closing it
    // (No for Yes/No, Cancel where there is one, else OK).
    SOResult Show(const wchar_t* html, const wchar_t* caption, std::uint32_t flags, std::uint32_t* answer,
                  std::uint8_t* checkBoxChecked);

    // The answer for the next box. A scripted answer that is not a button of that box makes Show fail
    // (3) with a message naming both, so that a wrong script is noticed.
    void QueueAnswer(Answer answer);
    std::size_t PendingAnswers() const;
    // Asks on `in` / `out` when no answer is queued; null streams stop asking.
    void SetTerminal(std::istream* in, std::ostream* out);
    std::vector<ShownBox> History() const;
    void ClearHistory();

    // The box's text without markup, for terminals and logs.
    static std::wstring PlainText(const std::wstring& html);
    static std::wstring DecodeCharacterReferences(const std::wstring& text);
    // The label of the text's first check box, if it has one.
    static std::optional<std::wstring> CheckBoxLabel(const std::wstring& html);
    static std::uint32_t DismissAnswer(std::uint32_t flags);
    static bool IsButtonOf(std::uint32_t answer, std::uint32_t flags);
    // "Yes", "No", "OK", "Cancel".
    static const char* AnswerName(std::uint32_t answer);

private:
    Answer AskOnTerminal(const std::wstring& html, const std::wstring& caption, std::uint32_t flags);

    mutable std::mutex mutex_;
    std::deque<Answer> answers_;
    std::vector<ShownBox> history_;
    std::istream* in_ = nullptr;
    std::ostream* out_ = nullptr;
};

} // namespace headless
