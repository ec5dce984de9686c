// Our code put into a form's module through the host's CodeModule: insert then remove gives
// the module back line for line, inserting twice is inserting once, a module we refuse and a
// failing IDE leave it as it was.
#include "window/ModuleInsert.h"

#include <gtest/gtest.h>

#include "host/memory/MemoryHost.h"
#include "vb/ModuleScan.h"

namespace tolvane {
namespace {

using host::memory::MemoryHost;

ControlRow Pick(const std::string& ref) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    row.moveH = 1;
    return row;
}

const blocks::Record kRecord{{Pick("cmdOK")}, {}};
const blocks::BlockTexts kTexts{"Dim icmdOK_Left As Single\r\n", "icmdOK_Left = cmdOK.Left\r\n",
                                "If mSized Then\r\n    cmdOK.Left = 1\r\nEnd If\r\n"};
const blocks::EventProcedures kUserForm = EventProceduresOf(CodeTarget::kUserForm);

std::shared_ptr<MemoryHost> FormWithCode(std::vector<std::string> code) {
    host::memory::ComponentData form;
    form.name = "Panel";
    form.type = host::MSForm;
    form.code = std::move(code);
    return MemoryHost::Create({{form}});
}

std::vector<std::string> Module(MemoryHost& host) {
    auto module = host.ActiveVBProject()->VBComponents()->Item("Panel")->CodeModule();
    const int count = module->CountOfLines();
    return count ? vb::SplitModuleText(module->Lines(1, count)) : std::vector<std::string>{};
}

std::shared_ptr<host::Component> Form(MemoryHost& host) { return host.ActiveVBProject()->VBComponents()->Item("Panel"); }

const std::vector<std::vector<std::string>> kModules = {
    {},
    {"Option Explicit"},
    {"Option Explicit", "Dim mCount As Long", "", "' Counts.", "Private Sub UserForm_Initialize()", "    mCount = 0",
     "End Sub", "", "Private Sub UserForm_Resize()", "    Caption = Width", "End Sub"},
};

TEST(ModuleInsert, InsertThenRemoveGivesTheModuleBackAndInsertingTwiceIsOnce) {
    for (const auto& code : kModules) {
        auto host = FormWithCode(code);
        ASSERT_FALSE(InsertIntoModule(*Form(*host), kUserForm, kRecord, kTexts).empty());
        const auto once = Module(*host);
        EXPECT_EQ(once, blocks::ApplyEdit(code, blocks::InsertBlocks(code, kUserForm, kRecord, kTexts)));
        EXPECT_EQ(RecordedPicks(*Form(*host)), kRecord);
        EXPECT_TRUE(InsertIntoModule(*Form(*host), kUserForm, kRecord, kTexts).empty());
        EXPECT_EQ(Module(*host), once);
        RemoveFromModule(*Form(*host), kUserForm);
        EXPECT_EQ(Module(*host), code) << "module of " << code.size() << " lines";
        EXPECT_EQ(RecordedPicks(*Form(*host)), std::nullopt);
    }
}

TEST(ModuleInsert, RefusedModuleAndFailingIdeLeaveTheModuleAsItWas) {
    const std::vector<std::string> damaged = {"' Tolvane: cmdOK=LM", "Dim x", "Private Sub UserForm_Resize()", "End Sub"};
    auto host = FormWithCode(damaged);
    EXPECT_THROW(InsertIntoModule(*Form(*host), kUserForm, kRecord, kTexts), blocks::ModuleError);
    EXPECT_THROW(RemoveFromModule(*Form(*host), kUserForm), blocks::ModuleError);
    EXPECT_EQ(Module(*host), damaged);
    EXPECT_EQ(host->Faults().Calls("CodeModule.InsertLines") + host->Faults().Calls("CodeModule.DeleteLines"), 0);

    // The IDE fails a call part way: the changes made before it are taken back.
    for (const char* failing : {"CodeModule.InsertLines", "CodeModule.DeleteLines"}) {
        for (int skip = 0; skip < 3; ++skip) {
            auto module = FormWithCode(kModules[2]);
            InsertIntoModule(*Form(*module), kUserForm, kRecord, kTexts);
            const auto inserted = Module(*module);
            const blocks::BlockTexts longer{kTexts.declarations + "Dim mSized As Boolean\r\n", kTexts.load, kTexts.resize};
            module->Faults().Fail(failing, "Out of memory", skip, 1);
            try {
                InsertIntoModule(*Form(*module), kUserForm, kRecord, longer);
                continue;  // fewer calls than the failure waits for
            } catch (const host::HostError& error) {
                EXPECT_STREQ(error.what(), "Out of memory");
            }
            EXPECT_EQ(Module(*module), inserted) << failing << " failing after " << skip;
        }
    }
}

}  // namespace
}  // namespace tolvane
