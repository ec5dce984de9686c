#include "preview/Svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "vb/Names.h"

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

// Text as XML takes it: markup characters as entities, and what XML 1.0 allows nowhere
// (control characters, U+FFFE, U+FFFF, bytes that are no UTF-8) as U+FFFD.
std::string Escaped(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        char32_t c = 0;
        if (!vb::NextCodePoint(text, pos, c)) {
            ++pos;
            c = 0xFFFD;
        }
        switch (c) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += "&gt;"; continue;
            case '"': out += "&quot;"; continue;
            default: break;
        }
        if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF || c == 0xFFFD)
            out += "\xEF\xBF\xBD";
        else
            out.append(text.substr(start, pos - start));
    }
    return out;
}

double TextWidth(std::string_view text) { return static_cast<double>(text.size()) * kCharWidth * kTwipsPerPixel; }

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
    // Controls show only inside the client area, as on the screen.
    const std::string clip = "client" + std::to_string(number);
    svg += "<clipPath id=\"" + clip + "\">" + Rectangle(window.client, "") + "</clipPath>\n<g clip-path=\"url(#" + clip +
           ")\">\n";
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
    return svg + "</g>\n";
}

}  // namespace

std::string WriteSvg(const std::vector<SvgWindow>& windows, const std::vector<std::string>& footer) {
    const double margin = kMargin * kTwipsPerPixel, line = kLine * kTwipsPerPixel;
    std::string body;
    double x = margin, bottom = 0;
    const double top = margin + line * 1.5;  // room for the headings
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const SvgWindow& window = windows[i];
        body += "<g transform=\"translate(" + Px(x) + " " + Px(top) + ")\">\n";
        body += Text(0, -line * 0.6, window.heading, "font-size=\"12\" font-weight=\"bold\" fill=\"#000000\"");
        body += WindowSvg(window, i);
        double y = window.height + line;
        double textWidth = TextWidth(window.heading);
        for (const auto& note : window.notes) {
            body += Text(0, y, note, "font-size=\"11\" fill=\"#000000\"");
            textWidth = std::max(textWidth, TextWidth(note));
            y += line;
        }
        body += "</g>\n";
        x += std::max(window.width, textWidth) + kGap * kTwipsPerPixel;
        bottom = std::max(bottom, top + y);
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
