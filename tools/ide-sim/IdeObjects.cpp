// VBE, the root the add-in is handed, and the Simulator that owns it.
#include "tools/ide-sim/IdeObjects.h"

#include "tools/ide-sim/Served.h"
#include "vb/Errors.h"

namespace tolvane::idesim {

namespace {

bool Vba(const Call<host::Root>& call) { return call.state->editor == host::Editor::kVba; }

const Member<host::Root> kVbeMembers[] = {
    {ide::vbe::kName, MemberKind::Property, 0,
     [](const auto& call) {
         ReturnText(call.result, Vba(call) ? "Microsoft Visual Basic for Applications" : "Microsoft Visual Basic");
     }},
    {ide::vbe::kVersion, MemberKind::Property, 0,
     [](const auto& call) { ReturnText(call.result, Vba(call) ? "7.01" : "6.00"); }},
    {ide::vbe::kCommandBars, MemberKind::Property, 0, Child<host::Root, &host::Root::CommandBars>},
    {ide::vbe::kEvents, MemberKind::Property, 0, Child<host::Root, &host::Root::Events>},
    {ide::vbe::kActiveVBProject, MemberKind::Property, 0, Child<host::Root, &host::Root::ActiveVBProject>},
};

// VBE also answers its own interface ID, which the add-in asks for.
class VbeObject final : public ServedOf<host::Root> {
public:
    explicit VbeObject(State state)
        : ServedOf(state, "VBE", kVbeMembers, state->root) {}

private:
    void* InterfaceFor(REFIID iid) noexcept override {
        if (void* face = ServedObject::InterfaceFor(iid)) return face;
        const bool vba = state_->editor == host::Editor::kVba;
        return winapi::FindInterface(iid, {{vba ? ide::kIidVbaVbe : ide::kIidVbe, static_cast<IDispatch*>(this)}});
    }
};

}  // namespace

Simulator::Simulator(std::shared_ptr<host::Root> root, SimulatorOptions options)
    : state_(std::make_shared<SimulatorState>()) {
    if (!root) throw host::HostError(vb::kObjectNotSet);
    state_->editor = root->Kind();
    state_->root = std::move(root);
    state_->options = options;
    vbe_ = MakeServed<VbeObject>(state_);
}

Simulator::~Simulator() = default;

ComPtr<IDispatch> Simulator::Vbe() const { return vbe_; }

std::vector<JournalEntry> Simulator::Journal() const { return state_->journal; }

std::map<std::string, int> Simulator::Lookups() const { return state_->lookups; }

int Simulator::LiveObjects() const { return state_->live; }

int Simulator::AdvisedSinks() const { return state_->advised; }

std::vector<HRESULT> Simulator::FailedClicks() const { return state_->failedClicks; }

}  // namespace tolvane::idesim
