#include "forms/Form.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "forms/ErrorReport.h"
#include "vb/Errors.h"

namespace tolvane::forms {

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
    lifetime_.End();
    // A native window must not outlive the state it shows.
    if (observer_ != nullptr) observer_->Destroyed(*this);
}

void Form::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Touch();
}

void Form::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    Touch();
}

void Form::SetBorder(bool fixedDialog, bool closeBox) {
    fixedDialog_ = fixedDialog;
    closeBox_ = closeBox;
    Touch();
}

Control& Form::Add(Kind kind, const std::string& name, Control* container, int index) {
    auto control = std::make_unique<Control>(*this, kind, name, index);
    control->SetContainer(container);
    control->SetTabIndex(static_cast<int>(controls_.size()));
    if (kind == Kind::Label || kind == Kind::Frame || kind == Kind::Line) control->SetTabStop(false);
    controls_.push_back(std::move(control));
    return *controls_.back();
}

Control& Form::Place(const Placement& placement) {
    Control* container = nullptr;
    if (placement.container != nullptr) {
        container = Find(placement.container);
        if (container == nullptr)
            throw std::logic_error(std::string(placement.name) + " is placed before its container " +
                                   placement.container);
    }
    Control& control = Add(placement.kind, placement.name, container);
    if (placement.kind == Kind::Line)
        control.SetLineEnds(placement.left, placement.top, placement.width, placement.height);
    else
        control.Move(placement.left, placement.top, placement.width, placement.height);
    if (placement.caption != nullptr) control.SetCaption(placement.caption);
    control.SetAlignment(placement.alignment);
    control.SetForeColour(placement.foreColour);
    return control;
}

void Form::Load() {
    if (loaded_) return;
    MoveFocus(nullptr);
    controls_.clear();
    CreateControls();
    loaded_ = true;
    shown_ = false;
    Touch();
    const LifetimeToken::Watch alive = lifetime_.Watching();
    if (observer_) observer_->Loaded(*this);
    // A realisation that could not create the window has unloaded the form again (after its
    // error box, which the form may not survive), so that the next Show tries afresh instead
    // of counting a form without a window as open.
    if (!alive || !loaded_) return;
    Raise("Form_Load", [this] { Form_Load(); });
}

void Form::Show() {
    Load();
    // The Load handler may have unloaded the form again.
    if (!loaded_) return;
    if (shown_) {
        ++frontRequests_;
        if (observer_) observer_->BroughtToFront(*this);
        return;
    }
    shown_ = true;
    Touch();
    if (observer_) observer_->Shown(*this);
    if (active_ == nullptr || !active_->IsReachable()) {
        const auto order = TabOrder();
        MoveFocus(order.empty() ? nullptr : order.front());
    }
}

void Form::Hide() {
    if (!loaded_ || !shown_) return;
    shown_ = false;
    Touch();
    if (observer_) observer_->Hidden(*this);
}

void Form::Unload(UnloadMode mode) {
    if (!loaded_) return;
    loaded_ = false;
    shown_ = false;
    MoveFocus(nullptr);
    Touch();
    if (observer_) observer_->Unloaded(*this);
    Raise("Form_Unload", [this, mode] { AfterUnload(mode); });
}

void Form::MakeTopMost() {
    topMost_ = true;
    ++topMostRequests_;
    Touch();
    if (observer_) observer_->MadeTopMost(*this);
}

Control* Form::Find(const std::string& name, int index) const {
    for (const auto& control : controls_)
        if (control->Name() == name && control->Index() == index) return control.get();
    return nullptr;
}

void Form::MoveFocus(Control* control) {
    if (active_ == control) return;
    active_ = control;
    Touch();
    if (observer_) observer_->FocusMoved(*this, control);
}

void Form::SetFocus(Control& control) {
    if (&control.Parent() != this || !control.CanHoldFocus() || !control.IsReachable())
        throw std::invalid_argument(vb::kInvalidCall);
    MoveFocus(&control);
}

std::vector<Control*> Form::TabOrder() const {
    std::vector<Control*> order;
    for (const auto& control : controls_)
        if (control->CanHoldFocus() && control->TabStop() && control->IsReachable()) order.push_back(control.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    return order;
}

Control* Form::DefaultButton() const {
    for (const auto& control : controls_)
        if (control->GetKind() == Kind::CommandButton && control->IsDefault()) return control.get();
    return nullptr;
}

Control* Form::CancelButton() const {
    for (const auto& control : controls_)
        if (control->GetKind() == Kind::CommandButton && control->IsCancel()) return control.get();
    return nullptr;
}

void Form::SetTabOrder(const std::vector<Control*>& first) {
    int next = 0;
    for (Control* control : first) control->SetTabIndex(next++);
    for (const auto& control : controls_)
        if (std::find(first.begin(), first.end(), control.get()) == first.end()) control->SetTabIndex(next++);
}

void Form::Report(const ErrorReport& report) noexcept {
    // Each form's own realisation shows its errors, whatever became of other forms' ones. The
    // box it shows may outlive this form: nothing of it is touched once the box returns.
    try {
        if (observer_ != nullptr && observer_->ShowError(*this, report)) return;
    } catch (...) {
    }
    ReportError(report);
}

void Form::Raise(const std::string& source, const std::function<void()>& handler) noexcept {
    const LifetimeToken::Watch alive = lifetime_.Watching();
    ++raiseDepth_;
    try {
        handler();
    } catch (...) {
        if (alive) Report(ErrorReport{name_, source, vb::DescribeCaught()});
    }
    if (!alive) return;
    --raiseDepth_;
    if (raiseDepth_ == 0 && observer_ != nullptr) {
        try {
            observer_->EventDone(*this);
        } catch (...) {
            Report(ErrorReport{name_, source, "The window could not be updated"});
        }
    }
}

}  // namespace tolvane::forms
