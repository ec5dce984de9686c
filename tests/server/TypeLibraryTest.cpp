// The embedded type library as the system's own loader reads it, for the module of this
// build (i686: the one the IDE loads; x86_64): library attributes, the coclass,
// and _Connect member by member (DISPID, invoke kind, vtable offset, flags), including the two
// placeholder slots and the references into the IDE's and Office's libraries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServerTestSupport.h"

using namespace servertest;

namespace {

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    tolvane::winapi::UniqueBstr name;
    if (FAILED(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr))) return {};
    return std::wstring(tolvane::winapi::BstrView(name.get()));
}

struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    WORD flags;   // FUNCFLAGS
    short params; // including the [out, retval] parameter
};

// Slot order of _Connect's own members.
const std::vector<Member> kMembers = {
    {L"FormDisplayed", 0x40030000, INVOKE_PROPERTYGET, 0, 1},
    {L"FormDisplayed", 0x40030000, INVOKE_PROPERTYPUT, 0, 1},
    {L"VBInstance", 0x40030001, INVOKE_PROPERTYGET, 0, 1},
    {nullptr, 0, INVOKE_FUNC, FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED, 0},  // by-value assignment slot
    {L"VBInstance", 0x40030001, INVOKE_PROPERTYPUTREF, 0, 1},
    {L"MenuHandler", 0x40030004, INVOKE_PROPERTYGET, 0, 1},
    {nullptr, 0, INVOKE_FUNC, FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED, 0},  // by-value assignment slot
    {L"MenuHandler", 0x40030004, INVOKE_PROPERTYPUTREF, 0, 1},
    {L"Hide", 0x60030000, INVOKE_FUNC, 0, 0},
    {L"Show", 0x60030001, INVOKE_FUNC, 0, 0},
    {L"AddToAddInCommandBar", 0x60030007, INVOKE_FUNC, 0, 2},
};

class TypeLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(kDllPath, REGKIND_NONE, &library_), S_OK) << testing::PrintToString(std::wstring(kDllPath));
    }

    ComPtr<ITypeInfo> ConnectDispatch() {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(kIidConnect, &info), S_OK);
        return info;
    }

    ComPtr<ITypeInfo> ConnectVtable() {
        ComPtr<ITypeInfo> dispatch = ConnectDispatch();
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (dispatch && dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref) == S_OK)
            dispatch->GetRefTypeInfo(ref, &vtable);
        return vtable;
    }

    ComApartment apartment_;
    ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibraryTest, LibraryAttributes) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, kLibId);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0x0409u);
    EXPECT_EQ(attributes->syskind, kSysKind);
    library_->ReleaseTLibAttr(attributes);

    tolvane::winapi::UniqueBstr name, help;
    ASSERT_EQ(library_->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.get(), L"Quenlow");
    EXPECT_STREQ(help.get(), L"Generates resizing code");
    EXPECT_EQ(library_->GetTypeInfoCount(), 2u) << "_Connect and Connect, nothing copied from other libraries";
}

TEST_F(TypeLibraryTest, CoclassConnectHasOnlyItsDefaultInterface) {
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(kClsidConnect, &coclass), S_OK);
    EXPECT_EQ(Name(coclass.Get()), L"Connect");
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(attributes->cImplTypes, 1);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    coclass->ReleaseTypeAttr(attributes);

    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, &implemented), S_OK);
    EXPECT_EQ(Name(implemented.Get()), L"_Connect");
}

TEST_F(TypeLibraryTest, ConnectIsAHiddenNonextensibleDualInterface) {
    ComPtr<ITypeInfo> dispatch = ConnectDispatch();
    ASSERT_TRUE(dispatch);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(dispatch->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attributes->wTypeFlags,
              TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE);  // 0x10d0
    EXPECT_EQ(attributes->cbSizeVft, 7 * kPointerSize) << "dispatch half: IUnknown + IDispatch";
    dispatch->ReleaseTypeAttr(attributes);

    ComPtr<ITypeInfo> vtable = ConnectVtable();
    ASSERT_TRUE(vtable);
    ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attributes->guid, kIidConnect);
    EXPECT_EQ(attributes->cFuncs, static_cast<WORD>(kMembers.size()));
    // 7 inherited slots + 11 own slots (9 members and 2 placeholders).
    EXPECT_EQ(attributes->cbSizeVft, (7 + 11) * kPointerSize);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
    vtable->ReleaseTypeAttr(attributes);
}

TEST_F(TypeLibraryTest, MembersSitInTheirSlotsWithTheirDispIds) {
    ComPtr<ITypeInfo> vtable = ConnectVtable();
    ASSERT_TRUE(vtable);
    std::vector<MEMBERID> placeholderIds;
    for (std::size_t k = 0; k < kMembers.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "own slot " << k);
        const Member& expected = kMembers[k];
        FUNCDESC* func = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(static_cast<UINT>(k), &func), S_OK);
        EXPECT_EQ(func->oVft, static_cast<SHORT>((k + 7) * kPointerSize));
        EXPECT_EQ(func->invkind, expected.kind);
        EXPECT_EQ(func->wFuncFlags, expected.flags);
        EXPECT_EQ(func->cParams, expected.params);
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
        if (expected.name) {
            EXPECT_EQ(func->memid, expected.id);
            EXPECT_EQ(Name(vtable.Get(), func->memid), expected.name);
        } else {
            placeholderIds.push_back(func->memid);
        }
        vtable->ReleaseFuncDesc(func);
    }
    ASSERT_EQ(placeholderIds.size(), 2u);
    EXPECT_NE(placeholderIds[0], placeholderIds[1]);
    for (MEMBERID id : placeholderIds) {
        for (const Member& member : kMembers) {
            if (member.name) {
                EXPECT_NE(id, member.id) << "placeholder shares a DISPID with " << member.name;
            }
        }
    }
}

TEST_F(TypeLibraryTest, DispatchHalfListsTheSameMembersAfterIDispatch) {
    ComPtr<ITypeInfo> dispatch = ConnectDispatch();
    ASSERT_TRUE(dispatch);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(dispatch->GetTypeAttr(&attributes), S_OK);
    const WORD count = attributes->cFuncs;
    dispatch->ReleaseTypeAttr(attributes);
    ASSERT_EQ(count, 7 + kMembers.size());
    for (std::size_t k = 0; k < kMembers.size(); ++k) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(dispatch->GetFuncDesc(static_cast<UINT>(7 + k), &func), S_OK);
        EXPECT_EQ(func->invkind, kMembers[k].kind) << k;
        if (kMembers[k].name) {
            EXPECT_EQ(func->memid, kMembers[k].id) << k;
        }
        EXPECT_EQ(func->wFuncFlags, kMembers[k].flags) << k;
        dispatch->ReleaseFuncDesc(func);
    }
}

// The parameter or result type of an own-slot member: the user-defined type behind its
// pointers, or null.
ComPtr<ITypeInfo> ReferencedType(ITypeInfo* vtable, UINT index, HRESULT* hr) {
    FUNCDESC* func = nullptr;
    ComPtr<ITypeInfo> type;
    *hr = vtable->GetFuncDesc(index, &func);
    if (FAILED(*hr)) return type;
    const TYPEDESC* desc = &func->lprgelemdescParam[func->cParams - 1].tdesc;
    while (desc->vt == VT_PTR) desc = desc->lptdesc;
    *hr = desc->vt == VT_USERDEFINED ? vtable->GetRefTypeInfo(desc->hreftype, &type) : E_UNEXPECTED;
    vtable->ReleaseFuncDesc(func);
    return type;
}

// The IDE's and Office's types are references into their own libraries, resolved here
// through the stand-in libraries that the build wrote (registered for the test only).
TEST_F(TypeLibraryTest, IdeAndOfficeTypesAreReferencesIntoTheirLibraries) {
    struct Stub {
        const wchar_t* file;
        GUID libid;
        WORD major, minor;
    };
    const Stub stubs[] = {{L"VB6EXT.OLB", kLibIdVbide, 5, 3}, {L"MSO97.DLL", kLibIdOffice, 2, 0}};
    for (const Stub& stub : stubs) {
        ComPtr<ITypeLib> library;
        std::wstring path = std::wstring(kGeneratedDir) + L"\\" + stub.file;
        ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library), S_OK);
        ASSERT_EQ(RegisterTypeLib(library.Get(), path.data(), nullptr), S_OK);
    }

    ComPtr<ITypeInfo> vtable = ConnectVtable();
    ASSERT_TRUE(vtable);
    const struct {
        UINT slot;
        const wchar_t* type;
        GUID iid;
        GUID libid;
    } references[] = {
        {2, L"VBE", kIidVbe, kLibIdVbide},
        {4, L"VBE", kIidVbe, kLibIdVbide},
        {5, L"CommandBarEvents", {0x0002E197, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, kLibIdVbide},
        {7, L"CommandBarEvents", {0x0002E197, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, kLibIdVbide},
        {10, L"CommandBarControl", {0x000C0308, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, kLibIdOffice},
    };
    for (const auto& reference : references) {
        SCOPED_TRACE(testing::Message() << "own slot " << reference.slot);
        HRESULT hr = E_FAIL;
        ComPtr<ITypeInfo> type = ReferencedType(vtable.Get(), reference.slot, &hr);
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(Name(type.Get()), reference.type);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(type->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->guid, reference.iid);
        type->ReleaseTypeAttr(attributes);
        ComPtr<ITypeLib> container;
        UINT index = 0;
        ASSERT_EQ(type->GetContainingTypeLib(&container, &index), S_OK);
        TLIBATTR* libAttributes = nullptr;
        ASSERT_EQ(container->GetLibAttr(&libAttributes), S_OK);
        EXPECT_EQ(libAttributes->guid, reference.libid) << "a reference, not a copy in our library";
        container->ReleaseTLibAttr(libAttributes);
    }

    for (const Stub& stub : stubs)
        UnRegisterTypeLib(stub.libid, stub.major, stub.minor, 0, kSysKind);
}

}  // namespace
