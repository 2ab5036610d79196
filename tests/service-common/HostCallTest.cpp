// Calling another module's object: the table-size rule and the failure check.
#include "tests/service-common/TestObjects.h"
#include "tests/support/TestHost.h"

#include "service-common/HostCall.h"
#include "service-common/ServiceObjectPtr.h"

#include <cstring>

using namespace testing_objects;

namespace {

class HostCall : public testing_host::HostTest {};

TEST_F(HostCall, MethodBeyondTheCalleesTableIsSkipped) {
    so::Ref older = so::Ref::Adopt(CalculatorV1Object::Create());
    EXPECT_EQ(older.Get()->header.tableSize, 8u);
    EXPECT_EQ(so::Call<Calculator::Fail>(older.Get(), SOResult(0x99)), std::nullopt);
    std::int32_t sum = 0;
    EXPECT_EQ(so::Call<Calculator::Add>(older.Get(), 2, 3, &sum), so::kOk);
    EXPECT_EQ(sum, 5);
}

TEST_F(HostCall, SuccessCodesRaiseNothing) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    for (SOResult code : {SOResult(0), SOResult(1), SOResult(11)}) {
        EXPECT_EQ(so::Call<Calculator::Fail>(object.Get(), code), code);
        EXPECT_EQ(testing_host::LastErrorMessage(), "");
    }
}

TEST_F(HostCall, FailureIsRaisedFromTheCalleesRecord) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    try {
        so::Call<Calculator::Fail>(object.Get(), SOResult(0x10006));
        FAIL() << "no exception";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), 0x10006u);
        EXPECT_EQ(e.Message(), "Calculator::Fail() failed, code: 0x00010006");
        EXPECT_EQ(e.Function(), "Calculator::Fail");
        EXPECT_FALSE(e.File().empty());
        EXPECT_NE(e.Line(), 0u);
    }
}

// An object of another module, written by hand: one method that fails with the code it is given,
// and an error-info operation that may be missing or have nothing to give.
struct ForeignObject {
    ServiceObject object;
    SOMethodSlot slots[2];

    static SOResult Fail(ServiceObject*, SOResult code) { return code; }
    static std::uint32_t Count(ServiceObject*) { return 1; }

    explicit ForeignObject(SOResult (*getLastErrorInfo)(ServiceObject*, SOErrorInfo*, ServiceObject**)) {
        object.header = {Calculator::kId, 16, "Foreign", &Count, &Count, &Count, nullptr, getLastErrorInfo};
        slots[0] = nullptr;
        slots[1] = reinterpret_cast<SOMethodSlot>(&Fail);
    }
};

TEST_F(HostCall, FailureWithoutErrorInfoIsNotRaised) {
    ForeignObject nothingToGive([](ServiceObject*, SOErrorInfo*, ServiceObject**) -> SOResult { return 9; });
    EXPECT_EQ(so::Call<Calculator::Fail>(&nothingToGive.object, SOResult(0x42)), 0x42u);

    ForeignObject noOperation(nullptr);
    EXPECT_EQ(so::Call<Calculator::Fail>(&noOperation.object, SOResult(0x43)), 0x43u);
}

TEST_F(HostCall, ErrorObjectGivesTheFullerRecord) {
    static ForeignObject errorObject([](ServiceObject*, SOErrorInfo* info, ServiceObject**) -> SOResult {
        *info = SOErrorInfo{};
        info->code = 0x5000A;
        std::strcpy(info->message, "detailed");
        return 0;
    });
    ForeignObject failing([](ServiceObject*, SOErrorInfo* info, ServiceObject** error) -> SOResult {
        *info = SOErrorInfo{};
        info->code = 0x42;
        std::strcpy(info->message, "summary");
        if (error != nullptr)
            *error = &errorObject.object;
        return 0;
    });
    try {
        so::Call<Calculator::Fail>(&failing.object, SOResult(0x42));
        FAIL() << "no exception";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), 0x5000Au);
        EXPECT_EQ(e.Message(), "detailed");
    }
}

TEST_F(HostCall, MissingObjectRaisesNotInitialized) {
    try {
        so::Call<Calculator::Fail>(nullptr, SOResult(0));
        FAIL() << "no exception";
    } catch (const so::ServiceObjectException& e) {
        EXPECT_EQ(e.Code(), 2u);
        EXPECT_EQ(e.Message(), "Not initialized");
    }
}

} // namespace
