// One realised form: its top-level window and one native control per forms::Control. It is
// the form's FormObserver, so it hears loads, unloads, focus moves and the end of each event;
// the window procedures turn native notifications into user input. Lives exactly as long as
// the form (or the Realiser, if that goes first); its windows live from load to unload.
//
// Its members are defined by concern: NativeForm.cpp (lifetime, creating the windows and
// applying the state), WindowClasses.cpp (the procedures Windows calls), NativeInput.cpp
// (input and keyboard navigation) and NativePaint.cpp (drawing).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/Form.h"
#include "forms/LifetimeToken.h"
#include "winapi/Handles.h"

namespace tolvane::forms::win32 {

class Realiser;
class ThreadResources;

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

    // What Windows calls: one procedure per window class, the text boxes' subclass and the
    // keyboard hook. No exception leaves any of them.
    static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK LineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam) noexcept;

private:
    struct Native {
        Control* control = nullptr;
        HWND hwnd = nullptr;       // null for a slanted line, which its container paints
        winapi::UniqueFont font;   // a font of the control's own, if it has one
        winapi::UniqueIcon icon;   // a picture box's image
        RECT lineRect{};           // where a slanted line was last drawn, in its container
        bool hasTip = false;       // a tool of the form's tooltip window
    };

    // Sets a flag for the lifetime of a scope (re-entrant: restores what it found).
    class FlagScope {
    public:
        explicit FlagScope(bool& flag) noexcept : flag_(flag), previous_(flag) { flag_ = true; }
        ~FlagScope() { flag_ = previous_; }
        FlagScope(const FlagScope&) = delete;
        FlagScope& operator=(const FlagScope&) = delete;

    private:
        bool& flag_;
        bool previous_;
    };

    using MessageHandler = LRESULT (NativeForm::*)(HWND, UINT, WPARAM, LPARAM);

    // WindowClasses.cpp: the thunk behind every procedure and the one catch-all boundary.
    static LRESULT Dispatch(MessageHandler handler, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    template <class Body>
    static bool Guarded(NativeForm* self, const char* source, Body&& body) noexcept;
    static NativeForm* FromWindow(HWND anyWindowOfTheForm) noexcept;
    LRESULT FormMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PictureMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT FrameMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT LineMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // NativeInput.cpp
    LRESULT OnCommand(HWND child, UINT code);
    LRESULT OnScroll(HWND bar, UINT code);
    LRESULT OnClose();
    LRESULT OnActivate(bool active);
    void OnDoubleClick(HWND edit);
    bool PreTranslate(MSG& message);
    void ReplayTyping(HWND hwnd);
    void SyncNativeState(HWND hwnd);
    void SyncFocusFromNative();

    // NativePaint.cpp
    LRESULT OnCtlColor(HDC dc, HWND child);
    LRESULT OnPaintForm(HWND hwnd);
    LRESULT OnPaintPicture(HWND hwnd);
    LRESULT OnPaintFrame(HWND hwnd);
    LRESULT OnPaintLine(HWND hwnd);
    void PaintSlantedLines(HDC dc, const Control* container) const;

    // NativeForm.cpp
    void CreateWindows();
    void DestroyWindows() noexcept;
    void CreateNative(std::size_t index);
    void FitComboField(Native& native, int height);
    void Apply(std::size_t index, std::uint32_t bits);
    void ApplyForm();
    void ApplyGeometry(Native& native);
    void ApplyText(Native& native, std::uint32_t bits);
    void ApplyValue(Native& native);
    void ApplyFont(Native& native);
    void ApplyPicture(Native& native);
    void ApplyAppearance(Native& native);
    void InvalidateLine(Native& native);

    // NativeToolTips.cpp
    void CreateToolTips();
    void ApplyToolTip(Native& native);
    void Fail(const char* source, const char* description) noexcept;

    Native* Find(HWND hwnd);
    HWND ContainerWindow(const Control& control) const;
    RECT PixelBounds(const Control& control) const;
    RECT WindowRectOf(const Control& control) const;

    Realiser& realiser_;
    Form& form_;
    LifetimeToken lifetime_;
    std::unique_ptr<ThreadResources> resources_;
    winapi::UniqueWindow window_;
    winapi::UniqueWindow tips_;  // the form's tooltip window, destroyed before the form's
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
