// The host's support functions as the module calls them.
#include "tests/support/TestHost.h"

#include "host/Logger.h"
#include "host/SupportLibrary.h"
#include "host/WindowsApi.h"
#include "service-common/HostCall.h"

#include <dlfcn.h>

#include <fstream>
#include <set>
#include <thread>
#include <vector>

namespace {

class SupportLibrary : public testing_host::HostTest {};

TEST_F(SupportLibrary, OneAtomPerNameAcrossThreadsAndWidths) {
    std::vector<SOAtom> atoms(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        threads.emplace_back([&atoms, i] {
            if (i % 2 == 0)
                SLGetAtomFromString("SharedName\xC3\xA9", &atoms[i]);
            else
                SLGetAtomFromStringW(L"SharedName\u00E9", &atoms[i]);
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(std::set<SOAtom>(atoms.begin(), atoms.end()).size(), 1u);
    EXPECT_NE(atoms[0], 0u);
    EXPECT_NE(atoms[0], 0xFFFFFFFFu);

    std::uint32_t length = 0;
    ASSERT_EQ(SLGetStringFromAtom(atoms[0], nullptr, &length), so::kOk);
    std::string name(length + 1, '\0');
    ASSERT_EQ(SLGetStringFromAtom(atoms[0], name.data(), &length), so::kOk);
    EXPECT_EQ(name.c_str(), std::string("SharedName\xC3\xA9"));

    SOAtom other = 0;
    SLGetAtomFromString("OtherName", &other);
    EXPECT_NE(other, atoms[0]);
    EXPECT_EQ(SLGetAtomFromString("", &other), so::kInvalidArgument);
    EXPECT_EQ(SLGetStringFromAtom(0x7FFFFFFF, nullptr, &length), so::kInvalidArgument);
}

TEST_F(SupportLibrary, SingletonStatuses) {
    void* data = nullptr;
    EXPECT_EQ(GetSingletonStaticData(0, &data), 7u);
    EXPECT_EQ(GetSingletonStaticData(0x5151, &data), 9u);
    static int constructed = 0;
    ASSERT_EQ(CreateSingletonStaticData(0x5151, sizeof(int), [](void* memory) { *static_cast<int*>(memory) = ++constructed; },
                                        nullptr),
              so::kOk);
    ASSERT_EQ(CreateSingletonStaticData(0x5151, sizeof(int), [](void*) { ++constructed; }, nullptr), so::kOk);
    ASSERT_EQ(GetSingletonStaticData(0x5151, &data), so::kOk);
    EXPECT_EQ(*static_cast<int*>(data), 1);
    EXPECT_EQ(constructed, 1); // the first creation stands
    EXPECT_EQ(IsSingletonStaticDataStorageAvailable(), 0u);
}

TEST_F(SupportLibrary, ShutdownDestroysSingletonsInReverseOrder) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::string order;
            CreateSingletonStaticData(0x6001, 1, nullptr, [](void*) { order += 'a'; });
            CreateSingletonStaticData(0x6002, 1, nullptr, [](void*) { order += 'b'; });
            SLShutdownSingletonStorage();
            void* data = nullptr;
            bool refused = GetSingletonStaticData(0x6001, &data) == 17 && IsSingletonStaticDataStorageAvailable() != 0;
            std::exit(order == "ba" && refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct ConversionCase {
    std::string utf8;
    std::wstring wide;
};

class Utf8Conversion : public SupportLibrary, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(Utf8Conversion, RoundTripsWithTheTwoCallPattern) {
    const auto& [utf8, wide] = GetParam();
    std::uint32_t length = 0;
    ASSERT_EQ(SLConvertUTF8ToUTF16(utf8.data(), std::uint32_t(utf8.size()), nullptr, &length), so::kOk);
    EXPECT_EQ(length, wide.size());
    std::wstring converted(length + 1, L'#');
    length += 1;
    ASSERT_EQ(SLConvertUTF8ToUTF16(utf8.data(), std::uint32_t(utf8.size()), converted.data(), &length), so::kOk);
    converted.resize(length);
    EXPECT_EQ(converted, wide);

    ASSERT_EQ(SLConvertUTF16ToUTF8(wide.c_str(), so::kLengthOfNullTerminated, nullptr, &length), so::kOk);
    std::string back(length, '\0');
    ASSERT_EQ(SLConvertUTF16ToUTF8(wide.c_str(), so::kLengthOfNullTerminated, back.data(), &length), so::kOk);
    EXPECT_EQ(back, utf8);
}

INSTANTIATE_TEST_SUITE_P(SupportLibrary, Utf8Conversion,
                         ::testing::Values(ConversionCase{"", L""}, ConversionCase{"plain", L"plain"},
                                           ConversionCase{"\xE2\x80\x93 en dash", L"\u2013 en dash"},
                                           ConversionCase{"\xF0\x9F\x98\x80", L"\U0001F600"},
                                           ConversionCase{"a\xC3\xA9" "b\xE2\x80\x93\xF0\x9F\x98\x80" "c",
                                                          L"a\u00E9b\u2013\U0001F600c"}));

TEST_F(SupportLibrary, InvalidInputIsRefusedNotMangled) {
    std::uint32_t length = 0;
    const char brokenUtf8[] = "ab\xC3";
    EXPECT_EQ(SLConvertUTF8ToUTF16(brokenUtf8, 3, nullptr, &length), so::kInvalidArgument);
    // A sequence cut short by an ASCII character, inside the text.
    EXPECT_EQ(SLConvertUTF8ToUTF16("a\xE2\x80z", 4, nullptr, &length), so::kInvalidArgument);
    const wchar_t lonelySurrogate[] = {L'a', wchar_t(0xD800), 0};
    EXPECT_EQ(SLConvertUTF16ToUTF8(lonelySurrogate, 2, nullptr, &length), so::kInvalidArgument);
    wchar_t small[2];
    length = 2;
    EXPECT_EQ(SLConvertUTF8ToUTF16("abcdef", 6, small, &length), so::kInvalidArgument);
    EXPECT_EQ(SLConvertUTF8ToUTF16("abc", 3, nullptr, nullptr), so::kInvalidArgument);
}

TEST_F(SupportLibrary, AnsiCodePageIsWindows1252) {
    std::uint32_t length = 0;
    const char ansi[] = "\x80 \xE9";
    ASSERT_EQ(SLConvertACPToUnicode(ansi, 3, nullptr, &length), so::kOk);
    std::wstring wide(length, L'\0');
    ASSERT_EQ(SLConvertACPToUnicode(ansi, 3, wide.data(), &length), so::kOk);
    EXPECT_EQ(wide, L"\u20AC \u00E9");

    const wchar_t text[] = L"\u20AC\u4E2D";
    ASSERT_EQ(SLConvertUnicodeToACP(text, 2, nullptr, &length), so::kOk);
    std::string back(length, '\0');
    ASSERT_EQ(SLConvertUnicodeToACP(text, 2, back.data(), &length), so::kOk);
    EXPECT_EQ(back, "\x80?");
}

TEST_F(SupportLibrary, LoggerIsFoundAsLoggerDllOnlyOnceLoaded) {
    EXPECT_EQ(GetModuleHandleW(L"logger.dll"), nullptr);
    void* library = dlopen((testing_host::BinaryFolder() / "liblogger.so").c_str(), RTLD_NOW);
    ASSERT_NE(library, nullptr);
    HMODULE module = GetModuleHandleW(L"logger.dll");
    ASSERT_NE(module, nullptr);
    auto getLogger = reinterpret_cast<GetLoggerFn>(GetProcAddress(module, "GetLogger"));
    ASSERT_NE(getLogger, nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);

    so::Ref logger;
    ASSERT_EQ(getLogger(logger.Put()), so::kOk);
    auto file = std::filesystem::temp_directory_path() / ("logger-" + std::to_string(getpid()) + ".log");
    so::Call<host::Logger::SetOutputFile>(logger.Get(), file.c_str());
    LogSource source{"Panel.cpp", 12, "Update"};
    std::string narrow = "narrow entry";
    std::wstring wide = L"wide \u2013 entry";
    so::Call<host::Logger::WriteNarrow>(logger.Get(), narrow.c_str(), std::uint32_t(narrow.size()), 2u, &source);
    so::Call<host::Logger::SetMinimumLevel>(logger.Get(), 3u);
    so::Call<host::Logger::WriteNarrow>(logger.Get(), "dropped", 7u, 2u, &source);
    so::Call<host::Logger::WriteWide>(logger.Get(), wide.c_str(), std::uint32_t(wide.size()), 4u, &source);
    so::Call<host::Logger::SetOutputFile>(logger.Get(), nullptr);
    so::Call<host::Logger::SetMinimumLevel>(logger.Get(), 0u);

    std::ifstream in(file);
    std::string first, second, third;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "[info] Panel.cpp:12 Update: narrow entry");
    EXPECT_EQ(second, "[error] Panel.cpp:12 Update: wide \xE2\x80\x93 entry");
    EXPECT_FALSE(std::getline(in, third));
    std::filesystem::remove(file);
    logger.Reset();
    dlclose(library);
}

TEST_F(SupportLibrary, KeyStateAndWindows) {
    HostSetKeyState(0x10, 1);
    EXPECT_NE(GetKeyState(0x10) & 0x8000, 0);
    HostSetKeyState(0x10, 0);
    EXPECT_EQ(GetKeyState(0x10), 0);
    EXPECT_EQ(GetKeyState(-1), 0);

    auto window = reinterpret_cast<HWND>(0x1234);
    POINT point{5, 6};
    EXPECT_EQ(ClientToScreen(window, &point), 0);
    HostRegisterWindow(window, {100, 200}, [](void*, UINT message, WPARAM, LPARAM) -> LRESULT { return message; },
                       nullptr);
    EXPECT_EQ(ClientToScreen(window, &point), 1);
    EXPECT_EQ(point.x, 105);
    EXPECT_EQ(point.y, 206);
    EXPECT_EQ(SendMessageW(window, 0x0626, 0, 0), 0x0626);
    HostUnregisterWindow(window);
    EXPECT_EQ(SendMessageW(window, 0x0626, 0, 0), 0);
}

} // namespace
