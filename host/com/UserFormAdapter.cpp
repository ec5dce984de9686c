// A UserForm of the VBA editor viewed as a form designer. Its Controls hold every control of
// the form, flat, and not the Pages; the tree comes from each control's Parent (the form, a
// Frame or a Page) and from each MultiPage's Pages. The form is read once, when its controls
// are asked for, and served in the shape of VB6's designer: the form's own controls, each
// with the controls it holds (a MultiPage its Pages, a Page the controls on it), in the order
// of the form's collection.
#include <ocidl.h>

#include <map>

#include "host/com/Adapter.h"
#include "vb/Names.h"
#include "winapi/Com.h"

namespace tolvane::host::com {
namespace {

namespace forms = ide::msforms;
using winapi::VariantOfLong;

// The class as VBA's TypeName finds it, with its library: "MSForms.CommandButton". "" when
// the object does not tell (no IProvideClassInfo).
std::string ClassNameOf(IDispatch* object) {
    ComPtr<IProvideClassInfo> provider;
    ComPtr<ITypeInfo> type;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&provider))) || FAILED(provider->GetClassInfo(&type)) || !type)
        return {};
    winapi::UniqueBstr name, library;
    if (FAILED(type->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr))) return {};
    ComPtr<ITypeLib> containing;
    UINT index = 0;
    if (SUCCEEDED(type->GetContainingTypeLib(&containing, &index)) && containing)
        containing->GetDocumentation(-1, library.put(), nullptr, nullptr, nullptr);
    const std::string libraryName = winapi::BstrToUtf8(library.get());
    return (libraryName.empty() ? "" : libraryName + ".") + winapi::BstrToUtf8(name.get());
}

// COM's identity of an object: the pointer its IUnknown query gives.
ComPtr<IUnknown> IdentityOf(IDispatch* object) {
    ComPtr<IUnknown> identity;
    if (object) Check(object->QueryInterface(IID_PPV_ARGS(&identity)));
    return identity;
}

struct Node {
    ComPtr<IDispatch> object;
    std::string className;
    std::vector<std::size_t> contents;  // nodes placed in it
};

struct Tree {
    Cache cache;
    std::vector<Node> nodes;
    std::vector<std::size_t> top;  // the form's own controls
};
using TreeRef = std::shared_ptr<const Tree>;

// The items of an MSForms collection (Controls, Pages), counted from 0.
std::vector<ComPtr<IDispatch>> ItemsOf(Cache& cache, IDispatch* collection, IdeInterface kind) {
    std::vector<ComPtr<IDispatch>> items;
    const int count = AsInt32(*Get(*cache, collection, kind, forms::kCount).get());
    for (int i = 0; i < count; ++i) {
        UniqueVariant index = VariantOfLong(i);
        items.push_back(AsRequiredDispatch(*Get(*cache, collection, kind, forms::kItem, {&index}).get()));
    }
    return items;
}

UniqueVariant ReadMember(IDispatch* object, const wchar_t* name) {
    const auto id = FindDispId(object, name);
    if (!id) throw HostError(vb::kNoSuchMember);
    return CallId(object, *id, DISPATCH_PROPERTYGET);
}

TreeRef ReadForm(IDispatch* form, Cache cache) {
    auto tree = std::make_shared<Tree>();
    tree->cache = cache;
    auto controls = AsRequiredDispatch(*Get(*cache, form, IdeInterface::UserForm, forms::kControls).get());
    std::map<IUnknown*, std::size_t> byIdentity;  // the containers found so far
    std::vector<ComPtr<IUnknown>> parents, keep;
    for (auto& object : ItemsOf(cache, controls.Get(), IdeInterface::MSFormsControls)) {
        parents.push_back(IdentityOf(AsDispatch(*ReadMember(object.Get(), forms::kParent.name).get()).Get()));
        keep.push_back(IdentityOf(object.Get()));
        byIdentity[keep.back().Get()] = tree->nodes.size();
        tree->nodes.push_back({object, ClassNameOf(object.Get()), {}});
    }
    const std::size_t flat = tree->nodes.size();
    for (std::size_t i = 0; i < flat; ++i) {
        if (!vb::SameKeyword(tree->nodes[i].className, "MSForms.MultiPage")) continue;
        auto pages = AsRequiredDispatch(*ReadMember(tree->nodes[i].object.Get(), forms::kPages.name).get());
        for (auto& page : ItemsOf(cache, pages.Get(), IdeInterface::MSFormsPages)) {
            keep.push_back(IdentityOf(page.Get()));
            byIdentity[keep.back().Get()] = tree->nodes.size();
            tree->nodes[i].contents.push_back(tree->nodes.size());
            std::string className = ClassNameOf(page.Get());
            tree->nodes.push_back({page, className.empty() ? "MSForms.Page" : className, {}});
        }
    }
    // A control whose Parent is none of the form's containers sits on the form.
    for (std::size_t i = 0; i < flat; ++i) {
        const auto container = byIdentity.find(parents[i].Get());
        if (container == byIdentity.end() || container->second == i) tree->top.push_back(i);
        else tree->nodes[container->second].contents.push_back(i);
    }
    return tree;
}

// A property of an MSForms control is a member of its own; it has no control-array Index.
class PropertyImpl final : public Property {
public:
    PropertyImpl(ComPtr<IDispatch> object, std::optional<DISPID> id) : object_(std::move(object)), id_(id) {}
    PropertyValue Value() override {
        if (!id_) return PropertyValue(-1);
        return AsPropertyValue(*CallId(object_.Get(), *id_, DISPATCH_PROPERTYGET).get());
    }

private:
    ComPtr<IDispatch> object_;
    std::optional<DISPID> id_;
};

class PropertiesImpl final : public Properties {
public:
    explicit PropertiesImpl(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    std::shared_ptr<Property> Item(const std::string& name) override {
        if (vb::SameKeyword(name, "Index")) return std::make_shared<PropertyImpl>(object_, std::nullopt);
        const auto id = FindDispId(object_.Get(), winapi::Utf8ToWide(name).c_str());
        if (!id) throw HostError(vb::kInvalidCall);
        return std::make_shared<PropertyImpl>(object_, id);
    }

private:
    ComPtr<IDispatch> object_;
};

class ControlsImpl final : public Controls {
public:
    ControlsImpl(TreeRef tree, std::vector<std::size_t> items) : tree_(std::move(tree)), items_(std::move(items)) {}
    int Count() override { return static_cast<int>(items_.size()); }
    std::shared_ptr<Control> Item(int position) override;

private:
    TreeRef tree_;
    std::vector<std::size_t> items_;
};

class ControlImpl final : public Control, public NativeObject {
public:
    ControlImpl(TreeRef tree, std::size_t node) : tree_(std::move(tree)), node_(tree_->nodes[node]) {}
    IUnknown* Native() const noexcept override { return node_.object.Get(); }
    std::string ProgId() override {
        if (node_.className.empty()) throw HostError(vb::kNoSuchMember);
        return node_.className;
    }
    std::shared_ptr<Properties> GetProperties() override { return std::make_shared<PropertiesImpl>(node_.object); }
    std::shared_ptr<Controls> ContainedVBControls() override { return std::make_shared<ControlsImpl>(tree_, node_.contents); }

private:
    TreeRef tree_;
    const Node& node_;
};

std::shared_ptr<Control> ControlsImpl::Item(int position) {
    if (position < 1 || position > Count()) throw HostError(vb::kSubscriptOutOfRange);
    return std::make_shared<ControlImpl>(tree_, items_[static_cast<std::size_t>(position - 1)]);
}

class UserFormImpl final : public AdapterOf<FormDesigner, IdeInterface::UserForm> {
public:
    using AdapterOf::AdapterOf;
    std::shared_ptr<Controls> VBControls() override {
        TreeRef tree = ReadForm(object_.Get(), cache_);
        return std::make_shared<ControlsImpl>(tree, tree->top);
    }
};

}  // namespace

std::shared_ptr<FormDesigner> UserFormDesigner(ComPtr<IDispatch> form, Cache cache) {
    return std::make_shared<UserFormImpl>(std::move(form), std::move(cache));
}

}  // namespace tolvane::host::com
