#include "preview/Svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tolvane::preview {
namespace {

constexpr double kMargin = 16;      // pixels around everything
constexpr double kGap = 40;         // between windows
constexpr double kLine = 16;        // one line of text
constexpr double kCharWidth = 6.6;  // a rough width of one character of text, for the layout

std::string Px(double twips) {
    char buffer[32];
    const double pixels = std::round(twips / kTwipsPerPixel * 1000) / 1000;
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, pixels == 0 ? 0.0 : pixels);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

double TextWidth(std::string_view text) { return static_cast<double>(text.size()) * kCharWidth * kTwipsPerPixel; }

// The part of the picture a window takes, in twips from its top-left corner: the window
// and what sticks out of it, up to `reach` beyond it.
struct Extent {
    double left = 0, top = 0, right = 0, bottom = 0;
};

Extent ExtentOf(const SvgWindow& window, double reach) {
    Extent extent{0, 0, window.width, window.height};
    for (const SvgControl& control : window.controls) {
        const Rect& b = control.box;
        extent.left = std::min(extent.left, std::max(-reach, std::min(b.x, b.x + b.width)));
        extent.top = std::min(extent.top, std::max(-reach, std::min(b.y, b.y + b.height)));
        extent.right = std::max(extent.right, std::min(window.width + reach, std::max(b.x, b.x + b.width)));
        extent.bottom = std::max(extent.bottom, std::min(window.height + reach, std::max(b.y, b.y + b.height)));
    }
    return extent;
}

std::string Rectangle(const Rect& r, const std::string& attributes) {
    const double x = std::min(r.x, r.x + r.width), y = std::min(r.y, r.y + r.height);
    return "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(std::fabs(r.width)) + "\" height=\"" +
           Px(std::fabs(r.height)) + "\" " + attributes + "/>\n";
}

std::string Text(double x, double y, std::string_view text, const std::string& attributes) {
    return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" " + attributes + ">" + Escaped(text) + "</text>\n";
}

std::string WindowSvg(const SvgWindow& window, std::size_t number) {
    std::string svg;
    const double titleTop = window.frame;
    svg += Rectangle({0, 0, window.width, window.height}, "fill=\"#d4d0c8\" stroke=\"#404040\"");
    if (window.titleBar > 0) {
        svg += Rectangle({window.frame, titleTop, window.width - 2 * window.frame, window.titleBar}, "fill=\"#0a246a\"");
        svg += Text(window.frame + 60, titleTop + window.titleBar - 75, window.caption,
                    "font-size=\"11\" font-weight=\"bold\" fill=\"#ffffff\"");
    }
    if (window.menuBar > 0)
        svg += Rectangle({window.frame, titleTop + window.titleBar, window.width - 2 * window.frame, window.menuBar},
                         "fill=\"#ece9d8\" stroke=\"#b0b0b0\" stroke-width=\"0.5\"");
    svg += Rectangle(window.client, "fill=\"#f4f3ee\" stroke=\"#808080\" stroke-width=\"0.5\"");
    for (const SvgControl& control : window.controls) {
        const std::string style = control.error     ? "fill=\"#ffd0d0\" fill-opacity=\"0.85\" stroke=\"#c00000\" stroke-width=\"2\""
                                  : control.picked ? "fill=\"#cfe0ff\" fill-opacity=\"0.8\" stroke=\"#1f5fbf\" stroke-width=\"1.5\""
                                                   : "fill=\"#ffffff\" fill-opacity=\"0.6\" stroke=\"#707070\"";
        svg += Rectangle(control.box, "class=\"control\" data-window=\"" + std::to_string(number) + "\" data-ref=\"" +
                                          Escaped(control.label) + "\" " + style);
        const double x = std::min(control.box.x, control.box.x + control.box.width);
        const double y = std::min(control.box.y, control.box.y + control.box.height);
        std::string label = Escaped(control.label);
        if (control.error)
            label = "<tspan font-weight=\"bold\" fill=\"#c00000\">" + std::to_string(control.error) + "</tspan> " + label;
        const double baseline = control.holdsOthers ? y + std::fabs(control.box.height) - 60 : y + 165;
        svg += "<text x=\"" + Px(x + 45) + "\" y=\"" + Px(baseline) + "\" font-size=\"10\" fill=\"#202020\">" + label +
               "</text>\n";
    }
    return svg;
}

}  // namespace

std::string WriteSvg(const std::vector<SvgWindow>& windows, const std::vector<std::string>& footer) {
    const double margin = kMargin * kTwipsPerPixel, line = kLine * kTwipsPerPixel;
    // What sticks out of a window is drawn up to half the largest window's size beyond it.
    double reach = 0;
    for (const SvgWindow& window : windows) reach = std::max({reach, window.width / 2, window.height / 2});
    std::string body;
    double x = margin, bottom = 0;
    const double top = margin + line * 1.5;  // room for the headings
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const SvgWindow& window = windows[i];
        const Extent extent = ExtentOf(window, reach);
        const double width = extent.right - extent.left, height = extent.bottom - extent.top;
        body += "<g transform=\"translate(" + Px(x - extent.left) + " " + Px(top - extent.top) + ")\">\n";
        body += Text(extent.left, extent.top - line * 0.6, window.heading,
                     "font-size=\"12\" font-weight=\"bold\" fill=\"#000000\"");
        const std::string clip = "window" + std::to_string(i);
        body += "<clipPath id=\"" + clip + "\">" + Rectangle({extent.left, extent.top, width, height}, "") + "</clipPath>\n";
        body += "<g clip-path=\"url(#" + clip + ")\">\n" + WindowSvg(window, i) + "</g>\n";
        double y = extent.bottom + line;
        double textWidth = TextWidth(window.heading);
        for (const auto& note : window.notes) {
            body += Text(extent.left, y, note, "font-size=\"11\" fill=\"#000000\"");
            textWidth = std::max(textWidth, TextWidth(note));
            y += line;
        }
        body += "</g>\n";
        x += std::max(width, textWidth) + kGap * kTwipsPerPixel;
        bottom = std::max(bottom, top + y - extent.top);
    }
    double right = x - kGap * kTwipsPerPixel;
    for (const auto& text : footer) {
        right = std::max(right, margin + TextWidth(text));
        bottom += line;
        body += Text(margin, bottom, text, "font-size=\"11\" fill=\"#404040\"");
    }
    const double width = right + margin, height = bottom + margin;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Px(width) +
           "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(width) + " " + Px(height) +
           "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n" + Rectangle({0, 0, width, height}, "fill=\"#ffffff\"") +
           body + "</svg>\n";
}

}  // namespace tolvane::preview
