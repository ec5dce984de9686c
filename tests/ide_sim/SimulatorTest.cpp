// The simulator's objects as the add-in reads them: through host/com (the add-in's own
// late-bound adapter), so every member name, flag and argument type it uses must be answered;
// and raw IDispatch calls for the IDE's contract (DISPIDs, the click's argument types, errors).
#include <gtest/gtest.h>

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/com/ComHost.h"
#include "host/com/ComSupport.h"
#include "host/files/ProjectFiles.h"
#include "tools/ide-sim/IdeObjects.h"

namespace {

using tolvane::host::HostError;
using tolvane::host::ListedControl;
using tolvane::host::memory::MemoryHost;
using namespace tolvane::idesim;

class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }

private:
    HRESULT hr_;
};

std::shared_ptr<MemoryHost> Example() {
    return tolvane::host::files::OpenProject(std::filesystem::path(TOLVANE_EXAMPLE_PROJECT)).host;
}

std::vector<std::string> Listing(tolvane::host::Root& root, const std::string& form) {
    std::vector<std::string> rows;
    tolvane::host::ListFormControls(root, form, [&](const ListedControl& control) {
        rows.push_back(std::string(static_cast<std::size_t>(control.depth), ' ') + control.controlRef);
        return true;
    });
    return rows;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
    return id;
}

// One property get or method call with positional arguments in member order.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
             EXCEPINFO* error = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO ignored{};
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, error ? error : &ignored, nullptr);
    if (!error) {
        SysFreeString(ignored.bstrSource);
        SysFreeString(ignored.bstrDescription);
        SysFreeString(ignored.bstrHelpFile);
    }
    return hr;
}

VARIANT Text(const wchar_t* text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

VARIANT Number(long n) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

// Gets an object member by name; fails the test when it is not an object.
Microsoft::WRL::ComPtr<IDispatch> Object(IDispatch* from, const wchar_t* name, std::vector<VARIANT> args = {}) {
    tolvane::host::com::Variant result;
    const HRESULT hr = Call(from, IdOf(from, name), DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), result.Out());
    EXPECT_EQ(hr, S_OK) << "get";
    Microsoft::WRL::ComPtr<IDispatch> object;
    if (SUCCEEDED(hr) && result.Type() == VT_DISPATCH) object = result.Get()->pdispVal;
    return object;
}

class SimulatorTest : public ::testing::Test {
protected:
    ComApartment apartment;
    std::shared_ptr<MemoryHost> host = Example();
};

TEST_F(SimulatorTest, EveryFormListsTheSameThroughTheAddInsAdapterAsDirectly) {
    Simulator ide(host);
    auto root = tolvane::host::com::RootFromDispatch(ide.Vbe().Get());
    auto direct = host->ActiveVBProject()->VBComponents();
    auto served = root->ActiveVBProject()->VBComponents();
    ASSERT_EQ(served->Count(), direct->Count());
    int forms = 0;
    for (int i = 1; i <= direct->Count(); ++i) {
        auto expected = direct->Item(i);
        auto actual = served->Item(i);
        SCOPED_TRACE(expected->Name());
        EXPECT_EQ(actual->Name(), expected->Name());
        EXPECT_EQ(actual->Type(), expected->Type());
        EXPECT_EQ(served->Item(expected->Name())->Type(), expected->Type()) << "by name";
        if (expected->Type() != tolvane::host::VBForm) continue;
        ++forms;
        const auto rows = Listing(*root, expected->Name());
        EXPECT_EQ(rows, Listing(*host, expected->Name()));
        EXPECT_FALSE(rows.empty());
    }
    EXPECT_EQ(forms, 3);
}

TEST_F(SimulatorTest, HostFailuresReachTheCallerWithTheirDescription) {
    Simulator ide(host);
    auto root = tolvane::host::com::RootFromDispatch(ide.Vbe().Get());
    auto components = root->ActiveVBProject()->VBComponents();
    struct Case {
        const char* what;
        std::function<void()> call;
        const char* description;
    } cases[] = {
        {"unknown component", [&] { components->Item("NoSuchForm"); }, "Subscript out of range"},
        {"position past the end", [&] { components->Item(99); }, "Subscript out of range"},
        {"designer of a module", [&] { components->Item("modMain")->Designer(); },
         "Object variable or With block variable not set"},
        {"unknown property",
         [&] { components->Item("Form1")->Designer()->VBControls()->Item(1)->GetProperties()->Item("Nope"); },
         "Invalid procedure call or argument"},
        {"injected failure",
         [&] {
             host->Faults().Fail("Controls.Count", "Disk read error on Form1.frx");
             components->Item("Form1")->Designer()->VBControls()->Count();
         },
         "Disk read error on Form1.frx"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        try {
            each.call();
            ADD_FAILURE() << "no error";
        } catch (const HostError& e) {
            EXPECT_STREQ(e.what(), each.description);
        }
    }
}

// Menu item, its caption, its click events and their removal, through the adapter; both ways
// the IDE may hand out the event source.
TEST_F(SimulatorTest, MenuItemClickReachesTheAdaptersHandlerAndStopsWhenDisconnected) {
    for (bool asUnknown : {false, true}) {
        SCOPED_TRACE(asUnknown ? "event source as VT_UNKNOWN" : "event source as VT_DISPATCH");
        auto menuHost = Example();
        Simulator ide(menuHost, SimulatorOptions{asUnknown});
        {
            auto root = tolvane::host::com::RootFromDispatch(ide.Vbe().Get());
            EXPECT_EQ(root->CommandBars()->Item("No Such Bar"), nullptr);
            auto item = root->CommandBars()->Item("Add-Ins")->Controls()->Add(1);
            item->SetCaption("Quenlow");
            EXPECT_EQ(menuHost->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"});
            EXPECT_EQ(item->Caption(), "Quenlow");

            auto source = root->Events()->CommandBarEvents(item);
            int clicks = 0;
            std::string clickedCaption;
            source->SetClickHandler([&](const std::shared_ptr<tolvane::host::CommandBarControl>& control, bool& handled,
                                        bool& cancelDefault) {
                ++clicks;
                clickedCaption = control ? control->Caption() : "(null)";
                handled = true;
                EXPECT_FALSE(cancelDefault);
            });
            EXPECT_EQ(ide.AdvisedSinks(), 1);
            bool handled = false, cancelDefault = true;
            ASSERT_TRUE(menuHost->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
            EXPECT_EQ(clicks, 1);
            EXPECT_EQ(clickedCaption, "Quenlow");
            EXPECT_TRUE(handled) << "the sink's answer comes back through the by-reference flag";
            EXPECT_FALSE(cancelDefault);

            source->SetClickHandler({});
            EXPECT_EQ(ide.AdvisedSinks(), 0);
            menuHost->Menu().Click("Add-Ins", "Quenlow");
            EXPECT_EQ(clicks, 1) << "no delivery after Unadvise";

            item->Delete();
            EXPECT_TRUE(menuHost->Menu().Captions("Add-Ins").empty());
        }
        EXPECT_EQ(ide.LiveObjects(), 1) << "every served object released but the VBE";
        EXPECT_TRUE(ide.FailedClicks().empty());
    }
}

TEST_F(SimulatorTest, MembersAnswerTheIdesDispidsWhateverTheCase) {
    Simulator ide(host);
    IDispatch* vbe = ide.Vbe().Get();
    Microsoft::WRL::ComPtr<IDispatch> asVbe;
    ASSERT_EQ(vbe->QueryInterface(kIidVbe, reinterpret_cast<void**>(asVbe.GetAddressOf())), S_OK);
    struct Case {
        IDispatch* object;
        const wchar_t* name;
        DISPID id;
    };
    auto bars = Object(vbe, L"CommandBars");
    auto bar = Object(bars.Get(), L"Item", {Text(L"Add-Ins")});
    auto controls = Object(bar.Get(), L"Controls");
    auto item = Object(controls.Get(), L"Add", {Number(1)});
    auto project = Object(vbe, L"ActiveVBProject");
    auto component = Object(Object(project.Get(), L"VBComponents").Get(), L"Item", {Text(L"Form1")});
    auto form = Object(component.Get(), L"Designer");
    auto events = Object(vbe, L"Events");
    ASSERT_TRUE(item && form && events);
    const Case cases[] = {
        {vbe, L"activevbproject", 201}, {vbe, L"COMMANDBARS", 108}, {vbe, L"Events", 111},
        {project.Get(), L"VBComponents", 135}, {component.Get(), L"Designer", 49}, {component.Get(), L"Type", 51},
        {form.Get(), L"VBControls", 47}, {controls.Get(), L"Add", 0x60030000}, {item.Get(), L"Caption", 0x60040003},
        {item.Get(), L"Delete", 0x60040007}, {events.Get(), L"CommandBarEvents", 205},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(tolvane::host::com::WideToUtf8(each.name)));
        EXPECT_EQ(IdOf(each.object, each.name), each.id);
    }
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    EXPECT_EQ(vbe->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);

    tolvane::host::com::Variant result;
    EXPECT_EQ(Call(vbe, 201, DISPATCH_PROPERTYGET, {Number(1)}, result.Out()), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(vbe, 4242, DISPATCH_PROPERTYGET, {}, result.Out()), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(Object(project.Get(), L"VBComponents").Get(), 0, DISPATCH_METHOD, {}, result.Out()),
              DISP_E_PARAMNOTOPTIONAL);
    // An object that is no menu item of this IDE gets no event source.
    VARIANT notAnItem;
    notAnItem.vt = VT_DISPATCH;
    notAnItem.pdispVal = form.Get();
    EXPECT_EQ(Call(events.Get(), 205, DISPATCH_PROPERTYGET, {notAnItem}, result.Out()),
              DISP_E_TYPEMISMATCH);
}

// A raw sink that records what each Click brings, and answers as told.
class RecordingSink final : public IDispatch {
public:
    explicit RecordingSink(bool setHandled) : setHandled_(setHandled) {}
    std::vector<VARTYPE> types;
    bool sawHandled = false;
    Microsoft::WRL::ComPtr<IUnknown> control;
    int clicks = 0;
    LONG refs = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != kIidCommandBarEvents) return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }  // on the stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != 1 || flags != DISPATCH_METHOD || params->cArgs != 3) return DISP_E_MEMBERNOTFOUND;
        ++clicks;
        types = {params->rgvarg[2].vt, params->rgvarg[1].vt, params->rgvarg[0].vt};
        control.Reset();
        if (params->rgvarg[2].vt == VT_DISPATCH) params->rgvarg[2].pdispVal->QueryInterface(IID_PPV_ARGS(&control));
        if (params->rgvarg[1].vt == (VT_BOOL | VT_BYREF)) {
            sawHandled = *params->rgvarg[1].pboolVal != VARIANT_FALSE;
            if (setHandled_) *params->rgvarg[1].pboolVal = VARIANT_TRUE;
        }
        return S_OK;
    }

private:
    bool setHandled_;
};

TEST_F(SimulatorTest, ClickGoesToEverySinkWithTheItemAndFlagsByReference) {
    Simulator ide(host);
    IDispatch* vbe = ide.Vbe().Get();
    auto controls = Object(Object(Object(vbe, L"CommandBars").Get(), L"Item", {Text(L"Add-Ins")}).Get(), L"Controls");
    auto item = Object(controls.Get(), L"Add", {});  // Type left out: a button
    ASSERT_TRUE(item);
    VARIANT caption = Text(L"Quenlow");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&caption, &put, 1, 1};
    ASSERT_EQ(item->Invoke(0x60040003, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
    VariantClear(&caption);

    VARIANT argument;
    argument.vt = VT_DISPATCH;
    argument.pdispVal = item.Get();
    auto source = Object(Object(vbe, L"Events").Get(), L"CommandBarEvents", {argument});
    ASSERT_TRUE(source);
    Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(source.As(&container), S_OK);
    Microsoft::WRL::ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &point), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(kIidCommandBarEvents, &point), S_OK);

    RecordingSink first(/*setHandled=*/true), second(/*setHandled=*/false);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);

    bool handled = false;
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled));
    for (RecordingSink* sink : {&first, &second}) {
        EXPECT_EQ(sink->clicks, 1);
        EXPECT_EQ(sink->types, (std::vector<VARTYPE>{VT_DISPATCH, VT_BOOL | VT_BYREF, VT_BOOL | VT_BYREF}));
        Microsoft::WRL::ComPtr<IUnknown> itemIdentity;
        item.As(&itemIdentity);
        EXPECT_EQ(sink->control.Get(), itemIdentity.Get()) << "the item the add-in added, same object";
        sink->control.Reset();
    }
    EXPECT_FALSE(first.sawHandled);
    EXPECT_TRUE(second.sawHandled) << "each sink sees what the one before left";
    EXPECT_TRUE(handled);

    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    host->Menu().Click("Add-Ins", "Quenlow");
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(second.clicks, 2);
    EXPECT_EQ(point->Unadvise(secondCookie), S_OK);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 1) << "the point let go of both sinks";
}

}  // namespace
