// One atom per name in the process; the names are kept for messages.
#include "host/SupportLibrary.h"
#include "service-common/TwoCallText.h"

#include <boost/locale/encoding_utf.hpp>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Atoms start high so that small numbers stay free for fixed service numbers (18: the resource store).
constexpr SOAtom kFirstAtom = 0x1000;

class AtomTable {
public:
    SOAtom Intern(const std::string& name) {
        std::lock_guard lock(mutex_);
        auto [entry, added] = atoms_.try_emplace(name, kFirstAtom + SOAtom(names_.size()));
        if (added)
            names_.push_back(name);
        return entry->second;
    }

    bool Name(SOAtom atom, std::string& name) {
        std::lock_guard lock(mutex_);
        if (atom < kFirstAtom || atom - kFirstAtom >= names_.size())
            return false;
        name = names_[atom - kFirstAtom];
        return true;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, SOAtom> atoms_;
    std::vector<std::string> names_;
};

AtomTable& Table() {
    static AtomTable table;
    return table;
}

} // namespace

extern "C" {

SOResult SLGetAtomFromString(const char* name, SOAtom* out) {
    if (name == nullptr || *name == '\0' || out == nullptr)
        return so::kInvalidArgument;
    *out = Table().Intern(name);
    return so::kOk;
}

SOResult SLGetAtomFromStringW(const wchar_t* name, SOAtom* out) {
    if (name == nullptr || *name == L'\0' || out == nullptr)
        return so::kInvalidArgument;
    try {
        std::string utf8 = boost::locale::conv::utf_to_utf<char>(name, boost::locale::conv::stop);
        *out = Table().Intern(utf8);
        return so::kOk;
    } catch (const std::exception&) {
        return so::kInvalidArgument;
    }
}

SOResult SLGetStringFromAtom(SOAtom atom, char* buffer, std::uint32_t* inOutLength) {
    std::string name;
    if (inOutLength == nullptr || !Table().Name(atom, name))
        return so::kInvalidArgument;
    return so::DeliverText(name, buffer, inOutLength);
}

} // extern "C"
