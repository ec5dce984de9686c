// Realises forms of the forms package as native Win32 windows: one top-level window per form
// and one native control per forms::Control, created in creation order when the form loads
// and destroyed when it unloads. User input on a native control goes through
// forms/UserInput.h (the state is written first, then the handler runs); after each event
// what changed is applied, and only that. An error a handler of a realised form does not handle is shown by that
// form's realiser, in a message box with one OK button captioned with the form's caption or,
// for a form without one, the caption the realiser was given (the application's title); so
// each realiser (each Connect object has one) shows its own forms' errors, whatever became
// of the others.
//
// Everything runs on the one user-interface thread that creates the forms. The windows are
// modeless inside a message loop we do not own (the IDE's), so keyboard navigation (Tab,
// access keys, Enter and Esc) comes from a thread message hook; see WindowClasses.h.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/Control.h"
#include "forms/Form.h"

namespace tolvane::forms::win32 {

class NativeForm;

// Shows one error report; the default calls MessageBoxW(owner, text, caption, MB_OK).
using ErrorBoxFunction = std::function<void(HWND owner, const std::wstring& text, const std::wstring& caption)>;

class Realiser : public std::enable_shared_from_this<Realiser> {
public:
    struct Options {
        // The module whose resources hold picture boxes' icons; null: the module that
        // contains this code.
        HMODULE resources = nullptr;
        // The error box's caption for a form without a caption of its own (UTF-8).
        std::string errorCaption;
    };

    static std::shared_ptr<Realiser> Create();
    static std::shared_ptr<Realiser> Create(Options options);
    ~Realiser();
    Realiser(const Realiser&) = delete;
    Realiser& operator=(const Realiser&) = delete;

    // Attach as a function, for whoever creates the forms to call with each new one. It
    // keeps this realiser alive.
    std::function<void(Form&)> AsFormRealiser();

    // Attaches a native window to the form (created at once if the form is loaded). A form
    // already attached stays as it is.
    void Attach(Form& form);
    bool IsAttached(const Form& form) const;

    // The native windows; null when the form is not attached or not loaded, and for lines.
    HWND WindowOf(const Form& form) const;
    HWND WindowOf(const Control& control) const;

    void SetErrorBox(ErrorBoxFunction show);
    HMODULE ResourceModule() const { return resources_; }

private:
    friend class NativeForm;
    explicit Realiser(Options options);
    NativeForm* Find(const Form& form) const;
    // Called by a NativeForm whose form is being destroyed.
    void Forget(NativeForm* native) noexcept;
    void Report(const NativeForm& reporting, const std::string& description) const;

    HMODULE resources_ = nullptr;
    std::wstring errorCaption_;
    ErrorBoxFunction errorBox_;
    std::vector<std::unique_ptr<NativeForm>> forms_;
};

}  // namespace tolvane::forms::win32
