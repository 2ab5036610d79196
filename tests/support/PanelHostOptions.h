// The options of tests that run the panel in a host session, as properties-panel-host does: the
// module (and the logger it finds) from beside the test, the host's UI resources from the source tree.
#pragma once

#include "headless-host/app/HostSession.h"
#include "tests/support/TestHost.h"

#include <filesystem>

namespace testing_host {

inline headless::HostSessionOptions PanelHostOptions() {
    headless::HostSessionOptions options;
    options.module = BinaryFolder() / "libdocument-panel-properties.so";
    options.uiResources = std::filesystem::path(PP_SOURCE_DIR) / "headless-host/ui-resources";
    return options;
}

} // namespace testing_host
