// The handler objects the module hands the engine, as a host sees them across the binary
// interface: each class carries a tag of its own after "EOFT", and asks for the event groups it
// handles.
#include "headless-host/app/HostSession.h"
#include "headless-host/app/PageInspector.h"
#include "headless-host/app/ScenarioParser.h"
#include "headless-host/app/ScenarioRunner.h"
#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "host/UIHandler.h"
#include "service-common/HostCall.h"
#include "tests/support/PanelHostOptions.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

struct HandlerClass {
    std::uint32_t tag = 0;
    std::uint32_t mask = 0;
};

// The word after the "EOFT" that ends a service object's method table.
std::uint32_t ClassTag(ServiceObject* object) {
    std::uint32_t words[2] = {};
    std::memcpy(
        words, reinterpret_cast<const char*>(object) + sizeof(ServiceObjectHeader) + object->header.tableSize,
        sizeof words);
    EXPECT_EQ(words[0], so::FourCC("EOFT"));
    return words[1];
}

TEST(PanelObjects, EveryHandlerClassHasATagOfItsOwnAndItsEventGroups) {
    std::ostringstream diagnostics, out, errors;
    std::map<std::string, HandlerClass> classes;
    {
        headless::HostSession session(testing_host::PanelHostOptions(), diagnostics);
        ASSERT_TRUE(session.HasPanelHandler()) << session.PanelFailure();
        headless::ScenarioRunner runner(session, out, errors, false);
        // Every tab opened, so that every group view and editor is bound.
        ASSERT_TRUE(
            runner.Run(headless::ScenarioParser::ParseInline(
                           "open sample; select \"Name Field\"; expand \".props-tab[panel=Appearance]\"; "
                           "expand \".props-tab[panel=Values]\""),
                       PP_SOURCE_DIR))
            << errors.str();
        headless::ElementRef root = headless::ElementRef::Adopt(session.RootElement());
        std::vector<headless::ElementRef> elements = headless::PageInspector(root.Get()).All("*");
        elements.push_back(headless::ElementRef::Share(root.Get()));
        for (const headless::ElementRef& element : elements) {
            for (const so::Ref& handler : session.Window().HandlersOf(element.Get())) {
                ASSERT_EQ(handler.Get()->header.interfaceId, host::UIHandler::kId);
                const char* name = nullptr;
                std::uint32_t mask = 0;
                so::Call<host::UIHandler::GetHandlerName>(handler.Get(), &name);
                so::Call<host::UIHandler::GetSubscribedEvents>(handler.Get(), &mask);
                // The host's own handlers in the page (the colour table's) are not the module's.
                if (ClassTag(handler.Get()) >> 8 != 0xB7F86Bu && ClassTag(handler.Get()) >> 8 != 0xB7F86Au)
                    continue;
                HandlerClass seen{ClassTag(handler.Get()), mask};
                auto [entry, added] = classes.emplace(name, seen);
                EXPECT_EQ(entry->second.tag, seen.tag) << name << ": one class, one tag";
            }
        }
    }
    ASSERT_EQ(classes.count("panel::PropertiesPanelHandler"), 1u);
    EXPECT_EQ(classes["panel::PropertiesPanelHandler"].tag, 0xB7F86AE8u);
    EXPECT_EQ(classes["panel::PropertiesPanelHandler"].mask, 0x8101u);
    EXPECT_EQ(classes["panel::PropertiesRootGroupHandler"].mask, 0x8100u);
    EXPECT_EQ(classes["panel::PropertiesGroupHandler"].mask, 0x8100u);
    EXPECT_EQ(classes["panel::PropertyHandler_Label"].mask, 0x127u);
    std::set<std::uint32_t> tags;
    for (const auto& [name, seen] : classes) {
        EXPECT_NE(seen.tag, host::UIHandler::kId) << name << " carries the interface's id as its tag";
        EXPECT_TRUE(tags.insert(seen.tag).second) << name << " shares its tag with another class";
    }
}

} // namespace
