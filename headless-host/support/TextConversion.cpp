// The host's text conversions, with the two-call length pattern.
#include "host/SupportLibrary.h"
#include "service-common/TwoCallText.h"

#include <boost/locale/encoding.hpp>
#include <boost/locale/encoding_utf.hpp>

#include <cstring>
#include <cwchar>
#include <string>
#include <type_traits>

namespace {

// Windows-1252 is the ANSI code page this host reports.
constexpr const char* kAnsiCodePage = "windows-1252";

template <class Char>
std::size_t SourceLength(const Char* source, std::uint32_t length) {
    if (length != so::kLengthOfNullTerminated)
        return length;
    return std::char_traits<Char>::length(source);
}

template <class From, class To, class Converter>
SOResult Convert(const From* source, std::uint32_t sourceLength, To* destination, std::uint32_t* inOutLength,
                 Converter convert) {
    if (inOutLength == nullptr || (source == nullptr && sourceLength != 0))
        return so::kInvalidArgument;
    if (source == nullptr)
        return so::DeliverText(std::basic_string_view<To>(), destination, inOutLength);
    try {
        std::size_t length = SourceLength(source, sourceLength);
        return so::DeliverText(std::basic_string_view<To>(convert(source, source + length)), destination, inOutLength);
    } catch (const std::exception&) {
        return so::kInvalidArgument; // invalid sequences or an unknown code page
    }
}

// UTF-8 to and from the wide form. Markup is nearly all ASCII, which is copied as it is; only the
// runs between ASCII characters go through the converter (an ASCII byte never lies inside a UTF-8
// sequence, so the runs split nothing). Invalid sequences still throw.
template <class To, class From>
std::basic_string<To> ConvertUtf(const From* begin, const From* end) {
    auto isAscii = [](From c) { return static_cast<std::make_unsigned_t<From>>(c) < 0x80; };
    std::basic_string<To> result;
    result.reserve(std::size_t(end - begin));
    while (begin != end) {
        const From* run = begin;
        while (run != end && isAscii(*run))
            ++run;
        result.append(begin, run);
        begin = run;
        while (run != end && !isAscii(*run))
            ++run;
        if (run != begin)
            result += boost::locale::conv::utf_to_utf<To>(begin, run, boost::locale::conv::stop);
        begin = run;
    }
    return result;
}

} // namespace

extern "C" {

SOResult SLConvertUTF8ToUTF16(const char* source, std::uint32_t sourceLength, wchar_t* destination,
                              std::uint32_t* inOutLength) {
    return Convert(source, sourceLength, destination, inOutLength, ConvertUtf<wchar_t, char>);
}

SOResult SLConvertUTF16ToUTF8(const wchar_t* source, std::uint32_t sourceLength, char* destination,
                              std::uint32_t* inOutLength) {
    return Convert(source, sourceLength, destination, inOutLength, ConvertUtf<char, wchar_t>);
}

SOResult SLConvertACPToUnicode(const char* source, std::uint32_t sourceLength, wchar_t* destination,
                               std::uint32_t* inOutLength) {
    return Convert(source, sourceLength, destination, inOutLength, [](const char* begin, const char* end) {
        return boost::locale::conv::to_utf<wchar_t>(begin, end, kAnsiCodePage, boost::locale::conv::skip);
    });
}

SOResult SLConvertUnicodeToACP(const wchar_t* source, std::uint32_t sourceLength, char* destination,
                               std::uint32_t* inOutLength) {
    return Convert(source, sourceLength, destination, inOutLength, [](const wchar_t* begin, const wchar_t* end) {
        std::string result;
        // Characters the code page lacks become '?', one per character, as the system converter does.
        for (const wchar_t* at = begin; at != end; ++at) {
            std::string one = boost::locale::conv::from_utf<wchar_t>(at, at + 1, kAnsiCodePage,
                                                                     boost::locale::conv::skip);
            result += one.empty() ? std::string("?") : one;
        }
        return result;
    });
}

} // extern "C"
