// Random template bytes (with either byte-order mark, a wrong one or none) filled by random rules:
// every outcome must be a result or one of the preprocessor's documented exceptions.
#include "headless-host/services/BlobObject.h"
#include "service-common/ErrorsStorage.h"
#include "service-common/ServiceObjectException.h"
#include "ui-engine/internal/TemplatesPreprocessor.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

// Enough text for every regular-expression feature, small enough that Boost's complexity bound
// stays in milliseconds.
constexpr std::size_t kMaxTemplateBytes = 1024;

// Bytes as Latin-1 characters: any byte sequence gives a pattern, so nothing is lost to decoding.
std::wstring Widen(const std::string& bytes) {
    return std::wstring(bytes.begin(), bytes.end());
}

std::string Mark(unsigned choice) {
    switch (choice) {
    case 0:
        return "\xEF\xBB\xBF";
    case 1:
        return "\xFF\xFE";
    case 2:
        return "\xFE\xFF";
    default:
        return "";
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    so::ErrorsStorage::Instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ui::TemplatesPreprocessor preprocessor(L"document-panel-properties/fuzz.template.htm");
    int ruleCount = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < ruleCount; ++i) {
        auto action = ui::RuleAction(input.ConsumeIntegralInRange<std::uint32_t>(0, 7));
        std::wstring pattern = Widen(input.ConsumeRandomLengthString(24));
        std::wstring text = Widen(input.ConsumeRandomLengthString(16));
        if (input.ConsumeBool()) {
            preprocessor.AddRule(pattern, action, [text](const std::vector<std::wstring>& groups) {
                std::wstring joined = text;
                for (const std::wstring& group : groups)
                    joined += group;
                return joined;
            });
        } else {
            preprocessor.AddRule(pattern, action, text);
        }
    }
    std::string bytes = Mark(input.ConsumeIntegralInRange(0u, 3u)) + input.ConsumeRemainingBytesAsString();
    bytes.resize(std::min(bytes.size(), kMaxTemplateBytes));
    preprocessor.SetPreloadedBlob(so::Ref::Adopt(headless::BlobObject::Create(bytes)));
    try {
        preprocessor.Do();
    } catch (const so::ServiceObjectException&) {
    } catch (const ui::regex_process_undefined_action_error&) {
    }
    return 0;
}
