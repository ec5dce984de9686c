// The class factory, the unload rule, and the Connect object as the IDE and late-bound
// clients use it: _Connect through its type-library IDispatch and its vtable, and
// _IDTExtensibility2 through its hand-written IDispatch and its vtable.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "ServerTestSupport.h"

using namespace servertest;

// The module's interfaces as the tests see them, declared from their documented layout.
// They live in a named namespace on purpose: an abstract class with no implementation in an
// anonymous namespace lets the optimiser treat every call through it as unreachable.
namespace servertest::layout {

// DISPIDs and slots of _IDTExtensibility2 as the add-in designer defines them.
struct IExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch*, LONG, IDispatch*, SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG, SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) = 0;
};

// _Connect's first vtable members, enough to reach FormDisplayed, VBInstance and Show/Hide.
struct IConnectVtable : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_FormDisplayed(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FormDisplayed(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VBInstance(IDispatch**) = 0;
    virtual HRESULT STDMETHODCALLTYPE VBInstanceByValue() = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_VBInstance(IDispatch*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MenuHandler(IUnknown**) = 0;
    virtual HRESULT STDMETHODCALLTYPE MenuHandlerByValue() = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_MenuHandler(IUnknown*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hide() = 0;
    virtual HRESULT STDMETHODCALLTYPE Show() = 0;
};
}  // namespace servertest::layout

using servertest::layout::IConnectVtable;
using servertest::layout::IExtensibility2;

namespace {

DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* hr = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr) *hr = result;
    return id;
}

HRESULT InvokeMethod(IDispatch* object, DISPID id, std::vector<VARIANT> reversedArgs = {}) {
    DISPPARAMS params{reversedArgs.data(), nullptr, static_cast<UINT>(reversedArgs.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

HRESULT PutProperty(IDispatch* object, DISPID id, VARIANT value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT GetProperty(IDispatch* object, DISPID id, VARIANT* result) {
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, result,
                          nullptr, nullptr);
}

VARIANT Bool(bool value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT I4(LONG value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Dispatch(IDispatch* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = value;  // borrowed: the caller keeps the reference
    return v;
}

class FactoryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module_.Loaded()); }

    ComApartment apartment_;
    ServerModule module_;
};

TEST_F(FactoryTest, ServesNoFactoryForAnyOtherClass) {
    const GUID others[] = {GUID_NULL, kLibId, kIidConnect, kIidExtensibility2,
                           {0xBFBC21D4, 0x05CF, 0x11D3, {0xBA, 0x08, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}}};
    for (const GUID& clsid : others) {
        void* factory = reinterpret_cast<void*>(1);
        EXPECT_EQ(module_.GetClassObject(clsid, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE)
            << testing::PrintToString(GuidString(clsid));
        EXPECT_EQ(factory, nullptr);
    }
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(FactoryTest, RefusesAggregation) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module_.GetClassObject(kClsidConnect, IID_PPV_ARGS(&factory)), S_OK);
    auto* outer = new FakeDispatch(false);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(outer->References(), 1);
    outer->Release();
}

TEST_F(FactoryTest, CanUnloadOnlyWhenNoObjectFactoryOrLockIsOutstanding) {
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(module_.GetClassObject(kClsidConnect, IID_PPV_ARGS(&factory)), S_OK);
        EXPECT_EQ(module_.CanUnloadNow(), S_FALSE) << "factory held";
        ASSERT_EQ(factory->LockServer(TRUE), S_OK);
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
        factory.Reset();
        EXPECT_EQ(module_.CanUnloadNow(), S_FALSE) << "object and lock held";
        object.Reset();
        EXPECT_EQ(module_.CanUnloadNow(), S_FALSE) << "lock held";
        ASSERT_EQ(module_.GetClassObject(kClsidConnect, IID_PPV_ARGS(&factory)), S_OK);
        ASSERT_EQ(factory->LockServer(FALSE), S_OK);
        EXPECT_EQ(module_.CanUnloadNow(), S_FALSE) << "factory held again";
    }
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(FactoryTest, ObjectAnswersItsInterfacesWithOneIdentity) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(module_.GetClassObject(kClsidConnect, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);

    ComPtr<IUnknown> connect, extensibility, dispatch, errorInfo;
    ASSERT_EQ(object->QueryInterface(kIidConnect, reinterpret_cast<void**>(connect.GetAddressOf())), S_OK);
    ASSERT_EQ(object->QueryInterface(kIidExtensibility2, reinterpret_cast<void**>(extensibility.GetAddressOf())), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(errorInfo.GetAddressOf())), S_OK);
    EXPECT_NE(connect.Get(), extensibility.Get()) << "two vtables";
    EXPECT_EQ(dispatch.Get(), connect.Get()) << "IDispatch is _Connect's";

    // Every interface leads back to the same IUnknown.
    for (IUnknown* face : {connect.Get(), extensibility.Get(), errorInfo.Get()}) {
        ComPtr<IUnknown> identity;
        ASSERT_EQ(face->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
        EXPECT_EQ(identity.Get(), object.Get());
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(none.GetAddressOf())), E_NOINTERFACE);
    EXPECT_EQ(none.Get(), nullptr);

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(object.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kIidConnect), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kIidExtensibility2), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
}

// ---- through COM, registered ----

// Closes message boxes captioned "Tolvane" that the module shows, and records their text, so
// that no test ever waits for a user.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() : thread_([this] { Watch(); }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    int Seen() const { return seen_; }
    // Each box's text followed by '|'.
    std::wstring Texts() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    void Watch() {
        while (!stop_) {
            if (HWND box = FindWindowW(L"#32770", L"Tolvane")) {
                wchar_t text[512] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    texts_ += std::wstring(text) + L"|";
                }
                ++seen_;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                // Count each box once: wait for it to go.
                for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
            }
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<int> seen_{0};
    mutable std::mutex mutex_;
    std::wstring texts_;
    std::thread thread_;
};

class ConnectObjectTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded());
        ASSERT_EQ(module_.Register(), S_OK);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(L"Quenlow.Connect", &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidConnect,
                                   reinterpret_cast<void**>(connect_.GetAddressOf())),
                  S_OK);
        ASSERT_EQ(connect_->QueryInterface(kIidExtensibility2, reinterpret_cast<void**>(extensibility_.GetAddressOf())),
                  S_OK);
    }
    void TearDown() override {
        extensibility_.Reset();
        connect_.Reset();
        module_.Unregister();
        DeleteTree(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tolvane");
    }

    ComApartment apartment_;
    ServerModule module_;
    ComPtr<IConnectVtable> connect_;
    ComPtr<IExtensibility2> extensibility_;
};

TEST_F(ConnectObjectTest, MemberNamesGiveTheirDispIds) {
    const struct {
        const wchar_t* name;
        DISPID id;
    } members[] = {{L"FormDisplayed", 0x40030000}, {L"VBInstance", 0x40030001}, {L"MenuHandler", 0x40030004},
                   {L"Hide", 0x60030000},          {L"Show", 0x60030001},       {L"AddToAddInCommandBar", 0x60030007},
                   {L"formdisplayed", 0x40030000}};
    for (const auto& member : members) {
        HRESULT hr = E_FAIL;
        EXPECT_EQ(IdOf(connect_.Get(), member.name, &hr), member.id) << testing::PrintToString(std::wstring(member.name));
        EXPECT_EQ(hr, S_OK);
    }
    HRESULT hr = S_OK;
    IdOf(connect_.Get(), L"MenuItem", &hr);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME) << "private members are not exposed";
}

TEST_F(ConnectObjectTest, FormDisplayedThroughIDispatchIsA16BitBoolean) {
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(GetProperty(connect_.Get(), 0x40030000, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), 0) << "false at creation";

    for (bool value : {true, false, true}) {
        ASSERT_EQ(PutProperty(connect_.Get(), 0x40030000, Bool(value)), S_OK);
        ASSERT_EQ(GetProperty(connect_.Get(), 0x40030000, &result), S_OK);
        EXPECT_EQ(V_VT(&result), VT_BOOL);
        EXPECT_EQ(V_BOOL(&result), value ? -1 : 0);
        VARIANT_BOOL direct = 7;
        ASSERT_EQ(connect_->get_FormDisplayed(&direct), S_OK);
        EXPECT_EQ(direct, value ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

TEST_F(ConnectObjectTest, ShowAndHideOnAnObjectNeverConnectedDoNotFail) {
    // With no IDE object the window cannot list the project's forms: it still opens, and
    // says why in a message box (which the watcher closes as a user would).
    MessageBoxWatcher watcher;
    EXPECT_EQ(InvokeMethod(connect_.Get(), 0x60030001), S_OK);  // Show
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(GetProperty(connect_.Get(), 0x40030000, &result), S_OK);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    EXPECT_EQ(InvokeMethod(connect_.Get(), 0x60030000), S_OK);  // Hide
    ASSERT_EQ(GetProperty(connect_.Get(), 0x40030000, &result), S_OK);
    EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
    EXPECT_EQ(connect_->Hide(), S_OK);
    EXPECT_EQ(connect_->Show(), S_OK);
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0) {
        for (int i = 0; i < 100 && watcher.Seen() == 0; ++i) Sleep(20);
        EXPECT_EQ(watcher.Seen(), 1) << testing::PrintToString(watcher.Texts());
        EXPECT_NE(watcher.Texts().find(L"Object variable or With block variable not set"), std::wstring::npos)
            << testing::PrintToString(watcher.Texts());
    }
}

TEST_F(ConnectObjectTest, ByValueSlotsExistAndRefuse) {
    EXPECT_EQ(connect_->VBInstanceByValue(), E_NOTIMPL);
    EXPECT_EQ(connect_->MenuHandlerByValue(), E_NOTIMPL);
}

TEST_F(ConnectObjectTest, VBInstanceKeepsTheIdeObjectByReference) {
    auto* ide = new FakeDispatch(true);
    ComPtr<IDispatch> empty;
    ASSERT_EQ(connect_->get_VBInstance(&empty), S_OK);
    EXPECT_EQ(empty.Get(), nullptr) << "Nothing at creation";

    ASSERT_EQ(connect_->putref_VBInstance(ide), S_OK);
    EXPECT_GT(ide->References(), 1) << "the object keeps a reference";
    ComPtr<IDispatch> back;
    ASSERT_EQ(connect_->get_VBInstance(&back), S_OK);
    ComPtr<IUnknown> backIdentity, ideIdentity;
    back.As(&backIdentity);
    ide->QueryInterface(IID_PPV_ARGS(&ideIdentity));
    EXPECT_EQ(backIdentity.Get(), ideIdentity.Get());
    back.Reset();
    backIdentity.Reset();
    ideIdentity.Reset();

    ASSERT_EQ(connect_->putref_VBInstance(nullptr), S_OK);
    ASSERT_EQ(connect_->get_VBInstance(&back), S_OK);
    EXPECT_EQ(back.Get(), nullptr);
    EXPECT_EQ(ide->References(), 1) << "released when emptied";
    ide->Release();
}

TEST_F(ConnectObjectTest, VBInstanceRefusesAnObjectThatIsNotTheIde) {
    auto* other = new FakeDispatch(false);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(connect_->putref_VBInstance(other), E_INVALIDARG);
    EXPECT_FALSE(ErrorDescription().empty()) << "rich error information";
    ComPtr<IDispatch> back;
    ASSERT_EQ(connect_->get_VBInstance(&back), S_OK);
    EXPECT_EQ(back.Get(), nullptr);
    EXPECT_EQ(other->References(), 1);
    other->Release();
}

TEST_F(ConnectObjectTest, MenuHandlerIsEmptyAtCreation) {
    ComPtr<IUnknown> handler;
    ASSERT_EQ(connect_->get_MenuHandler(&handler), S_OK);
    EXPECT_EQ(handler.Get(), nullptr);
}

TEST_F(ConnectObjectTest, ExtensibilityNamesAreFoundInAnyCase) {
    const struct {
        const wchar_t* name;
        DISPID id;
    } events[] = {{L"OnConnection", 1},      {L"ONDISCONNECTION", 2},  {L"onaddinsupdate", 3},
                  {L"OnStartupComplete", 4}, {L"onBeginShutdown", 5}};
    for (const auto& event : events) {
        HRESULT hr = E_FAIL;
        EXPECT_EQ(IdOf(extensibility_.Get(), event.name, &hr), event.id) << testing::PrintToString(std::wstring(event.name));
        EXPECT_EQ(hr, S_OK);
    }
    HRESULT hr = S_OK;
    EXPECT_EQ(IdOf(extensibility_.Get(), L"OnConnectionX", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(IdOf(extensibility_.Get(), L"FormDisplayed", &hr), DISPID_UNKNOWN) << "the other interface's member";
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
}

TEST_F(ConnectObjectTest, ExtensibilityInvokeChecksItsArguments) {
    tolvane::winapi::UniqueSafeArray custom(SafeArrayCreateVector(VT_VARIANT, 0, 0));
    VARIANT customArg;
    VariantInit(&customArg);
    V_VT(&customArg) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&customArg) = custom.addressof();

    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 4, {customArg}), S_OK);   // OnStartupComplete
    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 3, {customArg}), S_OK);   // OnAddInsUpdate
    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 5, {customArg}), S_OK);   // OnBeginShutdown
    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 4), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 1, {customArg}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(InvokeMethod(extensibility_.Get(), 6, {customArg}), DISP_E_MEMBERNOTFOUND);

    DISPPARAMS params{&customArg, nullptr, 1, 0};
    EXPECT_EQ(extensibility_->Invoke(4, kIidConnect, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(extensibility_->Invoke(4, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    UINT count = 9;
    EXPECT_EQ(extensibility_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(ConnectObjectTest, ConnectionWithAnApplicationThatIsNotTheIdeStillReportsSuccess) {
    MessageBoxWatcher watcher;
    auto* notIde = new FakeDispatch(false);
    EXPECT_EQ(extensibility_->OnConnection(notIde, 0, nullptr, nullptr), S_OK);
    ComPtr<IDispatch> instance;
    ASSERT_EQ(connect_->get_VBInstance(&instance), S_OK);
    EXPECT_EQ(instance.Get(), nullptr);
    EXPECT_EQ(extensibility_->OnDisconnection(1, nullptr), S_OK);
    EXPECT_EQ(notIde->References(), 1) << "nothing of the failed connection is kept";
    notIde->Release();
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0) {
        EXPECT_EQ(watcher.Seen(), 1) << "one message box: " << testing::PrintToString(watcher.Texts());
        EXPECT_GT(watcher.Texts().size(), 1u) << "it states the failure's description";
    }
}

TEST_F(ConnectObjectTest, ExternalConnectionThroughIDispatchShowsAndDisconnectionRemembers) {
    MessageBoxWatcher watcher;
    auto* ide = new FakeDispatch(true);
    // The IDE calls the events through the IDispatch half of the _IDTExtensibility2 pointer
    // (QueryInterface for IID_IDispatch gives _Connect's instead).
    IDispatch* events = extensibility_.Get();
    const DISPID onConnection = IdOf(events, L"OnConnection");
    const DISPID onDisconnection = IdOf(events, L"OnDisconnection");

    VARIANT custom;
    VariantInit(&custom);
    V_VT(&custom) = VT_ERROR;
    V_ERROR(&custom) = DISP_E_PARAMNOTFOUND;
    // Reversed: custom, AddInInst, ConnectMode (2 = started externally), Application.
    ASSERT_EQ(InvokeMethod(events, onConnection, {custom, Dispatch(nullptr), I4(2), Dispatch(ide)}), S_OK);

    VARIANT_BOOL displayed = 0;
    ASSERT_EQ(connect_->get_FormDisplayed(&displayed), S_OK);
    EXPECT_EQ(displayed, VARIANT_TRUE) << "mode 2 shows the window at once";
    ComPtr<IDispatch> instance;
    ASSERT_EQ(connect_->get_VBInstance(&instance), S_OK);
    EXPECT_NE(instance.Get(), nullptr);
    instance.Reset();

    ASSERT_EQ(InvokeMethod(events, onDisconnection, {custom, I4(1)}), S_OK);
    ASSERT_EQ(connect_->get_FormDisplayed(&displayed), S_OK);
    EXPECT_EQ(displayed, VARIANT_FALSE);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Tolvane\\Settings",
                         L"DisplayOnConnect"),
              std::optional<std::wstring>(L"1"));
    // The window opened at the connection and tried to list the project's forms; this fake
    // IDE has no project to give, which the window reported once.
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0) {
        EXPECT_EQ(watcher.Seen(), 1) << testing::PrintToString(watcher.Texts());
        EXPECT_NE(watcher.Texts().find(L"Object doesn't support this property or method"), std::wstring::npos)
            << testing::PrintToString(watcher.Texts());
    }

    connect_.Reset();
    extensibility_.Reset();
    EXPECT_EQ(ide->References(), 1) << "the IDE object is released with the add-in";
    ide->Release();
}

}  // namespace
