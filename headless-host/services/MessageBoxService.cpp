#include "headless-host/services/MessageBoxService.h"

#include "headless-host/html-engine/dom/Entities.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/algorithm/string.hpp>
#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <charconv>
#include <istream>
#include <iterator>
#include <ostream>

namespace headless {

namespace {

namespace Flags = host::MessageBoxFlags;
namespace Answers = host::MessageBoxAnswer;

std::vector<std::uint32_t> ButtonsOf(std::uint32_t flags) {
    switch (flags & Flags::kButtonsMask) {
    case Flags::kOkCancel:
        return {Answers::kOk, Answers::kCancel};
    case Flags::kYesNoCancel:
        return {Answers::kYes, Answers::kNo, Answers::kCancel};
    case Flags::kYesNo:
        return {Answers::kYes, Answers::kNo};
    default:
        return {Answers::kOk};
    }
}

std::optional<std::uint32_t> ParseAnswer(std::string text) {
    boost::algorithm::trim(text);
    boost::algorithm::to_lower(text);
    if (text == "y" || text == "yes")
        return Answers::kYes;
    if (text == "n" || text == "no")
        return Answers::kNo;
    if (text == "o" || text == "ok")
        return Answers::kOk;
    if (text == "c" || text == "cancel")
        return Answers::kCancel;
    return std::nullopt;
}

} // namespace

void MessageBoxService::BindMethods(so::MethodBinder<MessageBoxService>& binder) {
    binder.Bind<host::UIMessageBox::Show, &MessageBoxService::Show>();
}

SOResult MessageBoxService::Show(const wchar_t* html, const wchar_t* caption, std::uint32_t flags,
                                 std::uint32_t* answer, std::uint8_t* checkBoxChecked) {
    if (html == nullptr || answer == nullptr)
        return so::kInvalidArgument;
    ShownBox shown{html, caption != nullptr ? caption : L"", flags, {}, false};
    bool hasCheckBox = CheckBoxLabel(shown.html).has_value();
    std::unique_lock lock(mutex_);
    if (!answers_.empty()) {
        shown.answer = answers_.front();
        answers_.pop_front();
        shown.scripted = true;
        if (!IsButtonOf(shown.answer.answer, flags)) {
            history_.push_back(shown);
            throw so::ServiceObjectException(
                so::kInvalidArgument,
                (boost::format("The scripted answer %1% is not a button of the message box \"%2%\"") %
                 AnswerName(shown.answer.answer) % so::Utf8FromWide(PlainText(shown.html)))
                    .str());
        }
    } else if (in_ != nullptr && out_ != nullptr) {
        lock.unlock(); // the user may take a while; scripts may queue meanwhile
        shown.answer = AskOnTerminal(shown.html, shown.caption, flags);
        lock.lock();
    } else {
        shown.answer = {DismissAnswer(flags), false};
    }
    shown.answer.checkBoxChecked = shown.answer.checkBoxChecked && hasCheckBox;
    history_.push_back(shown);
    *answer = shown.answer.answer;
    if (checkBoxChecked != nullptr)
        *checkBoxChecked = shown.answer.checkBoxChecked ? 1 : 0;
    return so::kOk;
}

MessageBoxService::Answer MessageBoxService::AskOnTerminal(const std::wstring& html,
                                                           const std::wstring& caption, std::uint32_t flags) {
    std::istream& in = *in_;
    std::ostream& out = *out_;
    out << "\n[message box] " << so::Utf8FromWide(caption) << "\n"
        << so::Utf8FromWide(PlainText(html)) << "\n";
    std::vector<std::uint32_t> buttons = ButtonsOf(flags);
    Answer result{DismissAnswer(flags), false};
    std::string line;
    for (int attempt = 0; attempt < 3; ++attempt) {
        out << "Answer (";
        for (std::size_t i = 0; i < buttons.size(); ++i)
            out << (i != 0 ? "/" : "") << AnswerName(buttons[i]);
        out << "): " << std::flush;
        if (!std::getline(in, line))
            return result; // end of input: the box is closed
        auto parsed = ParseAnswer(line);
        if (parsed && IsButtonOf(*parsed, flags)) {
            result.answer = *parsed;
            break;
        }
        out << "Please answer with one of the buttons.\n";
    }
    if (auto label = CheckBoxLabel(html)) {
        out << "Tick \"" << so::Utf8FromWide(*label) << "\"? (yes/no): " << std::flush;
        if (std::getline(in, line))
            result.checkBoxChecked = ParseAnswer(line) == Answers::kYes;
    }
    return result;
}

void MessageBoxService::QueueAnswer(Answer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

std::size_t MessageBoxService::PendingAnswers() const {
    std::lock_guard lock(mutex_);
    return answers_.size();
}

void MessageBoxService::SetTerminal(std::istream* in, std::ostream* out) {
    std::lock_guard lock(mutex_);
    in_ = in;
    out_ = out;
}

std::vector<MessageBoxService::ShownBox> MessageBoxService::History() const {
    std::lock_guard lock(mutex_);
    return history_;
}

void MessageBoxService::ClearHistory() {
    std::lock_guard lock(mutex_);
    history_.clear();
}

// Character references as a page shows them, through the engine's own table: named ones, and any
// character by number (one that is no character reads as U+FFFD); an unknown name stays as written.
std::wstring MessageBoxService::DecodeCharacterReferences(const std::wstring& text) {
    const std::string utf8 = so::Utf8FromWide(text);
    std::string decoded;
    std::size_t position = 0;
    while (position < utf8.size()) {
        const std::size_t start = utf8.find('&', position);
        const std::size_t end = start == std::string::npos ? start : utf8.find(';', start);
        if (end == std::string::npos) {
            decoded.append(utf8, position);
            break;
        }
        decoded.append(utf8, position, start - position);
        const std::string_view body(utf8.data() + start + 1, end - start - 1);
        position = end + 1;
        if (std::optional<std::string_view> named = html::LookUpNamedEntity(body)) {
            decoded.append(*named);
            continue;
        }
        const bool hex = body.size() > 2 && body[0] == '#' && (body[1] == 'x' || body[1] == 'X');
        const std::string_view digits = body.substr(hex ? 2 : 1);
        std::uint32_t code = 0;
        auto [last, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (body.size() > 1 && body[0] == '#' && !digits.empty() && error == std::errc() &&
            last == digits.data() + digits.size()) {
            html::AppendUtf8(decoded, code == 0 ? char32_t(0xFFFD) : char32_t(code));
            continue;
        }
        decoded.append(utf8, start, end + 1 - start); // not a reference: kept as written
    }
    return so::WideFromUtf8(decoded);
}

std::wstring MessageBoxService::PlainText(const std::wstring& html) {
    static const boost::wregex kBlockEnd(L"<\\s*(br|/p|/h[1-6]|/div|/li)\\b[^>]*>", boost::regex::icase);
    static const boost::wregex kTag(L"<[^>]*>");
    std::wstring text = boost::regex_replace(html, kBlockEnd, L"\n");
    text = boost::regex_replace(text, kTag, L"");
    text = DecodeCharacterReferences(text);
    std::vector<std::wstring> lines;
    boost::algorithm::split(lines, text, [](wchar_t c) { return c == L'\n'; });
    std::wstring joined;
    for (auto& line : lines) {
        boost::algorithm::trim(line);
        if (line.empty())
            continue;
        joined += joined.empty() ? L"" : L"\n";
        joined += line;
    }
    return joined;
}

std::optional<std::wstring> MessageBoxService::CheckBoxLabel(const std::wstring& html) {
    static const boost::wregex kCheckBox(
        L"<button\\b[^>]*type\\s*=\\s*[\"']?checkbox[\"']?[^>]*>(.*?)</button>", boost::regex::icase);
    boost::wsmatch match;
    if (!boost::regex_search(html, match, kCheckBox))
        return std::nullopt;
    return PlainText(match[1].str());
}

std::uint32_t MessageBoxService::DismissAnswer(std::uint32_t flags) {
    switch (flags & Flags::kButtonsMask) {
    case Flags::kYesNo:
        return Answers::kNo;
    case Flags::kOkCancel:
    case Flags::kYesNoCancel:
        return Answers::kCancel;
    default:
        return Answers::kOk;
    }
}

bool MessageBoxService::IsButtonOf(std::uint32_t answer, std::uint32_t flags) {
    auto buttons = ButtonsOf(flags);
    return std::find(buttons.begin(), buttons.end(), answer) != buttons.end();
}

const char* MessageBoxService::AnswerName(std::uint32_t answer) {
    switch (answer) {
    case Answers::kOk:
        return "OK";
    case Answers::kCancel:
        return "Cancel";
    case Answers::kYes:
        return "Yes";
    case Answers::kNo:
        return "No";
    default:
        return "an unknown answer";
    }
}

} // namespace headless
