#include "service-common/ServiceQuery.h"

#include "host/SupportLibrary.h"
#include "service-common/HostCall.h"
#include "service-common/ServiceObjectException.h"

#include <boost/format.hpp>

#include <vector>

namespace so {

namespace {

struct SystemError {
    std::uint32_t code = 0;
    std::string description;
};

bool LastSystemError(SystemError& error) {
    std::uint32_t length = 0;
    if (ServiceProviderGetLastSystemError(&error.code, nullptr, &length) != kOk)
        return false;
    std::vector<char> text(length + 1, '\0');
    if (ServiceProviderGetLastSystemError(&error.code, text.data(), &length) != kOk)
        return false;
    error.description.assign(text.data(), length);
    return true;
}

} // namespace

std::string ServiceProviderErrorMessage(SOResult code) {
    SystemError system;
    switch (code) {
    case kServiceNotSupportedByModule:
        return "service is not supported by the corresponding module.\n";
    case kFactoryFunctionFailed:
        return "service object factory function failed.\n";
    case kNoPublicServiceObjects:
        return "there are no public service objects in corresponding module.\n";
    case kServiceNotSupportedByProvider:
        return "corresponding service is not supported by the service provider.\n";
    case kModuleNotFound:
        if (LastSystemError(system))
            return (boost::format("the service provider cannot find corresponding module to create service "
                                  "object.\n\nSystem error code: [%1%]\nDescription: %2%\n") %
                    system.code % system.description)
                .str();
        return "the service provider cannot find corresponding module to create service object.\n";
    case kFactoryNotFound:
        if (LastSystemError(system))
            return (boost::format("the service provider cannot find corresponding factory function in the module "
                                  "to create service object.\n\nSystem error code: [%1%]\nDescription: %2%\n") %
                    system.code % system.description)
                .str();
        return "the service provider cannot find corresponding factory function in the module to create service "
               "object.";
    default:
        if (LastSystemError(system))
            return (boost::format("\"ServiceProviderGetServiceObject()\" call failed with code %1%.\n"
                                  "System error code: [%2%]\nDescription: %3%") %
                    code % system.code % system.description)
                .str();
        return (boost::format("\"ServiceProviderGetServiceObject()\" call failed with code %1%.\n") % code).str();
    }
}

Ref QueryServiceObject(SOAtom atom) {
    ServiceObject* object = nullptr;
    SOResult code = ServiceProviderGetServiceObject(atom, &object);
    if (code != kOk) {
        if (object != nullptr)
            object->header.Release(object);
        throw ServiceObjectException(code, ServiceProviderErrorMessage(code));
    }
    if (object == nullptr)
        throw ServiceObjectException(kNotInitialized, "Not initialized");
    return Ref::Adopt(object);
}

Ref QueryServiceObject(const char* serviceName) {
    try {
        return QueryServiceObject(AtomOf(serviceName));
    } catch (const ServiceObjectException& e) {
        throw ServiceObjectException(
            e.Code(), (boost::format("Fail to query %1% service object: %2%") % serviceName % e.Message()).str(),
            e.Function(), e.File(), e.Line());
    }
}

std::string AtomName(SOAtom atom) {
    std::uint32_t length = 0;
    if (SLGetStringFromAtom(atom, nullptr, &length) != kOk)
        return {};
    std::vector<char> text(length + 1, '\0');
    if (SLGetStringFromAtom(atom, text.data(), &length) != kOk)
        return {};
    return std::string(text.data(), length);
}

SOAtom AtomOf(const char* name) {
    SOAtom atom = 0;
    SOResult code = SLGetAtomFromString(name, &atom);
    if (code != kOk || atom == 0)
        throw ServiceObjectException(code != kOk ? code : kInvalidArgument,
                                     (boost::format("No atom for the name \"%1%\"") % (name ? name : "")).str());
    return atom;
}

} // namespace so
