#include "headless-host/services/MessageBoxService.h"

#include "service-common/ServiceObjectException.h"
#include "service-common/TextConversion.h"

#include <boost/algorithm/string.hpp>
#include <boost/format.hpp>
#include <boost/regex.hpp>

#include <algorithm>
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

// Character references as a page shows them: the markup characters and the no-break space by name,
// any character by number; an unknown name stays as written.
std::wstring MessageBoxService::DecodeCharacterReferences(const std::wstring& text) {
    static const boost::wregex kReference(L"&(?:#([0-9]{1,7})|#[xX]([0-9a-fA-F]{1,6})|([a-zA-Z]+));");
    static const std::pair<const wchar_t*, wchar_t> kNamed[] = {
        {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", L' '}};
    std::wstring decoded;
    auto last = text.begin();
    for (boost::wsregex_iterator it(text.begin(), text.end(), kReference), end; it != end; ++it) {
        const boost::wsmatch& match = *it;
        decoded.append(last, match[0].first);
        last = match[0].second;
        if (match[3].matched) {
            const std::wstring name = match[3].str();
            auto found = std::find_if(std::begin(kNamed), std::end(kNamed),
                                      [&name](const auto& entry) { return name == entry.first; });
            if (found != std::end(kNamed))
                decoded += found->second;
            else
                decoded += match[0].str();
            continue;
        }
        const unsigned long code =
            match[1].matched ? std::stoul(match[1].str()) : std::stoul(match[2].str(), nullptr, 16);
        const bool valid = code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        decoded += valid ? wchar_t(code) : L'\uFFFD';
    }
    decoded.append(last, text.end());
    return decoded;
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
