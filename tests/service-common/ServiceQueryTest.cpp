// Named service queries: every provider failure with its message, wrapped with the service name.
#include "tests/service-common/TestObjects.h"
#include "tests/support/TestHost.h"

#include "service-common/ServiceQuery.h"

#include <boost/algorithm/string/predicate.hpp>

using namespace testing_objects;
using testing_host::BinaryFolder;

namespace {

class ServiceQuery : public testing_host::HostTest {
protected:
    // The exception a failing query raises.
    static so::ServiceObjectException QueryFailure(const char* name) {
        try {
            so::QueryServiceObject(name);
        } catch (const so::ServiceObjectException& e) {
            return e;
        }
        ADD_FAILURE() << "query of " << name << " succeeded";
        return so::ServiceObjectException(0, "");
    }
};

TEST_F(ServiceQuery, RegisteredObjectComesWithOneMoreReference) {
    so::Ref calculator = so::Ref::Adopt(CalculatorObject::Create());
    testing_host::RegisterService("Calculator", calculator.Get());
    so::Ref queried = so::QueryServiceObject("Calculator");
    EXPECT_EQ(queried, calculator);
    EXPECT_EQ(calculator.Get()->header.GetRefCount(calculator.Get()), 3u); // test, registry, query
}

TEST_F(ServiceQuery, UnknownServiceIsNotSupportedByTheProvider) {
    auto e = QueryFailure("NoSuchService");
    EXPECT_EQ(e.Code(), 0x10008u);
    EXPECT_EQ(e.Message(), "Fail to query NoSuchService service object: corresponding service is not supported by "
                           "the service provider.\n");
}

TEST_F(ServiceQuery, MissingModuleGivesTheSystemError) {
    ServiceProviderRegisterModule(so::AtomOf("FromMissingModule"), "/nonexistent/libmissing.so", 1);
    auto e = QueryFailure("FromMissingModule");
    EXPECT_EQ(e.Code(), 0x10009u);
    EXPECT_TRUE(boost::starts_with(e.Message(),
                                   "Fail to query FromMissingModule service object: the service provider cannot find "
                                   "corresponding module to create service object.\n\nSystem error code: [126]\n"
                                   "Description: /nonexistent/libmissing.so"))
        << e.Message();
}

TEST_F(ServiceQuery, ModuleWithoutFactoryFunction) {
    std::string logger = (BinaryFolder() / "liblogger.so").string();
    ServiceProviderRegisterModule(so::AtomOf("FromLogger"), logger.c_str(), 1);
    auto e = QueryFailure("FromLogger");
    EXPECT_EQ(e.Code(), 0x1000Au);
    EXPECT_TRUE(boost::contains(e.Message(), "cannot find corresponding factory function in the module to create "
                                             "service object.\n\nSystem error code: [127]\nDescription: "))
        << e.Message();
}

TEST_F(ServiceQuery, ModuleThatDoesNotOfferTheClass) {
    std::string module = (BinaryFolder() / "libdocument-panel-properties.so").string();
    ServiceProviderRegisterModule(so::AtomOf("FromPanelModule"), module.c_str(), so::AtomOf("NotAClassOfIt"));
    auto e = QueryFailure("FromPanelModule");
    EXPECT_EQ(e.Code(), 0x10005u);
    EXPECT_EQ(e.Message(),
              "Fail to query FromPanelModule service object: service is not supported by the corresponding module.\n");
}

TEST_F(ServiceQuery, OtherCodesNameTheCode) {
    ServiceProviderRegisterFactory(
        so::AtomOf("Refusing"), [](void*, ServiceObject**) -> SOResult { return 0x77; }, nullptr);
    auto e = QueryFailure("Refusing");
    EXPECT_EQ(e.Code(), 0x77u);
    EXPECT_EQ(e.Message(),
              "Fail to query Refusing service object: \"ServiceProviderGetServiceObject()\" call failed with code 119.\n");
}

TEST_F(ServiceQuery, NullArgumentsAreInvalid) {
    ServiceObject* object = nullptr;
    EXPECT_EQ(ServiceProviderGetServiceObject(0, &object), so::kInvalidArgument);
    EXPECT_EQ(ServiceProviderGetServiceObject(so::AtomOf("Anything"), nullptr), so::kInvalidArgument);
}

} // namespace
