// Opens frmAddIn, realised with native controls, on an in-memory project, inside an ordinary
// message loop of our own (in the product the loop is the IDE's). With --shots <dir> it plays
// a short session through the native controls and saves screenshots of both windows.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "forms/win32/Mapping.h"
#include "forms/win32/Realiser.h"
#include "forms/win32/Screenshot.h"
#include "host/memory/MemoryHost.h"
#include "window/frmAddIn.h"
#include "winapi/Text.h"

namespace {

using namespace tolvane;
using host::memory::ComponentData;
using host::memory::ControlData;

ControlData Ctl(std::string name, int index = -1, std::vector<ControlData> children = {}) {
    ControlData control;
    control.name = std::move(name);
    control.index = index;
    control.children = std::move(children);
    return control;
}

host::memory::ProjectData DemoProject() {
    host::memory::ProjectData project;
    project.components.push_back({"Module1", host::ComponentType::StdModule, {}, false});
    ComponentData main{"frmMain", host::ComponentType::VBForm, {}, true};
    main.controls = {
        Ctl("lblName"),
        Ctl("txtName"),
        Ctl("fraOptions", -1, {Ctl("optSize", 0), Ctl("optSize", 1), Ctl("optSize", 2)}),
        Ctl("picPreview", -1, {Ctl("fraInner", -1, {Ctl("imgLogo")})}),
        Ctl("lstItems"),
        Ctl("cmdOK"),
        Ctl("cmdCancel"),
    };
    project.components.push_back(main);
    ComponentData second{"frmSettings", host::ComponentType::VBForm, {}, true};
    second.controls = {Ctl("chkAutoSave"), Ctl("txtPath"), Ctl("cmdBrowse")};
    project.components.push_back(second);
    return project;
}

class DemoOwner : public AddInOwner {
public:
    frmAddIn* window = nullptr;
    void Hide() override {
        if (window) window->Hide();
        ::PostQuitMessage(0);
    }
    void WindowClosed() override { ::PostQuitMessage(0); }
};

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

bool Shoot(HWND window, const std::wstring& path) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    const bool ok = forms::win32::WriteBmp(forms::win32::CaptureWindow(window), path);
    std::printf("%s %ls\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

int PlayAndShoot(forms::win32::Realiser& realiser, frmAddIn& window, const std::wstring& directory) {
    // Every step goes through the native controls, as a user's clicks would.
    HWND combo = realiser.WindowOf(*window.cboForms);
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    for (int row : {0, 1, 5}) ::SendMessageW(realiser.WindowOf(*window.Check1[static_cast<std::size_t>(row)]), BM_CLICK, 0, 0);
    ::SendMessageW(realiser.WindowOf(*window.chkMoveH[0]), BM_CLICK, 0, 0);
    ::SendMessageW(realiser.WindowOf(*window.chkSizeV[1]), BM_CLICK, 0, 0);
    ::SendMessageW(realiser.WindowOf(*window.chkScaleH[5]), BM_CLICK, 0, 0);
    ::SendMessageW(realiser.WindowOf(*window.cmdGenCode), BM_CLICK, 0, 0);
    Pump();
    bool ok = Shoot(realiser.WindowOf(window), directory + L"\\frmAddIn.bmp");
    ::SendMessageW(realiser.WindowOf(*window.cmdAbout), BM_CLICK, 0, 0);
    Pump();
    if (window.AboutBox() == nullptr || realiser.WindowOf(*window.AboutBox()) == nullptr) return 1;
    ok = Shoot(realiser.WindowOf(*window.AboutBox()), directory + L"\\frmAbout.bmp") && ok;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    auto realiser = forms::win32::Realiser::Create();
    auto project = host::memory::MemoryHost::Create(DemoProject());
    const AddInWindowFactory factory = MakeAddInWindowFactory(realiser->AsFormRealiser());
    std::unique_ptr<AddInWindowApi> api = factory();
    auto* window = dynamic_cast<frmAddIn*>(api.get());
    DemoOwner owner;
    owner.window = window;
    api->SetVBInstance(project);
    api->SetConnect(&owner);
    api->Show();
    if (realiser->WindowOf(*window) == nullptr) {
        std::fprintf(stderr, "the window could not be created (is there a display?)\n");
        return 2;
    }

    if (argc == 3 && std::string(argv[1]) == "--shots") {
        const int result = PlayAndShoot(*realiser, *window, winapi::Utf8ToWide(argv[2]));
        api->Unload();
        return result;
    }

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    api->Unload();
    return 0;
}
