// A small interface and its implementation, to exercise the object template and host calls.
#pragma once

#include "host/ServiceObject.h"
#include "service-common/ServiceObjectCpp.h"
#include "service-common/ServiceObjectException.h"

#include <atomic>

namespace testing_objects {

// Version 2 of an interface: three methods.
struct Calculator {
    static constexpr std::uint32_t kId = 0x7E570001;
    static constexpr const char* kName = "Calculator";
    using Add = so::Method<0, SOResult(std::int32_t a, std::int32_t b, std::int32_t* sum), "Add">;
    using Fail = so::Method<1, SOResult(SOResult code), "Fail">;
    using Throw = so::Method<2, SOResult(std::uint32_t kind), "Throw">;
    using Methods = so::MethodList<Add, Fail, Throw>;
};

// Version 1 of the same interface: only its first method.
struct CalculatorV1 {
    static constexpr std::uint32_t kId = Calculator::kId;
    static constexpr const char* kName = "Calculator";
    using Add = Calculator::Add;
    using Methods = so::MethodList<Add>;
};

inline std::atomic<int> liveCalculators{0};
inline std::atomic<int> destroyedCalculators{0};

template <class Iface>
class CalculatorImpl : public so::ObjectBase {
public:
    using Interface = Iface;
    static constexpr std::uint32_t kClassTag = 0xCA1C0001;

    static void BindMethods(so::MethodBinder<CalculatorImpl>& binder) {
        binder.template Bind<Calculator::Add, &CalculatorImpl::Add>();
        if constexpr (Iface::Methods::kCount > 1) {
            binder.template Bind<Calculator::Fail, &CalculatorImpl::Fail>();
            binder.template Bind<Calculator::Throw, &CalculatorImpl::Throw>();
        }
    }

    CalculatorImpl() { ++liveCalculators; }
    ~CalculatorImpl() {
        alive = false;
        --liveCalculators;
        ++destroyedCalculators;
    }

    SOResult Add(std::int32_t a, std::int32_t b, std::int32_t* sum) {
        if (sum == nullptr)
            return so::kInvalidArgument;
        *sum = a + b;
        ++calls;
        return so::kOk;
    }
    SOResult Fail(SOResult code) { return code; }
    SOResult Throw(std::uint32_t kind) {
        if (kind == 0)
            throw so::ServiceObjectException(thrownCode, "template failed", "Fill", "Templates.cpp", 42);
        throw std::runtime_error("plain failure");
    }

    std::atomic<bool> alive{true};
    int calls = 0;
    // What Throw(0) raises.
    SOResult thrownCode = 0x5000A;
};

using CalculatorObject = so::ServiceObjectCppTheConcrete<CalculatorImpl<Calculator>>;
using CalculatorV1Object = so::ServiceObjectCppTheConcrete<CalculatorImpl<CalculatorV1>>;

} // namespace testing_objects
