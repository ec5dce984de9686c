// Drawing: what the system controls draw is theirs; we paint the frame's etched edge, a picture
// box's image, the axis lines (each a window of one colour) and the slanted lines, which their
// container paints over its background. Colours of the system controls come from WM_CTLCOLOR*.
#include "forms/win32/Mapping.h"
#include "forms/win32/NativeForm.h"

namespace tolvane::forms::win32 {

LRESULT NativeForm::OnCtlColor(HDC dc, HWND child) {
    const Native* native = Find(child);
    const Control* control = native != nullptr ? native->control : nullptr;
    const bool field =
        control != nullptr && (control->GetKind() == Kind::TextBox || control->GetKind() == Kind::ComboBox);
    const int background = field ? COLOR_WINDOW : COLOR_BTNFACE;
    ::SetTextColor(dc, control != nullptr ? ToColorRef(control->ForeColour()) : ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(background));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(background));
}

LRESULT NativeForm::OnPaintForm(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    PaintSlantedLines(paint.dc(), nullptr);
    return 0;
}

LRESULT NativeForm::OnPaintPicture(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    const Native* picture = Find(hwnd);
    if (picture == nullptr) return 0;
    if (picture->icon) ::DrawIconEx(paint.dc(), 0, 0, picture->icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
    PaintSlantedLines(paint.dc(), picture->control);
    return 0;
}

LRESULT NativeForm::OnPaintFrame(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    const Native* frame = Find(hwnd);
    if (frame == nullptr) return 0;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::DrawEdge(paint.dc(), &client, EDGE_ETCHED, BF_RECT);
    PaintSlantedLines(paint.dc(), frame->control);
    return 0;
}

LRESULT NativeForm::OnPaintLine(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    const Native* line = Find(hwnd);
    if (line == nullptr) return 0;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    winapi::UniqueBrush brush(::CreateSolidBrush(ToColorRef(line->control->ForeColour())));
    ::FillRect(paint.dc(), &client, brush.get());
    return 0;
}

// The slanted lines `container` holds (null: the form), in creation order.
void NativeForm::PaintSlantedLines(HDC dc, const Control* container) const {
    for (const Native& native : natives_) {
        const Control& line = *native.control;
        if (line.GetKind() != Kind::Line || native.hwnd != nullptr || line.Container() != container ||
            !line.Visible())
            continue;
        const int x1 = TwipsToPixels(line.X1(), dpiX_), y1 = TwipsToPixels(line.Y1(), dpiY_);
        const int x2 = TwipsToPixels(line.X2(), dpiX_), y2 = TwipsToPixels(line.Y2(), dpiY_);
        const COLORREF colour = ToColorRef(line.ForeColour());
        winapi::UniquePen pen(::CreatePen(PS_SOLID, 1, colour));
        winapi::SelectScope select(dc, pen.get());
        ::MoveToEx(dc, x1, y1, nullptr);
        ::LineTo(dc, x2, y2);
        ::SetPixel(dc, x2, y2, colour);  // LineTo leaves out the end point
    }
}

}  // namespace tolvane::forms::win32
