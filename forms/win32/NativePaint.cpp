// Drawing: what the system controls draw is theirs; we paint the frame's etched edge, a picture
// box's image, the axis lines (each a window of one colour) and the slanted lines, which their
// container paints over its background. Colours of the system controls come from WM_CTLCOLOR*.
#include "forms/win32/Mapping.h"
#include "forms/win32/NativeForm.h"

namespace tolvane::forms::win32 {
namespace {

RECT ClientRect(HWND hwnd) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    return client;
}

}  // namespace

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
    if (const Native* picture = Find(hwnd)) {
        if (picture->icon) ::DrawIconEx(paint.dc(), 0, 0, picture->icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
        PaintSlantedLines(paint.dc(), picture->control);
    }
    return 0;
}

LRESULT NativeForm::OnPaintFrame(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    RECT edge = ClientRect(hwnd);
    ::DrawEdge(paint.dc(), &edge, EDGE_ETCHED, BF_RECT);
    if (const Native* frame = Find(hwnd)) PaintSlantedLines(paint.dc(), frame->control);
    return 0;
}

// An axis line is a window of one colour.
LRESULT NativeForm::OnPaintLine(HWND hwnd) {
    winapi::PaintScope paint(hwnd);
    if (const Native* line = Find(hwnd)) {
        const winapi::UniqueBrush brush(::CreateSolidBrush(ToColorRef(line->control->ForeColour())));
        const RECT whole = ClientRect(hwnd);
        ::FillRect(paint.dc(), &whole, brush.get());
    }
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
