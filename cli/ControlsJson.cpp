// quenlow controls --json: the listing for scripts, with each control's class, container and
// geometry as the file states them.
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "cli/Commands.h"
#include "vb/Names.h"

namespace tolvane::cli {
namespace {

using host::memory::ControlData;

// A JSON string: quotes, backslashes and control characters escaped; the text is UTF-8.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A property as a JSON number, or null when the control has none that reads as a number.
std::string JsonNumber(const ControlData& control, std::string_view name) {
    for (const auto& [key, value] : control.properties) {
        if (!vb::SameNameIgnoringCase(key, name) || value.IsEmpty()) continue;
        if (value.IsNumber()) return std::to_string(value.AsNumber());
        std::string text = value.AsText();
        for (char& c : text)
            if (c == ',') c = '.';
        double number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) return "null";
        char buffer[32];
        const auto [last, failed] = std::to_chars(buffer, buffer + sizeof buffer, number);
        return failed == std::errc() ? std::string(buffer, last) : "null";
    }
    return "null";
}

void Index(const std::vector<ControlData>& controls, std::unordered_map<std::string, const ControlData*>& byRef) {
    for (const ControlData& control : controls) {
        byRef.emplace(vb::FoldCase(vb::ControlReference(control.name, control.index)), &control);
        Index(control.children, byRef);
    }
}

}  // namespace

void WriteControlsJson(const host::memory::ComponentData& form, const std::vector<host::ListedControl>& rows,
                       std::ostream& out) {
    std::unordered_map<std::string, const ControlData*> byRef;
    Index(form.controls, byRef);
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const host::ListedControl& row = rows[i];
        const std::string container =
            row.place.container >= 0 ? rows[static_cast<std::size_t>(row.place.container)].controlRef : std::string();
        out << (i ? ",\n " : "\n ") << "{\"name\": " << JsonString(row.controlRef)
            << ", \"class\": " << JsonString(row.className) << ", \"container\": " << JsonString(container);
        const auto found = byRef.find(vb::FoldCase(row.controlRef));
        for (const char* property : {"Left", "Top", "Width", "Height"}) {
            std::string key = property;
            key[0] = static_cast<char>(key[0] - 'A' + 'a');
            out << ", \"" << key << "\": " << (found == byRef.end() ? "null" : JsonNumber(*found->second, property));
        }
        out << "}";
    }
    out << (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace tolvane::cli
