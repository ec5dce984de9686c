// The base of every adapter object over the IDE's objects, shared by the files of host/com:
// the IDispatch behind it, the interface it is, the shared DISPID cache, and the calls.
#pragma once

#include <climits>
#include <memory>
#include <utility>
#include <vector>

#include "host/com/ComHost.h"
#include "host/com/ComSupport.h"
#include "vb/Errors.h"

namespace tolvane::host::com {

namespace ide = winapi::ide;
using Cache = std::shared_ptr<DispatchCache>;

inline short ToIndex(int position) {
    if (position < SHRT_MIN || position > SHRT_MAX) throw HostError(vb::kOverflow);
    return static_cast<short>(position);
}

// Base of every adapter object: the IDispatch behind it, the interface it is, and the shared
// DISPID cache.
class Adapter : public NativeObject {
public:
    Adapter(ComPtr<IDispatch> object, Cache cache, IdeInterface kind)
        : object_(std::move(object)), cache_(std::move(cache)), kind_(kind) {}
    IUnknown* Native() const noexcept override { return object_.Get(); }

protected:
    UniqueVariant Invoke(const ide::Member& member, WORD flags, std::vector<UniqueVariant*> args = {}) {
        return Call(*cache_, object_.Get(), kind_, member, flags, std::move(args));
    }
    // A property get or a method's result (VB calls both the same way).
    UniqueVariant Read(const ide::Member& member, std::vector<UniqueVariant*> args = {}) {
        return Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
    }
    std::int32_t ReadInt32(const ide::Member& member) { return AsInt32(*Read(member).get()); }
    std::string ReadText(const ide::Member& member) { return AsText(*Read(member).get()); }
    // The adapter T over the object a member gives; Nothing is an error. `extra` goes to T.
    template <class T, class... Extra>
    std::shared_ptr<T> Child(const ide::Member& member, std::vector<UniqueVariant*> args, Extra... extra) {
        return std::make_shared<T>(AsRequiredDispatch(*Read(member, std::move(args)).get()), cache_, extra...);
    }
    template <class T>
    std::shared_ptr<T> Child(const ide::Member& member) {
        return Child<T>(member, std::vector<UniqueVariant*>{});
    }

    ComPtr<IDispatch> object_;
    Cache cache_;
    IdeInterface kind_;
};

// The adapter of one IDE interface `Kind` serving the host interface `HostInterface`.
template <class HostInterface, IdeInterface Kind>
class AdapterOf : public HostInterface, public Adapter {
public:
    AdapterOf(ComPtr<IDispatch> object, Cache cache) : Adapter(std::move(object), std::move(cache), Kind) {}
};

// The adapters of the other files: a component's code module, and a UserForm of the VBA editor
// viewed as a form designer.
std::shared_ptr<CodeModule> CodeModuleOf(ComPtr<IDispatch> module, Cache cache);
std::shared_ptr<FormDesigner> UserFormDesigner(ComPtr<IDispatch> form, Cache cache);

}  // namespace tolvane::host::com
