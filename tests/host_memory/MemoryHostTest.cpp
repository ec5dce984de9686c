#include <gtest/gtest.h>

#include "host/memory/MemoryHost.h"

namespace tolvane::host::memory {
namespace {

ProjectData SampleProject() {
    ComponentData form1{"Form1", ComponentType::VBForm, {}, true};
    ControlData frame{"fraMain", -1, "VB.Frame", {ControlData{"txtName", -1, "VB.TextBox", {}, {}}}, {}};
    frame.properties["Caption"] = PropertyValue(std::string("Main"));
    form1.controls = {frame, ControlData{"cmdOK", 2, "VB.CommandButton", {}, {}}};
    ComponentData module{"Module1", ComponentType::StdModule, {}, false};
    ComponentData mdi{"MDIForm1", ComponentType::VBMDIForm, {}, true};
    return ProjectData{{form1, module, mdi}};
}

TEST(MemoryHost, ServesComponentsByPositionAndByNameIgnoringCase) {
    auto host = MemoryHost::Create(SampleProject());
    auto components = host->ActiveVBProject()->VBComponents();
    ASSERT_EQ(components->Count(), 3);
    EXPECT_EQ(components->Item(1)->Name(), "Form1");
    EXPECT_EQ(components->Item(2)->Type(), ComponentType::StdModule);
    EXPECT_EQ(components->Item(3)->Type(), ComponentType::VBMDIForm);
    EXPECT_EQ(components->Item("mdiform1")->Name(), "MDIForm1");
    EXPECT_THROW(components->Item(0), HostError);
    EXPECT_THROW(components->Item(4), HostError);
    EXPECT_THROW(components->Item("Form2"), HostError);
    EXPECT_THROW(components->Item("Module1")->Designer(), HostError);
}

TEST(MemoryHost, FormCollectionHoldsEveryControlOrOnlyTheTopLevel) {
    for (auto collection : {FormCollection::EveryControl, FormCollection::TopLevelOnly}) {
        auto host = MemoryHost::Create(SampleProject(), collection);
        auto controls = host->ActiveVBProject()->VBComponents()->Item("Form1")->Designer()->VBControls();
        std::vector<std::string> names;
        for (int i = 1; i <= controls->Count(); ++i)
            names.push_back(controls->Item(i)->GetProperties()->Item("Name")->Value().AsText());
        if (collection == FormCollection::EveryControl)
            EXPECT_EQ(names, (std::vector<std::string>{"fraMain", "txtName", "cmdOK"}));
        else
            EXPECT_EQ(names, (std::vector<std::string>{"fraMain", "cmdOK"}));
        auto frame = controls->Item(1);
        EXPECT_EQ(frame->ContainedVBControls()->Count(), 1);
        EXPECT_EQ(frame->GetProperties()->Item("index")->Value(), PropertyValue(-1));
        EXPECT_EQ(frame->GetProperties()->Item("Caption")->Value().AsText(), "Main");
        EXPECT_THROW(frame->GetProperties()->Item("NoSuchProperty"), HostError);
    }
}

TEST(MemoryHost, FaultPlanFailsTheChosenCallsOnly) {
    auto host = MemoryHost::Create(SampleProject());
    host->Faults().Fail("Components.Item", "Subscript out of range", 1, 1);
    auto components = host->ActiveVBProject()->VBComponents();
    EXPECT_NO_THROW(components->Item(1));
    try {
        components->Item(1);
        FAIL() << "second call must fail";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "Subscript out of range");
    }
    EXPECT_NO_THROW(components->Item(1));
    EXPECT_EQ(host->Faults().Calls("Components.Item"), 3);
    EXPECT_EQ(host->Faults().Calls("Components.Count"), 0);
}

TEST(MemoryHost, NoActiveProjectFailsWhenUsed) {
    auto host = MemoryHost::Create(SampleProject());
    host->CloseProject();
    EXPECT_THROW(host->ActiveVBProject(), HostError);
}

// The code module as the IDE numbers and counts it: the comments above a procedure are its
// own, the last one has the lines after it, a text's lines go in at CR LF, LF or CR.
TEST(MemoryHost, CodeModuleReadsAndChangesLinesAsTheIde) {
    ComponentData form{"Form1", ComponentType::VBForm, {}, true};
    form.code = {"Option Explicit", "Dim n As Long", "", "' Loads.", "Private Sub Form_Load()", "End Sub",
                 "Public Function Twice( _", "    x)", "End Function", ""};
    auto host = MemoryHost::Create(ProjectData{{form}});
    auto module = host->ActiveVBProject()->VBComponents()->Item(1)->CodeModule();
    EXPECT_EQ(module->CountOfLines(), 10);
    EXPECT_EQ(module->CountOfDeclarationLines(), 2);
    EXPECT_EQ(module->Lines(2, 2), "Dim n As Long\r\n");
    EXPECT_EQ(module->Lines(11, 0), "");
    const struct {
        const char* name;
        int start, body, count;
    } procedures[] = {{"form_load", 3, 5, 4}, {"Twice", 7, 7, 4}};
    for (const auto& p : procedures) {
        EXPECT_EQ(module->ProcStartLine(p.name), p.start) << p.name;
        EXPECT_EQ(module->ProcBodyLine(p.name), p.body) << p.name;
        EXPECT_EQ(module->ProcCountLines(p.name), p.count) << p.name;
    }
    EXPECT_THROW(module->ProcStartLine("Form_Resize"), HostError);
    for (const auto& [start, count] : {std::pair{0, 1}, {10, 2}, {1, -1}}) {
        EXPECT_THROW(module->Lines(start, count), HostError) << start << "," << count;
        EXPECT_THROW(module->DeleteLines(start, count), HostError) << start << "," << count;
    }
    EXPECT_THROW(module->InsertLines(12, "x"), HostError);

    module->DeleteLines(7, 4);
    module->InsertLines(1, "' a\r\n' b\n' c\r");
    EXPECT_EQ(module->Lines(1, 5), "' a\r\n' b\r\n' c\r\n\r\nOption Explicit");
    EXPECT_EQ(module->CreateEventProc("Resize", "Form"), 13);
    EXPECT_EQ(module->Lines(10, 5), "End Sub\r\n\r\nPrivate Sub Form_Resize()\r\n\r\nEnd Sub");
    EXPECT_THROW(module->CreateEventProc("Resize", "Form"), HostError);
    // The same lines whoever asks: the component holds them.
    EXPECT_EQ(host->ActiveVBProject()->VBComponents()->Item("Form1")->CodeModule()->CountOfLines(), 14);
}

TEST(MemoryMenu, ItemsAreAddedCaptionedClickedAndDeleted) {
    auto host = MemoryHost::Create(SampleProject());
    EXPECT_EQ(host->CommandBars()->Item("No Such Bar"), nullptr);
    auto item = host->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
    item->SetCaption("Quenlow");
    EXPECT_EQ(host->Menu().Captions("Add-Ins"), (std::vector<std::string>{"Quenlow"}));

    int clicks = 0;
    auto source = host->Events()->CommandBarEvents(item);
    source->SetClickHandler([&](const std::shared_ptr<CommandBarControl>& control, bool& handled, bool&) {
        EXPECT_EQ(control->Caption(), "Quenlow");
        handled = true;
        ++clicks;
    });
    bool handled = false, cancel = true;
    EXPECT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancel));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(cancel);

    // A released event source no longer fires; a disconnected handler neither.
    source.reset();
    EXPECT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_EQ(clicks, 1);

    item->Delete();
    EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());
    EXPECT_FALSE(host->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_THROW(item->Delete(), HostError);
}

TEST(MemoryMenu, EventSourceForNoItemOrAForeignItemFails) {
    auto host = MemoryHost::Create(SampleProject());
    auto other = MemoryHost::Create(SampleProject());
    auto foreign = other->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
    EXPECT_THROW(host->Events()->CommandBarEvents(nullptr), HostError);
    EXPECT_THROW(host->Events()->CommandBarEvents(foreign), HostError);
}

TEST(MemoryMenu, ItemOutlivingItsHostFailsCleanly) {
    std::shared_ptr<CommandBarControl> item;
    {
        auto host = MemoryHost::Create(SampleProject());
        item = host->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
    }
    EXPECT_THROW(item->Delete(), HostError);
}

TEST(PropertyValue, CoercesAsVisualBasicWould) {
    EXPECT_EQ(PropertyValue(12).AsText(), "12");
    EXPECT_EQ(PropertyValue(-1).AsNumber(), -1);
    EXPECT_EQ(PropertyValue(std::string(" 42 ")).AsNumber(), 42);
    EXPECT_EQ(PropertyValue().AsNumber(), 0);
    EXPECT_EQ(PropertyValue().AsText(), "");
    EXPECT_THROW(PropertyValue(std::string("abc")).AsNumber(), HostError);
    EXPECT_THROW(PropertyValue(std::string("99999999999")).AsNumber(), HostError);
}

}  // namespace
}  // namespace tolvane::host::memory
