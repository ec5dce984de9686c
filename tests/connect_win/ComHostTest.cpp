// The COM adapter against a fake IDE: argument types and call kinds as the IDE expects them,
// error texts, the click sink, and every reference handed back.
#include "host/com/ComHost.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "connect/Connect.h"
#include "host/com/ComSupport.h"
#include "tests/connect_win/FakeIde.h"

namespace {

using fake::ComPtr;
using fake::Journal;
using fake::Object;
using fake::Raise;
using tolvane::host::HostError;
namespace com = tolvane::host::com;

constexpr IID kIidVBE = {0x0002E100, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidClickEvents = {0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::wstring TextOf(const VARIANT& v) { return v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"<not text>"; }

template <class T>
IUnknown* NativeOf(const std::shared_ptr<T>& object) {
    auto* native = dynamic_cast<com::NativeObject*>(object.get());
    return native ? native->Native() : nullptr;
}

class ComHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Build();
        for (Object* each : All()) baseline[each] = each->Refs();
    }
    void TearDown() override { CoUninitialize(); }

    // A control with "Name" and "Index" properties and the given children.
    ComPtr<Object> MakeControl(const std::wstring& name, short index, std::vector<ComPtr<Object>> children) {
        auto control = fake::Make(L"VBControl " + name, journal);
        auto properties = fake::Make(L"Properties " + name, journal);
        auto nameProperty = fake::Make(L"Property Name", journal);
        nameProperty->Add(L"Value", fake::ReturnsText(name.c_str()));
        auto indexProperty = fake::Make(L"Property Index", journal);
        indexProperty->Add(L"Value", fake::ReturnsVariant(VT_I2, [index](VARIANT& v) { v.iVal = index; }));
        properties->Add(L"Item", [nameProperty, indexProperty](const DISPPARAMS& p, WORD, VARIANT* result, EXCEPINFO* error) {
            if (p.cArgs != 1 || p.rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
            const std::wstring wanted = p.rgvarg[0].bstrVal;
            IDispatch* answer = wanted == L"Name" ? nameProperty.Get() : wanted == L"Index" ? indexProperty.Get() : nullptr;
            if (!answer) return Raise(error, L"Invalid property name");
            result->vt = VT_DISPATCH;
            result->pdispVal = answer;
            answer->AddRef();
            return S_OK;
        });
        control->Add(L"Properties", fake::Returns(properties.Get()));
        control->Add(L"ContainedVBControls", fake::Returns(MakeControls(L"ContainedVBControls " + name, children).Get()));
        owned.insert(owned.end(), {properties, nameProperty, indexProperty});
        return control;
    }

    ComPtr<Object> MakeControls(const std::wstring& name, std::vector<ComPtr<Object>> items) {
        auto controls = fake::Make(name, journal);
        controls->Add(L"Count", fake::ReturnsLong(static_cast<long>(items.size())));
        controls->Add(L"Item", [items](const DISPPARAMS& p, WORD, VARIANT* result, EXCEPINFO* error) {
            if (p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
            if (p.rgvarg[0].vt != VT_I2) return DISP_E_TYPEMISMATCH;
            const int position = p.rgvarg[0].iVal;
            if (position < 1 || position > static_cast<int>(items.size())) return Raise(error, L"Subscript out of range");
            result->vt = VT_DISPATCH;
            result->pdispVal = items[position - 1].Get();
            result->pdispVal->AddRef();
            return S_OK;
        });
        owned.push_back(controls);
        return controls;
    }

    void Build() {
        auto button = MakeControl(L"Command1", 3, {});
        auto frame = MakeControl(L"Frame1", -1, {button});
        auto designer = fake::Make(L"VBForm", journal);
        designer->Add(L"VBControls", fake::Returns(MakeControls(L"VBControls", {frame, button}).Get()));

        auto form = fake::Make(L"VBComponent Form1", journal);
        form->Add(L"Type", fake::ReturnsLong(5));
        form->Add(L"Name", fake::ReturnsText(L"Form1"));
        form->Add(L"Designer", fake::Returns(designer.Get()));
        auto module = fake::Make(L"VBComponent Module1", journal);
        module->Add(L"Type", fake::ReturnsLong(1));
        module->Add(L"Name", fake::ReturnsText(L"Module1"));
        module->Add(L"Designer", fake::Returns(nullptr));

        components = fake::Make(L"VBComponents", journal);
        components->Add(L"Count", fake::ReturnsLong(2));
        components->Add(L"Item", [form, module](const DISPPARAMS& p, WORD, VARIANT* result, EXCEPINFO* error) {
            if (p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
            IDispatch* answer = nullptr;
            if (p.rgvarg[0].vt == VT_I2)
                answer = p.rgvarg[0].iVal == 1 ? form.Get() : p.rgvarg[0].iVal == 2 ? module.Get() : nullptr;
            else if (p.rgvarg[0].vt == VT_BSTR)
                answer = std::wstring(p.rgvarg[0].bstrVal) == L"Form1" ? form.Get() : nullptr;
            else
                return DISP_E_TYPEMISMATCH;
            if (!answer) return Raise(error, L"Subscript out of range");
            result->vt = VT_DISPATCH;
            result->pdispVal = answer;
            answer->AddRef();
            return S_OK;
        });
        auto project = fake::Make(L"VBProject", journal);
        project->Add(L"VBComponents", fake::Returns(components.Get()));

        addIns = fake::Make(L"CommandBar Add-Ins", journal);
        barControls = fake::Make(L"CommandBarControls", journal);
        barControls->Add(L"Add", [this](const DISPPARAMS&, WORD, VARIANT* result, EXCEPINFO* error) {
            if (failAdd) return Raise(error, nullptr, DISP_E_TYPEMISMATCH);
            auto item = fake::Make(L"CommandBarControl", journal);
            auto caption = std::make_shared<std::wstring>(L"Custom");
            item->Add(L"Caption", [caption, this](const DISPPARAMS& p, WORD flags, VARIANT* r, EXCEPINFO* e) {
                if (flags & DISPATCH_PROPERTYPUT) {
                    if (failCaption) return Raise(e, L"Method 'Caption' of object 'CommandBarControl' failed");
                    *caption = TextOf(p.rgvarg[0]);
                    captions.push_back(*caption);
                    return S_OK;
                }
                r->vt = VT_BSTR;
                r->bstrVal = SysAllocString(caption->c_str());
                return S_OK;
            });
            item->Add(L"Delete", [this](const DISPPARAMS&, WORD, VARIANT*, EXCEPINFO*) {
                ++deletes;
                return S_OK;
            });
            menuItems.push_back(item);
            result->vt = VT_DISPATCH;
            result->pdispVal = item.Get();
            item->AddRef();
            return S_OK;
        });
        addIns->Add(L"Controls", fake::Returns(barControls.Get()));

        bars = fake::Make(L"CommandBars", journal);
        bars->Add(L"Item", [this](const DISPPARAMS& p, WORD, VARIANT* result, EXCEPINFO* error) {
            const std::wstring name = TextOf(p.rgvarg[0]);
            if (name == L"Add-Ins") {
                result->vt = VT_DISPATCH;
                result->pdispVal = addIns.Get();
                addIns->AddRef();
            } else if (name == L"Empty") {
                result->vt = VT_EMPTY;
            } else if (name == L"Nothing") {
                result->vt = VT_DISPATCH;
                result->pdispVal = nullptr;
            } else {
                return Raise(error, L"Invalid procedure call or argument");
            }
            return S_OK;
        });

        source = fake::Make<fake::EventSource>(L"CommandBarEvents", journal);
        source->pointIid = kIidClickEvents;
        events = fake::Make(L"Events", journal);
        events->Add(L"CommandBarEvents", [this](const DISPPARAMS& p, WORD, VARIANT* result, EXCEPINFO*) {
            if (p.cArgs != 1 || p.rgvarg[0].vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
            if (sourceAsUnknown) {
                result->vt = VT_UNKNOWN;
                result->punkVal = static_cast<IDispatch*>(source.Get());
            } else {
                result->vt = VT_DISPATCH;
                result->pdispVal = static_cast<IDispatch*>(source.Get());
            }
            source->AddRef();
            return S_OK;
        });

        vbe = fake::Make(L"VBE", journal);
        vbe->AlsoAnswer(kIidVBE);
        vbe->Add(L"ActiveVBProject", fake::Returns(project.Get()));
        vbe->Add(L"CommandBars", fake::Returns(bars.Get()));
        vbe->Add(L"Events", fake::Returns(events.Get()));
        vbe->Add(L"Broken", [](const DISPPARAMS&, WORD, VARIANT*, EXCEPINFO*) { return E_FAIL; });

        owned.insert(owned.end(), {button, frame, designer, form, module, project});
    }

    std::vector<Object*> All() {
        std::vector<Object*> all{vbe.Get(), components.Get(), bars.Get(), addIns.Get(), barControls.Get(), events.Get(),
                                 source.Get()};
        for (auto& each : owned) all.push_back(each.Get());
        return all;
    }

    // Every reference the adapter took has been given back.
    void ExpectReferencesReturned() {
        journal.Clear();  // the journal's argument copies hold references too
        for (Object* each : All()) EXPECT_EQ(each->Refs(), baseline[each]) << std::string(each->Name().begin(), each->Name().end());
        for (auto& item : menuItems) EXPECT_EQ(item->Refs(), 1u);
    }

    std::shared_ptr<tolvane::host::Root> Root() { return com::RootFromDispatch(vbe.Get()); }

    Journal journal;  // first: outlives every object that writes to it
    ComPtr<Object> vbe, components, bars, addIns, barControls, events;
    ComPtr<fake::EventSource> source;
    std::vector<ComPtr<Object>> owned, menuItems;
    std::map<Object*, ULONG> baseline;
    std::vector<std::wstring> captions;
    int deletes = 0;
    bool failAdd = false, failCaption = false, sourceAsUnknown = true;
};

TEST_F(ComHostTest, RootIsTheApplicationViewedAsVbe) {
    EXPECT_THROW(com::RootFromDispatch(nullptr), HostError);
    auto notVbe = fake::Make(L"Other", journal);
    try {
        com::RootFromDispatch(notVbe.Get());
        ADD_FAILURE() << "no error";
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "Type mismatch");
    }
    EXPECT_EQ(notVbe->Refs(), 1u);

    auto root = Root();
    EXPECT_EQ(NativeOf(root), static_cast<IUnknown*>(static_cast<IDispatch*>(vbe.Get())));
    root.reset();
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, WalksTheProjectWithTheArgumentsTheIdeExpects) {
    {
        auto components = Root()->ActiveVBProject()->VBComponents();
        ASSERT_EQ(components->Count(), 2);
        auto first = components->Item(1);
        EXPECT_EQ(journal.Last(L"Item")->argTypes, std::vector<VARTYPE>{VT_I2});
        EXPECT_EQ(journal.Last(L"Item")->flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        EXPECT_EQ(first->Type(), 5);
        EXPECT_EQ(first->Name(), "Form1");
        EXPECT_EQ(components->Item(2)->Type(), 1);

        auto byName = components->Item("Form1");
        EXPECT_EQ(journal.Last(L"Item")->argTypes, std::vector<VARTYPE>{VT_BSTR});
        EXPECT_EQ(TextOf(journal.Last(L"Item")->args[0]), L"Form1");

        auto controls = byName->Designer()->VBControls();
        ASSERT_EQ(controls->Count(), 2);
        auto frame = controls->Item(1);
        // One argument only: the control-array index is left out, not passed as missing.
        EXPECT_EQ(journal.Last(L"Item")->argTypes, std::vector<VARTYPE>{VT_I2});
        EXPECT_EQ(journal.Last(L"Item")->args[0].iVal, 1);

        EXPECT_EQ(frame->GetProperties()->Item("Name")->Value(), tolvane::host::PropertyValue(std::string("Frame1")));
        EXPECT_EQ(frame->GetProperties()->Item("Index")->Value(), tolvane::host::PropertyValue(-1));
        auto inside = frame->ContainedVBControls();
        ASSERT_EQ(inside->Count(), 1);
        auto button = inside->Item(1);
        EXPECT_EQ(button->GetProperties()->Item("Index")->Value().AsNumber(), 3);
        EXPECT_EQ(button->ContainedVBControls()->Count(), 0);
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
    for (const auto& [name, count] : journal.lookups) EXPECT_EQ(count, 1) << std::string(name.begin(), name.end());
    EXPECT_EQ(journal.lookups[L"VBComponent Form1.Name"] + journal.lookups[L"VBComponent Module1.Name"], 1);
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
        {"EXCEPINFO description", [&] { list->Item(9); }, "Subscript out of range"},
        {"EXCEPINFO scode only", [&] { failAdd = true; root->CommandBars()->Item("Add-Ins")->Controls()->Add(1); }, "Type mismatch"},
        {"object without click events",
         [&] { com::EventSourceFromUnknown(static_cast<IDispatch*>(components.Get())); },
         "Object or class does not support the set of events"},
        {"Nothing where an object is needed", [&] { list->Item(2)->Designer(); },
         "Object variable or With block variable not set"},
        {"position beyond 16 bits", [&] { list->Item(40000); }, "Overflow"},
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
    // A bare failure code becomes the system's text for it.
    const std::string generic = com::DescribeFailure(E_FAIL);
    EXPECT_NE(generic.find("0x80004005"), std::string::npos) << generic;
    EXPECT_EQ(com::DescribeFailure(DISP_E_UNKNOWNNAME), "Object doesn't support this property or method");
}

TEST_F(ComHostTest, PropertyValuesOfEveryKindTheIdeMayAnswer) {
    struct Case {
        const char* name;
        VARTYPE type;
        std::function<void(VARIANT&)> fill;
        std::optional<tolvane::host::PropertyValue> expected;  // nullopt: Type mismatch
    };
    static short byRef = 12;
    const Case cases[] = {
        {"I2", VT_I2, [](VARIANT& v) { v.iVal = -1; }, tolvane::host::PropertyValue(-1)},
        {"I4", VT_I4, [](VARIANT& v) { v.lVal = 70000; }, tolvane::host::PropertyValue(70000)},
        {"UI1", VT_UI1, [](VARIANT& v) { v.bVal = 200; }, tolvane::host::PropertyValue(200)},
        {"R8", VT_R8, [](VARIANT& v) { v.dblVal = 4.0; }, tolvane::host::PropertyValue(4)},
        {"BSTR", VT_BSTR, [](VARIANT& v) { v.bstrVal = SysAllocString(L"txt\x00e9"); },
         tolvane::host::PropertyValue(std::string("txt\xC3\xA9"))},
        {"EMPTY", VT_EMPTY, {}, tolvane::host::PropertyValue()},
        {"I2 by reference", VT_I2 | VT_BYREF, [](VARIANT& v) { v.piVal = &byRef; }, tolvane::host::PropertyValue(12)},
        {"object", VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto property = fake::Make(L"Property", journal);
        property->Add(L"Value", fake::ReturnsVariant(c.type, c.fill));
        auto properties = fake::Make(L"Properties", journal);
        properties->Add(L"Item", fake::Returns(property.Get()));
        auto control = fake::Make(L"VBControl", journal);
        control->Add(L"Properties", fake::Returns(properties.Get()));
        auto controls = fake::Make(L"VBControls", journal);
        controls->Add(L"Item", fake::Returns(control.Get()));
        auto designer = fake::Make(L"VBForm", journal);
        designer->Add(L"VBControls", fake::Returns(controls.Get()));
        auto component = fake::Make(L"VBComponent", journal);
        component->Add(L"Designer", fake::Returns(designer.Get()));
        auto components = fake::Make(L"VBComponents", journal);
        components->Add(L"Item", fake::Returns(component.Get()));
        auto project = fake::Make(L"VBProject", journal);
        project->Add(L"VBComponents", fake::Returns(components.Get()));
        auto root = fake::Make(L"VBE", journal);
        root->AlsoAnswer(kIidVBE);
        root->Add(L"ActiveVBProject", fake::Returns(project.Get()));

        auto read = [&] {
            return com::RootFromDispatch(root.Get())->ActiveVBProject()->VBComponents()->Item(1)->Designer()->VBControls()
                ->Item(1)->GetProperties()->Item("Index")->Value();
        };
        if (c.expected) {
            EXPECT_EQ(read(), *c.expected);
        } else {
            EXPECT_THROW(read(), HostError);
        }
    }
}

TEST_F(ComHostTest, CommandBarsAddCaptionAndDeleteAsTheIdeExpects) {
    {
        auto root = Root();
        auto barsObject = root->CommandBars();
        EXPECT_EQ(barsObject->Item("Empty"), nullptr);
        EXPECT_EQ(barsObject->Item("Nothing"), nullptr);
        EXPECT_THROW(barsObject->Item("Missing"), HostError);

        auto bar = barsObject->Item("Add-Ins");
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(journal.Last(L"Item")->argTypes, std::vector<VARTYPE>{VT_BSTR});
        EXPECT_EQ(TextOf(journal.Last(L"Item")->args[0]), L"Add-Ins");

        auto item = bar->Controls()->Add(1);
        const auto* add = journal.Last(L"Add");
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(add->flags, DISPATCH_METHOD);
        EXPECT_EQ(add->argTypes, std::vector<VARTYPE>{VT_I2});
        EXPECT_EQ(add->args[0].iVal, 1);
        EXPECT_TRUE(add->named.empty());

        item->SetCaption("Quenlow");
        const auto* put = journal.Last(L"Caption");
        EXPECT_EQ(put->flags, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(put->argTypes, std::vector<VARTYPE>{VT_BSTR});
        EXPECT_EQ(put->named, std::vector<DISPID>{DISPID_PROPERTYPUT});
        EXPECT_EQ(captions, std::vector<std::wstring>{L"Quenlow"});
        EXPECT_EQ(item->Caption(), "Quenlow");

        item->Delete();
        const auto* del = journal.Last(L"Delete");
        EXPECT_EQ(del->flags, DISPATCH_METHOD);
        EXPECT_TRUE(del->argTypes.empty());
        EXPECT_EQ(deletes, 1);
        EXPECT_EQ(NativeOf(item), static_cast<IUnknown*>(static_cast<IDispatch*>(menuItems.back().Get())));
    }
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, ClickEventsReachTheHandlerAndAreUnadvised) {
    for (bool asUnknown : {true, false}) {
        for (VARTYPE flagType : {VARTYPE(VT_BOOL), VARTYPE(VT_VARIANT)}) {
            SCOPED_TRACE(std::string(asUnknown ? "VT_UNKNOWN source" : "VT_DISPATCH source") +
                         (flagType == VT_BOOL ? ", VT_BOOL flags" : ", VT_VARIANT flags"));
            sourceAsUnknown = asUnknown;
            {
                auto root = Root();
                auto item = root->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
                auto eventSource = root->Events()->CommandBarEvents(item);
                const auto* request = journal.Last(L"CommandBarEvents");
                ASSERT_EQ(request->argTypes, std::vector<VARTYPE>{VT_DISPATCH});
                EXPECT_EQ(request->args[0].pdispVal, menuItems.back().Get());
                EXPECT_EQ(NativeOf(eventSource), static_cast<IUnknown*>(static_cast<IDispatch*>(source.Get())));

                int clicks = 0;
                IUnknown* clicked = nullptr;
                eventSource->SetClickHandler([&](const std::shared_ptr<tolvane::host::CommandBarControl>& control,
                                                 bool& handled, bool& cancelDefault) {
                    ++clicks;
                    clicked = NativeOf(control);
                    EXPECT_FALSE(handled);
                    EXPECT_TRUE(cancelDefault);
                    handled = true;
                    cancelDefault = true;
                });
                EXPECT_EQ(source->advises, 1);
                VARIANT_BOOL handled = VARIANT_FALSE, cancelDefault = VARIANT_TRUE;
                EXPECT_EQ(source->Fire(menuItems.back().Get(), handled, cancelDefault, flagType), S_OK);
                EXPECT_EQ(clicks, 1);
                EXPECT_EQ(clicked, static_cast<IUnknown*>(static_cast<IDispatch*>(menuItems.back().Get())));
                EXPECT_EQ(handled, VARIANT_TRUE);
                EXPECT_EQ(cancelDefault, VARIANT_TRUE);

                // A handler that fails does not make the click fail.
                eventSource->SetClickHandler([](const auto&, bool&, bool&) { throw std::runtime_error("boom"); });
                EXPECT_EQ(source->advises, 1);  // replaced in the same sink
                EXPECT_EQ(source->Fire(menuItems.back().Get(), handled, cancelDefault, flagType), S_OK);

                eventSource->SetClickHandler({});
                EXPECT_EQ(source->unadvises, 1);
                EXPECT_TRUE(source->UnadvisedSinkFreed());
                EXPECT_EQ(source->sink, nullptr);

                eventSource->SetClickHandler([&](const auto&, bool&, bool&) { ++clicks; });
                EXPECT_EQ(source->advises, 2);
            }
            // Dropped while advised: unadvised on the way out, and the sink is gone.
            EXPECT_EQ(source->unadvises, 2);
            EXPECT_TRUE(source->UnadvisedSinkFreed());
            EXPECT_EQ(source->sink, nullptr);
            ExpectReferencesReturned();
            source->advises = source->unadvises = 0;
        }
    }
}

TEST_F(ComHostTest, EventSourceRequestForNoItemFailsWithoutCallingTheIde) {
    auto eventsObject = Root()->Events();
    try {
        eventsObject->CommandBarEvents(nullptr);
        ADD_FAILURE() << "no error";
    } catch (const HostError& e) {
        EXPECT_STREQ(e.what(), "Invalid procedure call or argument");
    }
    EXPECT_EQ(journal.Count(L"CommandBarEvents"), 0);
}

TEST_F(ComHostTest, EventSourceFromAnObjectTheHostGaveUs) {
    EXPECT_THROW(com::EventSourceFromUnknown(nullptr), HostError);
    {
        auto wrapped = com::EventSourceFromUnknown(static_cast<IDispatch*>(source.Get()));
        int clicks = 0;
        wrapped->SetClickHandler([&](const auto& control, bool&, bool&) {
            ++clicks;
            EXPECT_EQ(control, nullptr);  // the IDE passed no control
        });
        VARIANT_BOOL handled = VARIANT_FALSE, cancelDefault = VARIANT_FALSE;
        source->Fire(nullptr, handled, cancelDefault);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(handled, VARIANT_FALSE);
    }
    EXPECT_EQ(source->sink, nullptr);
    ExpectReferencesReturned();
}

// Connect over the COM adapter, from connection to disconnection.
class RecordingWindow final : public tolvane::AddInWindowApi {
public:
    explicit RecordingWindow(int& shows) : shows_(shows) {}
    void SetVBInstance(std::shared_ptr<tolvane::host::Root>) override {}
    void SetConnect(tolvane::AddInOwner*) override {}
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
        tolvane::ConnectServices services;
        services.makeWindow = [&] { return std::make_unique<RecordingWindow>(shows); };
        services.messageBox = [&](const std::string& text, const std::string&) { messages.push_back(text); };
        tolvane::Connect connect(std::move(services));
        IDispatch* application = vbe.Get();
        connect.AddinInstance_OnConnection([application] { return com::RootFromDispatch(application); }, 1);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(captions, std::vector<std::wstring>{L"Quenlow"});
        ASSERT_EQ(source->advises, 1);

        VARIANT_BOOL handled = VARIANT_FALSE, cancelDefault = VARIANT_FALSE;
        source->Fire(menuItems.back().Get(), handled, cancelDefault);
        EXPECT_EQ(shows, 1);
        EXPECT_EQ(handled, VARIANT_FALSE);
        EXPECT_EQ(cancelDefault, VARIANT_FALSE);

        connect.AddinInstance_OnDisconnection(0);
        EXPECT_EQ(deletes, 1);
    }
    EXPECT_EQ(source->unadvises, 1);
    ExpectReferencesReturned();
}

TEST_F(ComHostTest, ConnectRemovesTheItemWhoseCaptionTheIdeRefused) {
    failCaption = true;
    std::vector<std::string> messages;
    {
        tolvane::ConnectServices services;
        services.messageBox = [&](const std::string& text, const std::string&) { messages.push_back(text); };
        tolvane::Connect connect(std::move(services));
        connect.SetVBInstance(Root());
        EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
        EXPECT_EQ(deletes, 1);
        EXPECT_TRUE(messages.empty());
    }
    ExpectReferencesReturned();
}

}  // namespace
