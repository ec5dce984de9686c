#include "forms/win32/Realiser.h"

#include <algorithm>
#include <stdexcept>

#include "forms/ErrorReport.h"
#include "forms/win32/Mapping.h"
#include "forms/win32/NativeForm.h"

namespace tolvane::forms::win32 {
namespace {

HMODULE ModuleOfThisCode() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
    return module;
}

// The realiser whose reporter is installed; one user-interface thread, so no lock.
const Realiser* g_reporting = nullptr;

}  // namespace

std::shared_ptr<Realiser> Realiser::Create() { return Create(Options{}); }

std::shared_ptr<Realiser> Realiser::Create(Options options) {
    std::shared_ptr<Realiser> realiser(new Realiser(options));
    std::weak_ptr<Realiser> weak = realiser;
    SetErrorReporter([weak](const ErrorReport& report) {
        const auto self = weak.lock();
        if (!self) throw std::logic_error("no realiser");  // ReportError then records the report
        self->Report(report.form, report.description);
    });
    g_reporting = realiser.get();
    return realiser;
}

Realiser::Realiser(Options options)
    : resources_(options.resources != nullptr ? options.resources : ModuleOfThisCode()),
      messageBox_([](HWND owner, const std::wstring& text, const std::wstring& caption) {
          ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK);
      }) {}

Realiser::~Realiser() {
    // Each NativeForm detaches from its form and destroys its windows; the forms stay headless.
    forms_.clear();
    if (g_reporting == this) {
        SetErrorReporter({});
        g_reporting = nullptr;
    }
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

void Realiser::SetMessageBox(MessageBoxFunction show) { messageBox_ = std::move(show); }

void Realiser::Forget(NativeForm* native) noexcept {
    const auto at = std::find_if(forms_.begin(), forms_.end(), [&](const auto& p) { return p.get() == native; });
    if (at == forms_.end()) return;
    const std::unique_ptr<NativeForm> gone = std::move(*at);
    forms_.erase(at);
}

void Realiser::Report(const std::string& formName, const std::string& description) const {
    // The box belongs to the form whose handler failed: its caption, over its window.
    const NativeForm* reporting = nullptr;
    for (const auto& native : forms_) {
        if (native->GetForm().Name() != formName) continue;
        if (reporting == nullptr || (reporting->Window() == nullptr && native->Window() != nullptr))
            reporting = native.get();
    }
    std::wstring caption = L"Tolvane";
    HWND owner = nullptr;
    if (reporting != nullptr) {
        if (!reporting->GetForm().Caption().empty()) caption = Widen(reporting->GetForm().Caption());
        if (reporting->Window() != nullptr && ::IsWindowVisible(reporting->Window())) owner = reporting->Window();
    }
    if (messageBox_) messageBox_(owner, Widen(description), caption);
}

}  // namespace tolvane::forms::win32
