// The COM adapter against the IDE simulator: argument types and call kinds as the IDE expects
// them (the simulator's journal records what arrives), error texts, the click sink, and every
// IDE object handed back. Conversions of what an IDE may answer are checked on their own.
#include "host/com/ComHost.h"
#include "winapi/Failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "connect/Connect.h"
#include "host/com/ComSupport.h"
#include "host/memory/MemoryHost.h"
#include "tests/support/HostBuilders.h"
#include "tools/ide-sim/IdeObjects.h"
#include "winapi/Com.h"

namespace {

using namespace tolvane;
using host::HostError;
using host::memory::MemoryHost;
using idesim::JournalEntry;
using idesim::Simulator;
namespace com = host::com;

template <class T>
IUnknown* NativeOf(const std::shared_ptr<T>& object) {
    auto* native = dynamic_cast<com::NativeObject*>(object.get());
    return native ? native->Native() : nullptr;
}

// Form1 holds Frame1, which holds Command1(3); Module1 has no designer.
std::shared_ptr<MemoryHost> SmallProject() {
    host::memory::ComponentData form;
    form.name = "Form1";
    form.type = host::VBForm;
    form.controls = {tolvane::testing::ControlNamed("Frame1", -1, {tolvane::testing::ControlNamed("Command1", 3)})};
    form.controls[0].className = "VB.Frame";
    form.code = {"Option Explicit", "Private Sub Form_Load()", "End Sub"};
    host::memory::ComponentData module;
    module.name = "Module1";
    module.type = host::StdModule;
    module.hasFormDesigner = false;
    host::memory::ProjectData project;
    project.components = {form, module};
    return MemoryHost::Create(project);
}

class ComHostTest : public ::testing::Test {
protected:
    void Serve(idesim::SimulatorOptions options) {
        ide.reset();
        ide = std::make_unique<Simulator>(host, options);
    }
    std::shared_ptr<host::Root> Root() { return com::RootFromDispatch(ide->Vbe().Get()); }

    // The last call of "Object.Member" the simulator received.
    JournalEntry Last(const std::string& call) const {
        const auto journal = ide->Journal();
        for (auto it = journal.rbegin(); it != journal.rend(); ++it)
            if (it->call == call) return *it;
        ADD_FAILURE() << "no call " << call;
        return {};
    }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& entry : ide->Journal()) n += entry.call == call;
        return n;
    }
    // Every IDE object the adapter took has been given back: only the simulator's VBE lives.
    void ExpectReferencesReturned() const { EXPECT_EQ(ide->LiveObjects(), 1); }

    winapi::ComApartment apartment;
    std::shared_ptr<MemoryHost> host = SmallProject();
    std::unique_ptr<Simulator> ide = std::make_unique<Simulator>(host);
};

TEST_F(ComHostTest, RootIsTheApplicationViewedAsVbe) {
    EXPECT_THROW(com::RootFromDispatch(nullptr), HostError);
    {
        auto root = Root();
        EXPECT_EQ(NativeOf(root), static_cast<IUnknown*>(ide->Vbe().Get()));
        auto events = root->Events();
        try {
            com::RootFromDispatch(static_cast<IDispatch*>(NativeOf(events)));
            ADD_FAILURE() << "no error";
        } catch (const HostError& e) {
            EXPECT_STREQ(e.what(), "Type mismatch");
        }
    }
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, WalksTheProjectWithTheArgumentsTheIdeExpects) {
    {
        auto components = Root()->ActiveVBProject()->VBComponents();
        ASSERT_EQ(components->Count(), 2);
        auto first = components->Item(1);
        EXPECT_EQ(Last("VBComponents.Item").argumentTypes, std::vector<VARTYPE>{VT_I2});
        EXPECT_EQ(Last("VBComponents.Item").flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        EXPECT_EQ(first->Type(), host::VBForm);
        EXPECT_EQ(first->Name(), "Form1");
        EXPECT_EQ(components->Item(2)->Type(), host::StdModule);

        auto byName = components->Item("Form1");
        EXPECT_EQ(Last("VBComponents.Item").argumentTypes, std::vector<VARTYPE>{VT_BSTR});

        auto controls = byName->Designer()->VBControls();
        ASSERT_EQ(controls->Count(), 2);
        auto frame = controls->Item(1);
        // One argument only: the control-array index is left out, not passed as missing.
        EXPECT_EQ(Last("VBControls.Item").argumentTypes, std::vector<VARTYPE>{VT_I2});

        EXPECT_EQ(frame->ProgId(), "VB.Frame");
        EXPECT_EQ(Last("VBControl.ProgId").flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        EXPECT_EQ(frame->GetProperties()->Item("Name")->Value(), host::PropertyValue(std::string("Frame1")));
        EXPECT_EQ(frame->GetProperties()->Item("Index")->Value(), host::PropertyValue(-1));
        auto inside = frame->ContainedVBControls();
        ASSERT_EQ(inside->Count(), 1);
        auto button = inside->Item(1);
        EXPECT_EQ(button->GetProperties()->Item("Index")->Value().AsNumber(), 3);
        EXPECT_EQ(button->ContainedVBControls()->Count(), 0);
    }
    ExpectReferencesReturned();
}

// The code module's members, with the argument types and call kinds of the IDE's library.
TEST_F(ComHostTest, CodeModuleCallsCarryTheArgumentsTheIdeExpects) {
    {
        auto module = Root()->ActiveVBProject()->VBComponents()->Item("Form1")->CodeModule();
        const auto get = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
        EXPECT_EQ(module->CountOfLines(), 3);
        EXPECT_EQ(module->CountOfDeclarationLines(), 1);
        EXPECT_EQ(module->ProcBodyLine("Form_Load"), 2);
        EXPECT_EQ(module->ProcStartLine("Form_Load") + module->ProcCountLines("Form_Load"), 4);
        EXPECT_EQ(module->Lines(2, 2), "Private Sub Form_Load()\r\nEnd Sub");
        module->InsertLines(3, "    Caption = \"\"");
        module->DeleteLines(1, 1);
        EXPECT_EQ(module->CreateEventProc("Resize", "Form"), 6);
        EXPECT_THROW(module->ProcStartLine("Form_Paint"), HostError);
        const struct {
            const char* call;
            WORD flags;
            std::vector<VARTYPE> types;
        } expected[] = {
            {"CodeModule.CountOfLines", get, {}},
            {"CodeModule.CountOfDeclarationLines", get, {}},
            {"CodeModule.Lines", get, {VT_I4, VT_I4}},
            {"CodeModule.ProcStartLine", get, {VT_BSTR, VT_I4}},
            {"CodeModule.ProcBodyLine", get, {VT_BSTR, VT_I4}},
            {"CodeModule.ProcCountLines", get, {VT_BSTR, VT_I4}},
            {"CodeModule.InsertLines", DISPATCH_METHOD, {VT_I4, VT_BSTR}},
            {"CodeModule.DeleteLines", DISPATCH_METHOD, {VT_I4, VT_I4}},
            {"CodeModule.CreateEventProc", DISPATCH_METHOD, {VT_BSTR, VT_BSTR}},
        };
        for (const auto& e : expected) {
            EXPECT_EQ(Last(e.call).flags, e.flags) << e.call;
            EXPECT_EQ(Last(e.call).argumentTypes, e.types) << e.call;
        }
        EXPECT_EQ(module->Lines(1, 6), "Private Sub Form_Load()\r\n    Caption = \"\"\r\nEnd Sub\r\n\r\n"
                                       "Private Sub Form_Resize()\r\n");
    }
    ExpectReferencesReturned();
}

// The VBA editor: known by its root's interface; its item tagged; its clicks from the
// button's own events (Click(Ctrl, ByRef CancelDefault)), VBE.Events never used.
TEST_F(ComHostTest, VbaEditorIsRecognisedAndItsButtonRaisesTheClick) {
    host->SetKind(host::Editor::kVba);
    Serve({});
    {
        auto root = Root();
        EXPECT_EQ(root->Kind(), host::Editor::kVba);
        auto item = root->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
        item->SetCaption("Quenlow");
        item->SetTag("Quenlow.Connect");
        EXPECT_EQ(Last("CommandBarControl.Tag").flags, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(host->Menu().Tags("Add-Ins"), std::vector<std::string>{"Quenlow.Connect"});
        auto source = root->Events()->CommandBarEvents(item);
        int clicks = 0;
        source->SetClickHandler([&](const std::shared_ptr<host::CommandBarControl>& control, bool& handled,
                                    bool& cancelDefault) {
            ++clicks;
            EXPECT_EQ(NativeOf(control), NativeOf(item));
            handled = cancelDefault = true;
        });
        bool handled = false, cancelDefault = false;
        ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
        EXPECT_EQ(clicks, 1);
        EXPECT_TRUE(cancelDefault) << "CancelDefault goes back by reference";
        EXPECT_FALSE(handled) << "a button's own Click has no handled";
        EXPECT_EQ(Count("CommandBarButton.Advise"), 1);
        EXPECT_EQ(Count("VBE.Events"), 0);
        source.reset();
        EXPECT_EQ(Count("CommandBarButton.Unadvise"), 1);
        item->Delete();
    }
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, EachMemberNameIsLookedUpOncePerInterface) {
    auto root = Root();
    for (int round = 0; round < 3; ++round) {
        auto components = root->ActiveVBProject()->VBComponents();
        components->Item(1)->Name();
        components->Item(2)->Name();  // another object of the same interface
        components->Item("Form1")->Designer()->VBControls()->Item(1)->GetProperties()->Item("Name")->Value();
    }
    const auto lookups = ide->Lookups();
    EXPECT_EQ(lookups.size(), 10u);
    for (const auto& [name, count] : lookups) EXPECT_EQ(count, 1) << name;
}

TEST_F(ComHostTest, FailuresCarryTheDescriptionTheUserWouldSee) {
    auto root = Root();
    auto list = root->ActiveVBProject()->VBComponents();
    struct Case {
        const char* name;
        std::function<void()> call;
        std::string description;
    };
    const Case cases[] = {
        {"unknown component", [&] { list->Item("NoSuchForm"); }, "Subscript out of range"},
        {"position past the end", [&] { list->Item(9); }, "Subscript out of range"},
        {"position beyond 16 bits", [&] { list->Item(40000); }, "Overflow"},
        {"Nothing where an object is needed", [&] { list->Item(2)->Designer(); },
         "Object variable or With block variable not set"},
        {"unknown property", [&] { list->Item(1)->Designer()->VBControls()->Item(1)->GetProperties()->Item("Nope"); },
         "Invalid procedure call or argument"},
        {"object without click events",
         [&] { com::EventSourceFromUnknown(NativeOf(list)); }, "Object or class does not support the set of events"},
        {"the host's own failure",
         [&] {
             host->Faults().Fail("Controls.Count", "Disk read error on Form1.frx");
             list->Item("Form1")->Designer()->VBControls()->Count();
         },
         "Disk read error on Form1.frx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.call();
            ADD_FAILURE() << "no error";
        } catch (const HostError& e) {
            EXPECT_EQ(e.what(), c.description);
        }
    }
}

TEST(ComConversionTest, BareFailureCodesGetVisualBasicsOrTheSystemsText) {
    EXCEPINFO codeOnly{};
    codeOnly.scode = DISP_E_TYPEMISMATCH;
    EXPECT_EQ(winapi::DescribeFailure(DISP_E_EXCEPTION, &codeOnly), "Type mismatch");
    EXPECT_EQ(winapi::DescribeFailure(DISP_E_UNKNOWNNAME), "Object doesn't support this property or method");
    const std::string generic = winapi::DescribeFailure(E_FAIL);
    EXPECT_NE(generic.find("Automation error 0x80004005"), std::string::npos) << generic;
}

TEST(ComConversionTest, PropertyValuesOfEveryKindTheIdeMayAnswer) {
    static short byReference = 12;
    struct Case {
        const char* name;
        VARTYPE type;
        std::function<void(VARIANT&)> fill;
        std::optional<host::PropertyValue> expected;  // nullopt: Type mismatch
    };
    const Case cases[] = {
        {"I2", VT_I2, [](VARIANT& v) { v.iVal = -1; }, host::PropertyValue(-1)},
        {"I4", VT_I4, [](VARIANT& v) { v.lVal = 70000; }, host::PropertyValue(70000)},
        {"UI1", VT_UI1, [](VARIANT& v) { v.bVal = 200; }, host::PropertyValue(200)},
        {"R8", VT_R8, [](VARIANT& v) { v.dblVal = 4.0; }, host::PropertyValue(4)},
        {"BSTR", VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(L"txt\x00e9"); },
         host::PropertyValue(std::string("txt\xC3\xA9"))},
        {"EMPTY", VT_EMPTY, [](VARIANT&) {}, host::PropertyValue()},
        {"I2 by reference", VT_I2 | VT_BYREF, [](VARIANT& v) { v.piVal = &byReference; }, host::PropertyValue(12)},
        {"object", VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        winapi::UniqueVariant value;
        value->vt = c.type;
        c.fill(*value.get());
        if (c.expected) {
            EXPECT_EQ(com::AsPropertyValue(*value.get()), *c.expected);
        } else {
            EXPECT_THROW(com::AsPropertyValue(*value.get()), HostError);
        }
    }
}

TEST_F(ComHostTest, ObjectResultsOfEveryKindTheIdeMayAnswer) {
    const auto vbe = ide->Vbe();
    struct Case {
        const char* name;
        winapi::UniqueVariant value;
        IDispatch* expected;
        bool mismatch = false;
    };
    winapi::UniqueVariant asUnknown;
    asUnknown->vt = VT_UNKNOWN;
    asUnknown->punkVal = vbe.Get();
    vbe->AddRef();
    Case cases[] = {
        {"Empty", winapi::UniqueVariant(), nullptr},
        {"Nothing", winapi::VariantOfObject(nullptr), nullptr},
        {"object", winapi::VariantOfObject(vbe.Get()), vbe.Get()},
        {"object as IUnknown", std::move(asUnknown), vbe.Get()},
        {"number", winapi::VariantOfLong(1), nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.mismatch) {
            EXPECT_THROW(com::AsDispatch(*c.value.get()), HostError);
        } else {
            EXPECT_EQ(com::AsDispatch(*c.value.get()).Get(), c.expected);
        }
    }
}

TEST_F(ComHostTest, CommandBarsAddCaptionAndDeleteAsTheIdeExpects) {
    {
        auto bars = Root()->CommandBars();
        EXPECT_EQ(bars->Item("No Such Bar"), nullptr);
        EXPECT_EQ(Last("CommandBars.Item").argumentTypes, std::vector<VARTYPE>{VT_BSTR});

        auto item = bars->Item("Add-Ins")->Controls()->Add(1);
        const auto add = Last("CommandBarControls.Add");
        EXPECT_EQ(add.flags, DISPATCH_METHOD);
        EXPECT_EQ(add.argumentTypes, std::vector<VARTYPE>{VT_I2});
        EXPECT_TRUE(add.namedArguments.empty());

        item->SetCaption("Quenlow");
        const auto put = Last("CommandBarControl.Caption");
        EXPECT_EQ(put.flags, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(put.argumentTypes, std::vector<VARTYPE>{VT_BSTR});
        EXPECT_EQ(put.namedArguments, std::vector<DISPID>{DISPID_PROPERTYPUT});
        EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"});
        EXPECT_EQ(item->Caption(), "Quenlow");

        item->Delete();
        const auto removal = Last("CommandBarControl.Delete");
        EXPECT_EQ(removal.flags, DISPATCH_METHOD);
        EXPECT_TRUE(removal.argumentTypes.empty());
        EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());

        host->Faults().Fail("CommandBars.Item", "Invalid procedure call or argument");
        EXPECT_THROW(bars->Item("Add-Ins"), HostError);
    }
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, ClickEventsReachTheHandlerAndAreUnadvised) {
    for (bool sourceAsUnknown : {true, false}) {
        for (bool flagsAsVariants : {false, true}) {
            SCOPED_TRACE(std::string(sourceAsUnknown ? "VT_UNKNOWN source" : "VT_DISPATCH source") +
                         (flagsAsVariants ? ", VT_VARIANT flags" : ", VT_BOOL flags"));
            Serve({sourceAsUnknown, flagsAsVariants});
            {
                auto root = Root();
                auto item = root->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
                item->SetCaption("Quenlow");
                auto source = root->Events()->CommandBarEvents(item);
                EXPECT_EQ(Last("Events.CommandBarEvents").argumentTypes, std::vector<VARTYPE>{VT_DISPATCH});

                int clicks = 0;
                IUnknown* clicked = nullptr;
                source->SetClickHandler([&](const std::shared_ptr<host::CommandBarControl>& control, bool& handled,
                                            bool& cancelDefault) {
                    ++clicks;
                    clicked = NativeOf(control);
                    EXPECT_FALSE(handled);
                    EXPECT_FALSE(cancelDefault);
                    handled = cancelDefault = true;
                });
                bool handled = false, cancelDefault = false;
                ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
                EXPECT_EQ(clicks, 1);
                EXPECT_EQ(clicked, NativeOf(item));
                EXPECT_TRUE(handled && cancelDefault) << "the handler's answers go back by reference";

                // A handler that fails does not make the click fail; it is replaced in the same sink.
                source->SetClickHandler([](const auto&, bool&, bool&) { throw std::runtime_error("boom"); });
                host->Menu().Click("Add-Ins", "Quenlow");
                EXPECT_TRUE(ide->FailedClicks().empty());
                EXPECT_EQ(Count("CommandBarEvents.Advise"), 1);

                source->SetClickHandler({});
                EXPECT_EQ(ide->AdvisedSinks(), 0);
                host->Menu().Click("Add-Ins", "Quenlow");
                EXPECT_EQ(clicks, 1) << "no delivery after Unadvise";

                source->SetClickHandler([&](const auto&, bool&, bool&) { ++clicks; });
                EXPECT_EQ(Count("CommandBarEvents.Advise"), 2);
                item->Delete();
            }
            // Dropped while advised: unadvised on the way out.
            EXPECT_EQ(Count("CommandBarEvents.Unadvise"), 2);
            EXPECT_EQ(ide->AdvisedSinks(), 0);
            ExpectReferencesReturned();
        }
    }
}

TEST_F(ComHostTest, EventSourceRequestForNoItemFailsWithoutCallingTheIde) {
    auto events = Root()->Events();
    try {
        events->CommandBarEvents(nullptr);
        ADD_FAILURE() << "no error";
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "Invalid procedure call or argument");
    }
    EXPECT_EQ(Count("Events.CommandBarEvents"), 0);
}

TEST_F(ComHostTest, EventSourceFromAnObjectTheHostGaveUs) {
    EXPECT_THROW(com::EventSourceFromUnknown(nullptr), HostError);
    {
        auto root = Root();
        auto item = root->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
        item->SetCaption("Quenlow");
        // As _Connect's MenuHandler receives it: the IDE's object, not one of the adapter's.
        auto wrapped = com::EventSourceFromUnknown(NativeOf(root->Events()->CommandBarEvents(item)));
        int clicks = 0;
        wrapped->SetClickHandler([&](const auto& control, bool&, bool&) {
            ++clicks;
            EXPECT_EQ(NativeOf(control), NativeOf(item));
        });
        EXPECT_EQ(ide->AdvisedSinks(), 1);
        host->Menu().Click("Add-Ins", "Quenlow");
        EXPECT_EQ(clicks, 1);
    }
    EXPECT_EQ(ide->AdvisedSinks(), 0);
    ExpectReferencesReturned();
}

// Connect over the COM adapter, from connection to disconnection.
class RecordingWindow final : public AddInWindowApi {
public:
    explicit RecordingWindow(int& shows) : shows_(shows) {}
    void SetVBInstance(std::shared_ptr<host::Root>) override {}
    void SetConnect(AddInOwner*) override {}
    void Show() override { ++shows_; }
    void Hide() override {}
    void Unload() override {}

private:
    int& shows_;
};

TEST_F(ComHostTest, ConnectAddsItsMenuItemAndAnswersClicksThroughCom) {
    int shows = 0;
    std::vector<std::string> messages;
    {
        ConnectServices services;
        services.makeWindow = [&] { return std::make_unique<RecordingWindow>(shows); };
        services.messageBox = [&](const std::string& text, const std::string&) { messages.push_back(text); };
        Connect connect(std::move(services));
        IDispatch* application = ide->Vbe().Get();
        connect.AddinInstance_OnConnection([application] { return com::RootFromDispatch(application); }, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"});
        ASSERT_EQ(ide->AdvisedSinks(), 1);

        bool handled = false, cancelDefault = false;
        host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault);
        EXPECT_EQ(shows, 1);
        EXPECT_FALSE(handled);
        EXPECT_FALSE(cancelDefault);

        connect.AddinInstance_OnDisconnection(0);
        EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());
    }
    EXPECT_EQ(ide->AdvisedSinks(), 0);
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, ConnectRemovesTheItemWhoseCaptionTheIdeRefused) {
    host->Faults().Fail("CommandBarControl.SetCaption", "Method 'Caption' of object 'CommandBarControl' failed");
    std::vector<std::string> messages;
    {
        ConnectServices services;
        services.messageBox = [&](const std::string& text, const std::string&) { messages.push_back(text); };
        Connect connect(std::move(services));
        connect.SetVBInstance(Root());
        EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
        EXPECT_EQ(Count("CommandBarControl.Delete"), 1);
        EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());
        EXPECT_TRUE(messages.empty());
    }
    ExpectReferencesReturned();
}

}  // namespace
