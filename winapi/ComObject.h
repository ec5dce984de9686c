// The IUnknown and IDispatch plumbing of the product's own COM objects, written once.
//
// ComObject gives an object its reference count and answers QueryInterface from a table of
// rows, as the shell samples' QITAB does. Objects without a type library (the IDE
// simulator's, the add-in's click sink) serve IDispatch from a table of members: a row per
// member with its name and DISPID, found by name for GetIDsOfNames and by DISPID for Invoke.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <initializer_list>
#include <span>

#include "winapi/Text.h"

namespace tolvane::winapi {

// One row of an object's interface table: an interface ID and the face of the object that
// answers it.
struct InterfaceRow {
    const IID& iid;
    void* face;
};

// The face answering `iid`, or null. IUnknown is answered by the first row, so that every
// query for it gives the same pointer (COM's rule for an object's identity).
inline void* FindInterface(REFIID iid, std::initializer_list<InterfaceRow> rows) noexcept {
    if (iid == IID_IUnknown) return rows.size() > 0 ? rows.begin()->face : nullptr;
    for (const InterfaceRow& row : rows)
        if (iid == row.iid) return row.face;
    return nullptr;
}

// IUnknown for an object made of the COM interfaces `Interfaces`: a reference count of its
// own (the object deletes itself when it reaches zero, so make it with new, or MakeComObject)
// and QueryInterface from the table that InterfaceFor gives.
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // IUnknown
    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = InterfaceFor(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    IFACEMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() noexcept = default;
    virtual ~ComObject() = default;

    // The face of this object that answers `iid`, or null: FindInterface over the object's rows.
    virtual void* InterfaceFor(REFIID iid) noexcept = 0;

private:
    std::atomic<ULONG> references_{1};
};

// IDispatch's type-information half for an object that has none: the object answers
// GetIDsOfNames and Invoke itself, usually from a member table (below).
template <class Interface>
class WithoutTypeInfo : public Interface {
public:
    IFACEMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    IFACEMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
};

// A COM object whose first interface is IDispatch without type information.
template <class... Interfaces>
using DispatchObject = ComObject<WithoutTypeInfo<IDispatch>, Interfaces...>;

// A face of an object that is a member of it rather than a base (as when two of its
// interfaces derive from IDispatch and must answer differently): its IUnknown is the outer
// object's, so it shares the object's identity and reference count.
template <class Interface>
class InnerFace : public Interface {
public:
    explicit InnerFace(IUnknown& outer) noexcept : outer_(outer) {}
    InnerFace(const InnerFace&) = delete;
    InnerFace& operator=(const InnerFace&) = delete;

    IFACEMETHODIMP QueryInterface(REFIID iid, void** object) override { return outer_.QueryInterface(iid, object); }
    IFACEMETHODIMP_(ULONG) AddRef() override { return outer_.AddRef(); }
    IFACEMETHODIMP_(ULONG) Release() override { return outer_.Release(); }

private:
    IUnknown& outer_;
};

// A member of an object served through IDispatch. Tables of members may hold this or rows
// derived from it that add what the member does.
struct DispatchMember {
    const wchar_t* name;
    DISPID id;
};

// Member names are compared as Automation compares them: ordinally, ignoring case.
template <class Row, std::size_t N>
const Row* FindMember(std::span<const Row, N> rows, const wchar_t* name) noexcept {
    if (!name) return nullptr;
    for (const Row& row : rows)
        if (EqualsIgnoringCase(name, row.name)) return &row;
    return nullptr;
}

template <class Row, std::size_t N>
const Row* FindMember(std::span<const Row, N> rows, DISPID id) noexcept {
    for (const Row& row : rows)
        if (row.id == id) return &row;
    return nullptr;
}

// IDispatch::GetIDsOfNames over a member table. The first name is the member's; further names
// would be its parameters, which are not offered: every member is called positionally.
template <class Row, std::size_t N>
HRESULT IdsOfNames(std::span<const Row, N> rows, REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) noexcept {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const Row* member = FindMember(rows, names[0]);
    if (!member) return DISP_E_UNKNOWNNAME;
    ids[0] = member->id;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

}  // namespace tolvane::winapi
