#include "tools/ide-sim/Served.h"

#include <new>

#include "winapi/Text.h"

namespace tolvane::idesim {

namespace {

// Answered by every served object, so that an object the add-in hands back (the menu item
// passed to Events.CommandBarEvents) can be recognised as ours. Not a COM interface: the
// pointer returned is the object itself, valid in this process only.
constexpr IID kIidServed = {0x6A1D3C52, 0x77E4, 0x4E0B, {0x9C, 0x51, 0x2B, 0x7F, 0x18, 0xD0, 0x44, 0xA3}};

Access AccessOf(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return Access::Put;
    const bool get = (flags & DISPATCH_PROPERTYGET) != 0, method = (flags & DISPATCH_METHOD) != 0;
    if (get && method) return Access::GetOrMethod;
    if (get) return Access::Get;
    if (method) return Access::Method;
    throw Refusal{E_INVALIDARG};
}

// A property get may also be called as a method (VB allows both); a method may not be read as
// a property alone, nor a property be put unless it says so.
bool Accepts(MemberKind kind, Access access) {
    switch (kind) {
        case MemberKind::Property: return access != Access::Put;
        case MemberKind::PutProperty: return true;
        case MemberKind::Method: return access == Access::Method || access == Access::GetOrMethod;
    }
    return false;
}

HRESULT Raise(EXCEPINFO* error, const char* description) {
    if (error) {
        *error = EXCEPINFO{};
        try {
            error->bstrSource = winapi::MakeBstr(L"ide-sim").release();
            error->bstrDescription = winapi::MakeBstr(winapi::Utf8ToWide(description)).release();
        } catch (...) {
            // Without memory for the texts the failure still goes out.
        }
        error->scode = E_FAIL;
    }
    return DISP_E_EXCEPTION;
}

}  // namespace

// ---- arguments and results ----

bool Args::Missing(UINT i) const {
    if (i >= Positional()) return true;
    const VARIANT& v = Raw(i);
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

UniqueVariant Args::Get(UINT i) const {
    if (Missing(i)) throw Refusal{DISP_E_PARAMNOTOPTIONAL, ArgErr(i)};
    UniqueVariant copy;
    if (FAILED(VariantCopyInd(copy.get(), const_cast<VARIANT*>(&Raw(i))))) throw Refusal{DISP_E_TYPEMISMATCH, ArgErr(i)};
    return copy;
}

void Args::AtMost(UINT count) const {
    if (Positional() > count) throw Refusal{DISP_E_BADPARAMCOUNT};
}

UniqueVariant Args::PutValue() const {
    if (!params_ || params_->cNamedArgs != 1 || !params_->rgdispidNamedArgs ||
        params_->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params_->cArgs < 1)
        throw Refusal{DISP_E_PARAMNOTOPTIONAL};
    UniqueVariant copy;
    if (FAILED(VariantCopyInd(copy.get(), &params_->rgvarg[0]))) throw Refusal{DISP_E_TYPEMISMATCH, 0};
    return copy;
}

std::vector<VARTYPE> Args::Types() const {
    std::vector<VARTYPE> types;
    for (UINT i = 0; i < Positional(); ++i) types.push_back(Raw(i).vt);
    for (UINT i = 0; params_ && i < params_->cNamedArgs; ++i) types.push_back(params_->rgvarg[i].vt);
    return types;
}

namespace {

UniqueVariant Converted(const UniqueVariant& value, VARTYPE type, UINT argument) {
    UniqueVariant converted;
    if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(value.get()), 0, type)))
        throw Refusal{DISP_E_TYPEMISMATCH, argument};
    return converted;
}

}  // namespace

std::int32_t ToInt32(const UniqueVariant& value, UINT argument) { return Converted(value, VT_I4, argument)->lVal; }

std::string ToText(const UniqueVariant& value, UINT argument) {
    return winapi::BstrToUtf8(Converted(value, VT_BSTR, argument)->bstrVal);
}

void ReturnText(VARIANT* result, const std::string& text) {
    if (result) *result = winapi::VariantOfText(text).release();
}

void ReturnLong(VARIANT* result, std::int32_t value) {
    if (result) *result = winapi::VariantOfLong(value).release();
}

void ReturnObject(VARIANT* result, const winapi::ComPtr<IDispatch>& object) {
    if (result) *result = winapi::VariantOfObject(object.Get()).release();
}

// ---- the served object ----

ServedObject::ServedObject(State state, const char* kind) : state_(std::move(state)), kind_(kind) { ++state_->live; }

ServedObject::~ServedObject() { --state_->live; }

void* ServedObject::InterfaceFor(REFIID iid) noexcept {
    if (iid == kIidServed) return this;
    return winapi::FindInterface(iid, {{IID_IDispatch, static_cast<IDispatch*>(this)}});
}

winapi::ComPtr<IDispatch> ServedObject::Recognise(IUnknown* object, ServedObject*& served) {
    served = nullptr;
    winapi::ComPtr<IDispatch> keep;
    if (!object || FAILED(object->QueryInterface(kIidServed, reinterpret_cast<void**>(&served))) || !served)
        return nullptr;
    *keep.GetAddressOf() = served;  // QueryInterface added the reference
    return keep;
}

HRESULT ServedObject::Answer(const winapi::DispatchMember* member, MemberKind kind, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* error, UINT* argError, const Body& body) noexcept {
    if (result) VariantInit(result);
    if (params && params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
    if (params && params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    if (!member) return DISP_E_MEMBERNOTFOUND;
    // Keep the object alive through the call: a member may make the caller drop it.
    winapi::ComPtr<IDispatch> self(this);
    try {
        const Access access = AccessOf(flags);
        // Named arguments other than a put's value are not supported.
        const UINT named = params ? params->cNamedArgs : 0;
        if (named > (access == Access::Put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
        const Args args(params);
        Note(state_, std::string(kind_) + "." + winapi::WideToUtf8(member->name), flags, args.Types(),
             named ? std::vector<DISPID>(params->rgdispidNamedArgs, params->rgdispidNamedArgs + named)
                   : std::vector<DISPID>());
        if (!Accepts(kind, access)) throw Refusal{DISP_E_MEMBERNOTFOUND};
        UniqueVariant answer;
        body(access, args, answer.get());
        if (result) *result = answer.release();  // ownership moves to the caller
        return S_OK;
    } catch (const Refusal& refusal) {
        if (argError) *argError = refusal.argument;
        return refusal.hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& failure) {  // HostError and the rest: the host's description
        return Raise(error, failure.what());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void ServedObject::NoteLookup(LPOLESTR* names, UINT count) noexcept {
    if (!names || count == 0 || !names[0]) return;
    try {
        ++state_->lookups[std::string(kind_) + "." + winapi::WideToUtf8(names[0])];
    } catch (...) {
        // Counting is for tests; a lookup without memory for it still gets its answer.
    }
}

void Note(const State& state, std::string call, WORD flags, std::vector<VARTYPE> types, std::vector<DISPID> named) {
    state->journal.push_back({std::move(call), flags, std::move(types), std::move(named)});
}

}  // namespace tolvane::idesim
