// The object template: layout, reference counts, weak references and failure recording.
#include "tests/service-common/TestObjects.h"
#include "tests/support/TestHost.h"

#include "service-common/ServiceObjectPtr.h"

#include <cstring>
#include <thread>

using namespace testing_objects;
using testing_host::LastErrorMessage;

namespace {

class ServiceObjectCpp : public testing_host::HostTest {};

std::uint32_t WordAt(const void* base, std::size_t offset) {
    std::uint32_t word;
    std::memcpy(&word, static_cast<const char*>(base) + offset, sizeof word);
    return word;
}

TEST_F(ServiceObjectCpp, RecordFollowsTheBinaryLayout) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    const ServiceObjectHeader& header = object.Get()->header;
    EXPECT_EQ(header.interfaceId, Calculator::kId);
    EXPECT_EQ(header.tableSize, 24u);
    EXPECT_STREQ(header.interfaceName, "Calculator");
    // Header (8 + 8 + 5 pointers) and three slots, then "EOFT" and the class tag.
    std::size_t endOfTable = sizeof(ServiceObjectHeader) + header.tableSize;
    EXPECT_EQ(sizeof(ServiceObjectHeader), 56u);
    EXPECT_EQ(WordAt(object.Get(), endOfTable), so::FourCC("EOFT"));
    EXPECT_EQ(WordAt(object.Get(), endOfTable + 4), 0xCA1C0001u);
}

TEST_F(ServiceObjectCpp, ReferenceCountStartsAtOneAndDestroysAtZero) {
    int destroyedBefore = destroyedCalculators;
    ServiceObject* object = CalculatorObject::Create();
    EXPECT_EQ(object->header.GetRefCount(object), 1u);
    EXPECT_EQ(object->header.AddRef(object), 2u);
    EXPECT_EQ(object->header.Release(object), 1u);
    EXPECT_EQ(destroyedCalculators, destroyedBefore);
    EXPECT_EQ(object->header.Release(object), 0u);
    EXPECT_EQ(destroyedCalculators, destroyedBefore + 1);
}

TEST_F(ServiceObjectCpp, WeakReferenceLocksWhileAliveAndGivesNullAfter) {
    ServiceObject* object = CalculatorObject::Create();
    SOWeakReference* weak = nullptr;
    EXPECT_EQ(object->header.GetWeakReference(object, nullptr), so::kInvalidArgument);
    ASSERT_EQ(object->header.GetWeakReference(object, &weak), so::kOk);
    EXPECT_NE(weak->IsAlive(weak), 0u);

    ServiceObject* locked = weak->Lock(weak);
    ASSERT_EQ(locked, object);
    EXPECT_EQ(object->header.GetRefCount(object), 2u);
    locked->header.Release(locked);

    object->header.Release(object);
    EXPECT_EQ(weak->IsAlive(weak), 0u);
    EXPECT_EQ(weak->Lock(weak), nullptr);
    EXPECT_EQ(weak->Release(weak), 0u); // the object dropped its own reference to the block
}

TEST_F(ServiceObjectCpp, SecondWeakReferenceSharesTheBlock) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    so::WeakRef first = so::WeakRef::To(object.Get());
    so::WeakRef second = so::WeakRef::To(object.Get());
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(first.Get()->GetRefCount(first.Get()), 3u); // owner + two holders
}

// A class that binds nothing: every slot keeps the "not implemented" answer.
struct Bare : so::ObjectBase {
    using Interface = Calculator;
    static constexpr std::uint32_t kClassTag = 0xBA4E;
    static void BindMethods(so::MethodBinder<Bare>&) {}
};

TEST_F(ServiceObjectCpp, UnimplementedMethodAnswersOneWithoutRecord) {
    so::Ref object = so::Make<Bare>();
    std::int32_t sum = 0;
    auto add = reinterpret_cast<Calculator::Add::Function>(so::MethodSlots(object.Get())[0]);
    EXPECT_EQ(add(object.Get(), 1, 2, &sum), so::kNothingProvided);
    EXPECT_EQ(LastErrorMessage(), "");
}

struct RecordedCase {
    SOResult code;
    const char* expectedMessage; // "" when nothing may be recorded
};

class FailureRecording : public testing_host::HostTest, public ::testing::WithParamInterface<RecordedCase> {};

TEST_P(FailureRecording, RecordsOnlyRealFailures) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    auto fail = reinterpret_cast<Calculator::Fail::Function>(so::MethodSlots(object.Get())[1]);
    EXPECT_EQ(fail(object.Get(), GetParam().code), GetParam().code);
    EXPECT_EQ(LastErrorMessage(), GetParam().expectedMessage);
}

INSTANTIATE_TEST_SUITE_P(ServiceObjectCpp, FailureRecording,
                         ::testing::Values(RecordedCase{0, ""}, RecordedCase{1, ""}, RecordedCase{11, ""},
                                           RecordedCase{3, "Calculator::Fail() failed, code: 0x00000003"},
                                           RecordedCase{0x10005,
                                                        "Calculator::Fail() failed, code: 0x00010005"}));

TEST_F(ServiceObjectCpp, ErrorInfoComesBackThroughAnyObjectOfTheThread) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    SOErrorInfo info{};
    EXPECT_EQ(object.Get()->header.GetLastErrorInfo(object.Get(), nullptr, nullptr), so::kInvalidArgument);
    EXPECT_EQ(object.Get()->header.GetLastErrorInfo(object.Get(), &info, nullptr), so::kNoErrorRecord);
    EXPECT_EQ(info.code, 0u);

    auto fail = reinterpret_cast<Calculator::Fail::Function>(so::MethodSlots(object.Get())[1]);
    fail(object.Get(), 0x1234);
    so::Ref other = so::Ref::Adopt(CalculatorObject::Create());
    ServiceObject* errorObject = reinterpret_cast<ServiceObject*>(0x1);
    ASSERT_EQ(other.Get()->header.GetLastErrorInfo(other.Get(), &info, &errorObject), so::kOk);
    EXPECT_EQ(errorObject, nullptr);
    EXPECT_EQ(std::memcmp(info.marker, "SOEX", 4), 0);
    EXPECT_EQ(info.code, 0x1234u);
    EXPECT_STREQ(info.function, "Calculator::Fail");
    EXPECT_NE(info.line, 0u);
}

TEST_F(ServiceObjectCpp, ErrorInfoWithoutAnInfoPointerLeavesTheErrorObjectSlotAlone) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    ServiceObject* const untouched = reinterpret_cast<ServiceObject*>(0x1);
    ServiceObject* errorObject = untouched;
    EXPECT_EQ(object.Get()->header.GetLastErrorInfo(object.Get(), nullptr, &errorObject),
              so::kInvalidArgument);
    EXPECT_EQ(errorObject, untouched);
}

TEST_F(ServiceObjectCpp, ErrorRecordsArePerThread) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    auto fail = reinterpret_cast<Calculator::Fail::Function>(so::MethodSlots(object.Get())[1]);
    fail(object.Get(), 0x77);
    std::string otherThread = "unset";
    std::thread([&] { otherThread = LastErrorMessage(); }).join();
    EXPECT_EQ(otherThread, "");
    EXPECT_EQ(LastErrorMessage(), "Calculator::Fail() failed, code: 0x00000077");
}

TEST_F(ServiceObjectCpp, ExceptionsBecomeCodesAndRecordsAtTheTable) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    auto raise = reinterpret_cast<Calculator::Throw::Function>(so::MethodSlots(object.Get())[2]);

    EXPECT_EQ(raise(object.Get(), 0), 0x5000Au);
    SOErrorInfo info{};
    ASSERT_EQ(so::ReadLastErrorInfo(&info), so::kOk);
    EXPECT_STREQ(info.message, "Calculator::Throw() failed, code: 0x0005000a: template failed");
    EXPECT_STREQ(info.file, "Templates.cpp");
    EXPECT_EQ(info.line, 42u);

    EXPECT_EQ(raise(object.Get(), 1), so::kGenericFailure);
    EXPECT_EQ(LastErrorMessage(), "Calculator::Throw() failed, code: 0x80004005: plain failure");
}

// An exception means the operation failed, whatever code it carries: one that claims success (0, 1
// or 11) must not leave the caller believing it.
class ExceptionWithoutAFailureCode : public testing_host::HostTest,
                                     public ::testing::WithParamInterface<SOResult> {};

TEST_P(ExceptionWithoutAFailureCode, StillFailsTheOperationAndIsRecorded) {
    so::Ref object = so::Ref::Adopt(CalculatorObject::Create());
    CalculatorObject::From(object.Get()).thrownCode = GetParam();
    auto raise = reinterpret_cast<Calculator::Throw::Function>(so::MethodSlots(object.Get())[2]);
    EXPECT_EQ(raise(object.Get(), 0), so::kGenericFailure);
    EXPECT_EQ(LastErrorMessage(), "Calculator::Throw() failed, code: 0x80004005: template failed");
}

INSTANTIATE_TEST_SUITE_P(ServiceObjectCpp, ExceptionWithoutAFailureCode,
                         ::testing::Values(SOResult{0}, SOResult{1}, SOResult{11}));

} // namespace
