#include "tools/ide-sim/Session.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "forms/win32/Screenshot.h"

#include <commctrl.h>
#include "winapi/Com.h"
#include "winapi/Handles.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::idesim {

namespace {

// An empty custom() array, as the IDE passes one.
winapi::UniqueSafeArray EmptyCustomArray() { return winapi::UniqueSafeArray(SafeArrayCreateVector(VT_VARIANT, 0, 0)); }

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Window class names are compared as Windows compares them.
bool IsClass(HWND window, const wchar_t* className) { return winapi::EqualsIgnoringCase(ClassName(window), className); }

bool IsCheckBox(HWND window) {
    if (!IsClass(window, L"Button")) return false;
    const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool IsPushButton(HWND window) {
    if (!IsClass(window, L"Button")) return false;
    const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The top-level windows of this process: other programs on the same display are not ours to drive.
std::vector<HWND> OwnTopLevelWindows() {
    std::vector<HWND> all, own;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId()) own.push_back(window);
    }
    return own;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

// ---- the add-in ----

HRESULT AddInClient::Create(const wchar_t* progId) {
    extensibility_.Reset();
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                          reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) return hr;
    return object->QueryInterface(winapi::ide::kIidExtensibility2, reinterpret_cast<void**>(extensibility_.GetAddressOf()));
}

HRESULT AddInClient::Connect(IDispatch* application, LONG mode) {
    if (!extensibility_) return E_UNEXPECTED;
    winapi::UniqueSafeArray custom = EmptyCustomArray();
    return extensibility_->OnConnection(application, mode, nullptr, custom.addressof());
}

HRESULT AddInClient::Disconnect(LONG mode) {
    if (!extensibility_) return E_UNEXPECTED;
    winapi::UniqueSafeArray custom = EmptyCustomArray();
    return extensibility_->OnDisconnection(mode, custom.addressof());
}

// ---- windows ----

HWND FindOwnWindow(const wchar_t* caption, const wchar_t* className) {
    for (HWND window : OwnTopLevelWindows()) {
        if (className && !IsClass(window, className)) continue;
        if (caption && winapi::WindowText(window) != caption) continue;
        return window;
    }
    return nullptr;
}

// ---- message boxes ----

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> MessageBoxWatcher::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        HWND box = FindOwnWindow(nullptr, L"#32770");
        if (box && IsWindowVisible(box)) {
            wchar_t text[1024] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's static text
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back({winapi::WindowText(box), text});
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            // Count each box once: wait for it to go, closing it harder if OK is not its button.
            for (int i = 0; i < 250 && IsWindow(box); ++i) {
                if (i == 100) PostMessageW(box, WM_CLOSE, 0, 0);
                Sleep(20);
            }
        }
        Sleep(20);
    }
}

// ---- the add-in window ----

std::optional<AddInWindow> AddInWindow::Find() {
    // The add-in's window, not a message box that carries the same caption.
    for (HWND window : OwnTopLevelWindows())
        if (winapi::WindowText(window) == kCaption && !IsClass(window, L"#32770")) return AddInWindow(window);
    return std::nullopt;
}

HWND AddInWindow::FormList() const {
    for (HWND child : Descendants(window_))
        if (IsClass(child, L"ComboBox")) return child;
    return nullptr;
}

std::vector<std::wstring> AddInWindow::Forms() const {
    std::vector<std::wstring> forms;
    HWND combo = FormList();
    if (!combo) return forms;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        forms.push_back(std::move(text));
    }
    return forms;
}

std::wstring AddInWindow::SelectedForm() const {
    HWND combo = FormList();
    return combo ? winapi::WindowText(combo) : std::wstring();
}

bool AddInWindow::Pick(const std::wstring& form) {
    HWND combo = FormList();
    if (!combo) return false;
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(form.c_str()));
    if (index < 0) return false;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // CB_SETCURSEL does not notify; the combo box would, on a user's pick.
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    winapi::PumpMessages();
    return true;
}

std::vector<std::vector<HWND>> AddInWindow::RowBoxes() const {
    std::vector<HWND> boxes;
    // The grid's boxes sit in its panel; the window's own check boxes sit on the window.
    for (HWND child : Descendants(window_))
        if (IsCheckBox(child) && IsWindowVisible(child) && GetParent(child) != window_) boxes.push_back(child);
    // A row is a line of boxes sharing their vertical middle (the control's box is taller
    // than its options and indented by nesting depth, so neither height nor left will do).
    auto middle = [](HWND box) {
        const RECT r = ScreenRect(box);
        return (r.top + r.bottom) / 2;
    };
    std::sort(boxes.begin(), boxes.end(), [&](HWND a, HWND b) { return middle(a) < middle(b); });
    std::vector<std::vector<HWND>> rows;
    for (HWND box : boxes) {
        if (rows.empty() || middle(box) - middle(rows.back().front()) > 3) rows.push_back({});
        rows.back().push_back(box);
    }
    for (auto& row : rows)
        std::sort(row.begin(), row.end(), [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
    return rows;
}

std::vector<std::wstring> AddInWindow::Rows() const {
    std::vector<std::wstring> captions;
    for (const auto& row : RowBoxes()) captions.push_back(winapi::WindowText(row.front()));
    return captions;
}

HWND AddInWindow::Box(const std::wstring& row, Column column) const {
    for (const auto& boxes : RowBoxes()) {
        if (winapi::WindowText(boxes.front()) != row) continue;
        // Options in screen order left to right, the row box first.
        const auto at = static_cast<std::size_t>(column);
        return at < boxes.size() ? boxes[at] : nullptr;
    }
    return nullptr;
}

std::vector<std::wstring> AddInWindow::AllRows() {
    std::vector<std::wstring> all;
    Scroll(SB_TOP);
    for (;;) {
        const std::vector<std::wstring> rows = Rows();
        // Each step brings the next row to the top; the last step may move by less than a row.
        if (!rows.empty() && (all.empty() || all.back() != rows.front())) all.push_back(rows.front());
        if (!Scroll(SB_LINEDOWN)) {
            if (!rows.empty()) all.insert(all.end(), rows.begin() + 1, rows.end());
            return all;
        }
    }
}

HWND AddInWindow::FindBox(const std::wstring& row, Column column) {
    Scroll(SB_TOP);
    do {
        if (HWND box = Box(row, column)) return box;
    } while (Scroll(SB_LINEDOWN));
    return nullptr;
}

bool AddInWindow::Scroll(WORD code) {
    HWND bar = nullptr;
    for (HWND child : Descendants(window_))
        if (IsClass(child, L"ScrollBar") && GetParent(child) != window_) bar = child;
    if (!bar) return false;
    const int before = GetScrollPos(bar, SB_CTL);
    SendMessageW(GetParent(bar), WM_VSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar));
    winapi::PumpMessages();
    return GetScrollPos(bar, SB_CTL) != before;
}

HWND AddInWindow::WindowCheckBox(const std::wstring& caption) const {
    for (HWND child : Descendants(window_))
        if (IsCheckBox(child) && GetParent(child) == window_ && winapi::WindowText(child) == caption) return child;
    return nullptr;
}

std::size_t AddInWindow::ChildWindowCount() const { return Descendants(window_).size(); }

bool AddInWindow::Checked(HWND box) const { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool AddInWindow::Click(HWND control) {
    if (!control || !IsWindow(control)) return false;
    SendMessageW(control, BM_CLICK, 0, 0);
    winapi::PumpMessages();
    return true;
}

bool AddInWindow::Press(const std::wstring& caption) { return PressButton(window_, caption); }

bool PressButton(HWND window, const std::wstring& caption) {
    for (HWND child : Descendants(window)) {
        if (IsPushButton(child) && winapi::WindowText(child) == caption) {
            SendMessageW(child, BM_CLICK, 0, 0);
            winapi::PumpMessages();
            return true;
        }
    }
    return false;
}

HWND AddInWindow::AboutBox() const {
    for (HWND window : OwnTopLevelWindows()) {
        if (window == window_ || !IsWindowVisible(window)) continue;
        for (HWND child : Descendants(window))
            if (IsPushButton(child) && winapi::WindowText(child) == L"OK") return window;
    }
    return nullptr;
}

std::wstring AddInWindow::Output(int which) const {
    std::vector<HWND> edits;
    for (HWND child : Descendants(window_))
        if (IsClass(child, L"Edit") && (GetWindowLongW(child, GWL_STYLE) & ES_MULTILINE)) edits.push_back(child);
    std::sort(edits.begin(), edits.end(), [](HWND a, HWND b) { return ScreenRect(a).top < ScreenRect(b).top; });
    const auto at = static_cast<std::size_t>(which);
    return at < edits.size() ? winapi::WindowText(edits[at]) : std::wstring();
}

bool AddInWindow::Screenshot(const std::wstring& path) const { return idesim::Screenshot(window_, path); }

std::optional<std::wstring> AddInWindow::TipShot(HWND control, const std::wstring& path) const {
    if (!control) return std::nullopt;
    // The tooltip subclasses the control and learns of the pointer from its mouse messages;
    // the pointer itself has to be there too, as the tip checks it before it shows.
    const RECT box = ScreenRect(control);
    const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    SetCursorPos(centre.x, centre.y);
    POINT client = centre;
    ScreenToClient(control, &client);
    PostMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    HWND tip = nullptr;
    for (int waited = 0; waited < 3000 && !tip; waited += 50) {
        winapi::PumpMessages();
        Sleep(50);
        for (HWND window = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); window && !tip;
             window = FindWindowExW(nullptr, window, TOOLTIPS_CLASSW, nullptr))
            if (IsWindowVisible(window)) tip = window;
    }
    if (!tip) return std::nullopt;
    winapi::PumpMessages();
    RECT shown = ScreenRect(tip), client_area{};
    GetClientRect(window_, &client_area);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client_area), 2);
    UnionRect(&shown, &shown, &client_area);
    if (!forms::win32::WriteBmp(forms::win32::CaptureScreen(shown), path)) return std::nullopt;
    wchar_t text[1024] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = text;
    SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return std::wstring(text);
}

bool Screenshot(HWND window, const std::wstring& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    winapi::PumpMessages();
    return forms::win32::WriteBmp(forms::win32::CaptureWindow(window), path);
}

// ---- settings and registration ----

std::optional<std::wstring> ReadSetting(const wchar_t* app, const wchar_t* section, const wchar_t* key) {
    const std::wstring path = std::wstring(L"Software\\VB and VBA Program Settings\\") + app + L"\\" + section;
    winapi::UniqueHKey opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(opened.get(), key, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(opened.get(), key, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

void DeleteSettings(const wchar_t* app) {
    const std::wstring path = std::wstring(L"Software\\VB and VBA Program Settings\\") + app;
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

ServerModule::ServerModule(const wchar_t* path) : module_(LoadLibraryW(path)) {}

ServerModule::~ServerModule() {
    if (module_) FreeLibrary(module_);
}

HRESULT ServerModule::CallExport(const char* name) const {
    if (!module_) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    return entry ? entry() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

HRESULT ServerModule::Register() const { return CallExport("DllRegisterServer"); }

HRESULT ServerModule::Unregister() const { return CallExport("DllUnregisterServer"); }

}  // namespace tolvane::idesim
