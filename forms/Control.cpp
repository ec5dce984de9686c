#include "forms/Control.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

#include "forms/Form.h"
#include "forms/Text.h"
#include "vb/Errors.h"
#include "vb/Names.h"

namespace tolvane::forms {
namespace {

[[noreturn]] void InvalidPropertyValue() { throw std::invalid_argument(vb::kInvalidPropertyValue); }

Rect Intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Rect Offset(const Rect& r, int dx, int dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// A sunken border of two pixels at 15 twips each.
constexpr int BorderInset = 30;

}  // namespace

Control::Control(Form& form, Kind kind, std::string name, int index)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index) {}

std::string Control::Reference() const { return vb::ControlReference(name_, index_); }

void Control::Mark(std::uint32_t bits) {
    dirty_ |= bits;
    form_.Touch();
}

template <class T, class V>
void Control::Change(T& member, V&& value, std::uint32_t bits) {
    if (member == value) return;
    Assign(member, std::forward<V>(value), bits);
}

template <class T, class V>
void Control::Assign(T& member, V&& value, std::uint32_t bits) {
    member = std::forward<V>(value);
    Mark(bits);
}

void Control::Raise(const char* event, const Handler& handler) {
    if (!handler) return;
    // The handler may rebuild the form's controls (an unload and reload): keep what the
    // dispatch needs out of this object first.
    const Handler call = handler;
    std::string source = name_ + "_" + event;
    if (index_ >= 0) source += "(" + std::to_string(index_) + ")";
    form_.Raise(source, call);
}

void Control::RaiseClick() { Raise("Click", onClick_); }
void Control::RaiseDblClick() { Raise("DblClick", onDblClick_); }
void Control::RaiseChange() { Raise("Change", onChange_); }
void Control::RaiseScroll() { Raise("Scroll", onScroll_); }
void Control::RaiseDropDown() { Raise("DropDown", onDropDown_); }

void Control::SetContainer(Control* container) { Change(container_, container, DirtyContainer); }

void Control::SetLeft(int value) { Change(left_, value, DirtyGeometry); }

void Control::SetTop(int value) { Change(top_, value, DirtyGeometry); }

void Control::SetWidth(int value) {
    if (value < 0) InvalidPropertyValue();
    Change(width_, value, DirtyGeometry);
}

void Control::SetHeight(int value) {
    if (value < 0) InvalidPropertyValue();
    Change(height_, value, DirtyGeometry);
}

void Control::Move(int left, int top, int width, int height) {
    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    SetHeight(height);
}

void Control::SetLineEnds(int x1, int y1, int x2, int y2) {
    if (x1_ == x1 && y1_ == y1 && x2_ == x2 && y2_ == y2) return;
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    Mark(DirtyGeometry);
}

void Control::SetCaption(std::string caption) {
    if (text_ == caption) return;
    text_ = std::move(caption);
    ClampSelection();
    Mark(DirtyText);
}

void Control::SetToolTipText(std::string text) { Change(toolTip_, std::move(text), DirtyToolTip); }

void Control::SetText(std::string text) {
    if (text_ == text) return;
    text_ = std::move(text);
    selStart_ = 0;
    selLength_ = 0;
    if (kind_ == Kind::ComboBox && listIndex_ >= 0 && list_[static_cast<std::size_t>(listIndex_)] != text_) {
        listIndex_ = -1;
        Mark(DirtyListIndex);
    }
    Mark(DirtyText | DirtySelection);
    if (kind_ == Kind::TextBox || kind_ == Kind::ComboBox) RaiseChange();
}

void Control::SetValue(int value) {
    if (kind_ == Kind::CheckBox) {
        if (value < 0 || value > 2) InvalidPropertyValue();
        if (value_ == value) return;
        value_ = value;
        Mark(DirtyValue);
        RaiseClick();
        return;
    }
    if (kind_ == Kind::VScrollBar) {
        if (value < std::min(min_, max_) || value > std::max(min_, max_)) InvalidPropertyValue();
        if (value_ == value) return;
        value_ = value;
        Mark(DirtyValue);
        RaiseChange();
        return;
    }
    InvalidPropertyValue();
}

void Control::SetVisible(bool visible) { Change(visible_, visible, DirtyVisible); }

void Control::SetEnabled(bool enabled) { Change(enabled_, enabled, DirtyEnabled); }

const std::string& Control::List(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("Invalid property array index");
    return list_[static_cast<std::size_t>(index)];
}

void Control::AddItem(std::string entry) {
    list_.push_back(std::move(entry));
    Mark(DirtyList);
}

void Control::ClearList() {
    if (list_.empty()) return;
    list_.clear();
    if (listIndex_ != -1) {
        listIndex_ = -1;
        Mark(DirtyListIndex);
    }
    Mark(DirtyList);
}

void Control::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) InvalidPropertyValue();
    if (listIndex_ == index) return;
    listIndex_ = index;
    Mark(DirtyListIndex);
    if (index >= 0 && text_ != list_[static_cast<std::size_t>(index)]) {
        text_ = list_[static_cast<std::size_t>(index)];
        selStart_ = 0;
        selLength_ = 0;
        Mark(DirtyText | DirtySelection);
    }
    RaiseClick();
}

void Control::ClampSelection() {
    const int length = Utf16Length(text_);
    selStart_ = std::clamp(selStart_, 0, length);
    selLength_ = std::clamp(selLength_, 0, length - selStart_);
}

void Control::SetSelStart(int start) {
    if (start < 0) InvalidPropertyValue();
    // A new start is an insertion point, as in VB.
    const int length = Utf16Length(text_);
    selStart_ = std::min(start, length);
    selLength_ = 0;
    Mark(DirtySelection);
}

void Control::SetSelLength(int length) {
    if (length < 0) InvalidPropertyValue();
    selLength_ = std::min(length, Utf16Length(text_) - selStart_);
    Mark(DirtySelection);
}

std::string Control::SelText() const {
    const std::size_t from = ByteOffset(text_, selStart_);
    const std::size_t to = ByteOffset(text_, selStart_ + selLength_);
    return text_.substr(from, to - from);
}

void Control::SetValueFromUser(int value) {
    value_ = kind_ == Kind::VScrollBar ? std::clamp(value, std::min(min_, max_), std::max(min_, max_))
                                       : std::clamp(value, 0, 2);
    form_.Touch();
}

void Control::SelectFromUser(int start, int length) {
    const int size = Utf16Length(text_);
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    form_.Touch();
}

void Control::ChooseListEntryFromUser(int index) {
    if (index < 0 || index >= ListCount()) return;
    listIndex_ = index;
    text_ = list_[static_cast<std::size_t>(index)];
    selStart_ = 0;
    selLength_ = Utf16Length(text_);
    form_.Touch();
}

void Control::TypeFromUser(std::string_view typed) {
    const std::size_t from = ByteOffset(text_, selStart_);
    const std::size_t to = ByteOffset(text_, selStart_ + selLength_);
    text_.replace(from, to - from, typed);
    selStart_ += Utf16Length(typed);
    selLength_ = 0;
    ClampSelection();
    if (kind_ == Kind::ComboBox) listIndex_ = -1;
    form_.Touch();
}

void Control::SetTabIndex(int index) {
    if (index < 0) InvalidPropertyValue();
    Change(tabIndex_, index, DirtyTabOrder);
}

void Control::SetTabStop(bool stop) { Change(tabStop_, stop, DirtyTabOrder); }

void Control::SetRange(int min, int max, int smallChange, int largeChange) {
    if (smallChange < 1 || largeChange < 1) InvalidPropertyValue();
    min_ = min;
    max_ = max;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    value_ = std::clamp(value_, std::min(min_, max_), std::max(min_, max_));
    Mark(DirtyRange | DirtyValue);
}

void Control::SetAlignment(Alignment alignment) { Assign(alignment_, alignment, DirtyAppearance); }
void Control::SetMultiLine(bool multiLine) { Assign(multiLine_, multiLine, DirtyAppearance); }
void Control::SetScrollBars(ScrollBars bars) { Assign(scrollBars_, bars, DirtyAppearance); }
void Control::SetForeColour(Colour colour) { Assign(foreColour_, colour, DirtyAppearance); }
void Control::SetBorder(bool border) { Assign(border_, border, DirtyAppearance | DirtyGeometry); }
void Control::SetFont(Font font) { Assign(font_, std::move(font), DirtyAppearance); }
void Control::SetPictureResource(std::string name) { Assign(picture_, std::move(name), DirtyAppearance); }

void Control::SetDefault(bool isDefault) { SetOneOfForm(&Control::default_, isDefault); }
void Control::SetCancel(bool isCancel) { SetOneOfForm(&Control::cancel_, isCancel); }

void Control::SetOneOfForm(bool Control::*flag, bool value) {
    // One default and one cancel button per form, as in VB.
    if (value)
        for (const auto& other : form_.Controls())
            if (other.get() != this && (*other).*flag) other->SetOneOfForm(flag, false);
    Assign(this->*flag, value, DirtyAppearance);
}

char Control::AccessKey() const {
    for (std::size_t i = 0; i + 1 < text_.size(); ++i) {
        if (text_[i] != '&') continue;
        if (text_[i + 1] == '&') {
            ++i;  // "&&" is a literal ampersand
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(text_[i + 1])));
    }
    return 0;
}

bool Control::CanHoldFocus() const {
    switch (kind_) {
    case Kind::ComboBox:
    case Kind::CheckBox:
    case Kind::PictureBox:
    case Kind::TextBox:
    case Kind::CommandButton:
    case Kind::VScrollBar:
        return true;
    case Kind::Label:
    case Kind::Frame:
    case Kind::Line:
        return false;
    }
    return false;
}

bool Control::IsReachable() const {
    if (!form_.IsShown()) return false;
    for (const Control* c = this; c != nullptr; c = c->container_)
        if (!c->visible_ || !c->enabled_) return false;
    return true;
}

int Control::ClientInset() const { return kind_ == Kind::PictureBox && border_ ? BorderInset : 0; }

Rect Control::Bounds() const {
    if (kind_ == Kind::Line)
        return Rect{std::min(x1_, x2_), std::min(y1_, y2_), std::max(x1_, x2_) + 1, std::max(y1_, y2_) + 1};
    return Rect{left_, top_, left_ + width_, top_ + height_};
}

Rect Control::VisiblePart() const {
    Rect part = Bounds();
    for (const Control* c = container_; c != nullptr; c = c->container_) {
        const int inset = c->ClientInset();
        part = Intersect(part, Rect{0, 0, c->width_ - 2 * inset, c->height_ - 2 * inset});
        part = Offset(part, c->left_ + inset, c->top_ + inset);
    }
    part = Intersect(part, Rect{0, 0, form_.ClientWidth(), form_.ClientHeight()});
    if (part.Empty()) return Rect{};
    return part;
}

}  // namespace tolvane::forms
