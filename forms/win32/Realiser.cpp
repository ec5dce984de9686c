#include "forms/win32/Realiser.h"

#include <algorithm>

#include "forms/win32/NativeForm.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace tolvane::forms::win32 {
std::shared_ptr<Realiser> Realiser::Create() { return Create(Options{}); }

std::shared_ptr<Realiser> Realiser::Create(Options options) { return std::shared_ptr<Realiser>(new Realiser(options)); }

Realiser::Realiser(Options options)
    : resources_(options.resources != nullptr ? options.resources : winapi::ThisModule()),
      errorCaption_(winapi::Utf8ToWide(options.errorCaption)),
      errorBox_([](HWND owner, const std::wstring& text, const std::wstring& caption) {
          ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK);
      }) {}

Realiser::~Realiser() {
    // Each NativeForm detaches from its form and destroys its windows; the forms stay headless.
    forms_.clear();
}

std::function<void(Form&)> Realiser::AsFormRealiser() {
    return [self = shared_from_this()](Form& form) { self->Attach(form); };
}

void Realiser::Attach(Form& form) {
    if (IsAttached(form)) return;
    auto native = std::make_unique<NativeForm>(*this, form);
    NativeForm& attached = *native;
    forms_.push_back(std::move(native));
    form.SetObserver(&attached);
    if (form.IsLoaded()) {
        attached.Loaded(form);
        attached.EventDone(form);
        if (form.IsShown()) attached.Shown(form);
    }
}

bool Realiser::IsAttached(const Form& form) const { return Find(form) != nullptr; }

NativeForm* Realiser::Find(const Form& form) const {
    for (const auto& native : forms_)
        if (&native->GetForm() == &form) return native.get();
    return nullptr;
}

HWND Realiser::WindowOf(const Form& form) const {
    const NativeForm* native = Find(form);
    return native != nullptr ? native->Window() : nullptr;
}

HWND Realiser::WindowOf(const Control& control) const {
    const NativeForm* native = Find(control.Parent());
    return native != nullptr ? native->WindowOf(control) : nullptr;
}

void Realiser::SetErrorBox(ErrorBoxFunction show) { errorBox_ = std::move(show); }

void Realiser::Forget(NativeForm* native) noexcept {
    const auto at = std::find_if(forms_.begin(), forms_.end(), [&](const auto& p) { return p.get() == native; });
    if (at == forms_.end()) return;
    const std::unique_ptr<NativeForm> gone = std::move(*at);
    forms_.erase(at);
}

void Realiser::Report(const NativeForm& reporting, const std::string& description) const {
    // The box belongs to the form whose handler failed: its caption, over its window.
    const std::string& formCaption = reporting.GetForm().Caption();
    const std::wstring caption = formCaption.empty() ? errorCaption_ : winapi::Utf8ToWide(formCaption);
    HWND owner = reporting.Window() != nullptr && ::IsWindowVisible(reporting.Window()) ? reporting.Window() : nullptr;
    // The box may outlive this realiser (the add-in disconnected while it is open): call a copy.
    const ErrorBoxFunction show = errorBox_;
    if (show) show(owner, winapi::Utf8ToWide(description), caption);
}

}  // namespace tolvane::forms::win32
