// The entry points a service provider may call from any thread, called from two at once.
#include "tests/module/LoadedModule.h"
#include "tests/support/TestHost.h"

#include "service-common/ServiceObjectPtr.h"
#include "service-common/ServiceQuery.h"

#include <atomic>
#include <latch>
#include <thread>
#include <unistd.h>

namespace {

class ModuleConcurrency : public testing_host::HostTest {};

// The first creations resolve the class's atom, reflection builds its array: both are shared state
// that two threads reach at the same moment here.
TEST_F(ModuleConcurrency, ObjectsAreCreatedAndClassesReflectedFromTwoThreadsAtOnce) {
    const std::filesystem::path copy = std::filesystem::temp_directory_path() /
                                       ("panel-module-concurrency-" + std::to_string(getpid()) + ".so");
    std::filesystem::copy_file(testing_host::BinaryFolder() / "libdocument-panel-properties.so", copy,
                               std::filesystem::copy_options::overwrite_existing);
    {
        testing_host::LoadedModule module(copy);
        const SOAtom plugin = so::AtomOf("PropertiesPanelInplacePlugin");
        std::latch start(2);
        std::atomic<int> created{0};
        std::atomic<int> reflected{0};
        auto work = [&] {
            start.arrive_and_wait();
            for (int i = 0; i < 20; ++i) {
                so::Ref object;
                if (module.create(plugin, object.Put()) == so::kOk && object)
                    created.fetch_add(1);
                const ServiceObjectClassInfo* entries = nullptr;
                std::uint32_t count = 0;
                if (module.reflect(&entries, &count) == so::kOk && count == 1)
                    reflected.fetch_add(1);
            }
        };
        std::thread other(work);
        work();
        other.join();
        EXPECT_EQ(created.load(), 40);
        EXPECT_EQ(reflected.load(), 40);
    }
    std::filesystem::remove(copy);
}

} // namespace
