// The IDE's side of a session with an add-in: creating it by ProgID and connecting it,
// message boxes, the add-in's window driven through its native controls, and the setting the
// add-in keeps in the registry (the message loop is winapi::PumpMessages). Used by
// ide-sim.exe and by the tests.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "winapi/IdeInterfaces.h"

namespace tolvane::idesim {

using Microsoft::WRL::ComPtr;

using winapi::ide::ConnectMode;
using winapi::ide::DisconnectMode;
using enum winapi::ide::ConnectMode;
using enum winapi::ide::DisconnectMode;

// One add-in instance, created as the IDE creates it: CoCreateInstance by ProgID, then
// QueryInterface for _IDTExtensibility2. The events get an empty custom() array.
class AddInClient {
public:
    // S_OK, or the failing HRESULT of CLSIDFromProgID, CoCreateInstance or QueryInterface.
    HRESULT Create(const wchar_t* progId);
    HRESULT Connect(IDispatch* application, LONG mode);
    HRESULT Disconnect(LONG mode);
    void Release() { extensibility_.Reset(); }
    bool Created() const { return extensibility_ != nullptr; }

private:
    ComPtr<winapi::ide::IDTExtensibility2> extensibility_;
};

// A top-level window of this process with that caption (and class, when given), or null.
HWND FindOwnWindow(const wchar_t* caption, const wchar_t* className = nullptr);

struct SeenBox {
    std::wstring caption;
    std::wstring text;
};

// Watches this process for message boxes (dialog class "#32770"), records each one and
// answers it with OK, so that a session never blocks on one.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    std::vector<SeenBox> Seen() const;

private:
    void Watch();
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

// The add-in window (caption "Tolvane") driven through its native controls, as a user
// drives it: the form combo box, the grid's check boxes and scroll bar, the window's own
// check boxes, the command buttons and the three output boxes. Rows are found by position:
// each row is a line of check boxes in the grid's panel, the control's box first, then its
// six options (Left/Right M, R, S, Up/Down M, R, S). The grid shows only the rows in view: a
// row further down is found by scrolling, as a user finds it.
class AddInWindow {
public:
    static constexpr const wchar_t* kCaption = L"Tolvane";
    enum Column { Row = 0, LeftRightMove, LeftRightSize, LeftRightScale, UpDownMove, UpDownSize, UpDownScale };

    // The window if this process has one (shown or hidden).
    static std::optional<AddInWindow> Find();
    explicit AddInWindow(HWND window) : window_(window) {}
    HWND Handle() const { return window_; }
    bool Exists() const { return IsWindow(window_) != FALSE; }
    bool Visible() const { return IsWindowVisible(window_) != FALSE; }

    HWND FormList() const;                       // the combo box
    std::vector<std::wstring> Forms() const;     // its entries, in order
    std::wstring SelectedForm() const;
    // Selects the entry and notifies the window as the combo box does; false if no such entry.
    bool Pick(const std::wstring& form);
    // Captions of the rows in view, top to bottom.
    std::vector<std::wstring> Rows() const;
    // The check box of a row's column among the rows in view; null when it is not in view.
    HWND Box(const std::wstring& row, Column column) const;
    // Every row of the grid, scrolled through from the top one row at a time.
    std::vector<std::wstring> AllRows();
    // Scrolls from the top until the row is in view; null when no row has that caption.
    HWND FindBox(const std::wstring& row, Column column);
    // One step of the grid's scroll bar (SB_LINEDOWN, SB_TOP, ...), as its arrows and thumb
    // send it; false when the bar did not move.
    bool Scroll(WORD code);
    // A check box of the window itself (not of the grid) by caption ("&Plain text ...").
    HWND WindowCheckBox(const std::wstring& caption) const;
    // Child windows of the add-in window, the grid's row windows included.
    std::size_t ChildWindowCount() const;
    bool Checked(HWND box) const;
    // Clicks the button or check box (BM_CLICK) and pumps; false when there is no such control.
    bool Click(HWND control);
    bool Press(const std::wstring& caption);  // a command button by caption ("&Generate Code")
    // The three output boxes, top to bottom: declarations, Load, Resize.
    std::wstring Declarations() const { return Output(0); }
    std::wstring OnLoad() const { return Output(1); }
    std::wstring OnResize() const { return Output(2); }
    // Writes what the client area shows as a 24-bit BMP; false when it cannot be read.
    bool Screenshot(const std::wstring& path) const;
    // Rests the pointer on a control until its tooltip shows, then writes what the screen
    // shows of the window and the tip as a BMP; the tip's text, or nullopt when none showed.
    std::optional<std::wstring> TipShot(HWND control, const std::wstring& path) const;
    // The About box the window opened, if it is shown: another top-level window of this
    // process with an "OK" button. Null when there is none.
    HWND AboutBox() const;

private:
    std::vector<std::vector<HWND>> RowBoxes() const;
    std::wstring Output(int which) const;
    HWND window_;
};

// Writes what a window's client area shows as a 24-bit BMP (after a repaint); false when it
// cannot be read.
bool Screenshot(HWND window, const std::wstring& path);
// Clicks a push button of the window by caption ("OK"); false when there is none.
bool PressButton(HWND window, const std::wstring& caption);

// HKCU\Software\VB and VBA Program Settings\<app>\<section>, value <key> (REG_SZ), as VB's
// GetSetting reads it; nullopt when absent.
std::optional<std::wstring> ReadSetting(const wchar_t* app, const wchar_t* section, const wchar_t* key);
void DeleteSettings(const wchar_t* app);

// The module's own registration entry points, called directly (as regsvr32 would).
class ServerModule {
public:
    explicit ServerModule(const wchar_t* path);
    ~ServerModule();
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;
    bool Loaded() const { return module_ != nullptr; }
    HRESULT Register() const;
    HRESULT Unregister() const;

private:
    HRESULT CallExport(const char* name) const;
    HMODULE module_ = nullptr;
};

}  // namespace tolvane::idesim
