// A component's CodeModule as the IDE serves it (VB6's _CodeModule and the VBA editor's have
// the same members): the lines of the component read from disk, changed in memory.
#include "tools/ide-sim/Served.h"

namespace tolvane::idesim {

namespace {

namespace code = ide::codemodule;
constexpr MemberKind kProperty = MemberKind::Property;
constexpr MemberKind kMethod = MemberKind::Method;

std::int32_t Int(const Call<host::CodeModule>& call, UINT i) { return ToInt32(call.args.Get(i), i); }
std::string Text(const Call<host::CodeModule>& call, UINT i) { return ToText(call.args.Get(i), i); }

// Proc...(name, kind): only Subs and Functions (vbext_pk_Proc) are served.
template <int (host::CodeModule::*Line)(const std::string&)>
void ProcedureLine(const Call<host::CodeModule>& call) {
    if (Int(call, 1) != code::kProcKindProc) throw host::HostError(vb::kSubNotDefined);
    ReturnLong(call.result, (call.object.*Line)(Text(call, 0)));
}

const Member<host::CodeModule> kCodeModuleMembers[] = {
    {code::kLines, kProperty, 2,
     [](const auto& call) { ReturnText(call.result, call.object.Lines(Int(call, 0), Int(call, 1))); }},
    {code::kCountOfLines, kProperty, 0, [](const auto& call) { ReturnLong(call.result, call.object.CountOfLines()); }},
    {code::kCountOfDeclarationLines, kProperty, 0,
     [](const auto& call) { ReturnLong(call.result, call.object.CountOfDeclarationLines()); }},
    {code::kProcStartLine, kProperty, 2, ProcedureLine<&host::CodeModule::ProcStartLine>},
    {code::kProcBodyLine, kProperty, 2, ProcedureLine<&host::CodeModule::ProcBodyLine>},
    {code::kProcCountLines, kProperty, 2, ProcedureLine<&host::CodeModule::ProcCountLines>},
    {code::kCreateEventProc, kMethod, 2,
     [](const auto& call) { ReturnLong(call.result, call.object.CreateEventProc(Text(call, 0), Text(call, 1))); }},
    {code::kInsertLines, kMethod, 2, [](const auto& call) { call.object.InsertLines(Int(call, 0), Text(call, 1)); }},
    // DeleteLines(StartLine, [Count = 1])
    {code::kDeleteLines, kMethod, 2,
     [](const auto& call) { call.object.DeleteLines(Int(call, 0), call.args.Missing(1) ? 1 : Int(call, 1)); }},
};

// The module answers its own interface ID, VB6's or the VBA editor's.
class CodeModuleObject final : public ServedOf<host::CodeModule> {
public:
    CodeModuleObject(State state, std::shared_ptr<host::CodeModule> module)
        : ServedOf(std::move(state), "CodeModule", kCodeModuleMembers, std::move(module)) {}

private:
    void* InterfaceFor(REFIID iid) noexcept override {
        if (void* face = ServedObject::InterfaceFor(iid)) return face;
        const bool vba = state_->editor == host::Editor::kVba;
        return winapi::FindInterface(iid, {{vba ? ide::kIidVbaCodeModule : ide::kIidCodeModule, static_cast<IDispatch*>(this)}});
    }
};

}  // namespace

winapi::ComPtr<IDispatch> Serve(const State& state, std::shared_ptr<host::CodeModule> module) {
    if (!module) return nullptr;
    return MakeServed<CodeModuleObject>(state, std::move(module));
}

}  // namespace tolvane::idesim
