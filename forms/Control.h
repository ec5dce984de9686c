// One control of a form as plain state, in twips, as Visual Basic holds it. A form owns its
// controls; handlers are plain functions run through the form's event dispatch.
//
// Setting a property in code behaves as in VB: a changed check box Value raises Click, a
// changed scroll bar Value raises Change, a changed Text raises Change and a changed
// ListIndex raises Click. Every such change also sets a dirty bit, so that a native
// realisation can apply exactly what changed after each event. Input from the user goes
// through forms/UserInput.h instead: it writes the state with the *FromUser members, without
// a dirty bit (the native control already shows it), and then raises the event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::forms {

class Form;

enum class Kind { Label, ComboBox, CheckBox, PictureBox, Frame, Line, TextBox, CommandButton, VScrollBar };

enum class Alignment { Left, Right, Center };
enum class ScrollBars { None, Horizontal, Vertical, Both };

// Property groups a native realisation applies. One bit each.
enum DirtyBits : std::uint32_t {
    DirtyGeometry = 1u << 0,    // Left, Top, Width, Height, line ends
    DirtyText = 1u << 1,        // Caption or Text
    DirtyValue = 1u << 2,       // check box or scroll bar Value
    DirtyVisible = 1u << 3,
    DirtyEnabled = 1u << 4,
    DirtyList = 1u << 5,        // combo box entries
    DirtyListIndex = 1u << 6,
    DirtySelection = 1u << 7,   // SelStart, SelLength
    DirtyTabOrder = 1u << 8,    // TabIndex, TabStop
    DirtyRange = 1u << 9,       // Min, Max, SmallChange, LargeChange
    DirtyAppearance = 1u << 10, // alignment, colours, font, border, picture
    DirtyContainer = 1u << 11,
    DirtyToolTip = 1u << 12,
    DirtyAll = (1u << 13) - 1,
};

// VB colour values (&H00BBGGRR; &H800000nn names system colour nn).
using Colour = std::uint32_t;
// The system's button text colour, every control's ForeColor until set.
inline constexpr Colour ButtonTextColour = 0x80000012;

struct Font {
    std::string name;  // empty: the form's default dialog font
    int points = 0;    // 0: default size
    bool bold = false;
    bool operator==(const Font& other) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
    bool Empty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect& other) const = default;
};

class Control {
public:
    using Handler = std::function<void()>;

    Control(Form& form, Kind kind, std::string name, int index);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Parent() const { return form_; }
    Kind GetKind() const { return kind_; }
    const std::string& Name() const { return name_; }
    // Index within a control array, -1 for a control that is no array element.
    int Index() const { return index_; }
    // "Name" or "Name(3)": how handlers and reports name the control.
    std::string Reference() const;

    // The container (a picture box or frame), or null when the form itself holds the control.
    Control* Container() const { return container_; }
    void SetContainer(Control* container);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    void Move(int left, int top, int width, int height);

    // Line ends (lines only), in the container's twips.
    int X1() const { return x1_; }
    int Y1() const { return y1_; }
    int X2() const { return x2_; }
    int Y2() const { return y2_; }
    void SetLineEnds(int x1, int y1, int x2, int y2);

    // Caption (labels, buttons, check boxes, frames) and Text (text and combo boxes) share
    // one store, as each kind has only one of them.
    const std::string& Caption() const { return text_; }
    const std::string& Text() const { return text_; }
    void SetCaption(std::string caption);
    // Raises Change when the text differs. Puts the caret at the start, as VB does.
    void SetText(std::string text);

    // Check box: 0 unchecked, 1 checked, 2 greyed; a change raises Click.
    // Scroll bar: within Min..Max in either direction; a change raises Change.
    // Anything else out of range throws std::invalid_argument("Invalid property value").
    int Value() const { return value_; }
    void SetValue(int value);

    // Own flags. Whether a user can reach the control also depends on its containers and
    // its form: see IsReachable.
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);

    // The tip shown while the mouse rests on the control; empty: none.
    const std::string& ToolTipText() const { return toolTip_; }
    void SetToolTipText(std::string text);

    // Combo box list.
    int ListCount() const { return static_cast<int>(list_.size()); }
    const std::string& List(int index) const;  // throws std::out_of_range
    void AddItem(std::string entry);
    void ClearList();
    int ListIndex() const { return listIndex_; }
    // -1 for none; otherwise also sets Text to that entry. A change raises Click.
    void SetListIndex(int index);

    // Selection in UTF-16 units; clamped to the text as VB clamps it.
    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void SetSelStart(int start);
    void SetSelLength(int length);
    std::string SelText() const;

    int TabIndex() const { return tabIndex_; }
    bool TabStop() const { return tabStop_; }
    void SetTabIndex(int index);
    void SetTabStop(bool stop);

    // Scroll bar range; Max may lie below Min (the bar then runs downwards).
    int Min() const { return min_; }
    int Max() const { return max_; }
    int SmallChange() const { return smallChange_; }
    int LargeChange() const { return largeChange_; }
    void SetRange(int min, int max, int smallChange, int largeChange);

    // Appearance, fixed by a layout and applied once by a realisation.
    Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(Alignment alignment);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool multiLine);
    ScrollBars GetScrollBars() const { return scrollBars_; }
    void SetScrollBars(ScrollBars bars);
    Colour ForeColour() const { return foreColour_; }
    void SetForeColour(Colour colour);
    // Picture boxes: a border draws inside the control and shrinks its client area.
    bool HasBorder() const { return border_; }
    void SetBorder(bool border);
    const Font& GetFont() const { return font_; }
    void SetFont(Font font);
    // Picture boxes: name of the image resource shown at its natural size.
    const std::string& PictureResource() const { return picture_; }
    void SetPictureResource(std::string name);
    // Push buttons: Enter presses the default button, Esc the cancel button.
    bool IsDefault() const { return default_; }
    bool IsCancel() const { return cancel_; }
    void SetDefault(bool isDefault);
    void SetCancel(bool isCancel);

    // The access key: the letter after a single "&" in the caption, upper-cased; 0 if none.
    char AccessKey() const;
    // Whether the kind can hold the focus at all (labels, frames and lines cannot).
    bool CanHoldFocus() const;
    // Visible and enabled together with every container, on a loaded and shown form.
    bool IsReachable() const;
    // The part of the control not clipped by its containers, in the form's client
    // coordinates; empty when nothing of it shows. Ignores visibility.
    Rect VisiblePart() const;
    // The control's own rectangle in its container's client coordinates.
    Rect Bounds() const;
    // Offset from the control's outer corner to the corner of its client area.
    int ClientInset() const;

    // Handlers. Empty ones do nothing.
    void OnClick(Handler handler) { onClick_ = std::move(handler); }
    void OnDblClick(Handler handler) { onDblClick_ = std::move(handler); }
    void OnChange(Handler handler) { onChange_ = std::move(handler); }
    void OnScroll(Handler handler) { onScroll_ = std::move(handler); }
    // Combo box: the user opens the list, before it shows.
    void OnDropDown(Handler handler) { onDropDown_ = std::move(handler); }

    // Raises an event as the runtime does, through the form's dispatch.
    void RaiseClick();
    void RaiseDblClick();
    void RaiseChange();
    void RaiseScroll();
    void RaiseDropDown();

    // What the user did to the control, written as the native control already shows it: no
    // dirty bit and no event (forms/UserInput.h raises the event afterwards).
    void SetValueFromUser(int value);  // within what the kind allows
    void SelectFromUser(int start, int length);  // clamped to the text
    void ChooseListEntryFromUser(int index);  // its text, all of it selected
    // Replaces the selection with `typed` as a keystroke would; a combo box's text then
    // names no list entry.
    void TypeFromUser(std::string_view typed);

    // Dirty bits since the last TakeDirty; a realisation applies and clears them.
    std::uint32_t Dirty() const { return dirty_; }
    std::uint32_t TakeDirty() {
        const std::uint32_t bits = dirty_;
        dirty_ = 0;
        return bits;
    }

private:
    void Mark(std::uint32_t bits);
    // Sets a property and marks it for the realisation: Change only when the value differs,
    // Assign always (appearance is applied whether or not it changed).
    template <class T, class V>
    void Change(T& member, V&& value, std::uint32_t bits);
    template <class T, class V>
    void Assign(T& member, V&& value, std::uint32_t bits);
    void Raise(const char* event, const Handler& handler);
    void ClampSelection();
    // Sets a flag only one control of the form may carry, clearing it on the others.
    void SetOneOfForm(bool Control::*flag, bool value);

    Form& form_;
    Kind kind_;
    std::string name_;
    int index_;
    Control* container_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    std::string text_;
    std::string toolTip_;
    int value_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::vector<std::string> list_;
    int listIndex_ = -1;
    int selStart_ = 0;
    int selLength_ = 0;
    int tabIndex_ = 0;
    bool tabStop_ = true;
    int min_ = 0, max_ = 32767, smallChange_ = 1, largeChange_ = 1;
    Alignment alignment_ = Alignment::Left;
    bool multiLine_ = false;
    ScrollBars scrollBars_ = ScrollBars::None;
    Colour foreColour_ = ButtonTextColour;
    bool border_ = false;
    Font font_;
    std::string picture_;
    bool default_ = false;
    bool cancel_ = false;
    std::uint32_t dirty_ = DirtyAll;
    Handler onClick_, onDblClick_, onChange_, onScroll_, onDropDown_;
};

}  // namespace tolvane::forms
