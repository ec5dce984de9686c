// One realised form: its top-level window and one native control per forms::Control. It is
// the form's FormObserver, so it hears loads, unloads, focus moves and the end of each event;
// the window procedures turn native notifications into UserInput calls. Lives exactly as long
// as the form (or the Realiser, if that goes first); its windows live from load to unload.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/Form.h"
#include "winapi/Handles.h"

namespace tolvane::forms::win32 {

class Realiser;

// Window classes and the keyboard hook, shared by every realised window on the thread and
// held while at least one exists. The classes go again with the last window: a DLL must not
// leave a class behind whose window procedure would vanish with it.
class ThreadResources {
public:
    ThreadResources();  // throws std::runtime_error when registration fails
    ~ThreadResources();
    ThreadResources(const ThreadResources&) = delete;
    ThreadResources& operator=(const ThreadResources&) = delete;
};

class NativeForm final : public FormObserver {
public:
    NativeForm(Realiser& realiser, Form& form);
    ~NativeForm() override;
    NativeForm(const NativeForm&) = delete;
    NativeForm& operator=(const NativeForm&) = delete;

    Form& GetForm() const { return form_; }
    HWND Window() const { return window_.get(); }
    HWND WindowOf(const Control& control) const;

    // FormObserver
    void Loaded(Form&) override;
    void Shown(Form&) override;
    void BroughtToFront(Form&) override;
    void Hidden(Form&) override;
    void Unloaded(Form&) override;
    void FocusMoved(Form&, Control* control) override;
    void MadeTopMost(Form&) override;
    void EventDone(Form&) override;
    bool ShowError(Form&, const ErrorReport& report) override;
    void Destroyed(Form&) override;

    // Thunks Windows calls; each is one catch-all boundary.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam) noexcept;

private:
    struct Native {
        Control* control = nullptr;
        HWND hwnd = nullptr;       // null for lines
        winapi::UniqueFont font;           // a font of the control's own, if it has one
        winapi::UniqueIcon icon;           // a picture box's image
        RECT lineRect{};           // where a slanted line was last drawn, in its container
    };

    static NativeForm* FromWindow(HWND anyWindowOfTheForm) noexcept;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool PreTranslate(MSG& message);
    void OnCommand(HWND child, UINT code);
    void OnScroll(HWND bar, UINT code);
    LRESULT OnCtlColor(HDC dc, HWND child);
    void OnPaint(HWND hwnd);
    void OnDoubleClick(HWND edit);
    void OnActivate(bool active);

    void CreateWindows();
    void DestroyWindows() noexcept;
    void CreateNative(std::size_t index);
    void Apply(std::size_t index, std::uint32_t bits);
    void ApplyForm();
    void ApplyGeometry(Native& native);
    void ApplyText(Native& native, std::uint32_t bits);
    void ApplyValue(Native& native);
    void ApplyAppearance(Native& native);
    void InvalidateLine(Native& native);
    void ReplayTyping(HWND hwnd);
    void SyncNativeState(HWND hwnd);
    void SyncFocusFromNative();
    void Fail(const char* source, const char* description) noexcept;

    Native* Find(HWND hwnd);
    Native* Find(const Control* control);
    HWND ContainerWindow(const Control& control) const;
    RECT PixelBounds(const Control& control) const;
    RECT LineRect(const Control& line) const;
    HFONT FontFor(const Native& native) const;

    Realiser& realiser_;
    Form& form_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
    std::unique_ptr<ThreadResources> resources_;
    winapi::UniqueWindow window_;
    std::vector<Native> natives_;  // parallel to form_.Controls()
    std::unordered_map<HWND, std::size_t> byWindow_;
    std::unordered_map<const Control*, std::size_t> byControl_;
    std::string caption_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int dpiX_ = 96;
    int dpiY_ = 96;
    bool applying_ = false;  // our own changes raise no native notifications into the state
    bool syncingFocus_ = false;
};

}  // namespace tolvane::forms::win32
