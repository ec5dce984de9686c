#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/memory/MemoryHost.h"
#include "tests/support/HostBuilders.h"

namespace tolvane::host {
namespace {

using memory::ComponentData;
using memory::ControlData;
using memory::FormCollection;
using memory::MemoryHost;
using memory::ProjectData;
using testing::ControlNamed;

ProjectData OneForm(std::vector<ControlData> controls) {
    ComponentData form;
    form.name = "Form1";
    form.controls = std::move(controls);
    return ProjectData{{form}};
}

// Rows as "ref@depth", in listing order.
std::vector<std::string> List(MemoryHost& host, int limit = 1000) {
    std::vector<std::string> rows;
    ListFormControls(host, "Form1", [&](const ListedControl& row) {
        rows.push_back(row.controlRef + "@" + std::to_string(row.depth));
        return static_cast<int>(rows.size()) < limit;
    });
    return rows;
}

// Every listing property must hold whether the form's collection returns every control
// (as the IDE does) or only the top level.
class Listing : public ::testing::TestWithParam<FormCollection> {
protected:
    std::shared_ptr<MemoryHost> Host(std::vector<ControlData> controls) {
        return MemoryHost::Create(OneForm(std::move(controls)), GetParam());
    }
};

INSTANTIATE_TEST_SUITE_P(Collections, Listing,
                         ::testing::Values(FormCollection::EveryControl, FormCollection::TopLevelOnly),
                         [](const auto& info) {
                             return info.param == FormCollection::EveryControl ? "EveryControl" : "TopLevelOnly";
                         });

TEST_P(Listing, TopLevelControlsComeLastFirst) {
    auto host = Host({ControlNamed("A"), ControlNamed("B"), ControlNamed("C")});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"C@0", "B@0", "A@0"}));
}

TEST_P(Listing, ContainerIsFollowedAtOnceByItsContentsLastFirstOneLevelDeeper) {
    auto host =
        Host({ControlNamed("lblTitle"), ControlNamed("fraBox", -1, {ControlNamed("txtA"), ControlNamed("txtB")})});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"fraBox@0", "txtB@1", "txtA@1", "lblTitle@0"}));
}

TEST_P(Listing, NestedContainersRecurseDepthFirst) {
    const ControlData deep = ControlNamed("picDeep", -1, {ControlNamed("lblDeep")});
    const ControlData inner = ControlNamed("fraInner", -1, {ControlNamed("optX"), deep});
    auto host = Host({ControlNamed("picOuter", -1, {ControlNamed("cmdA"), inner}), ControlNamed("cmdLast")});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"cmdLast@0", "picOuter@0", "fraInner@1", "picDeep@2",
                                                     "lblDeep@3", "optX@2", "cmdA@1"}));
}

TEST_P(Listing, ArrayElementsAreReferencedWithTheirIndexAndOthersByNameAlone) {
    auto host = Host({ControlNamed("lblPart"), ControlNamed("lblItem", 0), ControlNamed("lblItem", 1),
                      ControlNamed("lblItem", 7), ControlNamed("tmrPoll"), ControlNamed("linSep"),
                      ControlNamed("mnuFile", -1,
                                   {ControlNamed("mnuOpen"),
                                    ControlNamed("mnuRecent", -1, {ControlNamed("mnuMru", 1)})})});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"mnuFile@0", "mnuRecent@1", "mnuMru(1)@2", "mnuOpen@1",
                                                     "linSep@0", "tmrPoll@0", "lblItem(7)@0", "lblItem(1)@0",
                                                     "lblItem(0)@0", "lblPart@0"}));
}

// A container with more contents than the form's collection has controls is listed whole:
// no remaining count cuts a level short, and indentation follows nesting only.
TEST_P(Listing, NoControlIsSkippedWhateverTheCollectionCount) {
    auto host = Host({ControlNamed("A"), ControlNamed("B"),
                      ControlNamed("fra", -1,
                                   {ControlNamed("t1"), ControlNamed("t2"),
                                    ControlNamed("pic", -1, {ControlNamed("x1"), ControlNamed("x2")}),
                                    ControlNamed("t4")})});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"fra@0", "t4@1", "pic@1", "x2@2", "x1@2", "t2@1", "t1@1",
                                                     "B@0", "A@0"}));
}

TEST_P(Listing, ArrayElementsSpreadOverContainersKeepTheirOwnPlaces) {
    auto host = Host({ControlNamed("Label1", 4),
                      ControlNamed("fra", -1, {ControlNamed("Label1", 0), ControlNamed("Label1", 1)})});
    EXPECT_EQ(List(*host), (std::vector<std::string>{"fra@0", "Label1(1)@1", "Label1(0)@1", "Label1(4)@0"}));
}

TEST_P(Listing, StopsAsSoonAsTheSinkSaysSoEvenInsideAContainer) {
    std::vector<ControlData> inner;
    for (int i = 0; i < 30; ++i) inner.push_back(ControlNamed("txt", i));
    std::vector<ControlData> top;
    for (int i = 0; i < 30; ++i) top.push_back(ControlNamed("lbl", i));
    top.push_back(ControlNamed("fra", -1, std::move(inner)));
    auto host = Host(std::move(top));

    const auto rows = List(*host, 50);
    ASSERT_EQ(rows.size(), 50u);
    EXPECT_EQ(rows.front(), "fra@0");
    EXPECT_EQ(rows[30], "txt(0)@1");
    EXPECT_EQ(rows.back(), "lbl(11)@0");
    EXPECT_EQ(List(*host).size(), 61u);
}

TEST_P(Listing, FormWithoutControlsListsNothing) {
    auto host = Host({});
    EXPECT_TRUE(List(*host).empty());
}

TEST_P(Listing, HostFailureEndsTheListingAfterTheRowsAlreadyDelivered) {
    auto host = Host({ControlNamed("A"), ControlNamed("B"), ControlNamed("C"), ControlNamed("D")});
    // The third read of a control's properties fails: what was listed stays listed.
    std::vector<std::string> rows;
    host->Faults().Fail("Control.Properties", "Automation error", 2);
    EXPECT_THROW(ListFormControls(*host, "Form1",
                                  [&](const ListedControl& row) {
                                      rows.push_back(row.controlRef);
                                      return true;
                                  }),
                 HostError);
    EXPECT_EQ(rows, (std::vector<std::string>{"D", "C"}));
}

TEST(ListingFailures, UnknownFormAndNoProjectAreHostErrors) {
    auto host = MemoryHost::Create(OneForm({ControlNamed("A")}));
    EXPECT_EQ(List(*host).size(), 1u);
    host->CloseProject();
    try {
        ListFormControls(*host, "Form1", [](const ListedControl&) { return true; });
        FAIL() << "no project must fail";
    } catch (const HostError& error) {
        EXPECT_STRNE(error.what(), "");
    }
}

TEST(ListingFailures, ComponentWithoutFormDesignerFails) {
    ComponentData module;
    module.name = "Module1";
    module.type = ComponentType::StdModule;
    module.hasFormDesigner = false;
    auto host = MemoryHost::Create(ProjectData{{module}});
    EXPECT_THROW(ListFormControls(*host, "Module1", [](const ListedControl&) { return true; }), HostError);
    EXPECT_THROW(ListFormControls(*host, "Missing", [](const ListedControl&) { return true; }), HostError);
}

}  // namespace
}  // namespace tolvane::host
