// The simulator's objects as the add-in reads them: the example project through host/com (the
// add-in's own late-bound adapter; tests/host_com checks that adapter against the simulator),
// and raw IDispatch calls for the IDE's contract (DISPIDs, the click's argument types, errors).
#include <gtest/gtest.h>

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/com/ComHost.h"
#include "host/files/ProjectFiles.h"
#include "tools/ide-sim/IdeObjects.h"
#include "winapi/Com.h"
#include "winapi/ComObject.h"
#include "winapi/IdeInterfaces.h"
#include "winapi/Text.h"

namespace {

using tolvane::host::HostError;
using tolvane::host::ListedControl;
using tolvane::host::memory::MemoryHost;
using namespace tolvane::idesim;
using tolvane::winapi::ComPtr;
using tolvane::winapi::UniqueVariant;
namespace ide = tolvane::winapi::ide;

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
    tolvane::winapi::UniqueExcepInfo ignored;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, error ? error : ignored.get(),
                          nullptr);
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
ComPtr<IDispatch> Object(IDispatch* from, const wchar_t* name, std::vector<VARIANT> args = {}) {
    UniqueVariant result;
    const HRESULT hr = Call(from, IdOf(from, name), DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), result.put());
    EXPECT_EQ(hr, S_OK) << "get";
    ComPtr<IDispatch> object;
    if (SUCCEEDED(hr) && result->vt == VT_DISPATCH) object = result->pdispVal;
    return object;
}

class SimulatorTest : public ::testing::Test {
protected:
    tolvane::winapi::ComApartment apartment;
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

TEST_F(SimulatorTest, MembersAnswerTheIdesDispidsWhateverTheCase) {
    Simulator ide(host);
    IDispatch* vbe = ide.Vbe().Get();
    ComPtr<IDispatch> asVbe;
    ASSERT_EQ(vbe->QueryInterface(ide::kIidVbe, reinterpret_cast<void**>(asVbe.GetAddressOf())), S_OK);
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
        SCOPED_TRACE(tolvane::winapi::WideToUtf8(each.name));
        EXPECT_EQ(IdOf(each.object, each.name), each.id);
    }
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    EXPECT_EQ(vbe->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);

    UniqueVariant result;
    EXPECT_EQ(Call(vbe, 201, DISPATCH_PROPERTYGET, {Number(1)}, result.put()), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(vbe, 4242, DISPATCH_PROPERTYGET, {}, result.put()), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(Object(project.Get(), L"VBComponents").Get(), 0, DISPATCH_METHOD, {}, result.put()),
              DISP_E_PARAMNOTOPTIONAL);
    // An object that is no menu item of this IDE gets no event source.
    VARIANT notAnItem;
    notAnItem.vt = VT_DISPATCH;
    notAnItem.pdispVal = form.Get();
    EXPECT_EQ(Call(events.Get(), 205, DISPATCH_PROPERTYGET, {notAnItem}, result.put()), DISP_E_TYPEMISMATCH);
}

// A raw sink that records what each Click brings, and answers as told.
class RecordingSink final : public tolvane::winapi::DispatchObject<> {
public:
    explicit RecordingSink(bool setHandled) : setHandled_(setHandled) {}
    std::vector<VARTYPE> types;
    bool sawHandled = false;
    ComPtr<IUnknown> control;
    int clicks = 0;

    // The references held now, the test's own included.
    ULONG References() {
        AddRef();
        return Release();
    }
    IFACEMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    IFACEMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
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
    void* InterfaceFor(REFIID iid) noexcept override {
        return tolvane::winapi::FindInterface(iid, {{IID_IDispatch, static_cast<IDispatch*>(this)},
                                                    {ide::kIidCommandBarControlEvents, static_cast<IDispatch*>(this)}});
    }
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
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(source.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &point), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(ide::kIidCommandBarControlEvents, &point), S_OK);

    auto first = tolvane::winapi::MakeComObject<RecordingSink>(/*setHandled=*/true);
    auto second = tolvane::winapi::MakeComObject<RecordingSink>(/*setHandled=*/false);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.Get()), &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);

    bool handled = false;
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled));
    for (RecordingSink* sink : {first.Get(), second.Get()}) {
        EXPECT_EQ(sink->clicks, 1);
        EXPECT_EQ(sink->types, (std::vector<VARTYPE>{VT_DISPATCH, VT_BOOL | VT_BYREF, VT_BOOL | VT_BYREF}));
        ComPtr<IUnknown> itemIdentity;
        item.As(&itemIdentity);
        EXPECT_EQ(sink->control.Get(), itemIdentity.Get()) << "the item the add-in added, same object";
        sink->control.Reset();
    }
    EXPECT_FALSE(first->sawHandled);
    EXPECT_TRUE(second->sawHandled) << "each sink sees what the one before left";
    EXPECT_TRUE(handled);

    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    host->Menu().Click("Add-Ins", "Quenlow");
    EXPECT_EQ(first->clicks, 1);
    EXPECT_EQ(second->clicks, 2);
    EXPECT_EQ(point->Unadvise(secondCookie), S_OK);
    EXPECT_EQ(first->References(), 1u);
    EXPECT_EQ(second->References(), 1u) << "the point let go of both sinks";
}

}  // namespace
