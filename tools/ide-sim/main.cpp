// ide-sim: runs one session of the VB6 IDE, or of the Office VBA editor, with an add-in, on a
// project read from disk.
//
//   ide-sim PROJECT [--register DLL] [--progid ID] [--mode N] [--editor vb6|vba] [--click]
//           [--pick FORM] [--hide-unplaceable] [--plain] [--list] [--tick CONTROL[=OPTS]]...
//           [--generate] [--insert] [--remove] [--scroll-end] [--shot FILE.bmp] [--tip-shot FILE.bmp]
//           [--about-shot FILE.bmp] [--exit] [--print-module FORM]
//
// Connects the add-in (default "Quenlow.Connect") in connect mode N (default 0), optionally
// clicks its "Quenlow" item on the menu, picks a form, toggles the window's check boxes,
// lists every row by scrolling through the grid, ticks controls with the options OPTS
// (LM,LR,LS,UM,UR,US as quenlow's --pick takes them; Left/Right move when none are given),
// generates, inserts the code into the form's module or removes it, scrolls to the last row
// one step at a time (timing each step), saves a screenshot, rests the pointer on the Move box
// of the first row that can be placed and saves a screenshot with its tooltip, opens the About
// box for a screenshot of it and closes it with OK, and presses Exit, then disconnects, and
// prints what the add-in did and the window's handle counts.
// --register calls the module's DllRegisterServer first and DllUnregisterServer at the end.
// Message boxes are answered and listed. --editor chooses the IDE served: VB6's, or the Office
// VBA editor's (the default for a project of UserForms only: exported UserForms or a
// workbook). --print-module prints the form's code module at the end, to compare with what
// quenlow apply writes into the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/files/ProjectFiles.h"
#include "tools/ide-sim/IdeObjects.h"
#include "tools/ide-sim/Session.h"
#include "winapi/Com.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

using namespace tolvane;
using namespace tolvane::idesim;
using tolvane::winapi::PumpMessages;

namespace {

struct Options {
    std::wstring project;
    std::wstring dll;
    std::wstring progId = L"Quenlow.Connect";
    LONG mode = AfterStartup;
    bool click = false;
    std::wstring pick;
    std::vector<std::wstring> ticks;
    bool generate = false;
    bool insert = false;  // presses "&Insert into the form" after Generate
    bool remove = false;  // presses "Re&move from the form"
    bool hideUnplaceable = false;
    bool plain = false;
    bool list = false;
    bool scrollEnd = false;
    std::wstring shot;
    std::wstring tipShot;
    std::wstring aboutShot;
    bool exit = false;
    std::wstring editor;
    std::wstring printModule;
};

std::string Utf8(const std::wstring& text) { return winapi::WideToUtf8(text); }

void PrintLines(const char* label, const std::wstring& text) {
    std::printf("%s\n", label);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::printf("    %s\n", Utf8(text.substr(start, end - start)).c_str());
        start = end + 2;
    }
}

void PrintMenu(host::memory::MemoryHost& host) {
    std::printf("Add-Ins menu:");
    const auto captions = host.Menu().Captions("Add-Ins");
    if (captions.empty()) std::printf(" (empty)");
    for (const auto& caption : captions) std::printf(" [%s]", caption.c_str());
    std::printf("\n");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: ide-sim PROJECT [--register DLL] [--progid ID] [--mode N] [--click] [--pick FORM]\n"
                 "               [--hide-unplaceable] [--plain] [--list] [--tick CONTROL[=OPTS]]... [--generate]\n"
                 "               [--insert] [--remove]\n"
                 "               [--scroll-end] [--shot FILE.bmp] [--tip-shot FILE.bmp] [--about-shot FILE.bmp] [--exit]\n"
                 "               [--editor vb6|vba] [--print-module FORM]\n");
    return 1;
}

bool Parse(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](std::wstring& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        std::wstring text;
        if (arg == L"--register") {
            if (!value(options.dll)) return false;
        } else if (arg == L"--progid") {
            if (!value(options.progId)) return false;
        } else if (arg == L"--mode") {
            if (!value(text)) return false;
            try {
                options.mode = std::stol(text);
            } catch (...) {
                return false;
            }
        } else if (arg == L"--click") {
            options.click = true;
        } else if (arg == L"--pick") {
            if (!value(options.pick)) return false;
        } else if (arg == L"--tick") {
            if (!value(text)) return false;
            options.ticks.push_back(text);
        } else if (arg == L"--generate") {
            options.generate = true;
        } else if (arg == L"--insert") {
            options.insert = true;
        } else if (arg == L"--remove") {
            options.remove = true;
        } else if (arg == L"--hide-unplaceable") {
            options.hideUnplaceable = true;
        } else if (arg == L"--plain") {
            options.plain = true;
        } else if (arg == L"--list") {
            options.list = true;
        } else if (arg == L"--scroll-end") {
            options.scrollEnd = true;
        } else if (arg == L"--shot") {
            if (!value(options.shot)) return false;
        } else if (arg == L"--tip-shot") {
            if (!value(options.tipShot)) return false;
        } else if (arg == L"--about-shot") {
            if (!value(options.aboutShot)) return false;
        } else if (arg == L"--exit") {
            options.exit = true;
        } else if (arg == L"--editor") {
            if (!value(options.editor) || (options.editor != L"vb6" && options.editor != L"vba")) return false;
        } else if (arg == L"--print-module") {
            if (!value(options.printModule)) return false;
        } else if (!arg.empty() && arg[0] == L'-') {
            return false;
        } else if (options.project.empty()) {
            options.project = arg;
        } else {
            return false;
        }
    }
    return !options.project.empty();
}

// Counts what did not go as asked; each failure is printed where it happens.
class Checks {
public:
    bool operator()(bool ok, const char* what) {
        if (!ok) {
            std::printf("FAILED: %s\n", what);
            ++failures_;
        }
        return ok;
    }
    bool Passed() const { return failures_ == 0; }

private:
    int failures_ = 0;
};

bool OnlyUserForms(host::Root& root) {
    auto components = root.ActiveVBProject()->VBComponents();
    for (int i = 1; i <= components->Count(); ++i)
        if (components->Item(i)->Type() != host::MSForm) return false;
    return components->Count() > 0;
}

// The form's code module, a line to a line.
void PrintModule(host::Root& root, const std::wstring& form) {
    auto module = root.ActiveVBProject()->VBComponents()->Item(Utf8(form))->CodeModule();
    std::printf("module %s:\n", Utf8(form).c_str());
    const int count = module->CountOfLines();
    for (int line = 1; line <= count; ++line) std::printf("    %s\n", module->Lines(line, 1).c_str());
}

std::shared_ptr<host::memory::MemoryHost> OpenProject(const Options& options) {
    auto opened = host::files::OpenProject(std::filesystem::path(options.project));
    std::printf("project: %s\n", Utf8(options.project).c_str());
    for (const auto& left : opened.leftOut) std::printf("warning: %s\n", left.reason.what());
    if (options.editor.empty() ? OnlyUserForms(*opened.host) : options.editor == L"vba") opened.host->SetKind(host::Editor::kVba);
    std::printf("editor: %s\n", opened.host->Kind() == host::Editor::kVba ? "VBA" : "VB6");
    return opened.host;
}

// Creates the add-in by ProgID and connects it, as the IDE does; false when it cannot be created.
bool ConnectAddIn(const Options& options, host::memory::MemoryHost& host, Simulator& ide, AddInClient& addIn,
                  Checks& check) {
    HRESULT hr = addIn.Create(options.progId.c_str());
    std::printf("create %s: 0x%08lX\n", Utf8(options.progId).c_str(), static_cast<unsigned long>(hr));
    if (!check(SUCCEEDED(hr), "creation")) return false;
    hr = addIn.Connect(ide.Vbe().Get(), options.mode);
    PumpMessages();
    std::printf("OnConnection(mode %ld): 0x%08lX\n", static_cast<long>(options.mode), static_cast<unsigned long>(hr));
    PrintMenu(host);
    std::printf("window shown at connection: %s\n", AddInWindow::Find() && AddInWindow::Find()->Visible() ? "yes" : "no");
    if (options.click) {
        bool handled = false, cancelDefault = false;
        const bool clicked = host.Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault);
        PumpMessages();
        check(clicked, "no \"Quenlow\" item to click");
        std::printf("click \"Quenlow\": handled=%d CancelDefault=%d\n", handled, cancelDefault);
    }
    return true;
}

// The column of an option as quenlow's --pick names it; Row for none.
AddInWindow::Column ColumnOf(const std::wstring& option) {
    static const wchar_t* const names[] = {L"LM", L"LR", L"LS", L"UM", L"UR", L"US"};
    for (int k = 0; k < 6; ++k)
        if (option == names[k]) return static_cast<AddInWindow::Column>(AddInWindow::LeftRightMove + k);
    return AddInWindow::Row;
}

// "Command1=LM,UR": ticks the row, then each option box.
void Tick(AddInWindow& window, const std::wstring& tick, Checks& check) {
    const std::size_t equals = tick.find(L'=');
    const std::wstring control = tick.substr(0, equals);
    std::vector<std::wstring> picked;
    for (std::size_t at = equals; at != std::wstring::npos && at + 1 <= tick.size();) {
        const std::size_t comma = tick.find(L',', at + 1);
        picked.push_back(tick.substr(at + 1, comma == std::wstring::npos ? std::wstring::npos : comma - at - 1));
        at = comma;
    }
    if (equals == std::wstring::npos) picked = {L"LM"};
    if (!check(window.Click(window.FindBox(control, AddInWindow::Row)), "tick row")) return;
    for (const std::wstring& option : picked) {
        const AddInWindow::Column column = ColumnOf(option);
        check(column != AddInWindow::Row && window.Click(window.FindBox(control, column)), "tick option");
    }
}

// Scrolls from the first row to the last one arrow step at a time, each step drawn, and
// prints what the steps took.
void ScrollToEnd(AddInWindow& window) {
    using Clock = std::chrono::steady_clock;
    window.Scroll(SB_TOP);
    std::vector<double> steps;
    for (;;) {
        const auto start = Clock::now();
        const bool moved = window.Scroll(SB_LINEDOWN);
        RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (!moved) break;
        steps.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    double total = 0, longest = 0;
    for (double step : steps) {
        total += step;
        longest = std::max(longest, step);
    }
    std::printf("scroll to the last row: %zu steps, %.2f ms a step on average, %.2f ms at most\n", steps.size(),
                steps.empty() ? 0.0 : total / static_cast<double>(steps.size()), longest);
}

void PrintHandles(const AddInWindow& window) {
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::printf("handles: %lu USER, %lu GDI (GetGuiResources, this process%s); %zu child windows\n",
                static_cast<unsigned long>(user), static_cast<unsigned long>(gdi),
                user == 0 && gdi == 0 ? ": not counted by this system" : "", window.ChildWindowCount());
}

void ToggleWindowBoxes(const Options& options, AddInWindow& window, Checks& check) {
    if (options.hideUnplaceable)
        check(window.Click(window.WindowCheckBox(L"&Hide controls that cannot be placed")), "hide check box");
    if (options.plain) check(window.Click(window.WindowCheckBox(L"&Plain text (as the original add-in)")), "plain check box");
}

// Picks, ticks, generates, takes the screenshots and exits, as asked.
void DriveWindow(const Options& options, AddInWindow& window, Checks& check) {
    std::printf("window \"Tolvane\": shown\n");
    std::printf("forms:");
    for (const auto& form : window.Forms()) std::printf(" %s", Utf8(form).c_str());
    std::printf("\n");
    ToggleWindowBoxes(options, window, check);
    if (!options.pick.empty() && check(window.Pick(options.pick), "pick")) {
        const auto rows = options.list ? window.AllRows() : window.Rows();
        std::printf("rows of %s%s (%zu):", Utf8(options.pick).c_str(), options.list ? "" : " in view", rows.size());
        for (const auto& row : rows) std::printf(" %s", Utf8(row).c_str());
        std::printf("\n");
    }
    for (const auto& tick : options.ticks) Tick(window, tick, check);
    if (options.generate && check(window.Press(L"&Generate Code"), "generate")) {
        PrintLines("declarations:", window.Declarations());
        PrintLines("Load:", window.OnLoad());
        PrintLines("Resize:", window.OnResize());
    }
    if (options.insert) std::printf("insert: %s\n", check(window.Press(L"&Insert into the form"), "insert") ? "done" : "failed");
    if (options.remove) std::printf("remove: %s\n", check(window.Press(L"Re&move from the form"), "remove") ? "done" : "failed");
    if (options.scrollEnd) ScrollToEnd(window);
    PrintHandles(window);
    if (!options.shot.empty())
        std::printf("screenshot %s: %s\n", Utf8(options.shot).c_str(),
                    check(window.Screenshot(options.shot), "screenshot") ? "written" : "not written");
    if (!options.tipShot.empty()) {
        // A greyed row's boxes are disabled and take no mouse messages: the first row in view that
        // can be placed.
        HWND box = nullptr;
        for (const auto& row : window.Rows()) {
            box = window.Box(row, AddInWindow::LeftRightMove);
            if (box && IsWindowEnabled(box)) break;
            box = nullptr;
        }
        const auto tip = window.TipShot(box, options.tipShot);
        if (check(tip.has_value(), "no tooltip showed"))
            std::printf("tooltip screenshot %s: \"%s\"\n", Utf8(options.tipShot).c_str(), Utf8(*tip).c_str());
    }
    if (!options.aboutShot.empty() && check(window.Press(L"&About"), "about")) {
        HWND about = window.AboutBox();
        const bool written = check(about != nullptr, "no About box") && Screenshot(about, options.aboutShot);
        std::printf("About box screenshot %s: %s\n", Utf8(options.aboutShot).c_str(), written ? "written" : "not written");
        if (about) check(PressButton(about, L"OK") && !IsWindowVisible(about), "About box closed by OK");
    }
    if (options.exit) {
        check(window.Press(L"E&xit"), "exit");
        std::printf("after Exit the window is %s\n", window.Visible() ? "shown" : "hidden");
    }
}

// Disconnects and releases the add-in, then reports what it left behind.
void Disconnect(AddInClient& addIn, host::memory::MemoryHost& host, const Simulator& ide) {
    const HRESULT hr = addIn.Disconnect(UserClosed);
    PumpMessages();
    std::printf("OnDisconnection: 0x%08lX\n", static_cast<unsigned long>(hr));
    addIn.Release();
    PumpMessages();
    PrintMenu(host);
    const auto display = ReadSetting(L"Tolvane", L"Settings", L"DisplayOnConnect");
    std::printf("DisplayOnConnect: %s\n", display ? Utf8(*display).c_str() : "(not set)");
    std::printf("IDE calls made by the add-in: %zu; objects still held: %d\n", ide.Journal().size(),
                ide.LiveObjects() - 1);
}

void PrintMessageBoxes(const MessageBoxWatcher& boxes) {
    const auto seen = boxes.Seen();
    std::printf("message boxes: %zu\n", seen.size());
    for (const auto& box : seen) std::printf("    [%s] %s\n", Utf8(box.caption).c_str(), Utf8(box.text).c_str());
}

int Run(const Options& options) {
    Checks check;
    auto host = OpenProject(options);
    std::unique_ptr<ServerModule> module;
    if (!options.dll.empty()) {
        module = std::make_unique<ServerModule>(options.dll.c_str());
        const HRESULT hr = module->Register();
        std::printf("register %s: 0x%08lX\n", Utf8(options.dll).c_str(), static_cast<unsigned long>(hr));
        if (!check(SUCCEEDED(hr), "registration")) return 2;
    }
    MessageBoxWatcher boxes;
    {
        Simulator ide(host);
        AddInClient addIn;
        if (!ConnectAddIn(options, *host, ide, addIn, check)) return 2;
        if (auto window = AddInWindow::Find(); window && window->Visible())
            DriveWindow(options, *window, check);
        else if (options.click)
            check(false, "no window after the click");
        Disconnect(addIn, *host, ide);
    }
    PrintMessageBoxes(boxes);
    if (!options.printModule.empty()) PrintModule(*host, options.printModule);
    if (module) std::printf("unregister: 0x%08lX\n", static_cast<unsigned long>(module->Unregister()));
    return check.Passed() ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!Parse(argc, argv, options)) return Usage();
    const winapi::ComApartment apartment;
    if (!apartment.Entered()) {
        std::fprintf(stderr, "ide-sim: COM cannot start\n");
        return 1;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ide-sim: %s\n", e.what());
        return 1;
    }
}
