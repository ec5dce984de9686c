// A UserForm as the VBA editor serves it (MSForms). VBComponent.Designer is the form; its
// Controls hold every control of the form, flat (those in Frames and on Pages too), but not
// the Pages, counted from 0; each control has its Name, its Parent (the form, a Frame or a
// Page) and the place properties the form file gives it (Left, Top, Width, Height as Single);
// a MultiPage has Pages, each Page its MultiPage as Parent. Every object tells its class
// through IProvideClassInfo, as VBA's TypeName asks it ("MSForms.CommandButton" is the class
// CommandButton of the library MSForms). An object keeps its identity while it is alive, so
// that Parent answers the very object that Controls or Pages gave.
#include <algorithm>
#include <optional>

#include "tools/ide-sim/Served.h"
#include "vb/Names.h"

namespace tolvane::idesim {

namespace {

namespace forms = ide::msforms;
using host::HostError;

struct FormNode {
    std::shared_ptr<host::Control> control;  // null for the form itself, node 0
    std::string name, className;
    std::size_t parent = 0;
    std::vector<std::size_t> pages;  // a MultiPage's
};

// What the served objects of one form share; `alive` does not own them.
struct FormTree {
    std::vector<FormNode> nodes;
    std::vector<std::size_t> flat;  // the form's Controls: every node but the form and the Pages
    std::map<std::size_t, IDispatch*> alive;
};
using Tree = std::shared_ptr<FormTree>;

std::string NameOf(host::Control& control) { return control.GetProperties()->Item("Name")->Value().AsText(); }

void AddNode(FormTree& tree, std::shared_ptr<host::Control> control, std::size_t parent) {
    const std::size_t node = tree.nodes.size();
    tree.nodes.push_back({control, NameOf(*control), control->ProgId(), parent, {}});
    if (vb::SameKeyword(tree.nodes[node].className, "MSForms.Page")) tree.nodes[parent].pages.push_back(node);
    else tree.flat.push_back(node);
    auto contents = control->ContainedVBControls();
    for (int i = 1; i <= contents->Count(); ++i) AddNode(tree, contents->Item(i), node);
}

// The form's tree from the host's designer, whose collection may also hold nested controls.
Tree ReadTree(host::FormDesigner& form) {
    auto tree = std::make_shared<FormTree>();
    tree->nodes.push_back({nullptr, "", "MSForms.UserForm", 0, {}});
    auto controls = form.VBControls();
    std::vector<std::string> nested;
    for (int i = 1; i <= controls->Count(); ++i) {
        auto contents = controls->Item(i)->ContainedVBControls();
        for (int j = 1; j <= contents->Count(); ++j) nested.push_back(NameOf(*contents->Item(j)));
    }
    for (int i = 1; i <= controls->Count(); ++i) {
        auto control = controls->Item(i);
        if (std::find(nested.begin(), nested.end(), NameOf(*control)) == nested.end()) AddNode(*tree, control, 0);
    }
    return tree;
}

// The class's type information, made once per simulator in a library of its own name.
winapi::ComPtr<ITypeInfo> ClassInfo(SimulatorState& state, const std::string& className) {
    if (auto found = state.classes.find(className); found != state.classes.end()) return found->second;
    const std::size_t dot = className.rfind('.');
    const std::string library = dot == std::string::npos ? "" : className.substr(0, dot);
    auto& creator = state.libraries[library];
    if (!creator) {
        const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
        if (FAILED(CreateTypeLib2(kind, L"ide-sim.tlb", &creator))) throw HostError(vb::kOutOfMemory);
        if (!library.empty()) creator->SetName(const_cast<LPOLESTR>(winapi::Utf8ToWide(library).c_str()));
    }
    winapi::ComPtr<ICreateTypeInfo> created;
    winapi::ComPtr<ITypeInfo> info;
    const std::wstring name = winapi::Utf8ToWide(dot == std::string::npos ? className : className.substr(dot + 1));
    if (FAILED(creator->CreateTypeInfo(const_cast<LPOLESTR>(name.c_str()), TKIND_COCLASS, &created)) ||
        FAILED(created.As(&info)))
        throw HostError(vb::kOutOfMemory);
    return state.classes[className] = info;
}

winapi::ComPtr<IDispatch> ServeNode(const State& state, const Tree& tree, std::size_t node);

// Controls and Pages: Count and Item(index from 0, or name).
class CollectionObject final : public ServedObject {
public:
    CollectionObject(State state, const char* kind, Tree tree, std::vector<std::size_t> items)
        : ServedObject(std::move(state), kind), tree_(std::move(tree)), items_(std::move(items)) {}
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        NoteLookup(names, count);
        return winapi::IdsOfNames(std::span(kMembers), riid, names, count, ids);
    }
    IFACEMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* error, UINT* argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const winapi::DispatchMember* member = winapi::FindMember(std::span(kMembers), id);
        return Answer(member, MemberKind::Property, flags, params, result, error, argError,
                      [&](Access, const Args& args, VARIANT* answer) {
                          if (id != forms::kItem.id) return ReturnLong(answer, static_cast<std::int32_t>(items_.size()));
                          args.AtMost(1);
                          ReturnObject(answer, ServeNode(state_, tree_, Find(args.Get(0))));
                      });
    }

private:
    static constexpr winapi::DispatchMember kMembers[] = {forms::kCount, forms::kItem};
    std::size_t Find(const UniqueVariant& index) const {
        if (IsText(index)) {
            const std::string name = ToText(index, 0);
            for (std::size_t item : items_)
                if (vb::SameNameIgnoringCase(tree_->nodes[item].name, name)) return item;
        } else if (const std::int32_t at = ToInt32(index, 0); at >= 0 && at < static_cast<std::int32_t>(items_.size())) {
            return items_[static_cast<std::size_t>(at)];
        }
        throw HostError(vb::kInvalidCall);
    }
    Tree tree_;
    std::vector<std::size_t> items_;
};

// The members a form, a control or a page may have; each node answers those it has.
constexpr winapi::DispatchMember kNodeMembers[] = {
    forms::kControls, forms::kName, forms::kParent, forms::kPages, {L"Left", 0x110}, {L"Top", 0x111},
    {L"Width", 0x112}, {L"Height", 0x113}, {L"InsideWidth", 0x114}, {L"InsideHeight", 0x115},
};

class NodeObject final : public ServedObject, public IProvideClassInfo {
public:
    NodeObject(State state, Tree tree, std::size_t node)
        : ServedObject(std::move(state), node == 0 ? "UserForm" : "Control"), tree_(std::move(tree)), node_(node) {
        tree_->alive[node_] = static_cast<IDispatch*>(this);
    }
    IFACEMETHODIMP QueryInterface(REFIID riid, void** object) override { return ServedObject::QueryInterface(riid, object); }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ServedObject::AddRef(); }
    IFACEMETHODIMP_(ULONG) Release() override { return ServedObject::Release(); }
    IFACEMETHODIMP GetClassInfo(ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        try {
            ClassInfo(*state_, tree_->nodes[node_].className).CopyTo(info);
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        NoteLookup(names, count);
        const HRESULT hr = winapi::IdsOfNames(std::span(kNodeMembers), riid, names, count, ids);
        if (SUCCEEDED(hr) && !Has(*winapi::FindMember(std::span(kNodeMembers), ids[0]))) return DISP_E_UNKNOWNNAME;
        return hr;
    }
    IFACEMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* error, UINT* argError) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const winapi::DispatchMember* member = winapi::FindMember(std::span(kNodeMembers), id);
        if (member && !Has(*member)) member = nullptr;
        return Answer(member, MemberKind::Property, flags, params, result, error, argError,
                      [&](Access, const Args& args, VARIANT* answer) {
                          args.AtMost(0);
                          Read(*member, answer);
                      });
    }

private:
    ~NodeObject() override { tree_->alive.erase(node_); }
    void* InterfaceFor(REFIID iid) noexcept override {
        if (void* face = ServedObject::InterfaceFor(iid)) return face;
        return winapi::FindInterface(iid, {{IID_IProvideClassInfo, static_cast<IProvideClassInfo*>(this)}});
    }
    const FormNode& Node() const { return tree_->nodes[node_]; }
    std::optional<host::PropertyValue> Place(const wchar_t* name) const {
        try {
            return Node().control->GetProperties()->Item(winapi::WideToUtf8(name))->Value();
        } catch (const HostError&) {
            return std::nullopt;
        }
    }
    bool Has(const winapi::DispatchMember& member) const {
        if (member.id == forms::kControls.id) return node_ == 0;
        if (member.id == forms::kName.id) return true;
        if (node_ == 0) return false;
        if (member.id == forms::kParent.id) return true;
        if (member.id == forms::kPages.id) return vb::SameKeyword(Node().className, "MSForms.MultiPage");
        return Place(member.name).has_value();
    }
    void Read(const winapi::DispatchMember& member, VARIANT* answer) const {
        if (member.id == forms::kControls.id)
            return ReturnObject(answer, winapi::MakeComObject<CollectionObject>(state_, "Controls", tree_, tree_->flat));
        if (member.id == forms::kPages.id)
            return ReturnObject(answer, winapi::MakeComObject<CollectionObject>(state_, "Pages", tree_, Node().pages));
        if (member.id == forms::kName.id) return ReturnText(answer, Node().name);
        if (member.id == forms::kParent.id) return ReturnObject(answer, ServeNode(state_, tree_, Node().parent));
        answer->vt = VT_R4;  // positions and sizes are Single, in points
        answer->fltVal = std::stof(Place(member.name)->AsText());
    }

    Tree tree_;
    std::size_t node_;
};

winapi::ComPtr<IDispatch> ServeNode(const State& state, const Tree& tree, std::size_t node) {
    if (auto found = tree->alive.find(node); found != tree->alive.end()) return winapi::ComPtr<IDispatch>(found->second);
    return winapi::MakeComObject<NodeObject>(state, tree, node);
}

}  // namespace

winapi::ComPtr<IDispatch> ServeUserForm(const State& state, std::shared_ptr<host::FormDesigner> form) {
    if (!form) return nullptr;
    return ServeNode(state, ReadTree(*form), 0);
}

}  // namespace tolvane::idesim
